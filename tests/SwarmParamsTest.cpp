#include "SwarmParams.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
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

TEST(EditText, CoefficientReadsAPointWhateverTheLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8"})
        if ((comma = std::setlocale(LC_NUMERIC, name)))
            break;
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const float half = CoefficientFromText("0.5");
    const float one = CoefficientFromText("1,5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(half, 0.5f);
    EXPECT_EQ(one, 1.0f);
}

} // namespace
