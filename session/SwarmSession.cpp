// SPDX-License-Identifier: MIT
#include "SwarmSession.h"

#include "AtomicFile.h"
#include "RandomUnit.h"
#include "SnapshotFile.h"
#include "SnapshotState.h"

#include <cstdint>
#include <string>

SwarmSession::SwarmSession()
{
    // A step of very many particles asks the front end too.
    m_particles.m_shouldStop = [this] { return m_shouldStop && m_shouldStop(); };
}

SessionResult SwarmSession::Start()
{
    m_nPreset = 0;
    const bool started = SetParticleCount(kStartCount) == SessionResult::Done &&
                         TypeRow(kPresets[0], [this](ParamBox box, std::string_view text) {
                             return TypeText(box, text) == SessionResult::Done;
                         });
    return started ? SessionResult::Done : SessionResult::NoMemory;
}

bool SwarmSession::AsksBeforeCount(int count) const
{
    // The count already in use is not asked about again: declining a larger one puts
    // it back in the box, and asking then would leave no way to say No.
    return count > kConfirmCountAbove && count != m_particles.m_nCount;
}

SessionResult SwarmSession::TypeText(ParamBox box, std::string_view text)
{
    if (box != ParamBox::Num) {
        ApplyCoefficient(m_particles, box, text);
        m_texts[static_cast<int>(box)] = text;
        return SessionResult::Done;
    }
    const int count = CountFromText(text);
    if (AsksBeforeCount(count) && m_confirmLargeCount && !m_confirmLargeCount(count)) {
        // No types the count in use back into the box, which rescatters it as any
        // typed count does.
        TypeText(ParamBox::Num, std::to_string(m_particles.m_nCount));
        return SessionResult::Declined;
    }
    const SessionResult result = SetParticleCount(count);
    if (result == SessionResult::Done)
        m_texts[static_cast<int>(ParamBox::Num)] = text;
    return result;
}

SessionResult SwarmSession::SetParticleCount(int count)
{
    // The new particles are made beside the old ones, which stay in place until the
    // new ones are complete: a count that cannot be allocated changes nothing.
    ParticleSystem fresh;
    if (!fresh.SetCount(count))
        return SessionResult::NoMemory;
    // A scatter abandoned half way leaves the generator as it was, too.
    const std::uint32_t generator = PortableRandState();
    fresh.m_shouldStop = m_shouldStop;
    if (!ScatterNewCount(fresh)) {
        SetPortableRandState(generator);
        return SessionResult::Stopped;
    }
    m_particles.SwapParticles(fresh);
    // No index may outlive the particles it pointed at.
    m_nHover = -1;
    m_nDrag = -1;
    return SessionResult::Done;
}

SessionResult SwarmSession::PresetPrev()
{
    --m_nPreset;
    return ApplyPreset();
}

SessionResult SwarmSession::PresetNext()
{
    ++m_nPreset;
    return ApplyPreset();
}

SessionResult SwarmSession::SelectPreset(int preset)
{
    m_nPreset = preset;
    return ApplyPreset();
}

SessionResult SwarmSession::ApplyPreset()
{
    m_nPreset = WrapPreset(m_nPreset);
    SessionResult result = SessionResult::Done;
    TypeRow(PresetRow(m_nPreset), [this, &result](ParamBox box, std::string_view text) {
        result = TypeText(box, text);
        return result == SessionResult::Done;
    });
    return result;
}

bool SwarmSession::Frame()
{
    if (!m_bPaused && !m_particles.Step())
        return false;
    HoldDrag();
    return true;
}

bool SwarmSession::StepOneFrame()
{
    if (!m_bPaused || !m_particles.Step())
        return false;
    HoldDrag();
    return true;
}

void SwarmSession::SetPaused(bool paused)
{
    m_bPaused = paused;
}

void SwarmSession::HoldDrag()
{
    if (!IsParticleIndex(m_nDrag, m_particles.m_nCount))
        return;
    Particle& held = m_particles.m_pCur[m_nDrag];
    HoldDragged(held, m_fMouseX, m_fMouseY, m_fGrabDX, m_fGrabDY);
    TrackHeldFrame(m_heldMotion, held.x, held.y);
}

void SwarmSession::PointerMove(float worldX, float worldY, bool leftButtonDown, double pickRadius, double timeMs)
{
    // A drag whose release went elsewhere (a menu that opened meanwhile) ends at the
    // first move without the button.
    if (m_nDrag != -1 && !leftButtonDown)
        m_nDrag = -1;
    m_fMouseX = worldX;
    m_fMouseY = worldY;
    m_dPointerTimeMs = timeMs;
    m_nHover = HoverIndex(m_nDrag, m_particles.m_pCur, m_particles.m_nCount, m_fMouseX, m_fMouseY, pickRadius);
}

void SwarmSession::PointerPress()
{
    // The grab works from the last move's position and hover, not the press's point.
    m_nDrag = IsParticleIndex(m_nHover, m_particles.m_nCount) ? m_nHover : -1;
    if (m_nDrag == -1)
        return;
    GrabOffset(m_particles.m_pCur[m_nDrag], m_fMouseX, m_fMouseY, m_fGrabDX, m_fGrabDY);
    m_heldMotion = StartHeldMotion(m_fMouseX, m_fMouseY, m_fGrabDX, m_fGrabDY);
}

void SwarmSession::PointerRelease(double timeMs)
{
    if (IsParticleIndex(m_nDrag, m_particles.m_nCount)) {
        Particle& held = m_particles.m_pCur[m_nDrag];
        FlingVelocity(m_heldMotion, timeMs, m_dPointerTimeMs, held.vx, held.vy);
    }
    // The highlight stays on the particle until the pointer moves.
    m_nDrag = -1;
}

Snapshot SwarmSession::CaptureSnapshot() const
{
    Snapshot snapshot;
    for (int i = 0; i < kParamBoxCount; ++i)
        snapshot.texts[i] = m_texts[i];
    snapshot.preset = m_nPreset;
    CaptureParticles(m_particles, snapshot);
    return snapshot;
}

SessionResult SwarmSession::RestoreSnapshot(const Snapshot& snapshot)
{
    if (!ApplyParticles(snapshot, m_particles))
        return SessionResult::NoMemory;
    // The coefficients are read from the texts as typing them would; the count is
    // the particles' own, with no rescatter.
    for (int i = 0; i < kParamBoxCount; ++i)
        m_texts[i] = snapshot.texts[i];
    for (ParamBox box : {ParamBox::Attraction, ParamBox::Repulsion, ParamBox::Friction})
        ApplyCoefficient(m_particles, box, Text(box));
    m_nPreset = snapshot.preset;
    m_nHover = -1;
    m_nDrag = -1;
    return SessionResult::Done;
}

SessionResult SwarmSession::SaveSnapshotFile(const std::string& path, std::string& error) const
{
    return SaveFileAtomically(path, WriteSnapshot(CaptureSnapshot()), error) ? SessionResult::Done
                                                                              : SessionResult::BadFile;
}

SessionResult SwarmSession::OpenSnapshotFile(const std::string& path, std::string& error)
{
    Snapshot snapshot;
    if (!LoadSnapshotFile(path, snapshot, error))
        return SessionResult::BadFile;
    const int count = static_cast<int>(snapshot.particles.size());
    if (AsksBeforeCount(count) && m_confirmLargeCount && !m_confirmLargeCount(count))
        return SessionResult::Declined;
    if (RestoreSnapshot(snapshot) != SessionResult::Done) {
        error = path + ": there is not enough memory for " + std::to_string(count) + " particles";
        return SessionResult::NoMemory;
    }
    return SessionResult::Done;
}
