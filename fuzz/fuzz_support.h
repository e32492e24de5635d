// Shared pieces of the fuzz targets: the input as a stream in memory or as a whole world, a
// stream that swallows the readers' lines, a fixed clock, and a check that aborts on failure.
#pragma once

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

// A stream for the readers' diagnostic lines that writes them nowhere: they would drown
// libFuzzer's own report.
std::FILE* nullLog();

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

// The fuzzer's bytes as a stream to read (fmemopen); closed on destruction.
class InputStream {
  public:
    InputStream(const uint8_t* data, size_t size);
    ~InputStream();
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;
    std::FILE* get() const { return stream; }

  private:
    std::FILE* stream;
};
