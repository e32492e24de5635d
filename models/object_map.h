// The object map objects.txt: one byte per cell places a cube, pyramid or tree, or the
// player's start, read from an open stream onto the grid.
#pragma once

#include <cstdio>

class MeshStore;
class TerrainGrid;

// The identifiers the mesh store gave the four models, in the order the load reads them.
struct MeshIds {
    int cube = 0, pyramid = 0, tree = 0, person = 0;
};

// What one byte of the object map does.
enum class ObjectByte { Empty, Pyramid, Cube, Tree, Start, Dropped };

// What a byte of the map places: a pyramid, cube or tree, the start, or nothing (Empty).
ObjectByte objectFor(int c);

// What the object map reader does with each byte, for a tool that tells a map author where a
// letter lands. The game reads without one and stops at the first byte it reads once the
// rows are used up; with one, reading goes on, telling every byte from there on as unread.
class ObjectMapObserver {
  public:
    virtual ~ObjectMapObserver() = default;
    // The byte at `offset` (from the start of the file) did `what` at the cell (row, col);
    // a dropped byte ran past the last column and moved on to the next row without a cell.
    virtual void byte(long long offset, int c, int row, int col, ObjectByte what) = 0;
    // The byte at `offset` (a line end too) comes after reading stopped: nothing of it is used.
    virtual void unread(long long offset, int c) = 0;
};

// Reads the object map onto the grid: instances of the meshes `ids` names in `meshes`,
// flattened solid cells, wall flags and the start cell; lines go to log. A null stream (the
// file could not be opened) writes "can't open object file" and places nothing. Returns
// true when the map named a start cell ("X").
bool loadObjects(TerrainGrid& grid, std::FILE* in, const MeshStore& meshes, const MeshIds& ids,
                 std::FILE* log, ObjectMapObserver* observer = nullptr);
