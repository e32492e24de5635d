// The GL-free part of the world load.
#include "terrain/world.h"

#include "models/mesh_store.h"
#include "models/object_map.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "terrain/world_source.h"

#include <new>

const WorldFile textureLoadOrder[4] = {WorldFile::Water, WorldFile::Dirt, WorldFile::Grass,
                                       WorldFile::Snow};

TerrainGrid* buildWorld(WorldLoad& load)
{
    int& rows = load.rows;
    int& cols = load.cols;
    {
        StreamCloser terrain(load.files.open(WorldFile::Terrain));
        if (!measureTerrain(terrain.get(), load.log, rows, cols)) {
            load.result = LoadResult::NoTerrain;
            return nullptr;
        }
    }
    // A map of empty lines has no cells but still one row table entry per line: it is
    // bounded by the same number.
    if (static_cast<long long>(rows) * cols > maxTerrainCells || rows > maxTerrainCells) {
        std::fprintf(load.log, "terrain too large: %d x %d cells\n", rows, cols);
        load.result = LoadResult::TooLarge;
        return nullptr;
    }
    TerrainGrid* grid = new (std::nothrow) TerrainGrid(rows, cols, load.textures);
    if (!grid || !grid->valid()) {
        delete grid;
        load.result = LoadResult::OutOfMemory;
        return nullptr;
    }
    {
        StreamCloser terrain(load.files.open(WorldFile::Terrain));
        readHeights(terrain.get(), load.log, *grid, load.observers.heights);
    }
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) grid->stitchCell(row, col);

    const WorldFile models[4] = {WorldFile::Cube, WorldFile::Pyramid, WorldFile::Tree,
                                 WorldFile::Person};
    int* ids[4] = {&load.meshIds.cube, &load.meshIds.pyramid, &load.meshIds.tree,
                   &load.meshIds.person};
    for (int i = 0; i < 4; ++i) {
        StreamCloser model(load.files.open(models[i]));
        *ids[i] = load.meshes.loadMesh(model.get(), load.log, load.observers.models[i]);
    }

    bool startFound;
    {
        StreamCloser objects(load.files.open(WorldFile::Objects));
        startFound = loadObjects(*grid, objects.get(), load.meshes, load.meshIds, load.log,
                                 load.observers.objects);
    }
    // Without a start cell in the map the player starts above the middle cell, or at
    // (5, 5, 5) in a world without cells.
    if (!startFound) {
        if (grid->cellAt(rows / 2, cols / 2)) {
            grid->setStartCell(rows / 2, cols / 2);
        } else {
            grid->startX = grid->startY = grid->startZ = 5;
        }
    }
    grid->placePeople(load.meshes, load.meshIds.person, load.log, load.clock);
    grid->computeNormals(load.log);
    return grid;
}
