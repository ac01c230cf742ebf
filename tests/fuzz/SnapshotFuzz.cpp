// SPDX-License-Identifier: MIT
// The snapshot reader over any bytes: they are refused or read, and what is read
// writes back to a text that reads as the same snapshot, bit for bit (a NaN as
// the same NaN), and writes again to the same text.

#include "FuzzCheck.h"
#include "Snapshot.h"

#include <bit>
#include <cstdint>
#include <string>

namespace {

bool SameBits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

bool SameSnapshot(const Snapshot& a, const Snapshot& b)
{
    for (int t = 0; t < kParamBoxCount; ++t)
        if (a.texts[t] != b.texts[t])
            return false;
    if (a.preset != b.preset || a.randomState != b.randomState || a.particles.size() != b.particles.size())
        return false;
    for (std::size_t i = 0; i < a.particles.size(); ++i) {
        const Particle& p = a.particles[i];
        const Particle& q = b.particles[i];
        if (!SameBits(p.x, q.x) || !SameBits(p.y, q.y) || !SameBits(p.vx, q.vx) || !SameBits(p.vy, q.vy) ||
            !SameBits(p.reserved, q.reserved))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Snapshot first;
    first.texts[static_cast<int>(ParamBox::Num)] = "untouched";
    first.randomState = 12345;
    const Snapshot before = first;
    std::string error;
    if (!ReadSnapshot(text, first, error)) {
        FUZZ_REQUIRE(!error.empty(), "refused without a reason");
        FUZZ_REQUIRE(SameSnapshot(first, before), "a refused text changed the snapshot");
        return 0;
    }
    const std::string written = WriteSnapshot(first);
    Snapshot second;
    FUZZ_REQUIRE(ReadSnapshot(written, second, error), "what was read does not read back: %s\n%s", error.c_str(),
                 written.c_str());
    FUZZ_REQUIRE(SameSnapshot(first, second), "read, written and read again differs:\n%s", written.c_str());
    FUZZ_REQUIRE(WriteSnapshot(second) == written, "the second writing differs from the first");
    return 0;
}
