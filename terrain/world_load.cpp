// The world load with its GL steps: texture names first, the textures last.
#include "terrain/texture.h"
#include "terrain/world.h"
#include "terrain/world_source.h"

#include <GL/gl.h>

TerrainGrid* loadWorld(WorldLoad& load)
{
    // The names exist before any cell does: every height change copies its band's name.
    GLuint names[4];
    glGenTextures(4, names);
    load.textures = BandTextures{names[0], names[1], names[2], names[3]};

    TerrainGrid* grid = buildWorld(load);
    if (!grid) return nullptr;

    // One buffer for the four loads, zeroed once: a short file shows what the loads before
    // it left there.
    static_assert(sizeof(TextureStaging) == textureBytes, "one RGB image of 64 x 64 texels");
    TextureStaging staging = {};
    const struct {
        WorldFile file;
        unsigned int name;
    } textures[4] = {{WorldFile::Water, load.textures.water},
                     {WorldFile::Dirt, load.textures.dirt},
                     {WorldFile::Grass, load.textures.grass},
                     {WorldFile::Snow, load.textures.snow}};
    for (const auto& texture : textures) {
        StreamCloser in(load.files.open(texture.file));
        loadRawTexture(in.get(), worldFileName(texture.file), texture.name, staging, load.log);
    }
    // Cells keep the snow name they copied; no band is chosen after this.
    load.textures.snow = 0;
    return grid;
}
