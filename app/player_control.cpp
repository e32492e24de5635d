// The thin layer between the keys and the pure movement and collision test: it hands them
// the game state's player and grid.
#include "app/player_control.h"

#include "app/game_state.h"
#include "player/collision.h"
#include "player/movement.h"

#include <cstdio>

void movePlayer(int kind)
{
    GameState& g = game;
    PlayerPose pose{g.playerX, g.playerY, g.playerZ, g.headingX, g.headingY, g.headingZ};
    movePlayer(pose, kind, g.grid, stdout);
    g.playerX = pose.x;
    g.playerY = pose.y;
    g.playerZ = pose.z;
    g.headingX = pose.headingX;
    g.headingY = pose.headingY;
}

bool isBlocked(float x, float y, float z)
{
    return !game.grid || isBlocked(*game.grid, x, y, z, stdout);
}
