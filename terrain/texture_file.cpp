// Reading a raw texture file into the shared staging buffer.
#include "terrain/texture.h"

#include <cstdio>

unsigned char textureStaging[textureBytes];

bool readRawTexture(const char* fileName)
{
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return false;
    // A short file fills only the front of the buffer; the rest keeps its old bytes.
    std::fread(textureStaging, 1, sizeof textureStaging, file);
    std::fclose(file);
    return true;
}
