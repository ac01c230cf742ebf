// SPDX-License-Identifier: MIT
#pragma once

// A snapshot: everything needed to continue a run exactly where it stood — the
// four edit texts as typed, the preset index, the random generator's state and
// every particle. WriteSnapshot and ReadSnapshot turn it into the JSON text of a
// .driftmote file and back (docs/snapshot-format.md describes the format).

#include "ParticleSystem.h"
#include "SwarmParams.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The format name and the one version this program writes and reads.
inline constexpr std::string_view kSnapshotFormatName = "driftmote-snapshot";
inline constexpr int kSnapshotVersion = 1;

// Longer texts are refused unread: a file of the largest count written one particle
// to a line stays far below this, even with generous white space.
inline constexpr std::size_t kMaxSnapshotBytes =
    (std::size_t{1} << 20) + static_cast<std::size_t>(ParticleSystem::kMaxCount) * 128;

struct Snapshot {
    std::string texts[kParamBoxCount];     // the four box texts as typed (UTF-8), in ParamBox order
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
// mistyped field, a count above ParticleSystem::kMaxCount, a particle array whose length is
// not the count, a particle value that is neither a float nor null nor "inf"/"-inf",
// a text longer than kMaxSnapshotBytes — is refused: the result is false, `error`
// says what is wrong and `out` is left as it was. A null reads as the quiet NaN.
bool ReadSnapshot(std::string_view text, Snapshot& out, std::string& error);
