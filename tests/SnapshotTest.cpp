// SPDX-License-Identifier: MIT
#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "Snapshot.h"
#include "SnapshotFile.h"
#include "SnapshotState.h"
#include "SwarmParams.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <string>
#include <vector>

#include <stdlib.h>

namespace {

std::uint32_t Bits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

const std::string kGood = R"({
  "format": "driftmote-snapshot",
  "version": 1,
  "texts": {"num": "2", "attraction": ".1", "repulsion": "0", "friction": "x"},
  "preset": 3,
  "random_state": 7,
  "count": 2,
  "particles": [
    [1.5, 2.5, 0.0, -0.0, 0.0],
    [3.0, null, "inf", "-inf", 1e-45]
  ]
})";

// The good document with its first `from` replaced by `to`.
std::string GoodWith(const std::string& from, const std::string& to)
{
    std::string text = kGood;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

Snapshot Sentinel()
{
    Snapshot s;
    s.texts[static_cast<int>(ParamBox::Num)] = "sentinel";
    s.preset = 2;
    s.randomState = 99;
    s.particles = {{9.0f, 8.0f, 7.0f, 6.0f, 5.0f}};
    return s;
}

void ExpectSame(const Snapshot& a, const Snapshot& b)
{
    for (int t = 0; t < kParamBoxCount; ++t)
        EXPECT_EQ(a.texts[t], b.texts[t]);
    EXPECT_EQ(a.preset, b.preset);
    EXPECT_EQ(a.randomState, b.randomState);
    ASSERT_EQ(a.particles.size(), b.particles.size());
    for (std::size_t i = 0; i < a.particles.size(); ++i) {
        const Particle& p = a.particles[i];
        const Particle& q = b.particles[i];
        const float pv[] = {p.x, p.y, p.vx, p.vy, p.reserved};
        const float qv[] = {q.x, q.y, q.vx, q.vy, q.reserved};
        for (int k = 0; k < 5; ++k) {
            if (std::isnan(pv[k]))
                EXPECT_TRUE(std::isnan(qv[k])) << "particle " << i << " value " << k;
            else
                EXPECT_EQ(Bits(pv[k]), Bits(qv[k])) << "particle " << i << " value " << k;
        }
    }
}

TEST(SnapshotRead, TheGoodDocumentReads)
{
    Snapshot s;
    std::string error;
    ASSERT_TRUE(ReadSnapshot(kGood, s, error)) << error;
    EXPECT_EQ(s.texts[static_cast<int>(ParamBox::Friction)], "x");
    EXPECT_EQ(s.preset, 3);
    EXPECT_EQ(s.randomState, 7u);
    ASSERT_EQ(s.particles.size(), 2u);
    EXPECT_EQ(Bits(s.particles[0].vy), 0x80000000u);
    EXPECT_TRUE(std::isnan(s.particles[1].y));
    EXPECT_EQ(s.particles[1].vx, std::numeric_limits<float>::infinity());
    EXPECT_EQ(s.particles[1].vy, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(Bits(s.particles[1].reserved), 1u);
}

const std::string kNotOurs = "not a Driftmote snapshot: ";

struct BadSnapshot {
    const char* what;
    std::string text;
    const char* message; // a part of the message that says what is wrong
};

TEST(SnapshotRead, BadDocumentsAreRefusedWithTheirReasonAndChangeNothing)
{
    const BadSnapshot cases[] = {
        {"empty", "", "not a Driftmote snapshot: not valid JSON at line 1, column 1"},
        {"not JSON", "driftmote", "not a Driftmote snapshot: not valid JSON"},
        {"cut short", kGood.substr(0, kGood.size() / 2), "not valid JSON at line 5"},
        {"text after the object", kGood + "x", "not valid JSON"},
        {"a NUL byte after the object", kGood + std::string("\0junk", 5), "a NUL byte at offset 274"},
        {"a NUL byte in a text", GoodWith("\"x\"", std::string("\"\0\"", 3)), "a NUL byte at offset 127"},
        {"a count the text cannot hold", GoodWith("\"count\": 2", "\"count\": 100"), "cannot fit in 276 bytes"},
        {"not an object", "[1, 2]", "not a Driftmote snapshot: the document is not a JSON object"},
        {"deeply nested", std::string(100000, '['), "not a Driftmote snapshot: the document is not a JSON object"},
        {"another format", GoodWith("driftmote-snapshot", "other"), "not a Driftmote snapshot: the format is \"other\""},
        {"no format", GoodWith("\"format\": \"driftmote-snapshot\",", ""),
         "not a Driftmote snapshot: field \"format\" is missing"},
        {"newer version", GoodWith("\"version\": 1", "\"version\": 2"), "version 2 is newer"},
        {"version zero", GoodWith("\"version\": 1", "\"version\": 0"), "version 0 is unknown"},
        {"version as text", GoodWith("\"version\": 1", "\"version\": \"1\""), "\"version\" is a string"},
        {"missing field", GoodWith("\"random_state\": 7,", ""), "\"random_state\" is missing"},
        {"unknown field", GoodWith("\"preset\"", "\"seed\": 1, \"preset\""), "unknown field \"seed\""},
        {"repeated field", GoodWith("\"preset\": 3", "\"preset\": 3, \"preset\": 1"), "\"preset\" appears twice"},
        {"preset as float", GoodWith("\"preset\": 3", "\"preset\": 3.0"), "\"preset\" is a number with"},
        {"preset out of range", GoodWith("\"preset\": 3", "\"preset\": 5"), "preset 5 is not one of 0 to 4"},
        {"negative generator state", GoodWith("\"random_state\": 7", "\"random_state\": -1"), "\"random_state\""},
        {"generator state too wide", GoodWith("\"random_state\": 7", "\"random_state\": 4294967296"),
         "above 4294967295"},
        {"text missing", GoodWith(", \"friction\": \"x\"", ""), "text \"friction\" is missing"},
        {"text as number", GoodWith("\"num\": \"2\"", "\"num\": 2"), "text \"num\" is an integer"},
        {"texts as array", GoodWith("\"texts\": {", "\"texts\": [1], \"t\": {"), "\"texts\" is an array"},
        {"count above the limit", GoodWith("\"count\": 2", "\"count\": 107374183"), "above the limit"},
        {"negative count", GoodWith("\"count\": 2", "\"count\": -2"), "count -2 is negative"},
        {"count larger than the array", GoodWith("\"count\": 2", "\"count\": 3"), "count is 3 but there are 2"},
        {"count smaller than the array", GoodWith("\"count\": 2", "\"count\": 1"),
         "count is 1 but there are more particles"},
        {"particles as object", GoodWith("\"particles\": [", "\"particles\": {}, \"x\": ["), "\"particles\" is an object"},
        {"particle not an array", GoodWith("[1.5, 2.5, 0.0, -0.0, 0.0]", "1.5"), "particle 0 is a number with"},
        {"four values", GoodWith("[1.5, 2.5, 0.0, -0.0, 0.0]", "[1.5, 2.5, 0.0, -0.0]"), "has 4 values instead of 5"},
        {"six values", GoodWith("[1.5, 2.5, 0.0, -0.0, 0.0]", "[1, 2, 3, 4, 5, 6]"), "has more than 5 values"},
        {"value as text", GoodWith("\"inf\"", "\"1\""), "particle 1 holds the string \"1\""},
        {"value as boolean", GoodWith("2.5", "true"), "particle 0 holds a boolean"},
        {"nested value", GoodWith("2.5", "[[2.5]]"), "particle 0 holds an array"},
        {"value beyond the float range", GoodWith("2.5", "1e39"), "1e39, which is outside the float range"},
        {"value below the float range", GoodWith("2.5", "1e-50"), "outside the float range"},
    };
    for (const BadSnapshot& c : cases) {
        SCOPED_TRACE(c.what);
        Snapshot out = Sentinel();
        std::string error;
        EXPECT_FALSE(ReadSnapshot(c.text, out, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        // Only a text whose format field does not name ours is said to be no snapshot.
        EXPECT_EQ(error.rfind(kNotOurs, 0), std::string(c.message).rfind(kNotOurs, 0)) << error;
        ExpectSame(out, Sentinel());
    }
}

TEST(SnapshotRead, EveryWrittenFloatReadsBackToItsBits)
{
    // Every 65521st bit pattern (a prime step reaches all exponents and many
    // mantissas), plus the values whose text is the hardest to get right.
    std::vector<float> values = {-0.0f, 0.0f, std::numeric_limits<float>::denorm_min(),
                                 -std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::min() / 3, std::numeric_limits<float>::max(),
                                 -std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(), 0.1f, 1.0f / 3, 16777217.0f};
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 65521)
        values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
    Snapshot written;
    written.texts[static_cast<int>(ParamBox::Num)] = "\"quoted\\\" \xC3\xA9 \t tab";
    written.texts[static_cast<int>(ParamBox::Friction)] = std::string("nul\0byte", 8);
    written.preset = 4;
    written.randomState = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < values.size(); ++i)
        written.particles.push_back({values[i], values[(i + 1) % values.size()], values[(i + 2) % values.size()],
                                     values[(i + 3) % values.size()], values[(i + 4) % values.size()]});
    const std::string text = WriteSnapshot(written);
    Snapshot read;
    std::string error;
    ASSERT_TRUE(ReadSnapshot(text, read, error)) << error;
    ExpectSame(written, read);
    EXPECT_EQ(WriteSnapshot(read), text);
}

TEST(SnapshotWrite, FloatsAreShortAndNaNIsNull)
{
    Snapshot s;
    s.particles = {{0.1f, -0.0f, std::numeric_limits<float>::quiet_NaN(), 5.0f, 1e-45f}};
    const std::string text = WriteSnapshot(s);
    EXPECT_NE(text.find("[0.1, -0.0, null, 5.0, 1e-45]"), std::string::npos) << text;
}

TEST(SnapshotState, AnEmptyStoreSavesAndLoads)
{
    ParticleSystem empty;
    Snapshot saved;
    CaptureParticles(empty, saved);
    ParticleSystem loaded;
    ASSERT_TRUE(loaded.SetCount(4));
    ASSERT_TRUE(ApplyParticles(saved, loaded));
    EXPECT_EQ(loaded.m_nCount, 0);
}

TEST(SnapshotState, LoadedReservedFieldsOutlastTheSteps)
{
    Snapshot saved;
    saved.particles = {{2.0f, 2.0f, 0.0f, 0.0f, 5.0f}, {8.0f, 8.0f, 0.0f, 0.0f, -1.0f}};
    ParticleSystem loaded;
    ASSERT_TRUE(ApplyParticles(saved, loaded));
    loaded.Step();
    Snapshot again;
    CaptureParticles(loaded, again);
    EXPECT_EQ(again.particles[0].reserved, 5.0f);
    EXPECT_EQ(again.particles[1].reserved, -1.0f);
}

using SnapshotFiles = TempFolderTest;

// The window runs in the user's locale: where the decimal point is a comma, a
// snapshot with fractions still writes the same text and reads back to its bits.
TEST_F(SnapshotFiles, ARoundTripUnderACommaLocaleKeepsEveryBit)
{
    Snapshot s = Sentinel();
    s.particles = {{5.2650886f, -0.5f, 1e-45f, 3.4028235e38f, 0.1f}, {1e-7f, 2.5e-3f, -0.0f, 4.75f, 0.0f}};
    const std::string inC = WriteSnapshot(s);
#ifdef _WIN32
    if (!std::setlocale(LC_ALL, "de-DE") && !std::setlocale(LC_ALL, "German_Germany.1252"))
        GTEST_SKIP() << "no German locale";
#else
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        // Most machines have the locale's source, not the locale: build it here.
        const std::string command = "localedef -i de_DE -f UTF-8 '" + Path("de_DE.UTF-8") + "' >/dev/null 2>&1";
        [[maybe_unused]] const int status = std::system(command.c_str());
        ::setenv("LOCPATH", m_dir.c_str(), 1);
        const bool set = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        ::unsetenv("LOCPATH");
        if (!set)
            GTEST_SKIP() << "no de_DE.UTF-8 locale, and localedef could not make one (Debian package locales)";
    }
#endif
    const bool comma = std::localeconv()->decimal_point == std::string(",");
    const std::string written = WriteSnapshot(s);
    Snapshot read;
    std::string error;
    const bool ok = ReadSnapshot(written, read, error);
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(comma);
    EXPECT_EQ(written, inC);
    ASSERT_TRUE(ok) << error;
    ExpectSame(read, s);
}

TEST_F(SnapshotFiles, BadFilesAreRefusedWithTheirName)
{
    std::ofstream(Path("bad.driftmote")) << GoodWith("\"version\": 1", "\"version\": 9");
    std::filesystem::create_directory(m_dir / "folder.driftmote");
    // A sparse file one byte over the limit: refused by its size, never read.
    { std::ofstream(Path("huge.driftmote")); }
    std::filesystem::resize_file(m_dir / "huge.driftmote", MaxSnapshotBytes() + 1);
    // The parser takes a NUL byte for the end of its input, here as in a text.
    std::ofstream(Path("nul after.driftmote"), std::ios::binary) << kGood + std::string("\0junk", 5);
    std::ofstream(Path("nul inside.driftmote"), std::ios::binary) << GoodWith("\"x\"", std::string("\"\0\"", 3));
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"bad.driftmote", "version 9 is newer"},
        {"nul after.driftmote", "a NUL byte at offset 274"},
        {"nul inside.driftmote", "a NUL byte at offset 127"},
        {"folder.driftmote", "not a regular file"},
        {"huge.driftmote", "larger than a snapshot can be"},
        {"absent.driftmote", "No such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Snapshot out = Sentinel();
        std::string error;
        EXPECT_FALSE(LoadSnapshotFile(Path(c.name), out, error));
        EXPECT_EQ(error.rfind(Path(c.name) + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        ExpectSame(out, Sentinel());
    }
}

TEST_F(SnapshotFiles, AFileFarLargerThanAReadBlockReadsWhole)
{
    Snapshot large = Sentinel();
    large.particles.assign(6000, Particle{1.25f, -0.5f, 1e-45f, 3.0f, 0.0f});
    large.particles.back().x = 7.5f;
    std::ofstream(Path("large.driftmote"), std::ios::binary) << WriteSnapshot(large);
    Snapshot read;
    std::string error;
    ASSERT_TRUE(LoadSnapshotFile(Path("large.driftmote"), read, error)) << error;
    ExpectSame(read, large);
}

TEST(SnapshotRead, AReadThatFailsIsRefusedWithTheSystemsReason)
{
    struct FailingBytes : std::streambuf {
        int_type underflow() override { throw std::ios_base::failure("read", std::error_code(EIO, std::system_category())); }
    } bytes;
    std::istream in(&bytes);
    Snapshot out = Sentinel();
    std::string error;
    EXPECT_FALSE(ReadSnapshot(in, 1000, out, error));
    EXPECT_EQ(error, std::string("cannot be read: ") + std::strerror(EIO));
    ExpectSame(out, Sentinel());
}

} // namespace
