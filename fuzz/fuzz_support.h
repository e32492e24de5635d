// Shared pieces of the fuzz targets: one scratch working directory per process that the
// readers find their files in, quiet standard output, and a check that aborts on failure.
#pragma once

#include <cstddef>
#include <cstdint>

// Aborts with the failed condition on standard error: libFuzzer records the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) fuzzCheckFailed(#condition, __FILE__, __LINE__);                         \
    } while (0)

[[noreturn]] void fuzzCheckFailed(const char* condition, const char* file, int line);

// Sends standard output to /dev/null for the whole process: the readers print every line
// they read, which would drown libFuzzer's own report.
void quietStdout();

// Grids above this many cells (64 x 64) are skipped by the targets. A larger valid map
// finds nothing a smaller one does not, and costs: under the sanitizers and the coverage
// tracing a world takes about 15 microseconds a cell, and on a busy machine a grid of
// 100,000 cells passed the one-second limit that marks a hang.
constexpr long long fuzzCellCap = 4096;

// A temporary directory made once per process (in /dev/shm, else $TMPDIR or /tmp) and
// removed at exit. The readers open their files by name, so a run enters it, writes the
// files and leaves it again; the caller's working directory (and so libFuzzer's relative
// paths) stays as it was.
class ScratchDir {
  public:
    // Makes the directory on first use.
    static ScratchDir& instance();

    // Writes the bytes as the whole content of the named file in the directory.
    void write(const char* name, const uint8_t* data, size_t size);
    // Removes the named file from the directory, if it exists.
    void remove(const char* name);

    // Makes the directory the working directory until the Visit ends.
    class Visit {
      public:
        Visit();
        ~Visit();
        Visit(const Visit&) = delete;
        Visit& operator=(const Visit&) = delete;
    };

  private:
    ScratchDir();
    int dirFd = -1;
    int homeFd = -1;
    char path[4096] = {};
    friend void removeScratchDir();
};
