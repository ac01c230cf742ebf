// SPDX-License-Identifier: MIT
#include "OptionTable.h"

#include "FloatChars.h"
#include "HelpText.h"
#include "SimVideo.h"
#include "Version.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

namespace {

// A whole number of 0 or more, all of `text`; `usage` says what the option
// takes, for the message when `text` is something else.
long long WholeNumber(std::string_view text, const std::string& option, const std::string& usage)
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (!text.empty() && text.front() != '-' && ptr == end && ec == std::errc::result_out_of_range)
        throw UsageError{option + ": '" + std::string(text) + "' is too large"};
    if (text.empty() || text.front() == '-' || ec != std::errc() || ptr != end)
        throw UsageError{option + " takes " + usage + ", not '" + std::string(text) + "'"};
    return value;
}

// "0 to 4", as the help and the messages say a range.
std::string Span(long long low, long long high)
{
    return std::to_string(low) + " to " + std::to_string(high);
}

// A whole number from `low` to `high`, all of `text`.
long long Ranged(const std::string& text, const std::string& option, const std::string& what, long long low,
                 long long high)
{
    const std::string usage = what + " from " + Span(low, high);
    const long long value = WholeNumber(text, option, usage);
    if (value < low || value > high)
        throw UsageError{option + " takes " + usage + ", not '" + text + "'"};
    return value;
}

