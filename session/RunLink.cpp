// SPDX-License-Identifier: MIT
#include "RunLink.h"

#include "RandomUnit.h"

#include <charconv>
#include <cstdint>

namespace {

constexpr const char* kBoxNames[kParamBoxCount] = {"num", "attraction", "repulsion", "friction"};

bool Unreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

void AppendEncoded(std::string& out, std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : text) {
        if (Unreserved(c)) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool Decode(std::string_view text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// A whole number from 0 to `high`, all of `text`.
bool Whole(std::string_view text, unsigned long long high, unsigned long long& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && value <= high;
}

} // namespace

std::string LinkFragment(const RunLink& link)
{
    std::string out = "seed=" + std::to_string(link.seed);
    for (const LinkStep& step : link.steps) {
        if (step.isPreset) {
            out += "&preset=" + std::to_string(step.preset);
        } else {
            out += '&';
            out += kBoxNames[static_cast<int>(step.box)];
            out += '=';
            AppendEncoded(out, step.text);
        }
    }
    return out + "&frames=" + std::to_string(link.frames);
}

bool ParseLinkFragment(std::string_view fragment, RunLink& link, std::string& error)
{
    if (!fragment.empty() && fragment.front() == '#')
        fragment.remove_prefix(1);
    RunLink read;
    bool seedSeen = false;
    bool framesSeen = false;
    for (std::size_t index = 1; !fragment.empty() || index == 1; ++index) {
        const std::size_t amp = fragment.find('&');
        const std::string_view part = fragment.substr(0, amp);
        fragment = amp == std::string_view::npos ? std::string_view() : fragment.substr(amp + 1);
        const std::size_t equals = part.find('=');
        const std::string_view key = part.substr(0, equals);
        std::string value;
        const std::string where = "part " + std::to_string(index) + " (" + std::string(part) + ")";
        if (equals == std::string_view::npos || !Decode(part.substr(equals + 1), value)) {
            error = "the link's " + where + " is not name=value";
            return false;
        }
        if (framesSeen) {
            error = "the link's " + where + " comes after its frames, which end it";
            return false;
        }
        unsigned long long number = 0;
        if (key == "seed") {
            if (index != 1 || !Whole(value, UINT32_MAX, number)) {
                error = "the link's seed must come first and be a number from 0 to 4294967295, not " + where;
                return false;
            }
            read.seed = static_cast<std::uint32_t>(number);
            seedSeen = true;
        } else if (key == "frames") {
            if (!Whole(value, static_cast<unsigned long long>(INT64_MAX), number)) {
                error = "the link's frames must be a whole number of 0 or more, not " + where;
                return false;
            }
            read.frames = static_cast<long long>(number);
            framesSeen = true;
        } else if (key == "preset") {
            if (!Whole(value, kPresetCount - 1, number)) {
                error = "the link's preset must be a number from 0 to " + std::to_string(kPresetCount - 1) + ", not " +
                        where;
                return false;
            }
            read.steps.push_back({true, ParamBox::Num, {}, static_cast<int>(number)});
        } else {
            int box = 0;
            while (box < kParamBoxCount && key != kBoxNames[box])
                ++box;
            if (box == kParamBoxCount) {
                error = "the link's " + where + " names nothing a run is made of";
                return false;
            }
            read.steps.push_back({false, static_cast<ParamBox>(box), value, 0});
        }
        if (!seedSeen) {
            error = "the link does not start with its seed";
            return false;
        }
    }
    if (!framesSeen) {
        error = "the link does not end with its frames";
        return false;
    }
    link = std::move(read);
    return true;
}

SessionResult StartRunLink(SwarmSession& session, const RunLink& link)
{
    SetPortableRandState(link.seed);
    const auto confirm = std::move(session.m_confirmLargeCount);
    session.m_confirmLargeCount = nullptr;
    SessionResult result = session.Start();
    for (std::size_t i = 0; i < link.steps.size() && result == SessionResult::Done; ++i) {
        const LinkStep& step = link.steps[i];
        result = step.isPreset ? session.SelectPreset(step.preset) : session.TypeText(step.box, step.text);
    }
    session.m_confirmLargeCount = confirm;
    return result;
}
