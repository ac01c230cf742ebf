// SPDX-License-Identifier: MIT
#pragma once

// A running Driftmote without a window: the particles, the four box texts as typed,
// the preset, the pause, the hovered and held particle with its grab offset, and the
// last pointer position in world units. Its operations are what a user does; the
// window and driftmote-sim are front ends that turn their input into these calls and
// show the state. Standard library only.

#include "GrabRules.h"
#include "ParticleSystem.h"
#include "Snapshot.h"
#include "SwarmParams.h"

#include <functional>
#include <string>
#include <string_view>

// What became of a typed text, an opened snapshot or a count.
enum class SessionResult {
    Done,     // in place
    Declined, // the front end answered no to the large-count question: nothing changed
    NoMemory, // the particles could not be allocated: nothing changed
    Stopped,  // the front end asked to stop while the work ran: nothing changed
    BadFile,  // the file could not be read or written, or is not a snapshot: nothing changed
};

class SwarmSession {
public:
    SwarmSession();

    // Asked before a count above kConfirmCountAbove is put in place (typed or opened);
    // true goes ahead. Unset, the answer is yes.
    std::function<bool(int count)> m_confirmLargeCount;

    // Asked now and then during long work (a scatter or a step of very many
    // particles); true abandons it, leaving the state as it was. Unset, never.
    std::function<bool()> m_shouldStop;

    // The start: three particles scattered, then preset 0's texts typed, the count first.
    SessionResult Start();

    // Types a whole new text into a box. A count is put in place with a new scatter
    // (a count above kConfirmCountAbove asks first, unless it is the one in use); a
    // coefficient is stored for the next frame. When the count is declined or cannot
    // be made, the box's text goes back to the text in use and nothing changes.
    SessionResult TypeText(ParamBox box, std::string_view text);

    // The Fun Presets, wrapping around: the row's four texts typed, the count first.
    SessionResult PresetPrev();
    SessionResult PresetNext();
    // Chooses a preset by its index, 0 to kPresetCount - 1, as if stepped to.
    SessionResult SelectPreset(int preset);

    // One frame: a step (unless paused), then the held particle follows the pointer.
    // False, with nothing changed, when m_shouldStop abandoned the step.
    bool Frame();
    // While paused, exactly one frame with its step; false (nothing done) otherwise.
    bool StepOneFrame();
    void SetPaused(bool paused);

    // The pointer in world units, with the time of its event in milliseconds from
    // any fixed moment (the front end's event time, never a clock read here). A move
    // with the left button up ends any hold whose release was lost; a press grabs
    // the hovered particle; a release lets it go with the pointer's speed over its
    // last movement (GrabRules.h: FlingVelocity), however many frames ran since.
    void PointerMove(float worldX, float worldY, bool leftButtonDown, double pickRadius, double timeMs);
    void PointerPress();
    void PointerRelease(double timeMs);

    // The step's thread count, as StepSettings::threads: 0 lets the step choose.
    int StepThreads() const { return m_particles.m_stepSettings.threads; }
    void SetStepThreads(int threads) { m_particles.m_stepSettings.threads = threads; }

    // The state a snapshot keeps: texts, preset, generator and particles.
    Snapshot CaptureSnapshot() const;
    // Puts a snapshot's state in place, all or nothing; the pause stays as it is.
    SessionResult RestoreSnapshot(const Snapshot& snapshot);
    // Snapshot files: written all or nothing; read strictly, asking the large-count
    // question before anything changes. `error` names the file.
    SessionResult SaveSnapshotFile(const std::string& path, std::string& error) const;
    SessionResult OpenSnapshotFile(const std::string& path, std::string& error);

    const ParticleSystem& Particles() const { return m_particles; }
    const std::string& Text(ParamBox box) const { return m_texts[static_cast<int>(box)]; }
    int Preset() const { return m_nPreset; }
    bool Paused() const { return m_bPaused; }
    int Hover() const { return m_nHover; }
    int Drag() const { return m_nDrag; }
    float MouseX() const { return m_fMouseX; }
    float MouseY() const { return m_fMouseY; }

private:
    // True when a count needs the front end's yes before it is put in place.
    bool AsksBeforeCount(int count) const;
    SessionResult SetParticleCount(int count);
    SessionResult ApplyPreset();
    void HoldDrag();

    ParticleSystem m_particles;
    std::string m_texts[kParamBoxCount]; // the boxes' texts as typed, in ParamBox order
    int m_nPreset = 0;                   // current preset, 0 to kPresetCount - 1
    bool m_bPaused = false;              // frames hold the dragged particle without stepping
    int m_nHover = -1;                   // particle under the pointer, -1 none
    int m_nDrag = -1;                    // particle being held, -1 none
    float m_fMouseX = 0.0f;              // last pointer position, world units
    float m_fMouseY = 0.0f;
    float m_fGrabDX = 0.0f;              // pointer minus particle position at the grab
    float m_fGrabDY = 0.0f;
    double m_dPointerTimeMs = 0.0;       // time of the last pointer move, milliseconds
    HeldMotion m_heldMotion;             // the held particle's last movement, for the fling
};
