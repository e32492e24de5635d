// Uploading a raw texture into its texture name.
#include "terrain/texture.h"

#include <GL/gl.h>
#include <cstdio>

bool loadRawTexture(std::FILE* in, const char* fileName, unsigned int textureName,
                    TextureStaging& staging, std::FILE* log)
{
    if (readRawTexture(in, staging) < 0) {
        std::fprintf(log, "can't open texture file %s\n", fileName);
        return false;
    }
    std::fputs("returning3\n", log);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::fprintf(log, "texture name: %d\n", static_cast<int>(textureName));
    glBindTexture(GL_TEXTURE_2D, textureName);
    std::fputs("returning2\n", log);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, staging);
    std::fputs("returning3\n", log);
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}
