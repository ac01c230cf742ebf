// SPDX-License-Identifier: MIT
#pragma once

// The name of a picture file, with or without the frame number in it. The name
// is never handed to printf: it is read here, strictly, and the number put in
// by hand.

#include <optional>
#include <string>
#include <string_view>

// A name with at most one conversion: %d, %Nd or %0Nd (N from 1 to 19) stands
// for the frame number, at least N characters wide, padded with spaces or, with
// the 0, zeros; %% stands for a percent sign.
struct PicturePattern {
    std::string before;    // the text before the number, with every %% made %
    std::string after;     // the text after it, likewise
    bool numbered = false; // false: the whole name is `before`
    bool zeroPad = false;
    int width = 0;
};

// Reads a name. Any other use of % (a lone %, %s, %x, %5.2d, %-3d, two numbers)
// is refused: the result is empty and `error` says what is wrong.
std::optional<PicturePattern> ParsePicturePattern(std::string_view text, std::string& error);

// The file name of a frame (0 or more).
std::string PictureName(const PicturePattern& pattern, long long frame);
