// SPDX-License-Identifier: MIT
#pragma once

// What a front end has done to a session since its start, kept as a link that
// replays it (RunLink.h), as long as one can: the texts typed and the presets
// chosen, and the frames stepped since the last scatter. A scatter depends only on
// the generator and the count, so whatever happened to the particles before it
// leaves no trace after it; between two scatters, though, a coefficient typed after
// frames have run, or a particle grabbed, makes a state no link can replay until
// the next scatter. An opened snapshot brings a generator state of its own, which
// no link can give.

#include "RunLink.h"

#include <optional>
#include <string>

class RunHistory {
public:
    // A session started from `link` (or, by default, as a program starts) and
    // stepped link.frames frames.
    explicit RunHistory(RunLink link = {});

    // Each after the session call it follows, with its result.
    void Typed(const SwarmSession& session, ParamBox box, SessionResult result);
    void PresetChosen(const SwarmSession& session, SessionResult result);
    void Stepped(long long frames = 1);
    void Grabbed();
    void SnapshotOpened();

    // The link to this state; empty when none can replay it, with `why` saying so.
    std::optional<RunLink> Link(std::string& why) const;

private:
    void Scattered();

    RunLink m_link;
    std::string m_broken; // why no link replays the state, empty while one does
    bool m_forever = false; // m_broken outlives the next scatter
};
