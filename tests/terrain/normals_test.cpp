// Tests of the surface normals: unit face normals of the eight triangles, and vertex
// normals summed over the triangles of a cell and its linked neighbours.
#include "terrain/grid.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

const float tolerance = 1e-6f;
const float halfRoot = std::sqrt(0.5f);
const float sin225 = std::sin(22.5f * 3.14159265f / 180.0f);
const float cos225 = std::cos(22.5f * 3.14159265f / 180.0f);

// A grid with the given digit levels, stitched, its normals computed; `log` holds what the
// computation wrote.
struct Terrain {
    explicit Terrain(std::initializer_list<std::string> levels) : grid(makeGrid(levels))
    {
        LogStream out;
        grid->computeNormals(out.get());
        log = out.text();
    }
    const TerrainCell& cell(int row, int col) const { return *grid->cellAt(row, col); }

    std::unique_ptr<TerrainGrid> grid;
    std::string log;
};

void expectNear(const float* actual, float x, float y, float z)
{
    EXPECT_NEAR(x, actual[0], tolerance);
    EXPECT_NEAR(y, actual[1], tolerance);
    EXPECT_NEAR(z, actual[2], tolerance);
}

float length(const float* v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

} // namespace

TEST(Normals, FlatGridPointsStraightUp)
{
    Terrain t({"444", "444", "444"});
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            SCOPED_TRACE(testing::Message() << "cell " << row << "," << col);
            for (const float* n : t.cell(row, col).faceNormals) expectNear(n, 0, 0, 1);
            for (const Vertex& v : t.cell(row, col).vertices) expectNear(v.normal, 0, 0, 1);
        }
    }
}

TEST(Normals, FaceNormalsOfAPeakFaceOutwardsAndUp)
{
    // A lone cell with its centre raised to 10 and its border at 0: each inner triangle
    // leans away from the centre, each corner triangle is flat.
    auto grid = makeGrid({"0"});
    TerrainCell& cell = *grid->cellAt(0, 0);
    cell.setVertex(5.0f, 5.0f, 10.0f, SlotCentre, testTextures());
    cell.computeFaceNormals();
    const float a = 2.0f / 3.0f, b = 1.0f / 3.0f;
    expectNear(cell.faceNormals[0], -a, -a, b); // north-west
    expectNear(cell.faceNormals[1], a, a, b);   // south-east
    expectNear(cell.faceNormals[2], -a, a, b);  // north-east
    expectNear(cell.faceNormals[3], a, -a, b);  // south-west
    for (int k = 4; k < 8; ++k) expectNear(cell.faceNormals[k], 0, 0, 1);
}

TEST(Normals, UnlinkedCellUsesOnlyItsOwnTriangles)
{
    auto grid = makeGrid({"0"});
    TerrainCell& cell = *grid->cellAt(0, 0);
    cell.setVertex(5.0f, 5.0f, 10.0f, SlotCentre, testTextures());
    LogStream log;
    grid->computeNormals(log.get());
    EXPECT_EQ("", log.text());

    // Edge midpoint: two leaning inner triangles and two flat corner triangles.
    const float r5 = std::sqrt(5.0f);
    expectNear(cell.vertices[SlotN].normal, -1 / r5, 0, 2 / r5);
    expectNear(cell.vertices[SlotE].normal, 0, 1 / r5, 2 / r5);
    expectNear(cell.vertices[SlotS].normal, 1 / r5, 0, 2 / r5);
    expectNear(cell.vertices[SlotW].normal, 0, -1 / r5, 2 / r5);
    // The centre's four inner triangles cancel sideways; a corner has one flat triangle.
    expectNear(cell.vertices[SlotCentre].normal, 0, 0, 1);
    for (int slot : {SlotNE, SlotNW, SlotSE, SlotSW})
        expectNear(cell.vertices[slot].normal, 0, 0, 1);
}

TEST(Normals, SlopeRisingEastTiltsNormalsWest)
{
    Terrain t({"02"}); // centres 0 and 10
    const TerrainCell& first = t.cell(0, 0);
    for (int k : {1, 2, 4, 6}) {
        SCOPED_TRACE(k);
        expectNear(first.faceNormals[k], 0, -halfRoot, halfRoot);
    }
    for (int k : {0, 3, 5, 7}) {
        SCOPED_TRACE(k);
        expectNear(first.faceNormals[k], 0, 0, 1);
    }
    expectNear(first.vertices[SlotCentre].normal, 0, -sin225, cos225);
    expectNear(first.vertices[SlotE].normal, 0, -halfRoot, halfRoot);
    expectNear(t.cell(0, 1).vertices[SlotW].normal, 0, -halfRoot, halfRoot);
}

