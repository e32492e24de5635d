// Reading objects.txt: one byte per cell places a cube, pyramid or tree, or the start.
// Solid objects flatten their cell and ask for walls on its sides.
#include "app/game_state.h"
#include "models/model_instance.h"
#include "terrain/byte_reader.h"
#include "terrain/grid.h"

#include <cstdio>
#include <new>

namespace {

// Makes an instance and places it; a failed allocation still places the solid shape.
void placeNew(TerrainGrid& grid, int meshId, int passable, int row, int col)
{
    ModelInstance* instance = new (std::nothrow) ModelInstance(meshId, passable);
    grid.placeModel(instance, row, col, passable);
}

} // namespace

bool loadObjects(TerrainGrid& grid)
{
    ByteReader reader("objects.txt");
    if (!reader.isOpen()) {
        printf("can't open object file");
        return false;
    }
    printf("\n\nloading");
    bool startFound = false;
    int row = 0, col = 0, c;
    while ((c = reader.get()) != EOF && row < grid.rows) {
        if (c == '\n') {
            col = 0;
            ++row;
            continue;
        }
        if (col >= grid.cols) { // a byte past the last column is dropped and wraps the row
            col = 0;
            ++row;
            continue;
        }
        switch (c) {
        case 'A':
        case 'a': placeNew(grid, game.pyramidMeshId, 0, row, col); break;
        case 'C':
        case 'c': placeNew(grid, game.cubeMeshId, 0, row, col); break;
        case 'T':
        case 't': placeNew(grid, game.treeMeshId, 1, row, col); break;
        case 'X':
        case 'x':
            grid.setStartCell(row, col);
            startFound = true;
            break;
        default: break;
        }
        ++col;
    }
    return startFound;
}

void TerrainGrid::placeModel(ModelInstance* instance, int row, int col, int passable)
{
    TerrainCell* cell = cellAt(row, col);
    if (!cell) return;
    if (instance) {
        instance->next = instances;
        instances = instance;
    }
    cell->model = instance;
    if (passable == 1) return;

    // 0.2 in single precision gives multiples of 5 back their level exactly.
    const int level = static_cast<int>(cell->vertices[SlotCentre].position[2] * 0.2f);
    setCellHeight(row, col, level);
    // Between two adjacent solid cells only the later one keeps the flag on their side.
    if (TerrainCell* n = cellAt(row - 1, col)) {
        n->sideFlags[SideS] = 0;
        cell->sideFlags[SideN] = 1;
    }
    if (TerrainCell* s = cellAt(row + 1, col)) {
        s->sideFlags[SideN] = 0;
        cell->sideFlags[SideS] = 1;
    }
    if (TerrainCell* w = cellAt(row, col - 1)) {
        w->sideFlags[SideE] = 0;
        cell->sideFlags[SideW] = 1;
    }
    if (TerrainCell* e = cellAt(row, col + 1)) {
        e->sideFlags[SideW] = 0;
        cell->sideFlags[SideE] = 1;
    }
    if (!cell->model) printf("model not loaded sucessfully!!!!!!!!!!!!!!!!!!!!!!\n");
}

void TerrainGrid::setStartCell(int row, int col)
{
    const TerrainCell* cell = cellAt(row, col);
    if (!cell) return;
    startX = row * 10 + 5;
    startY = col * 10 + 5;
    startZ = static_cast<int>(cell->vertices[SlotCentre].position[2] + 5.0f);
}
