// SPDX-License-Identifier: MIT
// Writes driftmote-sim's bash completion to standard output, for the build.

#include "BashCompletion.h"

#include <iostream>

int main()
{
    std::cout << BashCompletion();
    return std::cout.flush() ? 0 : 1;
}
