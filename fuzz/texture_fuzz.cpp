// Fuzz target: one raw texture file read into a staging buffer that every run shares (the
// GL-free half of a texture load). Checks that the file's first bytes arrive and the rest of
// the buffer keeps what the load before left there.
#include "fuzz/fuzz_support.h"
#include "terrain/texture.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TextureStaging staging;
    static unsigned char before[textureBytes];
    std::memcpy(before, staging, textureBytes);

    InputBytes in(data, size);
    const size_t arrived = std::min(size, static_cast<size_t>(textureBytes));
    FUZZ_CHECK(readRawTexture(in.get(), staging) == static_cast<long>(arrived));
    FUZZ_CHECK(std::memcmp(staging, data, arrived) == 0);
    FUZZ_CHECK(std::memcmp(staging + arrived, before + arrived, textureBytes - arrived) == 0);
    FUZZ_CHECK(readRawTexture(nullptr, staging) == -1);
    FUZZ_CHECK(std::memcmp(staging, data, arrived) == 0);
    return 0;
}
