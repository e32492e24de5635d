// Reading terrain.txt: one character per cell, one line per row, long lines spilling over.
#include "terrain/terrain_file.h"

#include "terrain/byte_reader.h"
#include "terrain/grid.h"

#include <climits>
#include <cstdio>

namespace {

const char* const terrainFile = "terrain.txt";

void countUp(long long& counter)
{
    if (counter < INT_MAX) ++counter;
}

} // namespace

bool measureTerrain(int& rows, int& cols)
{
    ByteReader reader(terrainFile);
    if (!reader.isOpen()) {
        printf("can't open terrain file");
        return false;
    }
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

void readHeights(TerrainGrid& grid)
{
    ByteReader reader(terrainFile);
    if (!reader.isOpen()) {
        printf("can't open terrain file");
        return;
    }
    printf("loading");
    int row = 0, col = 0, c;
    while (row < grid.rows && (c = reader.get()) != EOF) {
        if (c == '\n') {
            col = 0;
            ++row;
            continue;
        }
        if (col >= grid.cols) {
            col = 0;
            ++row;
        }
        const int level = (c >= '0' && c <= '9') ? c - '0' : 0;
        grid.setCellHeight(row, col, level);
        ++col;
    }
}
