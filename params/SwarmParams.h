// SPDX-License-Identifier: MIT
#pragma once

// The window-free side of the main dialog's controls: how the edit-box texts
// become simulation parameters, the preset table and the window's start. Shared
// by the window, the headless driftmote-sim, the tests and the benchmarks.

#include <cstddef>
#include <functional>
#include <string_view>

class ParticleSystem;

// Counts above this ask the user for confirmation first (350 itself does not).
inline constexpr int kConfirmCountAbove = 350;

// An edit box is read into a 32-byte buffer: only its first 30 characters count.
inline constexpr std::size_t kEditTextLimit = 30;

// The count box: leading white space skipped, then the longest leading integer
// (with an optional sign, ASCII digits only); text without one reads as 0. Values
// beyond the int range saturate at their limits.
int CountFromText(std::string_view text);

// A coefficient box: the longest leading decimal number (no hexadecimal, infinity
// or NaN spellings), correctly rounded to double whatever the locale, then rounded
// to single precision. Text without a leading decimal number reads as 0.
float CoefficientFromText(std::string_view text);

// The texts of the four boxes, in the order they are set.
struct PresetTexts {
    const char* num;
    const char* attraction;
    const char* repulsion;
    const char* friction;
};

inline constexpr int kPresetCount = 5;

// The five "Fun Presets"; row 0 is also what the window starts with.
inline constexpr PresetTexts kPresets[kPresetCount] = {
    {"67", ".00009", ".00002", ".023"},
    {"128", "-.04", "-.01", ".3"},
    {"32", "-2", "0", ".7"},
    {"44", ".00001", ".00001", "0"},
    {"111", "0", ".0001", "0"},
};

// Stepping below 0 wraps to 4 and above 4 to 0.
int WrapPreset(int preset);

// The row for a preset index; any index other than 1 to 4 uses row 0.
const PresetTexts& PresetRow(int preset);

// The four boxes, in the order a row's texts are typed into them.
enum class ParamBox { Num, Attraction, Repulsion, Friction };
inline constexpr int kParamBoxCount = 4;

// Types one text into one box, as the window's boxes are typed into. Returns
// false to stop.
using TypeText = std::function<bool(ParamBox box, std::string_view text)>;

// Types a row's four texts, the count first, so that a row always rescatters the
// particles, even when its count is the one in use. Stops at the first refusal.
bool TypeRow(const PresetTexts& row, const TypeText& type);

// The window's start: this many particles scattered, then preset 0's texts typed.
// The start's particles are replaced at once, but their scatter has already drawn
// from the random sequence, so the first picture depends on it.
inline constexpr int kStartCount = 3;

// A coefficient's text as the window's change handlers take it: stored in the
// store's coefficient for that box (the count box has none).
void ApplyCoefficient(ParticleSystem& particles, ParamBox box, std::string_view text);

// The scatter of every new count: the particles of the store in the disc of radius
// 5 about the centre of the box, 0.3 apart, at rest. False when the store's
// m_shouldStop abandoned it.
bool ScatterNewCount(ParticleSystem& particles);
