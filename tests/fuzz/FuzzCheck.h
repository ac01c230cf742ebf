// SPDX-License-Identifier: MIT
#pragma once

// A broken property ends the run with a message: libFuzzer then keeps the input
// that broke it as a crash.

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition, ...)                                                   \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "%s:%d: %s does not hold: ", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                         \
            std::fputc('\n', stderr);                                                  \
            std::abort();                                                              \
        }                                                                              \
    } while (0)
