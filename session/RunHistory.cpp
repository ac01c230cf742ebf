// SPDX-License-Identifier: MIT
#include "RunHistory.h"

RunHistory::RunHistory(RunLink link) : m_link(std::move(link)) {}

void RunHistory::Scattered()
{
    m_link.frames = 0;
    if (!m_forever)
        m_broken.clear();
}

void RunHistory::Typed(const SwarmSession& session, ParamBox box, SessionResult result)
{
    // A declined count has typed the count in use back, which rescatters as well.
    if (result != SessionResult::Done && result != SessionResult::Declined)
        return;
    const std::string& text = session.Text(box);
    if (box == ParamBox::Num) {
        m_link.steps.push_back({false, box, text, 0});
        Scattered();
        return;
    }
    if (m_link.frames > 0 && m_broken.empty())
        m_broken = "the texts changed while the particles moved";
    // Keystrokes in one box with nothing between them: only the last text counts.
    if (!m_link.steps.empty() && !m_link.steps.back().isPreset && m_link.steps.back().box == box)
        m_link.steps.back().text = text;
    else
        m_link.steps.push_back({false, box, text, 0});
}

void RunHistory::PresetChosen(const SwarmSession& session, SessionResult result)
{
    if (result == SessionResult::Done) {
        m_link.steps.push_back({true, ParamBox::Num, {}, session.Preset()});
        Scattered();
    } else if (result == SessionResult::Declined) {
        // The row stopped at its count, which went back to the count in use, and
        // the preset moved on without its texts: no option gives that.
        Typed(session, ParamBox::Num, result);
        m_broken = "a preset's count was declined";
        m_forever = true;
    }
}

void RunHistory::Stepped(long long frames)
{
    m_link.frames += frames;
}

void RunHistory::Grabbed()
{
    if (m_broken.empty())
        m_broken = "a particle was moved by hand";
}

void RunHistory::SnapshotOpened()
{
    m_broken = "the state comes from a snapshot file";
    m_forever = true;
}

std::optional<RunLink> RunHistory::Link(std::string& why) const
{
    why = m_broken;
    if (!m_broken.empty())
        return std::nullopt;
    return m_link;
}
