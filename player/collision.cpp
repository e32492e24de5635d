// The collision test: the surface under the point is the plane of one of the cell's eight
// triangles, chosen by quadrant and by the diagonal between the quadrant's edge midpoints.
#include "player/collision.h"

#include "models/model_instance.h"
#include "terrain/grid.h"

#include <cmath>
#include <cstdio>

namespace {

// Triangle corners for the plane test, by quadrant: inner (with the centre), then outer.
// Quadrants: 0 north-east, 1 north-west, 2 south-west, 3 south-east.
const int quadrantTriangles[4][2][3] = {
    {{SlotN, SlotCentre, SlotE}, {SlotN, SlotE, SlotNE}},
    {{SlotN, SlotW, SlotCentre}, {SlotN, SlotNW, SlotW}},
    {{SlotS, SlotCentre, SlotW}, {SlotS, SlotW, SlotSW}},
    {{SlotS, SlotE, SlotCentre}, {SlotS, SlotSE, SlotE}},
};

// True when the point lies on or below the plane through the three corners.
bool onOrBelowPlane(const TerrainCell& cell, const int corners[3], float x, float y, float z)
{
    const float* p1 = cell.vertices[corners[0]].position;
    const float* p2 = cell.vertices[corners[1]].position;
    const float* p3 = cell.vertices[corners[2]].position;
    const float a[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
    const float b[3] = {p3[0] - p1[0], p3[1] - p1[1], p3[2] - p1[2]};
    float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (float& component : n) component /= length;
    const float d = n[0] * p1[0] + n[1] * p1[1] + n[2] * p1[2];
    const float e = n[0] * x + n[1] * y + n[2] * z;
    return !(e > d);
}

} // namespace

bool isBlocked(const TerrainGrid& grid, float x, float y, float z, std::FILE* log)
{
    if (x <= 0) return true;
    if (y <= 0) return true;
    if (z >= 50) return true;
    const float rowF = x * 0.1f, colF = y * 0.1f;
    // Compared as floats first, so that a far or non-finite point never reaches the cast.
    if (!(rowF < grid.rows) || !(colF < grid.cols)) return true;
    const TerrainCell* cell = grid.cellAt(static_cast<int>(rowF), static_cast<int>(colF));
    if (!cell) return true;

    const float* centre = cell->vertices[SlotCentre].position;
    if (cell->model && cell->model->passable == 0 && z <= centre[2]) {
        std::fputs("terrain has model & user flying under TERRAIN!!!\n", log);
        return true;
    }
    const float dx = x - centre[0], dy = y - centre[1];
    const bool north = x <= centre[0], east = y >= centre[1];
    const int quadrant = north ? (east ? 0 : 1) : (east ? 3 : 2);
    const bool inner = std::fabs(dx) + std::fabs(dy) < 5.0f;
    return onOrBelowPlane(*cell, quadrantTriangles[quadrant][inner ? 0 : 1], x, y, z);
}
