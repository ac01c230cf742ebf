// SPDX-License-Identifier: MIT
#include "PicturePattern.h"

std::optional<PicturePattern> ParsePicturePattern(std::string_view text, std::string& error)
{
    constexpr int kMaxWidth = 19;
    PicturePattern pattern;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string& part = pattern.numbered ? pattern.after : pattern.before;
        if (text[i] != '%') {
            part += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            part += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool zeroPad = j < text.size() && text[j] == '0';
        if (zeroPad)
            ++j;
        int width = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && width <= kMaxWidth)
            width = width * 10 + (text[j++] - '0');
        if (j >= text.size() || text[j] != 'd' || width > kMaxWidth) {
            error = "a picture name may hold one frame number as %d, %5d or %05d (width up to 19) and %% for a "
                    "percent sign, not '" + std::string(text) + "'";
            return std::nullopt;
        }
        if (pattern.numbered) {
            error = "a picture name may hold only one frame number, not '" + std::string(text) + "'";
            return std::nullopt;
        }
        pattern.numbered = true;
        pattern.zeroPad = zeroPad;
        pattern.width = width;
        i = j;
    }
    return pattern;
}

std::string PictureName(const PicturePattern& pattern, long long frame)
{
    if (!pattern.numbered)
        return pattern.before;
    std::string number = std::to_string(frame);
    if (static_cast<int>(number.size()) < pattern.width)
        number.insert(0, static_cast<std::size_t>(pattern.width) - number.size(), pattern.zeroPad ? '0' : ' ');
    return pattern.before + number + pattern.after;
}
