#pragma once
// A broken invariant is a finding: say which one and abort, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(Cond)                                                                                     \
    do {                                                                                                     \
        if (!(Cond)) {                                                                                       \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #Cond);                \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
