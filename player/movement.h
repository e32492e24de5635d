// Moving and turning the player by one key press.
#pragma once

enum MoveKind { Forward = 0, Up = 1, Down = 2, TurnLeft = 3, TurnRight = 4 };

// Forward 2 units, up or down 0.5, each kept only where isBlocked allows it; or a turn of
// 5 degrees about z (left: counter-clockwise seen from above). Other values do nothing.
void movePlayer(int kind);
