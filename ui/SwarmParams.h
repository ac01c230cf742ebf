#pragma once

// The window-free side of the main dialog's controls: how the edit-box texts
// become simulation parameters, the start texts and the preset table. Shared by
// the window and by the headless driftmote-sim.

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

// Resizes the store to `count` particles and scatters them in the disc of radius 5
// about the centre of the box, 0.3 apart, at rest. Returns false when the arrays
// for that count cannot be allocated (the store is then empty).
bool ResizeAndScatter(ParticleSystem& particles, int count);
