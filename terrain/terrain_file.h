// The height map terrain.txt: measuring its size and reading its heights into a grid.
#pragma once

class TerrainGrid;

// Counts the grid size: columns = characters of the first line, rows = newlines + 1
// (a file without a newline is one row). False, with "can't open terrain file" printed and
// the counts untouched, when the file cannot be opened. Counts saturate at INT32_MAX.
bool measureTerrain(int& rows, int& cols);

// Sets every cell that a character reaches to its digit's level (0 for a non-digit).
// Prints "loading" first, or "can't open terrain file" when the file cannot be opened.
void readHeights(TerrainGrid& grid);
