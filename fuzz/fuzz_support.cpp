// The fuzz targets' input as a world, their fixed clock and the check that aborts.
#include "fuzz/fuzz_support.h"

#include "terrain/world_source.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char separator[] = "\n====\n";
constexpr size_t separatorLength = sizeof separator - 1;

} // namespace

void fuzzCheckFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

std::time_t frozenClock(std::time_t* out)
{
    const std::time_t frozen = 1767225600;
    if (out) *out = frozen;
    return frozen;
}

void splitWorld(const uint8_t* data, size_t size, MemoryWorld& world)
{
    const uint8_t* end = data + size;
    const uint8_t* piece = data;
    for (int i = 0; i < worldFileCount && piece; ++i) {
        const uint8_t* next =
            static_cast<const uint8_t*>(memmem(piece, end - piece, separator, separatorLength));
        world.set(static_cast<WorldFile>(i),
                  std::string(reinterpret_cast<const char*>(piece), (next ? next : end) - piece));
        piece = next ? next + separatorLength : nullptr;
    }
}
