// SPDX-License-Identifier: MIT
#include "OutputClash.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

namespace fs = std::filesystem;

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

// The name of the pattern's frame whose number stands where the saved file's name
// has digits, if its last part has the pattern's shape.
std::optional<std::string> FrameNamed(const PicturePattern& picture, const std::string& savePath)
{
    const std::string name = fs::path(savePath).filename().string();
    const std::size_t slash = picture.before.rfind('/');
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

} // namespace

bool PictureCouldBe(const PicturePattern& picture, const std::string& savePath)
{
    if (!picture.numbered)
        return SameFile(picture.before, savePath);
    const std::optional<std::string> frame = FrameNamed(picture, savePath);
    return frame && SameFile(*frame, savePath);
}
