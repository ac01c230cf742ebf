// SPDX-License-Identifier: MIT
#pragma once

// Floats and doubles to and from text in no locale, as <charconv> converts them:
// from_chars's general format (no leading space or '+', no hexadecimal) and
// to_chars's shortest text that reads back as the same float. Where the standard
// library has the floating-point <charconv> functions these are those functions;
// a library without them (the browser build's) gets a fallback on the C library's
// correctly rounded strtod and strtof. DRIFTMOTE_FLOAT_CHARS_FALLBACK forces the
// fallback, so that its test holds it to the library's functions.

#include <charconv>

#if defined(__cpp_lib_to_chars) && !defined(DRIFTMOTE_FLOAT_CHARS_FALLBACK)

inline std::from_chars_result DoubleFromChars(const char* first, const char* last, double& value)
{
    return std::from_chars(first, last, value, std::chars_format::general);
}

inline std::from_chars_result FloatFromChars(const char* first, const char* last, float& value)
{
    return std::from_chars(first, last, value, std::chars_format::general);
}

inline std::to_chars_result ShortestFloatChars(char* first, char* last, float value)
{
    return std::to_chars(first, last, value);
}

#else

// On out-of-range input (a result of infinity or zero from digits that are
// neither), `value` stays as it was and ec is result_out_of_range.
std::from_chars_result DoubleFromChars(const char* first, const char* last, double& value);
std::from_chars_result FloatFromChars(const char* first, const char* last, float& value);
// Fixed or scientific notation, whichever is shorter (fixed on a tie); `last` must
// leave room for 16 characters.
std::to_chars_result ShortestFloatChars(char* first, char* last, float value);

#endif
