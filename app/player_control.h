// The player's moves as the keys make them: the game state's player and world.
#pragma once

// Moves or turns the game state's player by one key press (see MoveKind); a translation is
// kept only where isBlocked allows it.
void movePlayer(int kind);

// Whether the game state's world refuses (x, y, z); no world refuses everything. The
// collision line goes to standard output.
bool isBlocked(float x, float y, float z);
