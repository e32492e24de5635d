// Building the whole world from the files in the working directory.
#pragma once

class TerrainGrid;

// Largest terrain accepted, in cells (2048 x 2048); a larger map is refused unallocated.
constexpr long long maxTerrainCells = 4194304;

// The whole load, in order: texture names, the GL-free steps, then the four textures.
// Null when terrain.txt cannot be opened, is too large, or the grid cannot be allocated.
// Needs a current GL context.
TerrainGrid* loadWorld();

// The GL-free steps of the load: measure, build, read heights, stitch, meshes, objects and
// start cell, people, normals. Texture names must already be in the game state.
TerrainGrid* buildWorld();

// Frees the grid with its cells, instances and people (tests and fuzz targets only; the
// game keeps its world until the process ends).
void releaseWorld(TerrainGrid* grid);
