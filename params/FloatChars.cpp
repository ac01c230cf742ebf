// SPDX-License-Identifier: MIT
#include "FloatChars.h"

#if !defined(__cpp_lib_to_chars) || defined(DRIFTMOTE_FLOAT_CHARS_FALLBACK)

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool StartsWithWord(const char* p, const char* last, const char* word)
{
    for (; *word != '\0'; ++p, ++word) {
        if (p == last || (*p | 0x20) != *word)
            return false;
    }
    return true;
}

// The length of the longest prefix of [first, last) that from_chars's general
// format reads: an optional '-', then digits with an optional point and
// exponent, or inf, infinity or nan with an optional (characters); 0 if none.
std::size_t NumberLength(const char* first, const char* last)
{
    const char* p = first;
    if (p != last && *p == '-')
        ++p;
    if (StartsWithWord(p, last, "infinity"))
        return static_cast<std::size_t>(p + 8 - first);
    if (StartsWithWord(p, last, "inf"))
        return static_cast<std::size_t>(p + 3 - first);
    if (StartsWithWord(p, last, "nan")) {
        p += 3;
        const char* q = p;
        if (q != last && *q == '(') {
            ++q;
            while (q != last && (IsDigit(*q) || ((*q | 0x20) >= 'a' && (*q | 0x20) <= 'z') || *q == '_'))
                ++q;
            if (q != last && *q == ')')
                p = q + 1;
        }
        return static_cast<std::size_t>(p - first);
    }
    const char* digits = p;
    while (p != last && IsDigit(*p))
        ++p;
    bool any = p != digits;
    if (p != last && *p == '.') {
        const char* fraction = ++p;
        while (p != last && IsDigit(*p))
            ++p;
        any = any || p != fraction;
    }
    if (!any)
        return 0;
    if (p != last && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q != last && (*q == '+' || *q == '-'))
            ++q;
        const char* exponent = q;
        while (q != last && IsDigit(*q))
            ++q;
        if (q != exponent)
            p = q;
    }
    return static_cast<std::size_t>(p - first);
}

template <class T, class Convert>
std::from_chars_result Read(const char* first, const char* last, T& value, Convert convert)
{
    const std::size_t length = NumberLength(first, last);
    if (length == 0)
        return {first, std::errc::invalid_argument};
    const std::string text(first, length); // strtod needs the terminating zero
    errno = 0;
    T read = convert(text.c_str());
    // from_chars gives every NaN the plain quiet one, whatever the parentheses hold.
    if (std::isnan(read))
        read = std::copysign(std::numeric_limits<T>::quiet_NaN(), read);
    // A denormal result is in range, as from_chars has it, even where strtod says ERANGE.
    if (errno == ERANGE && (read == 0 || std::isinf(read)))
        return {first + length, std::errc::result_out_of_range};
    value = read;
    return {first + length, std::errc()};
}

} // namespace

std::from_chars_result DoubleFromChars(const char* first, const char* last, double& value)
{
    return Read(first, last, value, [](const char* text) { return std::strtod(text, nullptr); });
}

std::from_chars_result FloatFromChars(const char* first, const char* last, float& value)
{
    return Read(first, last, value, [](const char* text) { return std::strtof(text, nullptr); });
}

std::to_chars_result ShortestFloatChars(char* first, char* last, float value)
{
    std::string out = std::signbit(value) ? "-" : "";
    if (std::isnan(value) || std::isinf(value)) {
        out += std::isnan(value) ? "nan" : "inf";
    } else if (value == 0) {
        out += "0";
    } else {
        // The fewest significant digits that read back as the same float.
        char scientific[32];
        for (int precision = 0; precision < 9; ++precision) {
            std::snprintf(scientific, sizeof scientific, "%.*e", precision, std::fabs(static_cast<double>(value)));
            if (std::strtof(scientific, nullptr) == std::fabs(value))
                break;
        }
        std::string digits;
        const char* p = scientific;
        for (; *p != 'e'; ++p)
            if (IsDigit(*p))
                digits += *p;
        const int exponent = std::atoi(p + 1);
        const int n = static_cast<int>(digits.size());
        std::string sci = digits.substr(0, 1);
        if (n > 1) {
            sci += '.';
            sci.append(digits, 1, std::string::npos);
        }
        char tail[16];
        std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        sci += tail;
        std::string fixed;
        if (exponent < 0)
            fixed.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
        else if (n <= exponent + 1) {
            // A whole number is written with all its digits, as <charconv> writes it.
            char whole[48];
            std::snprintf(whole, sizeof whole, "%.0f", std::fabs(static_cast<double>(value)));
            fixed = whole;
        }
        else
            fixed.append(digits, 0, static_cast<std::size_t>(exponent + 1))
                .append(".")
                .append(digits, static_cast<std::size_t>(exponent + 1), std::string::npos);
        out += sci.size() < fixed.size() ? sci : fixed;
    }
    if (out.size() > static_cast<std::size_t>(last - first))
        return {last, std::errc::value_too_large};
    std::memcpy(first, out.data(), out.size());
    return {first + out.size(), std::errc()};
}

#endif
