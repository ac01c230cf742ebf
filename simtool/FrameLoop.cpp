// SPDX-License-Identifier: MIT
#include "SimCli.h"
#include "SimRun.h"
#include "StateText.h"

#include <cerrno>
#include <ostream>

int StoppedStatus()
{
    return 128 + g_simCliStop;
}

int RunFrames(SwarmSession& session, const Options& options, std::ostream& out, const Terminal& terminal,
              const ShownFrame& shown)
{
    const ParticleSystem& particles = session.Particles();
    const FrameChoice& choice = options.shown;
    auto next = choice.list.begin();
    errno = 0;
    if (choice.printed && !options.jsonl)
        out << kCsvHeader;
    if (!Flushed(out, terminal.err))
        return 1;
    ProgressDisplay progress(terminal.err, terminal.progress, options.frames, terminal.now);
    for (long long frame = 0;; ++frame) {
        if (choice.all || (next != choice.list.end() && *next == frame)) {
            if (next != choice.list.end())
                ++next;
            if (choice.printed) {
                errno = 0;
                WriteState(out, frame, particles, options.jsonl);
                if (!Flushed(out, progress))
                    return 1;
            }
            if (const std::string failure = shown(frame); !failure.empty()) {
                progress.Say(failure);
                return 1;
            }
        }
        if (frame == options.frames)
            break;
        if (g_simCliStop != 0)
            return StoppedStatus();
        session.Frame();
        progress.Update(frame + 1);
    }
    return 0;
}
