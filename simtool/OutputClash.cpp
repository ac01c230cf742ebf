// SPDX-License-Identifier: MIT
#include "OutputClash.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What ends a folder's name in a path.
#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (fs::equivalent(a, b, ec))
        return true;
    // Absolute first: a relative path none of whose parts exists stays relative.
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec)
        return a == b;
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return ec ? a == b : ca == cb;
}

// The name of the pattern's frame whose number stands where `path`'s name has
// digits, if its last part has the pattern's shape.
std::optional<std::string> FrameNamed(const PicturePattern& picture, const std::string& path)
{
    const std::string name = fs::path(path).filename().string();
    const std::size_t slash = picture.before.find_last_of(kSeparators);
    const std::string before = slash == std::string::npos ? picture.before : picture.before.substr(slash + 1);
    const std::string& after = picture.after;
    if (name.size() <= before.size() + after.size() || name.compare(0, before.size(), before) != 0 ||
        name.compare(name.size() - after.size(), after.size(), after) != 0)
        return std::nullopt;
    std::string_view number(name.data() + before.size(), name.size() - before.size() - after.size());
    while (!number.empty() && number.front() == ' ')
        number.remove_prefix(1);
    long long frame = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), frame);
    if (ec != std::errc() || end != number.data() + number.size() || frame < 0)
        return std::nullopt;
    return PictureName(picture, frame);
}

// One output: the option and the name it gives, numbered or not.
struct Output {
    const char* option;
    PicturePattern name;
};

Output Plain(const char* option, const std::string& path)
{
    PicturePattern name;
    name.before = path;
    return {option, name};
}

// Whether some file `a` names is one `b` names (of two, at most one is numbered).
bool Clash(const PicturePattern& a, const PicturePattern& b)
{
    if (b.numbered)
        return Clash(b, a);
    if (!a.numbered)
        return SameFile(a.before, b.before);
    const std::optional<std::string> frame = FrameNamed(a, b.before);
    return frame && SameFile(*frame, b.before);
}

} // namespace

std::string OutputClash(const Options& options)
{
    std::vector<Output> outputs;
    if (options.savePath)
        outputs.push_back(Plain("--save", *options.savePath));
    if (options.picture)
        outputs.push_back({"--picture", *options.picture});
    if (options.videoPath)
        outputs.push_back(Plain("--video", *options.videoPath));
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = i + 1; j < outputs.size(); ++j) {
            if (!Clash(outputs[i].name, outputs[j].name))
                continue;
            const PicturePattern& plain = outputs[i].name.numbered ? outputs[j].name : outputs[i].name;
            return std::string(outputs[i].option) + " and " + outputs[j].option + " name the same file '" +
                   plain.before + "'";
        }
    }
    return {};
}
