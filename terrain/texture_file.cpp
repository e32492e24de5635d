// Reading a raw texture file into the caller's staging buffer.
#include "terrain/texture.h"

long readRawTexture(std::FILE* in, TextureStaging& staging)
{
    if (!in) return -1;
    // A short file fills only the front of the buffer; the rest keeps its old bytes.
    return static_cast<long>(std::fread(staging, 1, sizeof staging, in));
}
