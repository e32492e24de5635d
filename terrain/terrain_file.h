// The height map terrain.txt: measuring its size, the size the load takes, and the rule that
// reads its characters into cells, which the game's readHeights and the world checker share.
#pragma once

#include "terrain/byte_reader.h"

#include <climits>
#include <cstdio>

class TerrainGrid;

// Largest terrain accepted, in cells (2048 x 2048); a larger map is refused unallocated.
constexpr long long maxTerrainCells = 4194304;

// Whether the load takes a map of rows x cols: at most maxTerrainCells cells, and as many rows
// (a map of empty lines has no cells but still one row table entry per line).
inline bool terrainFits(int rows, int cols)
{
    return static_cast<long long>(rows) * cols <= maxTerrainCells && rows <= maxTerrainCells;
}

// Counts the grid size: columns = characters of the first line, rows = newlines + 1
// (a file without a newline is one row), saturating at INT32_MAX. A null stream (the file
// could not be opened) writes "can't open terrain file" to log, leaves the counts untouched
// and yields false.
bool measureTerrain(std::FILE* in, std::FILE* log, int& rows, int& cols);

// The level a character of the map gives its cell: a digit's value, 0 for anything else.
inline int digitLevel(int c)
{
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

// No bound on the rows a rule reads: it reads to the end of the file.
constexpr int noRowBound = INT_MAX;

// The row after `row`: the maps' readers stop counting rows at INT_MAX.
inline int rowAfter(int row)
{
    return row < INT_MAX ? row + 1 : row;
}

// The height map's reading rule: one character a cell, one line a row, and a character past
// the last of `cols` columns continuing at the start of the next row. Hands `to` every byte:
//   to.cell(c, level, row, col)   the character c gives the cell (row, col) its level; the
//                                 cell lies outside the grid when the row is at or past its
//                                 last, and always in a grid of no columns
//   to.lineEnd(nextRow)           an LF (or CR LF) ended the line: the next starts that row
// Reads until the end of the file (true), or stops before the next byte once the row reaches
// `rowBound` (false).
template <typename Receiver>
bool readLevels(ByteReader& reader, int cols, int rowBound, Receiver& to)
{
    int row = 0, col = 0;
    while (row < rowBound) {
        const int c = reader.get();
        if (c == EOF) return true;
        if (c == '\n') {
            col = 0;
            row = rowAfter(row);
            to.lineEnd(row);
            continue;
        }
        if (col >= cols) {
            col = 0;
            row = rowAfter(row);
        }
        to.cell(c, digitLevel(c), row, col);
        ++col;
    }
    return false;
}

// Sets every cell that a character reaches to its digit's level (0 for a non-digit), after
// writing "loading" to log, reading no further than the grid's rows; a null stream writes
// "can't open terrain file" instead.
void readHeights(std::FILE* in, std::FILE* log, TerrainGrid& grid);
