// Fuzz target: objects.txt read onto a small fixed stitched grid. Checks that instances and
// cells agree, that only solid cells change shape or carry wall flags, the first row's
// objects, and the start cell.
#include "fuzz/fuzz_support.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/object_kinds.h"
#include "models/object_map.h"
#include "terrain/grid.h"

#include <cstring>
#include <new>

namespace {

// The fixed world: five rows of six cells, every band present, stitched like a loaded map.
const char* const heightRows[] = {"123456", "654321", "901190", "111111", "999000"};
constexpr int gridRows = 5, gridCols = 6;

const char cubeModel[] = "1\n0.5 0.5 0.5\n3\n0 0 0\n1 0 0\n0 1 0\n";
const char treeModel[] = "1\n0 1 0\n3\n0 0 0\n0 1 0\n0 0 1\n";

const BandTextures names{11, 12, 13, 14};

// The meshes are read once and stay in the store for the whole process: every run uses
// the same three, so the store does not grow.
MeshStore meshes;
MeshIds ids;

int readModel(const char* text, size_t length)
{
    InputBytes in(text, length);
    return meshes.loadMesh(in.get(), quietLog());
}

// The grid as the load leaves it before the objects: the fixed heights, stitched.
TerrainGrid* makeGrid()
{
    TerrainGrid* grid = new (std::nothrow) TerrainGrid(gridRows, gridCols, names);
    FUZZ_CHECK(grid && grid->valid());
    for (int row = 0; row < gridRows; ++row)
        for (int col = 0; col < gridCols; ++col)
            grid->setCellHeight(row, col, heightRows[row][col] - '0');
    for (int row = 0; row < gridRows; ++row)
        for (int col = 0; col < gridCols; ++col) grid->stitchCell(row, col);
    grid->startX = grid->startY = grid->startZ = -1;
    return grid;
}

// The grid before any object is placed, to compare the cells that must not change.
const TerrainGrid& reference()
{
    static TerrainGrid* grid = makeGrid();
    return *grid;
}

bool sameGeometry(const TerrainCell& a, const TerrainCell& b)
{
    for (int slot = 0; slot < 9; ++slot)
        for (int i = 0; i < 3; ++i)
            if (a.vertices[slot].position[i] != b.vertices[slot].position[i]) return false;
    return true;
}

void checkCell(const TerrainCell& cell, const TerrainCell& before)
{
    const bool solid = cell.model && cell.model->passable == 0;
    if (cell.model) FUZZ_CHECK(cell.model->mesh != nullptr);
    if (solid) {
        const float z = cell.vertices[SlotCentre].position[2];
        FUZZ_CHECK(z == before.vertices[SlotCentre].position[2]);
        for (const Vertex& v : cell.vertices) FUZZ_CHECK(v.position[2] == z);
    } else {
        FUZZ_CHECK(sameGeometry(cell, before));
    }
    for (uint8_t flag : cell.sideFlags) {
        FUZZ_CHECK(flag == 0 || flag == 1);
        if (flag) FUZZ_CHECK(solid);
    }
    FUZZ_CHECK(cell.texture == bandTexture(names, cell.vertices[SlotCentre].position[2]));
}

// The passable value of the object that byte c places: 0 solid, 1 passable, -1 for none.
int passableOf(uint8_t c)
{
    const int kind = objectKindOf(c);
    return kind < 0 ? -1 : objectKinds[kind].solid ? 0 : 1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const ObjectKind& kind : objectKinds)
        ids.of(kind.model) = kind.solid ? readModel(cubeModel, sizeof cubeModel - 1)
                                        : readModel(treeModel, sizeof treeModel - 1);
    reference();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TerrainGrid* grid = makeGrid();
    InputBytes in(data, size);
    const bool started = loadObjects(*grid, in.get(), meshes, ids, quietLog());

    int placed = 0;
    for (const ModelInstance* m = grid->instances; m; m = m->next) ++placed;
    int withModel = 0;
    for (int row = 0; row < gridRows; ++row) {
        for (int col = 0; col < gridCols; ++col) {
            const TerrainCell& cell = *grid->cellAt(row, col);
            withModel += cell.model != nullptr;
            checkCell(cell, *reference().cellAt(row, col));
        }
    }
    FUZZ_CHECK(placed == withModel);

    // The first line is row 0, one byte per column, until its line end or the last column.
    const void* lf = std::memchr(data, '\n', size);
    size_t lineLength = lf ? static_cast<const uint8_t*>(lf) - data : size;
    if (lineLength > 0 && lf && data[lineLength - 1] == '\r') --lineLength;
    for (int col = 0; col < gridCols && static_cast<size_t>(col) < lineLength; ++col) {
        const TerrainCell& cell = *grid->cellAt(0, col);
        const int passable = passableOf(data[col]);
        FUZZ_CHECK((passable < 0) == (cell.model == nullptr));
        if (passable >= 0) FUZZ_CHECK(cell.model->passable == passable);
    }

    if (started) {
        FUZZ_CHECK(grid->startX % 10 == 5 && grid->startY % 10 == 5);
        const TerrainCell* start = grid->cellAt(grid->startX / 10, grid->startY / 10);
        FUZZ_CHECK(start != nullptr);
        FUZZ_CHECK(grid->startZ == static_cast<int>(start->vertices[SlotCentre].position[2] + 5));
    } else {
        FUZZ_CHECK(grid->startX == -1 && grid->startY == -1 && grid->startZ == -1);
    }
    delete grid;
    return 0;
}
