// Reading terrain.txt: one character per cell, one line per row, long lines spilling over.
#include "terrain/terrain_file.h"

#include "terrain/byte_reader.h"
#include "terrain/grid.h"

#include <climits>

namespace {

void countUp(long long& counter)
{
    if (counter < INT_MAX) ++counter;
}

} // namespace

bool measureTerrain(std::FILE* in, std::FILE* log, int& rows, int& cols)
{
    if (!in) {
        std::fputs("can't open terrain file", log);
        return false;
    }
    ByteReader reader(in);
    long long rowCount = 0, colCount = 0;
    int c;
    while ((c = reader.get()) != EOF && c != '\n') countUp(colCount);
    rowCount = 1;
    // Every later newline starts a row, and the end of the file closes the last one.
    while (c != EOF) {
        c = reader.get();
        if (c == '\n' || c == EOF) countUp(rowCount);
    }
    rows = static_cast<int>(rowCount);
    cols = static_cast<int>(colCount);
    return true;
}

void readHeights(std::FILE* in, std::FILE* log, TerrainGrid& grid)
{
    if (!in) {
        std::fputs("can't open terrain file", log);
        return;
    }
    std::fputs("loading", log);
    // The game's receiver: each character sets its cell; a row past the grid's sets nothing.
    struct GridHeights {
        TerrainGrid& grid;
        void cell(int, int level, int row, int col) { grid.setCellHeight(row, col, level); }
        void lineEnd(int) {}
    } heights{grid};
    ByteReader reader(in);
    readLevels(reader, grid.cols, grid.rows, heights);
}
