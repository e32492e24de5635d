// Streams for the code that drives the readers from outside the game (tests, benchmarks, fuzz
// targets): a log nobody reads, and bytes in memory as a stream to read. Header only, so that
// each of them includes it without linking the others' support.
#pragma once

#include "platform/files.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

// Swallows the diagnostic lines of a step whose lines nobody looks at; open for the whole run.
inline std::FILE* quietLog()
{
    static std::FILE* const quiet = [] {
        std::FILE* stream = platform::openNullOutput();
        if (!stream) {
            std::fputs("quietLog: cannot open the null output\n", stderr);
            std::abort();
        }
        return stream;
    }();
    return quiet;
}

// A read-only stream over bytes in memory, for the readers; closed on destruction. Built from a
// string it keeps its own copy; built from a pointer and a size, those bytes must outlive it.
class InputBytes {
  public:
    explicit InputBytes(std::string content) : bytes(std::move(content))
    {
        open(bytes.data(), bytes.size());
    }
    InputBytes(const void* data, std::size_t size) { open(static_cast<const char*>(data), size); }
    ~InputBytes() { std::fclose(stream); }
    InputBytes(const InputBytes&) = delete;
    InputBytes& operator=(const InputBytes&) = delete;
    std::FILE* get() const { return stream; }

  private:
    void open(const char* data, std::size_t size)
    {
        stream = platform::openBytes(data, size);
        if (!stream) {
            std::fputs("InputBytes: cannot open the bytes as a stream\n", stderr);
            std::abort();
        }
    }

    std::string bytes;
    std::FILE* stream = nullptr;
};
