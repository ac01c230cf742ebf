// SPDX-License-Identifier: MIT
#include "DecimalText.h"

#include "FloatChars.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view text, std::size_t i)
{
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i;
}

// The decimal exponent of the leading digit of an unsigned number (digits, point,
// exponent), plus one: above 0 for a number of at least 1, at most 0 below it.
// Tells a number too large for a double from one too small.
long long DecimalMagnitude(std::string_view number)
{
    const std::size_t mantissaEnd = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, mantissaEnd);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return 0;
    long long magnitude = first < point ? static_cast<long long>(point - first)
                                        : -static_cast<long long>(first - point - 1);
    if (mantissaEnd != std::string_view::npos) {
        std::string_view exponent = number.substr(mantissaEnd + 1);
        const bool negative = exponent.front() == '-';
        if (exponent.front() == '+' || exponent.front() == '-')
            exponent.remove_prefix(1);
        // Exponents beyond a billion all read alike.
        long long value = 0;
        for (char c : exponent)
            value = std::min(value * 10 + (c - '0'), 1'000'000'000LL);
        magnitude += negative ? -value : value;
    }
    return magnitude;
}

} // namespace

bool IsTextSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t DecimalPrefixLength(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsTextSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t integerStart = i;
    i = SkipDigits(text, i);
    bool anyDigit = i > integerStart;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionStart = i + 1;
        const std::size_t fractionEnd = SkipDigits(text, fractionStart);
        anyDigit = anyDigit || fractionEnd > fractionStart;
        if (anyDigit)
            i = fractionEnd;
    }
    if (!anyDigit)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t exponentEnd = SkipDigits(text, j);
        if (exponentEnd > j)
            i = exponentEnd;
    }
    return i;
}

double DecimalFromText(std::string_view text)
{
    std::string_view number = text.substr(0, DecimalPrefixLength(text));
    if (number.empty())
        return 0.0;
    while (IsTextSpace(number.front()))
        number.remove_prefix(1);
    const bool negative = number.front() == '-';
    if (number.front() == '+' || number.front() == '-')
        number.remove_prefix(1);

    double value = 0.0;
    const auto [end, ec] = DoubleFromChars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // The conversion leaves the value alone: past the largest double the
        // number reads as infinity, below the smallest one as zero.
        value = DecimalMagnitude(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc() || end != number.data() + number.size()) {
        return 0.0; // cannot happen for a scanned prefix
    }
    return negative ? -value : value;
}
