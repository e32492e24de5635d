// The object map objects.txt: one byte per cell places a cube, pyramid or tree, or the
// player's start. Its reading rule, which the game's loadObjects and the world checker share,
// and the game's reading of it onto the grid.
#pragma once

#include "models/object_kinds.h"
#include "terrain/byte_reader.h"
#include "terrain/terrain_file.h"
#include "terrain/world_source.h"

#include <cstdio>
#include <utility>

class MeshStore;
class TerrainGrid;

// The identifiers the mesh store gave the four models, in the order the load reads them.
struct MeshIds {
    int cube = 0, pyramid = 0, tree = 0, person = 0;

    // The identifier of the mesh read from the model file `model` (one of the four models).
    const int& of(WorldFile model) const
    {
        switch (model) {
        case WorldFile::Cube: return cube;
        case WorldFile::Pyramid: return pyramid;
        case WorldFile::Tree: return tree;
        default: return person;
        }
    }
    int& of(WorldFile model) { return const_cast<int&>(std::as_const(*this).of(model)); }
};

// The object map's reading rule: one byte a cell, one line a row, and a byte past the last of
// `cols` columns dropped, the bytes after it filling the next row. Hands `to` every byte:
//   to.cell(c, row, col)   byte c stands on the cell (row, col); a row at or past the grid's
//                          last is outside the grid
//   to.dropped(c, row)     byte c ran past the last column of `row`: it is lost, and reading
//                          goes on at the start of the next row
//   to.lineEnd(nextRow)    an LF (or CR LF) ended the line: the next starts that row
// Reads until the end of the file (true), or stops at the first byte it reads once the row has
// reached `rowBound` (false).
template <typename Receiver>
bool readObjectMap(ByteReader& reader, int cols, int rowBound, Receiver& to)
{
    int row = 0, col = 0;
    for (int c; (c = reader.get()) != EOF;) {
        if (row >= rowBound) return false;
        if (c == '\n') {
            col = 0;
            row = rowAfter(row);
            to.lineEnd(row);
        } else if (col >= cols) {
            to.dropped(c, row);
            col = 0;
            row = rowAfter(row);
        } else {
            to.cell(c, row, col);
            ++col;
        }
    }
    return true;
}

// Reads the object map onto the grid, no further than its rows: instances of the meshes `ids`
// names in `meshes`, flattened solid cells, wall flags and the start cell; lines go to log. A
// null stream (the file could not be opened) writes "can't open object file" and places
// nothing. Returns true when the map named a start cell ("X").
bool loadObjects(TerrainGrid& grid, std::FILE* in, const MeshStore& meshes, const MeshIds& ids,
                 std::FILE* log);
