// Whether the player may occupy a position: world bounds, ceiling, solid objects, surface.
#pragma once

// True when (x, y, z) is not allowed. Reads the game state's grid. Prints
// "terrain has model & user flying under TERRAIN!!!\n" when a solid object refuses it.
bool isBlocked(float x, float y, float z);
