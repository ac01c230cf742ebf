// SPDX-License-Identifier: MIT
#pragma once

// A hint to the core that the thread is waiting in a polling loop, so that it
// spends less power and leaves more to its hyperthread sibling. Static, so that
// the files compiled for other instruction sets each keep their own copy.
static inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}
