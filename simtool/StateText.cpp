// SPDX-License-Identifier: MIT
#include "StateText.h"

#include "ParticleSystem.h"
#include "Progress.h"
#include "SimOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>

void AppendFloat(std::string& line, float value, bool json)
{
    if (json && !std::isfinite(value)) {
        line += "null";
        return;
    }
    if (std::isnan(value)) {
        line += "nan";
        return;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    line += buffer;
}

void WriteState(std::ostream& out, long long frame, const ParticleSystem& particles, bool jsonl)
{
    static constexpr const char* kJsonKeys[] = {",\"x\":", ",\"y\":", ",\"vx\":", ",\"vy\":"};
    std::string line;
    for (int i = 0; i < particles.m_nCount; ++i) {
        const Particle& p = particles.m_pCur[i];
        line = jsonl ? "{\"frame\":" : "";
        line += std::to_string(frame);
        line += jsonl ? ",\"index\":" : ",";
        line += std::to_string(i);
        const float values[] = {p.x, p.y, p.vx, p.vy};
        for (int k = 0; k < 4; ++k) {
            line += jsonl ? kJsonKeys[k] : ",";
            AppendFloat(line, values[k], jsonl);
        }
        line += jsonl ? "}\n" : "\n";
        out << line;
    }
}

bool Flushed(std::ostream& out, ProgressDisplay& progress)
{
    if (out.flush())
        return true;
    const int error = errno;
    progress.Say(std::string(kSimProgram) + ": cannot write the output: " +
                 (error != 0 ? std::strerror(error) : "write error"));
    return false;
}

bool Flushed(std::ostream& out, std::ostream& err)
{
    ProgressDisplay none(err, false, 0);
    return Flushed(out, none);
}
