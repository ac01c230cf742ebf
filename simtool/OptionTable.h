// SPDX-License-Identifier: MIT
#pragma once

// driftmote-sim's options as data, one row each, in the order the help lists
// them. The parser (ParseArgs.h), the help (HelpText.h) and the bash completion
// (BashCompletion.h) are made from these rows alone: a new option is a new row.

#include "SimOptions.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What bash offers for an option's value.
struct ValueCompletion {
    enum Kind { Nothing, Words, Files };
    Kind kind = Nothing;
    std::string text = {}; // Words: the words, space separated; Files: the names' suffix for bash ("png", "@(mp4|webm)")
};

struct OptionRow {
    std::string name;  // "--num"
    // "-h" for "-h, --help"; " " puts the name under the long names of such rows.
    std::string shortName = {};
    std::string value = {}; // the value's name in the help ("TEXT"); empty when the option takes none
    std::string help = {};  // what it does, as the help says it; each '\n' starts another line
    // Takes the option into the options, with its value ("" for an option without
    // one); bad values throw UsageError.
    std::function<void(Options& options, const std::string& value)> read = {};
    ValueCompletion completion = {};
};

const std::vector<OptionRow>& OptionTable();

// The row of a long name ("--num") or a short one ("-h"); null for none.
const OptionRow* FindOption(std::string_view name);
