// SPDX-License-Identifier: MIT
#include "FrameLog.h"

#include <cstdlib>

FrameLog::FrameLog()
{
    const char* path = std::getenv("DRIFTMOTE_FRAME_LOG");
    if (path && *path) {
        m_file = std::fopen(path, "w");
        if (!m_file)
            std::fprintf(stderr, "driftmote: DRIFTMOTE_FRAME_LOG: %s cannot be written\n", path);
    }
}

FrameLog::~FrameLog()
{
    if (m_file)
        std::fclose(m_file);
}

void FrameLog::Note(const char* event, long long frames)
{
    if (!m_file)
        return;
    std::fprintf(m_file, "%s %lld\n", event, frames);
    std::fflush(m_file);
}
