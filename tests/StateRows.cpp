#include "StateRows.h"

#include "ParticleSystem.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

template <typename T>
T Field(const std::string& text, std::size_t& pos)
{
    T value{};
    const std::size_t end = std::min(text.find_first_of(",\n", pos), text.size());
    const auto [ptr, ec] = std::from_chars(text.data() + pos, text.data() + end, value);
    if (ec != std::errc() || ptr != text.data() + end)
        throw std::runtime_error("bad field in: " + text.substr(pos, end - pos));
    pos = end + 1;
    return value;
}

} // namespace

std::vector<StateRow> ParseStateCsv(const std::string& text)
{
    const std::string header = "frame,index,x,y,vx,vy\n";
    if (text.compare(0, header.size(), header) != 0)
        throw std::runtime_error("missing header");
    std::vector<StateRow> rows;
    for (std::size_t pos = header.size(); pos < text.size();) {
        StateRow row{};
        row.frame = Field<long long>(text, pos);
        row.index = Field<int>(text, pos);
        for (float& value : row.values)
            value = Field<float>(text, pos);
        rows.push_back(row);
    }
    return rows;
}

std::vector<StateRow> ReadGolden(const std::string& name)
{
    std::ifstream file(std::string(DRIFTMOTE_GOLDEN_DIR) + "/" + name);
    if (!file)
        throw std::runtime_error("cannot read golden trajectory " + name);
    std::ostringstream text;
    text << file.rdbuf();
    return ParseStateCsv(text.str());
}

std::vector<StateRow> RowsOf(const ParticleSystem& particles, long long frame)
{
    std::vector<StateRow> rows;
    for (int i = 0; i < particles.m_nCount; ++i) {
        const Particle& p = particles.m_pCur[i];
        rows.push_back({frame, i, {p.x, p.y, p.vx, p.vy}});
    }
    return rows;
}

testing::AssertionResult SameBits(const std::vector<StateRow>& actual, const std::vector<StateRow>& expected)
{
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << actual.size() << " rows, expected " << expected.size();
    static const char* const kNames[] = {"x", "y", "vx", "vy"};
    for (std::size_t r = 0; r < actual.size(); ++r) {
        const StateRow& a = actual[r];
        const StateRow& e = expected[r];
        if (a.frame != e.frame || a.index != e.index)
            return testing::AssertionFailure() << "row " << r << " is frame " << a.frame << " index " << a.index
                                               << ", expected frame " << e.frame << " index " << e.index;
        for (int k = 0; k < 4; ++k)
            if (std::bit_cast<std::uint32_t>(a.values[k]) != std::bit_cast<std::uint32_t>(e.values[k]))
                return testing::AssertionFailure()
                       << "frame " << a.frame << " particle " << a.index << " " << kNames[k] << " is "
                       << testing::PrintToString(a.values[k]) << ", expected " << testing::PrintToString(e.values[k]);
    }
    return testing::AssertionSuccess();
}
