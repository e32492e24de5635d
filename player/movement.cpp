// Player movement: translations proposed as a candidate and kept only if allowed; turns
// rotate the heading without a test and without renormalising.
#include "player/movement.h"

#include "player/collision.h"

#include <cmath>

void movePlayer(PlayerPose& pose, int kind, const TerrainGrid* grid, std::FILE* log)
{
    float x = pose.x, y = pose.y, z = pose.z;
    switch (kind) {
    case Forward:
        x += 2 * pose.headingX;
        y += 2 * pose.headingY;
        z += 2 * pose.headingZ;
        break;
    case Up: z += 0.5f; break;
    case Down: z -= 0.5f; break;
    case TurnLeft:
    case TurnRight: {
        const double pi = std::acos(-1.0);
        const double a = (kind == TurnLeft ? 1 : -1) * pi * 0.027777778;
        const double hx = pose.headingX, hy = pose.headingY;
        pose.headingX = static_cast<float>(std::cos(a) * hx - std::sin(a) * hy);
        pose.headingY = static_cast<float>(std::sin(a) * hx + std::cos(a) * hy);
        return;
    }
    default: return;
    }
    if (!grid || isBlocked(*grid, x, y, z, log)) return;
    pose.x = x;
    pose.y = y;
    pose.z = z;
}
