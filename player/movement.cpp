// Player movement: translations proposed as a candidate and kept only if allowed; turns
// rotate the heading without a test and without renormalising.
#include "player/movement.h"

#include "app/game_state.h"
#include "player/collision.h"

#include <cmath>

void movePlayer(int kind)
{
    GameState& g = game;
    float x = g.playerX, y = g.playerY, z = g.playerZ;
    switch (kind) {
    case Forward:
        x += 2 * g.headingX;
        y += 2 * g.headingY;
        z += 2 * g.headingZ;
        break;
    case Up: z += 0.5f; break;
    case Down: z -= 0.5f; break;
    case TurnLeft:
    case TurnRight: {
        const double pi = std::acos(-1.0);
        const double a = (kind == TurnLeft ? 1 : -1) * pi * 0.027777778;
        const double hx = g.headingX, hy = g.headingY;
        g.headingX = static_cast<float>(std::cos(a) * hx - std::sin(a) * hy);
        g.headingY = static_cast<float>(std::sin(a) * hx + std::cos(a) * hy);
        return;
    }
    default: return;
    }
    if (isBlocked(x, y, z)) return;
    g.playerX = x;
    g.playerY = y;
    g.playerZ = z;
}