std::string Decimal(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::vector<long long> FrameList(std::string_view text)
{
    std::vector<long long> frames;
    for (;;) {
        const std::size_t comma = text.find(',');
        frames.push_back(WholeNumber(text.substr(0, comma), "--print",
                                     "frame numbers separated by commas, 'all' or 'none'"));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

void ReadSize(Options& options, const std::string& value)
{
    const std::string usage = "WIDTHxHEIGHT in pixels (" + Span(1, kMaxPictureSide) + " each)";
    const auto side = [&](std::string_view part) {
        const long long n = WholeNumber(part, "--size", usage);
        if (n < 1 || n > kMaxPictureSide)
            throw UsageError{"--size takes " + usage + ", not '" + value + "'"};
        return static_cast<int>(n);
    };
    const std::size_t x = value.find('x');
    if (x == std::string::npos)
        throw UsageError{"--size takes " + usage + ", not '" + value + "'"};
    options.pictureWidth = side(std::string_view(value).substr(0, x));
    options.pictureHeight = side(std::string_view(value).substr(x + 1));
}

void ReadScale(Options& options, const std::string& value)
{
    double scale = 0;
    const auto [ptr, ec] = DoubleFromChars(value.data(), value.data() + value.size(), scale);
    if (value.empty() || ec != std::errc() || ptr != value.data() + value.size() || !(scale >= kMinPictureScale) ||
        !(scale <= kMaxPictureScale))
        throw UsageError{"--scale takes a number from " + Decimal(kMinPictureScale) + " to " +
                         Decimal(kMaxPictureScale) + ", not '" + value + "'"};
    options.pictureScale = scale;
}

void ReadPrint(Options& options, const std::string& value)
{
    options.printAll = value == "all";
    options.printFrames.reset();
    if (value == "none")
        options.printFrames.emplace();
    else if (!options.printAll)
        options.printFrames = FrameList(value);
}

// A row that types its value into one of the boxes.
OptionRow Box(const char* name, ParamBox box, std::string help)
{
    return {.name = name,
            .value = "TEXT",
            .help = std::move(help),
            .read = [box](Options& options, const std::string& value) {
                options.actions.push_back({Action::Edit, box, value});
            }};
}

ValueCompletion Words(std::string words)
{
    return {ValueCompletion::Words, std::move(words)};
}

ValueCompletion Files(std::string suffix)
{
    return {ValueCompletion::Files, std::move(suffix)};
}

std::vector<OptionRow> MakeTable()
{
    std::string presetWords;
    for (int preset = 0; preset < kPresetCount; ++preset) {
        if (preset > 0)
            presetWords += ' ';
        presetWords += std::to_string(preset);
    }
    const std::string size = std::to_string(kDefaultPictureWidth) + "x" + std::to_string(kDefaultPictureHeight);
    const std::string doubled =
        std::to_string(2 * kDefaultPictureWidth) + "x" + std::to_string(2 * kDefaultPictureHeight);
    return {
        Box("--num", ParamBox::Num, "type TEXT into the Num box (a new count rescatters)"),
        Box("--attraction", ParamBox::Attraction, "type TEXT into the Attraction box"),
        Box("--repulsion", ParamBox::Repulsion, "type TEXT into the Repulsion box"),
        Box("--friction", ParamBox::Friction, "type TEXT into the Friction box"),
        {.name = "--preset", .value = "K",
         .help = "select preset K (" + Span(0, kPresetCount - 1) +
                 "): its Num, Attraction, Repulsion\nand Friction texts in that order",
         .read = [](Options& options, const std::string& value) {
             const int preset = static_cast<int>(Ranged(value, "--preset", "a number", 0, kPresetCount - 1));
             options.actions.push_back({Action::Preset, ParamBox::Num, {}, preset});
         },
         .completion = Words(presetWords)},
        {.name = "--load", .value = "FILE",
         .help = "replace the whole state by a snapshot file (.driftmote),\ntexts, preset, generator and "
                 "particles; later options\napply on top of it",
         .read = [](Options& options, const std::string& value) {
             options.actions.push_back({Action::Load, ParamBox::Num, value});
         },
         .completion = Files("driftmote")},
        {.name = "--seed", .value = "N",
         .help = "the random generator's state (" + Span(0, UINT32_MAX) +
                 ") before\nthe start's scatter, wherever it is given (default 1, as\nthe window)",
         .read = [](Options& options, const std::string& value) {
             options.seed = static_cast<std::uint32_t>(Ranged(value, "--seed", "a number", 0, UINT32_MAX));
         }},
        {.name = "--frames", .value = "N",
         .help = "number of steps (default " + std::to_string(kDefaultFrames) + ")",
         .read = [](Options& options, const std::string& value) {
             options.frames = WholeNumber(value, "--frames", "a whole number of 0 or more");
         }},
        {.name = "--print", .value = "LIST",
         .help = "frames to print, comma separated (0 is the state before\nthe first step), or 'all', or 'none' "
                 "(default: the last,\nor none with --video)",
         .read = ReadPrint,
         .completion = Words("all none")},
        {.name = "--format", .value = "FORMAT",
         .help = "csv (default; header frame,index,x,y,vx,vy) or jsonl",
         .read = [](Options& options, const std::string& value) {
             if (value != "csv" && value != "jsonl")
                 throw UsageError{"--format takes csv or jsonl, not '" + value + "'"};
             options.jsonl = value == "jsonl";
         },
         .completion = Words("csv jsonl")},
        {.name = "--bench",
         .help = "print steps and pair evaluations per second instead",
         .read = [](Options& options, const std::string&) { options.bench = true; }},
        {.name = "--save", .value = "FILE",
         .help = "write a snapshot of the state after the last frame",
         .read = [](Options& options, const std::string& value) { options.savePath = value; },
         .completion = Files("driftmote")},
        {.name = "--picture", .value = "FILE",
         .help = "write the picture of the last frame as PNG; a frame\nnumber in the name (%d, %5d, %05d; %% for "
                 "a percent\nsign) writes one for every printed or recorded frame\ninstead",
         .read = [](Options& options, const std::string& value) {
             std::string error;
             options.picture = ParsePicturePattern(value, error);
             if (!options.picture)
                 throw UsageError{"--picture: " + error};
         },
         .completion = Files("png")},
        {.name = "--size", .value = "WxH",
         .help = "the picture's size in pixels (default " + size + ", the\nwindow's canvas at its start)",
         .read = ReadSize},
        {.name = "--scale", .value = "F",
         .help = "draw the picture as a screen with F device pixels per\npixel shows it (" +
                 Decimal(kMinPictureScale) + " to " + Decimal(kMaxPictureScale) + ", default 1): --size " + size +
                 "\n--scale 2 gives " + doubled + " pixels, as the window saves",
         .read = ReadScale},
        {.name = "--video", .value = "FILE",
         .help = "write every frame as one video (only the printed ones\nwhen --print lists frames): H.264 in .mp4 "
                 "or VP9 in\n.webm, drawn as --picture draws",
         .read = [](Options& options, const std::string& value) {
             if (const std::string missing = SimVideoMissing(); !missing.empty())
                 throw UsageError{missing};
             if (const std::string problem = SimVideoNameProblem(value); !problem.empty())
                 throw UsageError{problem};
             options.videoPath = value;
         },
         .completion = Files("@(mp4|webm)")},
        {.name = "--fps", .value = "N",
         .help = "the video's frames per second (" + Span(1, kMaxFps) + ", default " + std::to_string(kDefaultFps) +
                 ")",
         .read = [](Options& options, const std::string& value) {
             options.fps = static_cast<int>(Ranged(value, "--fps", "a number of frames per second", 1, kMaxFps));
         }},
        {.name = "--link",
         .help = "print the page's link that replays this run, the seed,\nthe texts and presets in order and the frames\n"
                 "(driftmote.html#seed=...), instead of running it",
         .read = [](Options& options, const std::string&) { options.link = true; }},
        {.name = "--quiet",
         .help = "show no progress line (shown only on a terminal's\nstderr, for runs longer than about a second)",
         .read = [](Options& options, const std::string&) { options.quiet = true; }},
        {.name = "--help", .shortName = "-h",
         .help = "show this help and exit",
         .read = [](Options& options, const std::string&) { options.reply = HelpText(); }},
        {.name = "--version", .shortName = " ",
         .help = "show the version and exit",
         .read = [](Options& options, const std::string&) {
             options.reply = std::string(kSimProgram) + " " + DRIFTMOTE_VERSION_STRING + "\n";
         }},
    };
}

} // namespace

const std::vector<OptionRow>& OptionTable()
{
    static const std::vector<OptionRow> table = MakeTable();
    return table;
}

const OptionRow* FindOption(std::string_view name)
{
    for (const OptionRow& row : OptionTable())
        if (name == row.name || (row.shortName.rfind('-', 0) == 0 && name == row.shortName))
            return &row;
    return nullptr;
}
