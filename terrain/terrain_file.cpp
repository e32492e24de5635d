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

// Tells nothing: the game's reading, which the compiler keeps free of any observer call,
// and which stops as soon as the rows are used up.
struct Unobserved {
    static constexpr bool readsToTheEnd = false;
    void cell(long long, int, int, int) {}
    void lineEnd(long long, int) {}
};

// Tells an observer, reading on to the end of the file.
struct Observed {
    static constexpr bool readsToTheEnd = true;
    HeightsObserver& observer;
    void cell(long long offset, int c, int row, int col) { observer.cell(offset, c, row, col); }
    void lineEnd(long long offset, int nextRow) { observer.lineEnd(offset, nextRow); }
};

template <typename Observer> void readLevels(ByteReader& reader, TerrainGrid& grid, Observer& seen)
{
    int row = 0, col = 0, c;
    while ((Observer::readsToTheEnd || row < grid.rows) && (c = reader.get()) != EOF) {
        if (c == '\n') {
            col = 0;
            if (row < INT_MAX) ++row;
            seen.lineEnd(reader.offset(), row);
            continue;
        }
        if (col >= grid.cols) {
            col = 0;
            if (row < INT_MAX) ++row;
        }
        const int level = (c >= '0' && c <= '9') ? c - '0' : 0;
        grid.setCellHeight(row, col, level);
        seen.cell(reader.offset(), c, row, col);
        ++col;
    }
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

void readHeights(std::FILE* in, std::FILE* log, TerrainGrid& grid, HeightsObserver* observer)
{
    if (!in) {
        std::fputs("can't open terrain file", log);
        return;
    }
    std::fputs("loading", log);
    ByteReader reader(in);
    if (observer) {
        Observed seen{*observer};
        readLevels(reader, grid, seen);
    } else {
        Unobserved nobody;
        readLevels(reader, grid, nobody);
    }
}
