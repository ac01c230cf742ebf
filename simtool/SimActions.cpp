// SPDX-License-Identifier: MIT
#include "SimCli.h"
#include "SimRun.h"

#include <ostream>

namespace {

// Scatters of this many particles or more take long enough (a second or more)
// that a terminal is told what is going on.
constexpr int kScatterNoticeFrom = 1000000;

// Runs one session call that may scatter very many particles, showing a notice on
// the terminal meanwhile. False (after saying why) when the particles for the new
// count cannot be made.
bool Scattering(int count, const Terminal& terminal, const std::function<SessionResult()>& call)
{
    const bool notice = terminal.progress && count >= kScatterNoticeFrom;
    if (notice)
        terminal.err << Redrawn("scattering " + std::to_string(count) + " particles...") << std::flush;
    // The scatter is one long call: a stop request ends the program at once
    // here, as nothing has been printed yet.
    g_simCliBusy = 1;
    const SessionResult result = call();
    g_simCliBusy = 0;
    if (notice)
        terminal.err << kEraseLine << std::flush;
    if (result == SessionResult::NoMemory)
        terminal.err << kSimProgram << ": cannot allocate the arrays for " << count << " particles\n";
    return result == SessionResult::Done;
}

} // namespace

bool ApplyActions(SwarmSession& session, const std::vector<Action>& actions, const Terminal& terminal)
{
    for (const Action& action : actions) {
        if (action.kind == Action::Edit) {
            const int count = action.box == ParamBox::Num ? CountFromText(action.text) : 0;
            if (!Scattering(count, terminal, [&] { return session.TypeText(action.box, action.text); }))
                return false;
        } else if (action.kind == Action::Preset) {
            const int count = CountFromText(PresetRow(action.preset).num);
            if (!Scattering(count, terminal, [&] { return session.SelectPreset(action.preset); }))
                return false;
        } else {
            std::string error;
            if (session.OpenSnapshotFile(action.text, error) != SessionResult::Done) {
                terminal.err << kSimProgram << ": " << error << '\n';
                return false;
            }
        }
    }
    return true;
}
