// The world load with its GL steps: texture names first, the textures last.
#include "terrain/texture.h"
#include "terrain/world.h"
#include "terrain/world_source.h"

#include <GL/gl.h>

namespace {

// The name a raw texture file is loaded into: the name of its band.
unsigned int bandTextureOf(const BandTextures& names, WorldFile file)
{
    switch (file) {
    case WorldFile::Water: return names.water;
    case WorldFile::Dirt: return names.dirt;
    case WorldFile::Grass: return names.grass;
    default: return names.snow;
    }
}

} // namespace

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
    for (WorldFile file : textureLoadOrder) {
        StreamCloser in(load.files.open(file));
        loadRawTexture(in.get(), worldFileName(file), bandTextureOf(load.textures, file), staging,
                       load.log);
    }
    // Cells keep the snow name they copied; no band is chosen after this.
    load.textures.snow = 0;
    return grid;
}
