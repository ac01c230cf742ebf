// SPDX-License-Identifier: MIT
#include "Progress.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <utility>

namespace {

// Time left as m:ss, or h:mm:ss from an hour on.
std::string Duration(double seconds)
{
    const long long whole = static_cast<long long>(std::ceil(seconds));
    char buffer[48];
    if (whole >= 3600)
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld", whole / 60, whole % 60);
    return buffer;
}

// Redraws come no closer than this, so that the terminal is not the bottleneck.
constexpr std::chrono::milliseconds kRedrawEvery{200};

} // namespace

std::string ProgressLine(long long done, long long total, double seconds)
{
    std::string line = "frame " + std::to_string(done) + "/" + std::to_string(total);
    if (done > 0 && seconds > 0.0) {
        const double rate = static_cast<double>(done) / seconds;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, ", %.0f frames/s", rate);
        line += buffer;
        line += ", " + Duration(static_cast<double>(total - done) / rate) + " left";
    }
    return line;
}

bool ProgressWanted(long long done, long long total, double seconds)
{
    if (seconds < 0.5 || done >= total)
        return false;
    return done == 0 || seconds * static_cast<double>(total) / static_cast<double>(done) > 1.0;
}

std::string Redrawn(const std::string& line)
{
    return "\r" + line + "\033[K";
}

ProgressDisplay::ProgressDisplay(std::ostream& err, bool enabled, long long total, Clock now)
    : m_err(err), m_now(std::move(now)), m_bEnabled(enabled), m_nTotal(total), m_start(m_now()), m_lastDraw(m_start)
{
}

void ProgressDisplay::Draw(long long done)
{
    const auto now = m_now();
    if (now - m_lastDraw < kRedrawEvery)
        return;
    m_lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    if (!m_bShown && !ProgressWanted(done, m_nTotal, seconds))
        return;
    m_bShown = true;
    m_err << Redrawn(ProgressLine(done, m_nTotal, seconds)) << std::flush;
}

void ProgressDisplay::Erase()
{
    if (m_bShown)
        m_err << kEraseLine << std::flush;
    m_bShown = false;
}

void ProgressDisplay::Say(const std::string& message)
{
    Erase();
    m_err << message << '\n' << std::flush;
}
