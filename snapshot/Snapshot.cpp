// SPDX-License-Identifier: MIT
#include "Snapshot.h"

#include "FloatChars.h"
#include "MachineMemory.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <optional>
#include <limits>
#include <system_error>

namespace {

using Json = nlohmann::ordered_json;

const char* const kTextKeys[kParamBoxCount] = {"num", "attraction", "repulsion", "friction"};

// The top-level fields, in the order they are written.
enum Field { kFormat, kVersion, kTexts, kPreset, kRandomState, kCount, kParticles, kFieldCount };
const char* const kFieldKeys[kFieldCount] = {"format", "version", "texts", "preset",
                                             "random_state", "count", "particles"};

constexpr int kValuesPerParticle = 5;

// The shortest text of a particle, "[0,0,0,0,0]" and a comma: a text of n bytes
// holds at most (n + 1) / 12 particles.
constexpr std::uint64_t kMinParticleTextBytes = 12;

std::string Quoted(std::string_view text)
{
    return Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The shortest decimal that reads back as the same float, made a float literal
// (with a point or an exponent) so that a JSON reader keeps the sign of -0.
void AppendFloat(std::string& out, float value)
{
    if (std::isnan(value)) {
        out += "null";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "\"-inf\"" : "\"inf\"";
        return;
    }
    char buffer[32];
    const std::to_chars_result r = ShortestFloatChars(buffer, buffer + sizeof buffer, value);
    const std::string_view digits(buffer, static_cast<std::size_t>(r.ptr - buffer));
    out += digits;
    if (digits.find_first_of(".e") == std::string_view::npos)
        out += ".0";
}

// Reads a snapshot as the parser walks the document, so that the particles go
// straight into their array (five floats each) and nothing else is kept. Any event
// the format does not allow stops the walk with a message.
class SnapshotReader : public nlohmann::json_sax<Json> {
public:
    SnapshotReader(std::uint64_t size, int maxCount) : m_size(size), m_maxCount(maxCount) {}

    Snapshot result;
    std::string error;
    bool seen[kFieldCount] = {};
    long long count = -1;
    bool isSnapshot = false;  // the format field has named this format
    std::uint64_t errorByte = 0; // where the parser found bad JSON: 1 for the first byte

    bool null() override
    {
        if (InParticle())
            return Particle(std::numeric_limits<float>::quiet_NaN());
        return Scalar("null");
    }

    bool boolean(bool) override { return Scalar("a boolean"); }

    bool number_integer(number_integer_t value) override
    {
        if (InParticle())
            return Particle(static_cast<float>(value));
        if (m_depth == 1 && (m_field == kVersion || m_field == kPreset || m_field == kCount))
            return Integer(value);
        return Scalar("a negative integer");
    }

    bool number_unsigned(number_unsigned_t value) override
    {
        if (InParticle())
            return Particle(static_cast<float>(value));
        if (m_depth == 1 && m_field == kRandomState) {
            if (value > std::numeric_limits<std::uint32_t>::max())
                return Fail("field \"random_state\" is above 4294967295");
            result.randomState = static_cast<std::uint32_t>(value);
            return true;
        }
        if (m_depth == 1 && (m_field == kVersion || m_field == kPreset || m_field == kCount))
            return Integer(value > static_cast<number_unsigned_t>(LLONG_MAX) ? LLONG_MAX
                                                                             : static_cast<long long>(value));
        return Scalar("an integer");
    }

    bool number_float(number_float_t, const string_t& text) override
    {
        if (!InParticle())
            return Scalar("a number with a fraction or exponent");
        // The parser hands over the number with the point it found replaced by the
        // locale's decimal point (a comma under de_DE): put the point back, then read
        // the text as written, in no locale.
        std::string number = text;
        for (char& c : number) {
            if ((c < '0' || c > '9') && c != '-' && c != '+' && c != 'e' && c != 'E')
                c = '.';
        }
        float value = 0.0f;
        const char* end = number.data() + number.size();
        const std::from_chars_result r = FloatFromChars(number.data(), end, value);
        if (r.ec != std::errc() || r.ptr != end)
            return Fail(ParticleName() + " holds " + number + ", which is outside the float range");
        return Particle(value);
    }

    bool string(string_t& text) override
    {
        if (InParticle()) {
            if (text == "inf")
                return Particle(std::numeric_limits<float>::infinity());
            if (text == "-inf")
                return Particle(-std::numeric_limits<float>::infinity());
            return Fail(ParticleName() + " holds the string " + Quoted(text) +
                        " (only numbers, null, \"inf\" and \"-inf\" are allowed)");
        }
        if (m_depth == 2 && m_inTexts) {
            result.texts[m_text] = text;
            return true;
        }
        if (m_depth == 1 && m_field == kFormat) {
            if (text != kSnapshotFormatName)
                return Fail("the format is " + Quoted(text) + ", not \"driftmote-snapshot\"");
            isSnapshot = true;
            return true;
        }
        return Scalar("a string");
    }

    bool binary(binary_t&) override { return Scalar("binary data"); }

    bool start_object(std::size_t) override
    {
        if (m_depth == 0) {
            ++m_depth;
            return true;
        }
        if (m_depth == 1 && m_field == kTexts) {
            m_inTexts = true;
            ++m_depth;
            return true;
        }
        return Scalar("an object");
    }

    bool key(string_t& name) override
    {
        if (m_depth == 1) {
            int field = 0;
            while (field < kFieldCount && name != kFieldKeys[field])
                ++field;
            if (field == kFieldCount)
                return Fail("unknown field " + Quoted(name));
            if (seen[field])
                return Fail("field " + Quoted(name) + " appears twice");
            seen[field] = true;
            m_field = static_cast<Field>(field);
            return true;
        }
        // Only the texts object has keys below the top.
        int text = 0;
        while (text < kParamBoxCount && name != kTextKeys[text])
            ++text;
        if (text == kParamBoxCount)
            return Fail("unknown text " + Quoted(name) + " in \"texts\"");
        if (m_textSeen[text])
            return Fail("text " + Quoted(name) + " appears twice in \"texts\"");
        m_textSeen[text] = true;
        m_text = text;
        return true;
    }

    bool end_object() override
    {
        --m_depth;
        if (m_depth == 1) {
            m_inTexts = false;
            for (int text = 0; text < kParamBoxCount; ++text) {
                if (!m_textSeen[text])
                    return Fail(std::string("text \"") + kTextKeys[text] + "\" is missing from \"texts\"");
            }
        }
        return true;
    }

    bool start_array(std::size_t) override
    {
        if (m_depth == 1 && m_field == kParticles) {
            m_inParticles = true;
            ++m_depth;
            return true;
        }
        if (m_depth == 2 && m_inParticles) {
            // Never more particles than the count (once read) or the limit.
            if (count >= 0 && result.particles.size() >= static_cast<std::size_t>(count))
                return Fail("the count is " + std::to_string(count) + " but there are more particles");
            if (result.particles.size() >= static_cast<std::size_t>(m_maxCount))
                return Fail("more than " + std::to_string(m_maxCount) + " particles" + MemoryNote());
            m_values = 0;
            ++m_depth;
            return true;
        }
        return Scalar("an array");
    }

    bool end_array() override
    {
        --m_depth;
        if (m_depth == 2) {
            if (m_values != kValuesPerParticle)
                return Fail(ParticleName() + " has " + std::to_string(m_values) + " values instead of 5");
            result.particles.push_back(m_particle);
        } else {
            m_inParticles = false;
        }
        return true;
    }

    bool parse_error(std::size_t byte, const std::string&, const nlohmann::detail::exception& e) override
    {
        if (!error.empty()) // the walk was stopped by a message of its own
            return false;
        errorByte = byte;
        std::string what = e.what(); // "[json.exception.parse_error.101] parse error at line 1, column 2: ..."
        if (const std::size_t bracket = what.find("] "); bracket != std::string::npos)
            what.erase(0, bracket + 2);
        constexpr std::string_view kLead = "parse error ";
        return Fail(what.rfind(kLead, 0) == 0 ? "not valid JSON " + what.substr(kLead.size())
                                              : "not valid JSON: " + what);
    }

private:
    std::uint64_t m_size; // of the whole text
    int m_maxCount;       // the most particles this machine can load
    int m_depth = 0;      // containers open around the next event
    Field m_field = kFormat;
    bool m_inTexts = false;
    bool m_textSeen[kParamBoxCount] = {};
    int m_text = 0;
    bool m_inParticles = false;
    int m_values = 0; // values of the open particle so far
    ::Particle m_particle{};

    bool Fail(std::string message)
    {
        if (error.empty())
            error = std::move(message);
        return false;
    }

    std::string MemoryNote() const
    {
        if (m_maxCount == ParticleSystem::kMaxCount)
            return "";
        return " this machine can load (" + std::to_string(kSnapshotLoadBytesPerParticle) +
               " bytes each, in " + std::to_string(PhysicalMemoryBytes() >> 20) + " MiB of memory)";
    }

    bool InParticle() const { return m_depth == 3 && m_inParticles; }

    std::string ParticleName() const { return "particle " + std::to_string(result.particles.size()); }

    // The next float of the open particle.
    bool Particle(float value)
    {
        if (m_values == kValuesPerParticle)
            return Fail(ParticleName() + " has more than 5 values");
        float* fields[kValuesPerParticle] = {&m_particle.x, &m_particle.y, &m_particle.vx, &m_particle.vy,
                                             &m_particle.reserved};
        *fields[m_values++] = value;
        return true;
    }

    // Not handled by the caller, so the value is in the wrong place.
    bool Scalar(const char* what)
    {
        if (m_depth == 0)
            return Fail("the document is not a JSON object");
        if (m_depth == 2 && m_inParticles)
            return Fail(ParticleName() + " is " + what + ", not an array of 5 values");
        if (m_depth >= 3 && m_inParticles)
            return Fail(ParticleName() + " holds " + what + ", not a number");
        if (m_inTexts)
            return Fail(std::string("text \"") + kTextKeys[m_text] + "\" is " + what + ", not a string");
        return Fail(std::string("field \"") + kFieldKeys[m_field] + "\" is " + what + ", not " +
                    Expected(m_field));
    }

    static const char* Expected(Field field)
    {
        switch (field) {
        case kFormat:
            return "a string";
        case kTexts:
            return "an object of four strings";
        case kParticles:
            return "an array";
        case kRandomState:
            return "an integer from 0 to 4294967295";
        default:
            return "an integer";
        }
    }

    bool Integer(long long value)
    {
        switch (m_field) {
        case kVersion:
            if (value > kSnapshotVersion)
                return Fail("version " + std::to_string(value) + " is newer than this program reads (1)");
            if (value < kSnapshotVersion)
                return Fail("version " + std::to_string(value) + " is unknown");
            return true;
        case kPreset:
            if (value < 0 || value >= kPresetCount)
                return Fail("preset " + std::to_string(value) + " is not one of 0 to 4");
            result.preset = static_cast<int>(value);
            return true;
        default: // kCount
            if (value < 0)
                return Fail("count " + std::to_string(value) + " is negative");
            if (value > ParticleSystem::kMaxCount)
                return Fail("count " + std::to_string(value) + " is above the limit of " +
                            std::to_string(ParticleSystem::kMaxCount));
            if (value > m_maxCount)
                return Fail("count " + std::to_string(value) + " is above the limit of " + std::to_string(m_maxCount) +
                            MemoryNote());
            if (value > 0 && static_cast<std::uint64_t>(value) * kMinParticleTextBytes - 1 > m_size)
                return Fail("count " + std::to_string(value) + " cannot fit in " + std::to_string(m_size) +
                            " bytes (a particle takes at least " + std::to_string(kMinParticleTextBytes) + ")");
            if (result.particles.size() > static_cast<std::size_t>(value))
                return Fail("the count is " + std::to_string(value) + " but there are more particles");
            count = value;
            result.particles.reserve(static_cast<std::size_t>(value));
            return true;
        }
    }
};

} // namespace

std::string WriteSnapshot(const Snapshot& snapshot)
{
    std::string out;
    out.reserve(256 + snapshot.particles.size() * 64);
    out += "{\n  \"format\": ";
    out += Quoted(kSnapshotFormatName);
    out += ",\n  \"version\": " + std::to_string(kSnapshotVersion);
    out += ",\n  \"texts\": {";
    for (int text = 0; text < kParamBoxCount; ++text) {
        out += text ? ", \"" : "\"";
        out += kTextKeys[text];
        out += "\": " + Quoted(snapshot.texts[text]);
    }
    out += "},\n  \"preset\": " + std::to_string(snapshot.preset);
    out += ",\n  \"random_state\": " + std::to_string(snapshot.randomState);
    out += ",\n  \"count\": " + std::to_string(snapshot.particles.size());
    out += ",\n  \"particles\": [";
    bool first = true;
    for (const Particle& p : snapshot.particles) {
        out += first ? "\n    [" : ",\n    [";
        first = false;
        const float values[kValuesPerParticle] = {p.x, p.y, p.vx, p.vy, p.reserved};
        for (int k = 0; k < kValuesPerParticle; ++k) {
            if (k)
                out += ", ";
            AppendFloat(out, values[k]);
        }
        out += ']';
    }
    out += first ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

namespace {

// Where the parser's input ends: the parser takes a NUL byte for the end, so a
// document followed by one would pass, and a NUL inside one stops it with a
// message about something else. Either way the NUL is what is wrong.
struct InputEnd {
    int readError = 0;                // errno of a failed read
    std::optional<std::uint64_t> nul; // the offset of the NUL byte that ended the input
};

bool Check(SnapshotReader& reader, bool parsed, const InputEnd& end, Snapshot& out, std::string& error)
{
    if (end.readError != 0) {
        error = std::string("cannot be read: ") + std::strerror(end.readError);
        return false;
    }
    if (end.nul)
        reader.error = "a NUL byte at offset " + std::to_string(*end.nul) + ": not valid JSON";
    else if (parsed && reader.error.empty()) {
        for (int field = 0; field < kFieldCount && reader.error.empty(); ++field) {
            if (!reader.seen[field])
                reader.error = std::string("field \"") + kFieldKeys[field] + "\" is missing";
        }
        if (reader.error.empty() && static_cast<long long>(reader.result.particles.size()) != reader.count)
            reader.error = "the count is " + std::to_string(reader.count) + " but there are " +
                           std::to_string(reader.result.particles.size()) + " particles";
    } else if (reader.error.empty())
        reader.error = "not valid JSON";
    if (!reader.error.empty()) {
        // Until its format field says so, the text is nothing of ours.
        error = reader.isSnapshot ? reader.error : "not a Driftmote snapshot: " + reader.error;
        return false;
    }
    out = std::move(reader.result);
    return true;
}

bool TooLarge(std::uint64_t size, std::string& error)
{
    if (size <= MaxSnapshotBytes())
        return false;
    error = "the file is larger than a snapshot can be (" + std::to_string(MaxSnapshotBytes()) + " bytes)";
    return true;
}

} // namespace

int MaxLoadableSnapshotCount()
{
    const std::uint64_t memory = PhysicalMemoryBytes();
    if (memory == 0)
        return ParticleSystem::kMaxCount;
    return static_cast<int>(std::min<std::uint64_t>(ParticleSystem::kMaxCount, memory / kSnapshotLoadBytesPerParticle));
}

std::uint64_t MaxSnapshotBytes()
{
    return (std::uint64_t{1} << 20) + static_cast<std::uint64_t>(MaxLoadableSnapshotCount()) * 128;
}

bool ReadSnapshot(std::string_view text, Snapshot& out, std::string& error)
{
    if (TooLarge(text.size(), error))
        return false;
    SnapshotReader reader(text.size(), MaxLoadableSnapshotCount());
    const bool parsed = Json::sax_parse(text, &reader);
    InputEnd end;
    if (parsed && text.find('\0') != std::string_view::npos)
        end.nul = text.find('\0');
    else if (reader.errorByte > 0 && reader.errorByte <= text.size() && text[reader.errorByte - 1] == '\0')
        end.nul = reader.errorByte - 1;
    return Check(reader, parsed, end, out, error);
}

bool ReadSnapshot(std::istream& in, std::uint64_t size, Snapshot& out, std::string& error)
{
    if (TooLarge(size, error))
        return false;
    // The parser reads the stream's buffer itself; a failed read throws from there.
    std::streambuf& bytes = *in.rdbuf();
    const std::streamoff start = bytes.pubseekoff(0, std::ios::cur, std::ios::in);
    SnapshotReader reader(size, MaxLoadableSnapshotCount());
    InputEnd end;
    bool parsed = false;
    try {
        parsed = Json::sax_parse(in, &reader);
    } catch (const std::ios_base::failure& e) {
        end.readError = e.code().category() == std::system_category() ? e.code().value() : EIO;
        return Check(reader, false, end, out, error);
    }
    if (parsed && !in.eof()) // the input ended at a byte that was no end of file
        end.nul = static_cast<std::uint64_t>(std::streamoff(bytes.pubseekoff(0, std::ios::cur, std::ios::in)) - start - 1);
    else if (reader.errorByte > 0 &&
             bytes.pubseekpos(start + static_cast<std::streamoff>(reader.errorByte) - 1, std::ios::in) != -1 &&
             bytes.sbumpc() == 0)
        end.nul = reader.errorByte - 1;
    return Check(reader, parsed, end, out, error);
}
