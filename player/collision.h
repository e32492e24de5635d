// Whether the player may occupy a position: world bounds, ceiling, solid objects, surface.
#pragma once

#include <cstdio>

class TerrainGrid;

// True when (x, y, z) is not allowed in the grid. Writes
// "terrain has model & user flying under TERRAIN!!!\n" to log when a solid object refuses it.
bool isBlocked(const TerrainGrid& grid, float x, float y, float z, std::FILE* log);
