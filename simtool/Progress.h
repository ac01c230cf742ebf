// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

// The progress line of a long run, drawn on a terminal's stderr and redrawn in
// place: "frame 1200/50000, 2400 frames/s, 0:20 left". Only the display; the
// run decides when it is wanted.

// The line for `done` of `total` frames after `seconds`. The rate and the time
// left are left out until a frame is done and time has passed.
std::string ProgressLine(long long done, long long total, double seconds);

// Whether a run that has done `done` of `total` frames in `seconds` should show
// its progress: once it has gone on for half a second and, at the rate so far,
// takes more than a second in all.
bool ProgressWanted(long long done, long long total, double seconds);

// A line to draw over the last one: carriage return, the text, then erase to
// the end of the line.
std::string Redrawn(const std::string& line);

// Carriage return and erase to the end of the line: the terminal as it was.
inline constexpr const char* kEraseLine = "\r\033[K";

// Shows the progress of one run on `err`, at most a few times a second. Does
// nothing at all when disabled (stderr is not a terminal, or the user asked
// for quiet).
class ProgressDisplay {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    ProgressDisplay(std::ostream& err, bool enabled, long long total, Clock now = std::chrono::steady_clock::now);
    ~ProgressDisplay() { Erase(); }
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // `done` frames are complete.
    void Update(long long done)
    {
        if (m_bEnabled)
            Draw(done);
    }

    // Removes the line, if one is shown.
    void Erase();

    // Writes a message on a line of its own: the progress line goes first.
    void Say(const std::string& message);

private:
    void Draw(long long done);

    std::ostream& m_err;
    Clock m_now;
    bool m_bEnabled;
    bool m_bShown = false;
    long long m_nTotal;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
};