TEST(Normals, SlopeFallingEastTiltsNormalsEast)
{
    Terrain t({"20"}); // centres 10 and 0
    const TerrainCell& second = t.cell(0, 1);
    expectNear(second.vertices[SlotW].normal, 0, halfRoot, halfRoot);
    expectNear(second.vertices[SlotNW].normal, 0, halfRoot, halfRoot);
    expectNear(second.vertices[SlotSW].normal, 0, halfRoot, halfRoot);
    expectNear(t.cell(0, 0).vertices[SlotE].normal, 0, halfRoot, halfRoot);
}

TEST(Normals, SlopeAcrossRowsUsesTheSouthNeighbour)
{
    Terrain t({"2", "0"}); // centres 10 (north) and 0 (south): falling towards +x
    expectNear(t.cell(0, 0).vertices[SlotS].normal, halfRoot, 0, halfRoot);
    expectNear(t.cell(1, 0).vertices[SlotN].normal, halfRoot, 0, halfRoot);
    expectNear(t.cell(1, 0).vertices[SlotNE].normal, halfRoot, 0, halfRoot);
    expectNear(t.cell(0, 0).vertices[SlotSW].normal, halfRoot, 0, halfRoot);
}

TEST(Normals, EveryNormalHasUnitLength)
{
    Terrain t({"0917", "5273", "8046"});
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            SCOPED_TRACE(testing::Message() << "cell " << row << "," << col);
            for (const float* n : t.cell(row, col).faceNormals) {
                EXPECT_NEAR(1.0f, length(n), 1e-5f);
                EXPECT_GT(n[2], 0.0f);
            }
            for (const Vertex& v : t.cell(row, col).vertices) {
                EXPECT_NEAR(1.0f, length(v.normal), 1e-5f);
                EXPECT_GT(v.normal[2], 0.0f);
            }
        }
    }
}

TEST(Normals, CopiesOfOnePointShareOneNormal)
{
    // why: a wrong triangle in the table for one slot, or a border neighbour that cuts the
    // sum short, shows as a crease where one point gets two normals in two cells.
    Terrain t({"0917", "5273", "8046"});
    auto expectSame = [&](int row, int col, int slot, int otherRow, int otherCol, int otherSlot) {
        SCOPED_TRACE(testing::Message() << "cell " << row << "," << col << " slot " << slot
                                        << " against " << otherRow << "," << otherCol);
        const float* n = t.cell(otherRow, otherCol).vertices[otherSlot].normal;
        expectNear(t.cell(row, col).vertices[slot].normal, n[0], n[1], n[2]);
    };
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            if (col + 1 < 4) {
                expectSame(row, col, SlotE, row, col + 1, SlotW);
                expectSame(row, col, SlotNE, row, col + 1, SlotNW);
                expectSame(row, col, SlotSE, row, col + 1, SlotSW);
            }
            if (row + 1 < 3) {
                expectSame(row, col, SlotS, row + 1, col, SlotN);
                expectSame(row, col, SlotSE, row + 1, col, SlotNE);
                expectSame(row, col, SlotSW, row + 1, col, SlotNW);
            }
        }
    }
}

TEST(Normals, EachCellWithASouthNeighbourSaysSoInTheLog)
{
    Terrain threeByFour({"0000", "0000", "0000"});
    std::string eight;
    for (int i = 0; i < 8; ++i) eight += "south exits";
    EXPECT_EQ(eight, threeByFour.log);

    Terrain oneRow({"0123"});
    EXPECT_EQ("", oneRow.log);

    // One cell on its own says it once, into the stream it is given.
    LogStream log;
    threeByFour.grid->cellAt(1, 3)->computeVertexNormals(log.get());
    EXPECT_EQ("south exits", log.text());
    threeByFour.grid->cellAt(2, 3)->computeVertexNormals(log.get());
    EXPECT_EQ("south exits", log.text());
}
