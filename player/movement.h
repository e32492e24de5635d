// Moving and turning the player by one key press.
#pragma once

#include <cstdio>

class TerrainGrid;

enum MoveKind { Forward = 0, Up = 1, Down = 2, TurnLeft = 3, TurnRight = 4 };

// Where the player is and which way he looks (a unit vector in the ground plane).
struct PlayerPose {
    float x = 0, y = 0, z = 0;
    float headingX = 0, headingY = 0, headingZ = 0;
};

// Forward 2 units, up or down 0.5, each kept only where the grid's collision test allows it
// (its line to log; without a grid nothing is allowed); or a turn of 5 degrees about z
// (left: counter-clockwise seen from above). Other values do nothing.
void movePlayer(PlayerPose& pose, int kind, const TerrainGrid* grid, std::FILE* log);
