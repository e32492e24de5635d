// Reading terrain.txt: one character per cell, one line per row, long lines spilling over.
#include "terrain/terrain_file.h"

#include "terrain/byte_reader.h"

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
