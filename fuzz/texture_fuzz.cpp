// Fuzz target: one raw texture file read into the shared staging buffer (the GL-free half of
// a texture load). Checks that the file's first bytes arrive and the rest of the buffer
// keeps what the load before left there.
#include "fuzz/fuzz_support.h"
#include "terrain/texture.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    quietStdout();
    ScratchDir::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScratchDir::instance().write("texture.raw", data, size);
    ScratchDir::Visit visit;
    static unsigned char before[textureBytes];
    std::memcpy(before, textureStaging, textureBytes);

    FUZZ_CHECK(readRawTexture("texture.raw"));
    const size_t arrived = std::min(size, static_cast<size_t>(textureBytes));
    FUZZ_CHECK(std::memcmp(textureStaging, data, arrived) == 0);
    FUZZ_CHECK(std::memcmp(textureStaging + arrived, before + arrived, textureBytes - arrived) ==
               0);
    FUZZ_CHECK(!readRawTexture("missing.raw"));
    FUZZ_CHECK(std::memcmp(textureStaging, data, arrived) == 0);
    return 0;
}
