// The world load with its GL steps: texture names first, the textures last.
#include "app/game_state.h"
#include "terrain/texture.h"
#include "terrain/world.h"

#include <GL/gl.h>

TerrainGrid* loadWorld()
{
    // The names exist before any cell does: every height change copies its band's name.
    GLuint names[4];
    glGenTextures(4, names);
    game.waterTexture = names[0];
    game.grassTexture = names[1];
    game.dirtTexture = names[2];
    game.snowTexture = names[3];

    TerrainGrid* grid = buildWorld();
    if (!grid) return nullptr;

    loadRawTexture("water256_2.raw", game.waterTexture);
    loadRawTexture("dirt.raw", game.dirtTexture);
    loadRawTexture("grass.raw", game.grassTexture);
    loadRawTexture("snow.raw", game.snowTexture);
    // Cells keep the snow name they copied; no band is chosen after this.
    game.snowTexture = 0;
    return grid;
}
