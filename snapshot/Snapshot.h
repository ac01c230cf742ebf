// SPDX-License-Identifier: MIT
#pragma once

// A snapshot: everything needed to continue a run exactly where it stood — the
// four edit texts as typed, the preset index, the random generator's state and
// every particle. WriteSnapshot and ReadSnapshot turn it into the JSON text of a
// .driftmote file and back (docs/snapshot-format.md describes the format).

#include "Particle.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The format name and the one version this program writes and reads.
inline constexpr std::string_view kSnapshotFormatName = "driftmote-snapshot";
inline constexpr int kSnapshotVersion = 1;

// The largest count the particle store can hold: each of its arrays stays within a
// signed 32-bit byte size.
inline constexpr int kMaxSnapshotCount = INT_MAX / static_cast<int>(sizeof(Particle));

// Presets run from 0 to this minus 1.
inline constexpr int kSnapshotPresetCount = 5;

// Longer texts are refused unread: a file of the largest count written one particle
// to a line stays far below this, even with generous white space.
inline constexpr std::size_t kMaxSnapshotBytes =
    (std::size_t{1} << 20) + static_cast<std::size_t>(kMaxSnapshotCount) * 128;

// The edit boxes, in the order the window sets them.
enum SnapshotText { kTextNum, kTextAttraction, kTextRepulsion, kTextFriction, kSnapshotTextCount };

struct Snapshot {
    std::string texts[kSnapshotTextCount]; // the four edit texts, exactly as typed (UTF-8)
    int preset = 0;                        // the preset index, 0 to 4
    std::uint32_t randomState = 1;         // the portable generator's state (1 at start-up)
    std::vector<Particle> particles;       // the current array; its size is the count
};

// The JSON text of a snapshot. Every float is written as the shortest decimal that
// reads back as the same float, always with a point or an exponent (so -0 stays
// -0.0); NaN is written as null and infinities as the strings "inf" and "-inf".
// Text bytes that are not UTF-8 are written as U+FFFD.
std::string WriteSnapshot(const Snapshot& snapshot);

// Reads the JSON text of a snapshot. Anything that is not exactly the format —
// not JSON, another format name or a newer version, a missing, unknown, repeated or
// mistyped field, a count above kMaxSnapshotCount, a particle array whose length is
// not the count, a particle value that is neither a float nor null nor "inf"/"-inf",
// a text longer than kMaxSnapshotBytes — is refused: the result is false, `error`
// says what is wrong and `out` is left as it was. A null reads as the quiet NaN.
bool ReadSnapshot(std::string_view text, Snapshot& out, std::string& error);
