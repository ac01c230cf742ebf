// SPDX-License-Identifier: MIT
#include "Console.h"
#include "SimCli.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    PrepareConsole();
    return RunSimCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, StderrIsTerminal());
}
