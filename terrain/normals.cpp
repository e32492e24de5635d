// Face normals of the eight triangles of every cell, and smooth vertex normals summed
// over the triangles of this cell and its linked neighbours.
#include "terrain/grid.h"

#include <cmath>
#include <cstdio>

namespace {

// One contribution to a vertex normal: a triangle of the cell in `slot`, or of this cell
// itself when slot is -1.
struct FaceRef {
    int slot;
    int triangle;
};

// Which triangles meet at each vertex, by vertex slot; unused entries have triangle -1.
const FaceRef vertexFaces[9][8] = {
    /* N  */ {{-1, 0}, {-1, 2}, {-1, 4}, {-1, 5}, {SlotN, 1}, {SlotN, 3}, {SlotN, 6}, {SlotN, 7}},
    /* S  */ {{-1, 1}, {-1, 3}, {-1, 6}, {-1, 7}, {SlotS, 0}, {SlotS, 2}, {SlotS, 4}, {SlotS, 5}},
    /* E  */ {{-1, 1}, {-1, 2}, {-1, 4}, {-1, 6}, {SlotE, 0}, {SlotE, 3}, {SlotE, 5}, {SlotE, 7}},
    /* W  */ {{-1, 0}, {-1, 3}, {-1, 5}, {-1, 7}, {SlotW, 1}, {SlotW, 2}, {SlotW, 4}, {SlotW, 6}},
    /* NE */ {{-1, 4}, {SlotN, 6}, {SlotE, 5}, {SlotNE, 7}, {0, -1}, {0, -1}, {0, -1}, {0, -1}},
    /* NW */ {{-1, 5}, {SlotN, 7}, {SlotW, 4}, {SlotNW, 6}, {0, -1}, {0, -1}, {0, -1}, {0, -1}},
    /* SE */ {{-1, 6}, {SlotE, 7}, {SlotS, 4}, {SlotSE, 5}, {0, -1}, {0, -1}, {0, -1}, {0, -1}},
    /* SW */ {{-1, 7}, {SlotS, 5}, {SlotW, 6}, {SlotSW, 4}, {0, -1}, {0, -1}, {0, -1}, {0, -1}},
    /* C  */ {{-1, 0}, {-1, 1}, {-1, 2}, {-1, 3}, {0, -1}, {0, -1}, {0, -1}, {0, -1}},
};

} // namespace

void TerrainCell::computeFaceNormals()
{
    for (int k = 0; k < 8; ++k) {
        const float* p = vertices[triangleCorners[k][0]].position;
        const float* q = vertices[triangleCorners[k][1]].position;
        const float* r = vertices[triangleCorners[k][2]].position;
        const float u[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
        const float v[3] = {r[0] - p[0], r[1] - p[1], r[2] - p[2]};
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                            u[0] * v[1] - u[1] * v[0]};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int i = 0; i < 3; ++i) faceNormals[k][i] = n[i] / length;
    }
}

void TerrainCell::computeVertexNormals(std::FILE* log)
{
    for (int slot = 0; slot < 9; ++slot) {
        float sum[3] = {0, 0, 0};
        for (const FaceRef& ref : vertexFaces[slot]) {
            if (ref.triangle < 0) break;
            const TerrainCell* owner = ref.slot < 0 ? this : neighbours[ref.slot];
            if (!owner) continue;
            for (int i = 0; i < 3; ++i) sum[i] += owner->faceNormals[ref.triangle][i];
        }
        const float length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
        setVertexNormal(sum[0] / length, sum[1] / length, sum[2] / length, slot);
    }
    if (neighbours[SlotS]) std::fputs("south exits", log);
}

void TerrainGrid::computeNormals(std::FILE* log)
{
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) cells[row][col]->computeFaceNormals();
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) cells[row][col]->computeVertexNormals(log);
}
