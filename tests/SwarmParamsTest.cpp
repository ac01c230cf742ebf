// SPDX-License-Identifier: MIT
#include "SwarmParams.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

TEST(EditText, CountReadsTheLeadingIntegerOfTheFirst30Characters)
{
    const struct {
        std::string text;
        int count;
    } cases[] = {
        {"67", 67},
        {" \t\n+42 particles", 42},
        {"-5", -5},
        {"12.9", 12},
        {"abc", 0},
        {"- 5", 0},
        {"", 0},
        {std::string(29, ' ') + "12", 1},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x10", 0},
        {"\xef\xbc\x91\xef\xbc\x92", 0}, // fullwidth digits one and two
        {"\xd9\xa1\xd9\xa2", 0},         // Arabic-Indic digits one and two
        {"\xc2\xa0" "12", 0},               // a no-break space is not white space
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountFromText(c.text), c.count) << '"' << c.text << '"';
}

// Bits, not values: -0 and 0 differ here.
std::uint32_t Bits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

TEST(EditText, CoefficientReadsTheLeadingDecimalNumberAsAFloat)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        std::string text;
        float value;
    } cases[] = {
        {".00009", 0.00009f},
        {"-.04x", -0.04f},
        {"  2e-3", 0.002f},
        {"\t\v\f\r\n+7", 7.0f},
        {"5.", 5.0f},
        {"abc", 0.0f},
        {"", 0.0f},
        {".", 0.0f},
        {"-", 0.0f},
        {"-abc", 0.0f},
        {"-0", -0.0f},
        {"-0.0e5", -0.0f},
        {std::string(29, ' ') + "25", 2.0f},
        // Decimal only: no other spelling counts, however the C library reads it.
        {"0x10", 0.0f},
        {"0x1p-3", 0.0f},
        {"-0x10", -0.0f},
        {"inf", 0.0f},
        {"-infinity", 0.0f},
        {"nan", 0.0f},
        {"nan(123)", 0.0f},
        {"1,5", 1.0f},
        {"\xc2\xa0" "1", 0.0f},
        // An exponent counts only with its digits.
        {"1.5e", 1.5f},
        {"1.5e+", 1.5f},
        {"2E-x", 2.0f},
        {".e5", 0.0f},
        {"+.5e-5x", 5e-6f},
        {"1e+1", 10.0f},
        // Past the range: an infinity or a zero of the number's sign.
        {"1e39", inf},
        {"-1e39", -inf},
        {"3.4028235e38", 3.4028235e38f},
        {"1e400", inf},
        {"-1e99999999999999999999999", -inf},
        {"0.000000001e-310", 0.0f},
        {"-1e-400", -0.0f},
        {"0e99999999", 0.0f},
        {"1e-310", 0.0f},
        // Rounded to double first, then to float: 1 + 2^-24 + 2^-60 becomes the
        // double 1 + 2^-24, a tie that rounds to the even float 1 (rounded
        // straight to float it would be the next float up).
        {"1.00000005960464477539062587", 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Bits(CoefficientFromText(c.text)), Bits(c.value))
            << '"' << c.text << "\" reads " << CoefficientFromText(c.text);
}

// A locale whose decimal separator is a comma: an installed one (Windows names
// them its own way), or else one built from the C library's locale sources into a
// folder of the test's own.
const char* SetCommaLocale()
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "German_Germany.1252", "deu"})
        if (const char* set = std::setlocale(LC_NUMERIC, name))
            return set;
#ifdef _WIN32
    return nullptr;
#else
    const std::string folder = testing::TempDir() + "driftmote-locales";
    const std::string build = "mkdir -p '" + folder + "' && localedef -i de_DE -f UTF-8 '" + folder +
                              "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(build.c_str()) == -1)
        return nullptr;
    setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
#endif
}

TEST(EditText, CoefficientReadsAPointWhateverTheLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!SetCommaLocale())
        GTEST_SKIP() << "no locale with a decimal comma could be installed or built";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const float half = CoefficientFromText("0.5");
    const float one = CoefficientFromText("1,5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(half, 0.5f);
    EXPECT_EQ(one, 1.0f);
}

} // namespace
