// SPDX-License-Identifier: MIT
#pragma once

// A record of the frame loop for checks from outside the program: when the
// environment names a file in DRIFTMOTE_FRAME_LOG, every time the loop starts to
// rest or resumes, and at the end, a line with the event and the number of frames
// the loop has run so far ("rest 1234", "resume 1234", "exit 1250"). Without it,
// nothing is written.

#include <cstdio>

class FrameLog {
public:
    FrameLog();
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    void Note(const char* event, long long frames);

private:
    std::FILE* m_file = nullptr;
};
