#include "SwarmParams.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

TEST(EditText, CountReadsTheLeadingIntegerOfTheFirst30Characters)
{
    EXPECT_EQ(CountFromText("67"), 67);
    EXPECT_EQ(CountFromText(" \t\n+42 particles"), 42);
    EXPECT_EQ(CountFromText("-5"), -5);
    EXPECT_EQ(CountFromText("12.9"), 12);
    EXPECT_EQ(CountFromText("abc"), 0);
    EXPECT_EQ(CountFromText("- 5"), 0);
    EXPECT_EQ(CountFromText(""), 0);
    EXPECT_EQ(CountFromText(std::string(29, ' ') + "12"), 1);
    EXPECT_EQ(CountFromText("99999999999"), INT_MAX);
    EXPECT_EQ(CountFromText("-99999999999"), INT_MIN);
    EXPECT_EQ(CountFromText("2147483647"), INT_MAX);
    EXPECT_EQ(CountFromText("-2147483648"), INT_MIN);
}

TEST(EditText, CoefficientReadsTheLeadingNumberAsAFloat)
{
    EXPECT_EQ(CoefficientFromText(".00009"), 0.00009f);
    EXPECT_EQ(CoefficientFromText("-.04x"), -0.04f);
    EXPECT_EQ(CoefficientFromText("  2e-3"), 0.002f);
    EXPECT_EQ(CoefficientFromText("abc"), 0.0f);
    EXPECT_EQ(CoefficientFromText(std::string(29, ' ') + "25"), 2.0f);
    EXPECT_EQ(CoefficientFromText("1e39"), INFINITY); // beyond the float range
    EXPECT_TRUE(std::isnan(CoefficientFromText("nan")));
}

// A locale whose decimal separator is a comma: an installed one, or else one built
// from the C library's locale sources into a folder of the test's own.
const char* SetCommaLocale()
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (const char* set = std::setlocale(LC_NUMERIC, name))
            return set;
    const std::string folder = testing::TempDir() + "driftmote-locales";
    const std::string build = "mkdir -p '" + folder + "' && localedef -i de_DE -f UTF-8 '" + folder +
                              "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(build.c_str()) == -1)
        return nullptr;
    setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
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
