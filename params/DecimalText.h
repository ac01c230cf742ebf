// SPDX-License-Identifier: MIT
#pragma once

// Reading a number typed into an edit box: a plain decimal number and nothing
// else, the same on every C library and in every locale.

#include <cstddef>
#include <string_view>

// The C locale's white space: space, tab, line feed, vertical tab, form feed, return.
bool IsTextSpace(char c);

// The length of the longest leading decimal number of `text`: white space, an
// optional sign, digits with an optional point (or a point and digits), then an
// optional exponent (e or E, an optional sign, digits). 0 when the text does not
// start with one. Hexadecimal, infinity and NaN spellings are not numbers here.
std::size_t DecimalPrefixLength(std::string_view text);

// The leading decimal number of `text`, correctly rounded to double; 0 when there
// is none. Beyond the double range a number reads as an infinity of its sign, and
// below the smallest double as a zero of its sign.
double DecimalFromText(std::string_view text);
