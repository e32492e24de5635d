// Seam stitching: shared edge midpoints and corners take the mean of the cell centres
// around them, and every cell is linked to its existing neighbours.
#include "terrain/grid.h"

#include "terrain/cell_rules.h"

namespace {

float centreZ(const TerrainCell* cell)
{
    return cell->vertices[SlotCentre].position[2];
}

// A corner accumulator: the centre heights of the cells that share one corner point.
struct Corner {
    float sum;
    int count;
    void add(float z)
    {
        sum += z;
        ++count;
    }
    float mean() const { return sum / count; }
};

} // namespace

bool TerrainGrid::joinCells(float x, float y, float z, TerrainCell* a, TerrainCell* b, int side)
{
    if (!a || !b || side < SideN || side > SideW) return false;
    const int opposite = side ^ 1; // N<->S and E<->W
    a->setNeighbour(b, side);
    a->setVertex(x, y, z, side, textures);
    b->setVertex(x, y, z, opposite, textures);
    b->setNeighbour(a, opposite);
    return true;
}

bool TerrainGrid::stitchCell(int row, int col)
{
    TerrainCell* cell = cellAt(row, col);
    if (!cell) return false;
    const float cx = cell->vertices[SlotCentre].position[0];
    const float cy = cell->vertices[SlotCentre].position[1];
    const float cz = centreZ(cell);
    Corner ne{cz, 1}, nw{cz, 1}, se{cz, 1}, sw{cz, 1};

    if (TerrainCell* n = cellAt(row - 1, col)) {
        joinCells(cx - 5, cy, seamHeight(cz, centreZ(n)), cell, n, SideN);
        ne.add(centreZ(n));
        nw.add(centreZ(n));
    }
    if (TerrainCell* e = cellAt(row, col + 1)) {
        joinCells(cx, cy + 5, seamHeight(cz, centreZ(e)), cell, e, SideE);
        ne.add(centreZ(e));
        se.add(centreZ(e));
        if (TerrainCell* d = cellAt(row - 1, col + 1)) {
            ne.add(centreZ(d));
            cell->setNeighbour(d, SlotNE);
        }
        if (TerrainCell* d = cellAt(row + 1, col + 1)) {
            se.add(centreZ(d));
            cell->setNeighbour(d, SlotSE);
        }
    }
    if (TerrainCell* s = cellAt(row + 1, col)) {
        joinCells(cx + 5, cy, seamHeight(cz, centreZ(s)), cell, s, SideS);
        se.add(centreZ(s));
        sw.add(centreZ(s));
    }
    if (TerrainCell* w = cellAt(row, col - 1)) {
        joinCells(cx, cy - 5, seamHeight(cz, centreZ(w)), cell, w, SideW);
        nw.add(centreZ(w));
        sw.add(centreZ(w));
        if (TerrainCell* d = cellAt(row - 1, col - 1)) {
            nw.add(centreZ(d));
            cell->setNeighbour(d, SlotNW);
        }
        if (TerrainCell* d = cellAt(row + 1, col - 1)) {
            sw.add(centreZ(d));
            cell->setNeighbour(d, SlotSW);
        }
    }
    cell->setVertex(cx - 5, cy - 5, nw.mean(), SlotNW, textures);
    cell->setVertex(cx + 5, cy - 5, sw.mean(), SlotSW, textures);
    cell->setVertex(cx - 5, cy + 5, ne.mean(), SlotNE, textures);
    cell->setVertex(cx + 5, cy + 5, se.mean(), SlotSE, textures);
    return true;
}
