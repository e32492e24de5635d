// Building the whole world from its ten files, in the load's fixed order.
#pragma once

#include "models/object_map.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "terrain/world_source.h"

#include <cstdio>
#include <ctime>

class MeshStore;

// How a load ended.
enum class LoadResult { Loaded, NoTerrain, TooLarge, OutOfMemory };

// One load: where the files come from and where its lines go, the texture names the cells
// copy, and what it hands back besides the grid (the mesh identifiers, and for the GL load
// the texture names it generated).
struct WorldLoad {
    WorldLoad(WorldSource& files, MeshStore& meshes, std::FILE* log)
        : files(files), meshes(meshes), log(log)
    {
    }

    WorldSource& files;
    MeshStore& meshes;                      // receives the four models
    std::FILE* log;                         // every line of the load
    BandTextures textures;                  // generated before the grid: cells copy them
    MeshIds meshIds;                        // filled by the load
    Clock clock = std::time;                // seeds the placement of people
    LoadResult result = LoadResult::Loaded; // filled by the load
    int rows = 0, cols = 0;                 // the size measured, once terrain.txt opened
};

// The GL-free steps of the load: measure, build, read heights, stitch, meshes, objects and
// start cell, people, normals. Null when terrain.txt cannot be opened, is too large, or the
// grid cannot be allocated (`result` says which). The caller owns the grid.
TerrainGrid* buildWorld(WorldLoad& load);

// The whole load, in order: four texture names, the GL-free steps, the four textures into
// those names (through one staging buffer), then the snow name set to 0 in load.textures
// (cells keep the name they copied). Needs a current GL context.
TerrainGrid* loadWorld(WorldLoad& load);
