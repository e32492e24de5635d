// The GL-free part of the world load.
#include "terrain/world.h"

#include "models/mesh_store.h"
#include "models/object_map.h"
#include "terrain/cell_rules.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "terrain/world_source.h"

#include <new>

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
    if (!terrainFits(rows, cols)) {
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
        readHeights(terrain.get(), load.log, *grid);
    }
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) grid->stitchCell(row, col);

    for (WorldFile model : modelLoadOrder) {
        StreamCloser in(load.files.open(model));
        load.meshIds.of(model) = load.meshes.loadMesh(in.get(), load.log);
    }

    bool startFound;
    {
        StreamCloser objects(load.files.open(WorldFile::Objects));
        startFound = loadObjects(*grid, objects.get(), load.meshes, load.meshIds, load.log);
    }
    // Without a start cell in the map the player starts above the middle cell, or at
    // (5, 5, 5) in a world without cells.
    if (!startFound) {
        int middleRow, middleCol;
        if (middleCell(rows, cols, middleRow, middleCol)) {
            grid->setStartCell(middleRow, middleCol);
        } else {
            grid->startX = startWithoutCells.x;
            grid->startY = startWithoutCells.y;
            grid->startZ = startWithoutCells.z;
        }
    }
    grid->placePeople(load.meshes, load.meshIds.person, load.log, load.clock);
    grid->computeNormals(load.log);
    return grid;
}
