// Fuzz target: terrain.txt measured and read into a grid of the measured size.
// Checks the size against the bytes, the first row's levels, and that every cell stays a
// flat cell of a map level with its band's texture.
#include "fuzz/fuzz_support.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "terrain/world.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// The texture names the bands copy into their cells; any four distinct values serve.
const BandTextures names{11, 12, 13, 14};

// Columns from the bytes themselves: the bytes in front of the first LF, a CR directly in
// front of it being part of the line end.
long long expectedCols(const uint8_t* data, size_t size)
{
    const void* lf = std::memchr(data, '\n', size);
    if (!lf) return static_cast<long long>(size);
    const size_t at = static_cast<const uint8_t*>(lf) - data;
    return static_cast<long long>(at) - (at > 0 && data[at - 1] == '\r' ? 1 : 0);
}

void checkCell(const TerrainCell& cell)
{
    const float z = cell.vertices[SlotCentre].position[2];
    const int level = static_cast<int>(z / 5.0f);
    FUZZ_CHECK(level >= 0 && level <= 9 && z == level * 5.0f);
    for (const Vertex& v : cell.vertices) FUZZ_CHECK(v.position[2] == z);
    FUZZ_CHECK(cell.texture == bandTexture(names, z));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int rows = -1, cols = -1;
    {
        InputBytes in(data, size);
        FUZZ_CHECK(measureTerrain(in.get(), quietLog(), rows, cols));
    }
    FUZZ_CHECK(rows == 1 + static_cast<long long>(std::count(data, data + size, '\n')));
    FUZZ_CHECK(cols == expectedCols(data, size));
    const long long cells = static_cast<long long>(rows) * cols;
    if (cells > maxTerrainCells || cells > fuzzCellCap) return 0;

    TerrainGrid* grid = new (std::nothrow) TerrainGrid(rows, cols, names);
    FUZZ_CHECK(grid && grid->valid());
    {
        InputBytes in(data, size);
        readHeights(in.get(), quietLog(), *grid);
    }
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) checkCell(*grid->cellAt(row, col));
    // The first line fills row 0 exactly, one character per column.
    for (int col = 0; col < cols; ++col) {
        const uint8_t c = data[col];
        const int level = c >= '0' && c <= '9' ? c - '0' : 0;
        FUZZ_CHECK(grid->cellAt(0, col)->vertices[SlotCentre].position[2] == level * 5.0f);
    }
    delete grid;
    return 0;
}
