// The four 64 x 64 RGB raw terrain textures: reading a file into a staging buffer and
// uploading it.
#pragma once

#include <cstdio>

constexpr int textureBytes = 64 * 64 * 3;

// Where a load reads its file before the upload. The world load hands one buffer, zeroed
// once, to all four loads and never clears it, so a short file keeps the bytes of the load
// before it.
using TextureStaging = unsigned char[textureBytes];

// Reads up to textureBytes bytes of `in` into the front of `staging` and returns how many
// it read; the rest of the buffer keeps its old bytes. -1, with the buffer untouched, for a
// null stream (the file could not be opened). Bytes past the image are ignored.
long readRawTexture(std::FILE* in, TextureStaging& staging);

// Reads `in` and uploads it into the given texture name, writing the four load lines to log;
// for a null stream writes "can't open texture file <fileName>\n" and returns false.
// Leaves texture 0 bound. Needs a current GL context.
bool loadRawTexture(std::FILE* in, const char* fileName, unsigned int textureName,
                    TextureStaging& staging, std::FILE* log);
