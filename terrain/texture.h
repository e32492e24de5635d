// The four 64 x 64 RGB raw terrain textures: reading a file and uploading it.
#pragma once

constexpr int textureBytes = 64 * 64 * 3;

// Every load reads its file here before the upload; never cleared, so a short file keeps
// the bytes of the load before it.
extern unsigned char textureStaging[textureBytes];

// Reads up to textureBytes bytes of the file into textureStaging; false when it cannot be
// opened (the buffer is then untouched). Bytes past the image are ignored.
bool readRawTexture(const char* fileName);

// Reads the file and uploads it into the given texture name, printing the four load lines;
// prints "can't open texture file %s\n" and returns false when the file cannot be opened.
// Leaves texture 0 bound. Needs a current GL context.
bool loadRawTexture(const char* fileName, unsigned int textureName);
