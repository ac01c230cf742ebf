// SPDX-License-Identifier: MIT
#pragma once

// What one run of driftmote-sim is asked to do, as its options say it: the
// changes of the state in their order, the frames, and the outputs. The option
// table (OptionTable.h) fills it; the run (SimCli.cpp) carries it out.

#include "PicturePattern.h"
#include "SwarmParams.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kSimProgram = "driftmote-sim";

// The window's canvas at its start: its template size in the dialog units of the
// dialog font on this machine (base units 7 by 13 pixels), less the sunken frame.
inline constexpr int kDefaultPictureWidth = 511;
inline constexpr int kDefaultPictureHeight = 458;
inline constexpr int kMaxPictureSide = 32768;
inline constexpr double kMinPictureScale = 0.25;
inline constexpr double kMaxPictureScale = 8;
inline constexpr long long kDefaultFrames = 1000;
inline constexpr int kDefaultFps = 60;
inline constexpr int kMaxFps = 1000;

// One change of the state, in the order given: an edit of one box (as the window's
// boxes would be given it), the choice of a preset, or a snapshot file that
// replaces everything.
struct Action {
    enum Kind { Edit, Preset, Load } kind;
    ParamBox box = ParamBox::Num;
    std::string text; // the edit's text or the file's name
    int preset = 0;
};

// The frames a run shows: printed as text, drawn as numbered pictures and
// recorded in the video.
struct FrameChoice {
    bool all = false;            // every frame
    std::vector<long long> list; // else these, ascending
    bool printed = true;         // the chosen frames are printed (else only drawn)
};

struct Options {
    std::vector<Action> actions; // in the order given
    std::optional<std::uint32_t> seed;
    std::optional<std::string> savePath;
    std::optional<PicturePattern> picture;
    int pictureWidth = kDefaultPictureWidth;
    int pictureHeight = kDefaultPictureHeight;
    double pictureScale = 1.0;
    std::optional<std::string> videoPath;
    int fps = kDefaultFps;
    long long frames = kDefaultFrames;
    // --print as given: none given, 'all', or a list ('none' is the empty list).
    bool printAll = false;
    std::optional<std::vector<long long>> printFrames;
    FrameChoice shown; // what --print, --frames and --video make of it, once all are read
    bool jsonl = false;
    bool bench = false;
    bool quiet = false;
    bool link = false; // print the page's link to the run instead of running it
    std::optional<std::string> reply; // the help or the version, printed instead of a run
};

// Bad usage: the message says what is wrong, in one line.
struct UsageError {
    std::string message;
};
