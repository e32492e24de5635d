// Reading objects.txt: one byte per cell places a cube, pyramid or tree, or the start.
// Solid objects flatten their cell and ask for walls on its sides.
#include "models/object_map.h"

#include "models/model_instance.h"
#include "terrain/byte_reader.h"
#include "terrain/grid.h"

#include <new>

namespace {

// Tells nothing: the game's reading, which the compiler keeps free of any observer call.
struct Unobserved {
    static constexpr bool readsToTheEnd = false;
    void byte(long long, int, int, int, ObjectByte) {}
    void unread(long long, int) {}
};

// Tells an observer, and goes on to the end of the file once reading stops.
struct Observed {
    static constexpr bool readsToTheEnd = true;
    ObjectMapObserver& observer;
    void byte(long long offset, int c, int row, int col, ObjectByte what)
    {
        observer.byte(offset, c, row, col, what);
    }
    void unread(long long offset, int c) { observer.unread(offset, c); }
};

// Makes an instance and places it; a failed allocation still places the solid shape.
void placeNew(TerrainGrid& grid, const MeshStore& meshes, int meshId, int passable, int row,
              int col, std::FILE* log)
{
    ModelInstance* instance = new (std::nothrow) ModelInstance(meshes, meshId, passable, log);
    grid.placeModel(instance, row, col, passable, log);
}

template <typename Observer>
bool readObjects(ByteReader& reader, TerrainGrid& grid, const MeshStore& meshes, const MeshIds& ids,
                 std::FILE* log, Observer& seen)
{
    bool startFound = false;
    int row = 0, col = 0, c;
    while ((c = reader.get()) != EOF) {
        if (row >= grid.rows) {
            if (!Observer::readsToTheEnd) break;
            seen.unread(reader.offset(), c);
            continue;
        }
        if (c == '\n') {
            col = 0;
            ++row;
            continue;
        }
        if (col >= grid.cols) { // a byte past the last column is dropped and wraps the row
            seen.byte(reader.offset(), c, row, col, ObjectByte::Dropped);
            col = 0;
            ++row;
            continue;
        }
        const ObjectByte what = objectFor(c);
        switch (what) {
        case ObjectByte::Pyramid: placeNew(grid, meshes, ids.pyramid, 0, row, col, log); break;
        case ObjectByte::Cube: placeNew(grid, meshes, ids.cube, 0, row, col, log); break;
        case ObjectByte::Tree: placeNew(grid, meshes, ids.tree, 1, row, col, log); break;
        case ObjectByte::Start:
            grid.setStartCell(row, col);
            startFound = true;
            break;
        default: break;
        }
        seen.byte(reader.offset(), c, row, col, what);
        ++col;
    }
    return startFound;
}

} // namespace

ObjectByte objectFor(int c)
{
    switch (c) {
    case 'A':
    case 'a': return ObjectByte::Pyramid;
    case 'C':
    case 'c': return ObjectByte::Cube;
    case 'T':
    case 't': return ObjectByte::Tree;
    case 'X':
    case 'x': return ObjectByte::Start;
    default: return ObjectByte::Empty;
    }
}

bool loadObjects(TerrainGrid& grid, std::FILE* in, const MeshStore& meshes, const MeshIds& ids,
                 std::FILE* log, ObjectMapObserver* observer)
{
    if (!in) {
        std::fputs("can't open object file", log);
        return false;
    }
    std::fputs("\n\nloading", log);
    ByteReader reader(in);
    if (observer) {
        Observed seen{*observer};
        return readObjects(reader, grid, meshes, ids, log, seen);
    }
    Unobserved nobody;
    return readObjects(reader, grid, meshes, ids, log, nobody);
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
    if (!cell->model) std::fputs("model not loaded sucessfully!!!!!!!!!!!!!!!!!!!!!!\n", log);
}

void TerrainGrid::setStartCell(int row, int col)
{
    const TerrainCell* cell = cellAt(row, col);
    if (!cell) return;
    startX = row * 10 + 5;
    startY = col * 10 + 5;
    startZ = static_cast<int>(cell->vertices[SlotCentre].position[2] + 5.0f);
}
