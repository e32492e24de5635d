// Reading objects.txt onto the grid: one byte per cell places a cube, pyramid or tree, or the
// start. Solid objects flatten their cell and ask for walls on its sides.
#include "models/object_map.h"

#include "models/model_instance.h"
#include "terrain/cell_rules.h"
#include "terrain/grid.h"

#include <new>

namespace {

// The game's receiver of the object map: an instance of its kind's mesh for each object
// letter, placed on its cell, and the start cell; dropped bytes and line ends change nothing.
struct GridObjects {
    TerrainGrid& grid;
    const MeshStore& meshes;
    const MeshIds& ids;
    std::FILE* log;
    bool startFound = false;

    void cell(int c, int row, int col)
    {
        const int kind = objectKindOf(c);
        if (kind >= 0) {
            const ObjectKind& object = objectKinds[kind];
            const int passable = object.solid ? 0 : 1;
            // A failed allocation still places the solid shape.
            ModelInstance* instance =
                new (std::nothrow) ModelInstance(meshes, ids.of(object.model), passable, log);
            grid.placeModel(instance, row, col, passable, log);
        } else if (isStartByte(c)) {
            grid.setStartCell(row, col);
            startFound = true;
        }
    }
    void dropped(int, int) {}
    void lineEnd(int) {}
};

} // namespace

bool loadObjects(TerrainGrid& grid, std::FILE* in, const MeshStore& meshes, const MeshIds& ids,
                 std::FILE* log)
{
    if (!in) {
        std::fputs("can't open object file", log);
        return false;
    }
    std::fputs("\n\nloading", log);
    GridObjects objects{grid, meshes, ids, log};
    ByteReader reader(in);
    readObjectMap(reader, grid.cols, grid.rows, objects);
    return objects.startFound;
}

void TerrainGrid::placeModel(ModelInstance* instance, int row, int col, int passable,
                             std::FILE* log)
{
    TerrainCell* cell = cellAt(row, col);
    if (!cell) return;
    if (instance) {
        instance->next = instances;
        instances = instance;
    }
    cell->model = instance;
    if (passable == 1) return;

    setCellHeight(row, col, flattenedLevel(cell->vertices[SlotCentre].position[2]));
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
    if (!cell->model) std::fputs("model not loaded sucessfully!!!!!!!!!!!!!!!!!!!!!!\n", log);
}

void TerrainGrid::setStartCell(int row, int col)
{
    const TerrainCell* cell = cellAt(row, col);
    if (!cell) return;
    const StartPoint start = startAbove(row, col, cell->vertices[SlotCentre].position[2]);
    startX = start.x;
    startY = start.y;
    startZ = start.z;
}
