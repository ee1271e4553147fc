#pragma once

// What the fuzz targets share: a property check that ends the run with a
// message (libFuzzer then saves the input as a crash).

#include <cstdio>
#include <cstdlib>

#define MC_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
