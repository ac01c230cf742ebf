// SPDX-License-Identifier: MIT
// The edit-box rules against a second reading of the same rule: the leading
// decimal number of the box's first 30 characters, found by a regular expression
// and converted by the C library in the C locale.

#include "DecimalText.h"
#include "FuzzCheck.h"
#include "SwarmParams.h"

#include <bit>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <regex>
#include <string>

namespace {

const std::regex& DecimalPattern()
{
    static const std::regex pattern("[ \\t\\n\\v\\f\\r]*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?");
    return pattern;
}

std::string LeadingMatch(const std::string& text, const std::regex& pattern)
{
    std::smatch match;
    if (!std::regex_search(text, match, pattern, std::regex_constants::match_continuous))
        return {};
    return match.str(0);
}

// The integer value of the leading digits, saturated at the int limits.
long long ExpectedCount(const std::string& box)
{
    static const std::regex pattern("[ \\t\\n\\v\\f\\r]*([+-]?)0*([0-9]*)");
    std::smatch match;
    std::regex_search(box, match, pattern, std::regex_constants::match_continuous);
    const bool negative = match.str(1) == "-";
    const std::string digits = match.str(2);
    if (digits.size() > 12)
        return negative ? INT_MIN : INT_MAX;
    const long long magnitude = digits.empty() ? 0 : std::stoll(digits);
    const long long value = negative ? -magnitude : magnitude;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
}

double ExpectedDecimal(const std::string& prefix)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (prefix.empty())
        return 0.0;
    char* end = nullptr;
    const double value = strtod_l(prefix.c_str(), &end, c);
    FUZZ_REQUIRE(end == prefix.c_str() + prefix.size(), "strtod stopped early in \"%s\"", prefix.c_str());
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string box = text.substr(0, kEditTextLimit);

    const long long count = CountFromText(text);
    const long long expectedCount = ExpectedCount(box);
    FUZZ_REQUIRE(count == expectedCount, "count %lld, expected %lld", count, expectedCount);

    const std::string number = LeadingMatch(box, DecimalPattern());
    FUZZ_REQUIRE(DecimalPrefixLength(box) == number.size(), "prefix %zu characters, expected %zu",
                 DecimalPrefixLength(box), number.size());

    const double expectedDouble = ExpectedDecimal(number);
    const double decimal = DecimalFromText(box);
    FUZZ_REQUIRE(std::bit_cast<std::uint64_t>(decimal) == std::bit_cast<std::uint64_t>(expectedDouble),
                 "decimal %.17g, expected %.17g", decimal, expectedDouble);

    const float coefficient = CoefficientFromText(text);
    const float expected = static_cast<float>(expectedDouble);
    FUZZ_REQUIRE(std::bit_cast<std::uint32_t>(coefficient) == std::bit_cast<std::uint32_t>(expected),
                 "coefficient %.9g, expected %.9g", static_cast<double>(coefficient), static_cast<double>(expected));
    return 0;
}
