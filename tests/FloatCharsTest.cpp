// SPDX-License-Identifier: MIT
// The fallback of FloatChars.h against the standard library's own <charconv>: the
// same value, end and error for every text, and the same shortest text for floats.

#include "FloatChars.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

template <class T, class Fallback>
void ReadsAsTheLibrary(const std::string& text, Fallback fallback)
{
    T expected = T(-7), actual = T(-7);
    const char* first = text.data();
    const char* last = first + text.size();
    const std::from_chars_result e = std::from_chars(first, last, expected, std::chars_format::general);
    const std::from_chars_result a = fallback(first, last, actual);
    EXPECT_EQ(a.ptr - first, e.ptr - first) << "'" << text << "'";
    EXPECT_EQ(a.ec, e.ec) << "'" << text << "'";
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof(T)), 0) << "'" << text << "': " << actual << ", not " << expected;
}

TEST(FloatCharsFallback, ReadsEveryTextAsTheLibrary)
{
    const char* texts[] = {
        "0", "-0", "1", "-1.5", ".5", "5.", ".", "-", "+1", " 1", "1e", "1e+", "1e-3x", "1E5", ".e1", "e1",
        "0x10", "00012", "1.00000001", "3.4028235e38", "3.5e38", "1e39", "1e-38", "1e-40", "1e-45", "1e-46",
        "1.7976931348623157e308", "1.8e308", "4.9e-324", "2e-324", "1e-400", "inf", "-INF", "Infinity", "infinit",
        "nan", "NaN(123)", "nan(", "0.000000000000000000000000000000000000000000001401298464324817",
        "123456789012345678901234567890", "9.999999999999999e22", "2.2250738585072011e-308",
    };
    for (const char* text : texts) {
        ReadsAsTheLibrary<double>(text, DoubleFromChars);
        ReadsAsTheLibrary<float>(text, FloatFromChars);
    }
}

TEST(FloatCharsFallback, WritesTheLibrarysShortestText)
{
    std::mt19937 random(20261210);
    std::vector<float> values = {0.0f, -0.0f, 1.0f, 100000.0f, 1e-5f, 123456.0f, 1.5e7f, 0.3f,
                                 std::numeric_limits<float>::max(), std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity()};
    for (int i = 0; i < 200000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (value == value)
            values.push_back(value);
    }
    for (int exponent = -45; exponent <= 38; ++exponent)
        values.push_back(std::strtof(("1e" + std::to_string(exponent)).c_str(), nullptr));
    for (float value : values) {
        char expected[64], actual[64];
        const std::to_chars_result e = std::to_chars(expected, expected + sizeof expected, value);
        const std::to_chars_result a = ShortestFloatChars(actual, actual + sizeof actual, value);
        ASSERT_EQ(std::string(actual, a.ptr), std::string(expected, e.ptr)) << std::bit_cast<std::uint32_t>(value);
    }
}

} // namespace
