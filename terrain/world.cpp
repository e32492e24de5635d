// The GL-free part of the world load, and the test-only release of a world.
#include "terrain/world.h"

#include "app/game_state.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"

#include <cstdio>
#include <new>

TerrainGrid* buildWorld()
{
    int rows = 0, cols = 0;
    if (!measureTerrain(rows, cols)) return nullptr;
    // A map of empty lines has no cells but still one row table entry per line: it is
    // bounded by the same number.
    if (static_cast<long long>(rows) * cols > maxTerrainCells || rows > maxTerrainCells) {
        printf("terrain too large: %d x %d cells\n", rows, cols);
        return nullptr;
    }
    TerrainGrid* grid = new (std::nothrow) TerrainGrid(rows, cols);
    if (!grid || !grid->valid()) {
        delete grid;
        return nullptr;
    }
    readHeights(*grid);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) grid->stitchCell(row, col);

    game.cubeMeshId = loadMesh("cube.txt");
    game.pyramidMeshId = loadMesh("pyramid.txt");
    game.treeMeshId = loadMesh("tree.txt");
    game.personMeshId = loadMesh("person.txt");

    // Without a start cell in the map the player starts above the middle cell, or at
    // (5, 5, 5) in a world without cells.
    if (!loadObjects(*grid)) {
        if (grid->cellAt(rows / 2, cols / 2)) {
            grid->setStartCell(rows / 2, cols / 2);
        } else {
            grid->startX = grid->startY = grid->startZ = 5;
        }
    }
    grid->placePeople();
    grid->computeNormals();
    return grid;
}

void releaseWorld(TerrainGrid* grid)
{
    if (!grid) return;
    for (Person*& person : grid->people) {
        delete person;
        person = nullptr;
    }
    while (ModelInstance* instance = grid->instances) {
        grid->instances = instance->next;
        delete instance;
    }
    delete grid;
}
