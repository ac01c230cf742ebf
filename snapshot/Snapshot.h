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
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// The format name and the one version this program writes and reads.
inline constexpr std::string_view kSnapshotFormatName = "driftmote-snapshot";
inline constexpr int kSnapshotVersion = 1;

// Loading a particle takes this much memory: the snapshot's own array and the
// particle store's two.
inline constexpr std::size_t kSnapshotLoadBytesPerParticle = 3 * sizeof(Particle);

// The largest count this machine can load: ParticleSystem::kMaxCount, or fewer where the
// physical memory cannot hold kSnapshotLoadBytesPerParticle for each. A larger
// count is refused as soon as it is read, before anything is allocated for it.
int MaxLoadableSnapshotCount();

// Longer texts are refused unread: 1 MiB plus 128 bytes for each particle of the
// largest loadable count, far more than a file written one particle to a line
// needs, even with generous white space.
std::uint64_t MaxSnapshotBytes();


struct Snapshot {
    std::string texts[kParamBoxCount];     // the four box texts as typed (UTF-8), in ParamBox order
    int preset = 0;                        // the preset index, 0 to 4
    std::uint32_t randomState = 1;         // the portable generator's state (1 at start-up)
    std::vector<Particle> particles;       // the current array; its size is the count
};

// The JSON text of a snapshot. Every float is written as the shortest decimal that
// reads back as the same float, always with a point or an exponent (so -0 stays
// -0.0); NaN is written as null and infinities as the strings "inf" and "-inf".
// Text bytes that are not UTF-8 are written as U+FFFD. The text is the same in
// every locale.
std::string WriteSnapshot(const Snapshot& snapshot);

// Reads the JSON text of a snapshot, as a stream: the first byte that cannot
// belong to a snapshot ends the reading, and nothing but the particles is kept.
// Anything that is not exactly the format — not JSON, bytes after the document
// (a NUL byte anywhere included), another format name or a newer version, a
// missing, unknown, repeated or mistyped field, a count above ParticleSystem::kMaxCount or
// MaxLoadableSnapshotCount() or more than the text could hold, a particle array
// whose length is not the count, a particle value that is neither a float nor null
// nor "inf"/"-inf", a text longer than MaxSnapshotBytes() — is refused: the result
// is false, `error` says what is wrong and `out` is left as it was. A null reads as
// the quiet NaN. Numbers are read the same in every locale.
bool ReadSnapshot(std::string_view text, Snapshot& out, std::string& error);

// The same from a stream of `size` bytes (a file's), read from where it stands to
// its end; a read that fails is refused with the system's reason.
bool ReadSnapshot(std::istream& in, std::uint64_t size, Snapshot& out, std::string& error);
