// The height map terrain.txt: measuring its size and reading its heights into a grid, from
// an open stream, with the diagnostic lines going to a stream of the caller's.
#pragma once

#include <cstdio>

class TerrainGrid;

// What the height reader does with each byte, for a tool that tells a map author where a
// character lands. The game reads without one and stops once the rows are used up; with one,
// reading goes on to the end of the file, so that every byte is told where it would land.
class HeightsObserver {
  public:
    virtual ~HeightsObserver() = default;
    // The byte at `offset` (from the start of the file) went to the cell (row, col); a row at
    // or past the grid's last sets nothing.
    virtual void cell(long long offset, int c, int row, int col) = 0;
    // The line end at `offset` (an LF, or the CR of a CR LF pair) moved on to `nextRow`.
    virtual void lineEnd(long long offset, int nextRow) = 0;
};

// Counts the grid size: columns = characters of the first line, rows = newlines + 1
// (a file without a newline is one row), saturating at INT32_MAX. A null stream (the file
// could not be opened) writes "can't open terrain file" to log, leaves the counts untouched
// and yields false.
bool measureTerrain(std::FILE* in, std::FILE* log, int& rows, int& cols);

// Sets every cell that a character reaches to its digit's level (0 for a non-digit), after
// writing "loading" to log; a null stream writes "can't open terrain file" instead.
void readHeights(std::FILE* in, std::FILE* log, TerrainGrid& grid,
                 HeightsObserver* observer = nullptr);
