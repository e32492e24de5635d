// The key table and its commands. Each switch key keeps its game-state byte in step with
// the GL capability it changes; the display relies on that.
#include "app/keyboard.h"

#include "app/game_state.h"
#include "app/player_control.h"
#include "platform/restart.h"
#include "player/movement.h"
#include "terrain/grid.h"

#include <GL/gl.h>
#include <cstdlib>

namespace {

// Moves, then saves everyone within reach of where the player now is (also after a
// refused move).
void moveAndRescue(MoveKind kind)
{
    movePlayer(kind);
    if (game.grid)
        game.savedCount += game.grid->rescueNearby(game.playerX, game.playerY, game.playerZ);
}

void setCapability(GLenum capability, uint8_t& flag, bool on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
    flag = on ? 1 : 0;
}

void forward()
{
    moveAndRescue(Forward);
}
void up()
{
    moveAndRescue(Up);
}
void down()
{
    moveAndRescue(Down);
}
void turnLeft()
{
    movePlayer(TurnLeft);
}
void turnRight()
{
    movePlayer(TurnRight);
}
void depthOn()
{
    setCapability(GL_DEPTH_TEST, game.depthTest, true);
}
void depthOff()
{
    setCapability(GL_DEPTH_TEST, game.depthTest, false);
}
void cullingOn()
{
    setCapability(GL_CULL_FACE, game.culling, true);
}
void cullingOff()
{
    setCapability(GL_CULL_FACE, game.culling, false);
}
void filledOn()
{
    setCapability(GL_COLOR_MATERIAL, game.filled, true);
}
void filledOff()
{
    setCapability(GL_COLOR_MATERIAL, game.filled, false);
}
void texturesOn()
{
    setCapability(GL_TEXTURE_2D, game.textures, true);
}
void texturesOff()
{
    setCapability(GL_TEXTURE_2D, game.textures, false);
}
void normalsOn()
{
    game.showNormals = 1;
}
void normalsOff()
{
    game.showNormals = 0;
}

void lightingOn()
{
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    game.lighting = 1;
}

void lightingOff()
{
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    game.lighting = 0;
}

void toggleFog()
{
    if (game.fog) {
        game.fog = 0;
        glDisable(GL_FOG);
        return;
    }
    game.fog = 1;
    glEnable(GL_FOG);
    glFogfv(GL_FOG_COLOR, game.fogColour);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_DENSITY, game.fogDensity);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    // Start and end follow the camera; the display sets them every frame.
}

void setFogDensity(float density)
{
    game.fogDensity = density;
    glFogf(GL_FOG_DENSITY, density);
}

void toggleOverhead()
{
    if (game.overhead) {
        game.overhead = 0;
        if (game.fog) setFogDensity(0.01f);
        game.overheadHeight = 10.0f;
    } else {
        game.overhead = 1;
        if (game.fog) setFogDensity(0.003f);
    }
}

void raiseCamera()
{
    const float height = game.overheadHeight + 1.0f;
    if (!(height > 27.0f)) game.overheadHeight = height;
}

void lowerCamera()
{
    const float height = game.overheadHeight - 1.0f;
    if (!(height < 0.0f)) game.overheadHeight = height;
}

void restart()
{
    platform::startAgain();
    std::exit(0);
}

void quit()
{
    std::exit(0);
}

} // namespace

const KeyBinding keyBindings[] = {
    {'i', "fly forward 2 units", forward},
    {'I', "fly forward 2 units", forward},
    {'a', "fly up 0.5 units", up},
    {'A', "fly up 0.5 units", up},
    {'z', "fly down 0.5 units", down},
    {'Z', "fly down 0.5 units", down},
    {'j', "turn left 5 degrees", turnLeft},
    {'J', "turn left 5 degrees", turnLeft},
    {'l', "turn right 5 degrees", turnRight},
    {'L', "turn right 5 degrees", turnRight},
    {'b', "depth test on", depthOn},
    {'B', "depth test off", depthOff},
    {'c', "back-face culling on", cullingOn},
    {'C', "back-face culling off", cullingOff},
    {'k', "lighting on", lightingOn},
    {'K', "lighting off", lightingOff},
    {'n', "show vertex normals", normalsOn},
    {'N', "hide vertex normals", normalsOff},
    {'p', "filled polygons", filledOn},
    {'P', "wire-frame", filledOff},
    {'t', "textures on", texturesOn},
    {'T', "textures off", texturesOff},
    {'f', "fog on or off", toggleFog},
    {'F', "fog on or off", toggleFog},
    {'o', "overhead camera on or off", toggleOverhead},
    {'O', "overhead camera on or off", toggleOverhead},
    {'u', "raise the overhead camera (up to 27)", raiseCamera},
    {'U', "lower the overhead camera (down to 0)", lowerCamera},
    {'r', "restart the game", restart},
    {'q', "quit", quit},
    {'Q', "quit", quit},
};

const int keyBindingCount = sizeof keyBindings / sizeof keyBindings[0];

void keyboard(unsigned char key, int x, int y)
{
    (void)x;
    (void)y;
    for (const KeyBinding& binding : keyBindings) {
        if (binding.key == key) {
            binding.run();
            return;
        }
    }
}
