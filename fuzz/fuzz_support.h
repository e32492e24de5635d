// Shared pieces of the fuzz targets: the input as a whole world, a fixed clock, and a check
// that aborts on failure. The input as a stream (InputBytes) and the log that swallows the
// readers' lines, which would drown libFuzzer's own report (quietLog), are the tests' own.
#pragma once

#include "tests/support/streams.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>

class MemoryWorld;

// Aborts with the failed condition on standard error: libFuzzer records the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) fuzzCheckFailed(#condition, __FILE__, __LINE__);                         \
    } while (0)

[[noreturn]] void fuzzCheckFailed(const char* condition, const char* file, int line);

// A clock stopped at one second, so that every run of an input places the people on the
// same cells and a saved input replays what it found.
std::time_t frozenClock(std::time_t* out);

// Grids above this many cells (64 x 64) are skipped by the targets. A larger valid map
// finds nothing a smaller one does not, and costs: under the sanitizers and the coverage
// tracing a world takes about 15 microseconds a cell, and on a busy machine a grid of
// 100,000 cells passed the one-second limit that marks a hang.
constexpr long long fuzzCellCap = 4096;

// A whole world from one input: the pieces between each "\n====\n" are terrain.txt,
// objects.txt, the four models and the four raw textures, in that order; files that no piece
// reaches are missing.
void splitWorld(const uint8_t* data, size_t size, MemoryWorld& world);
