#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run with a message when a property of the protocol code does not hold;
// libFuzzer keeps the input that did it as a crash artifact.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__,             \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
