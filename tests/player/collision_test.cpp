// Tests of the collision test: world bounds, the ceiling, solid and passable objects, and
// the terrain surface as the plane of the triangle under the point.
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "player/collision.h"
#include "terrain/grid.h"
#include "tests/support/test_support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>

namespace {

const char* const underModel = "terrain has model & user flying under TERRAIN!!!\n";

class Collision : public ::testing::Test {
  protected:
    // An instance on the cell as it stands, without the flattening of a placement.
    void putModel(int r, int c, int passable)
    {
        ModelInstance* instance = new ModelInstance(meshes, 1, passable, quiet.get());
        instance->next = grid->instances;
        grid->instances = instance;
        grid->cellAt(r, c)->model = instance;
    }

    // Whether the point is refused, and what the test wrote while deciding.
    bool blocked(float x, float y, float z)
    {
        LogStream log;
        const bool result = isBlocked(*grid, x, y, z, log.get());
        printed = log.text();
        return result;
    }

    // The surface height at (x, y) is `z`: refused just below it, allowed just above.
    void expectSurface(float x, float y, float z)
    {
        EXPECT_TRUE(blocked(x, y, z - 0.01f)) << "at " << x << ", " << y;
        EXPECT_FALSE(blocked(x, y, z + 0.01f)) << "at " << x << ", " << y;
    }

    MeshStore meshes; // empty: the instances have no mesh
    LogStream quiet;
    std::unique_ptr<TerrainGrid> grid;
    std::string printed;
};

TEST_F(Collision, BoundsAtZeroAreRefused)
{
    grid = makeGrid({"0000", "0000", "0000"});
    EXPECT_TRUE(blocked(0, 15, 1));
    EXPECT_TRUE(blocked(15, 0, 1));
    EXPECT_TRUE(blocked(-3, 15, 1));
    EXPECT_TRUE(blocked(15, -3, 1));
    EXPECT_FALSE(blocked(0.001f, 15, 1));
    EXPECT_FALSE(blocked(15, 0.001f, 1));
    EXPECT_EQ("", printed);
}

TEST_F(Collision, PointsPastTheLastRowOrColumnAreRefused)
{
    grid = makeGrid({"0000", "0000", "0000"});
    EXPECT_TRUE(blocked(30, 15, 1));
    EXPECT_FALSE(blocked(29.99f, 15, 1));
    EXPECT_TRUE(blocked(15, 40, 1));
    EXPECT_FALSE(blocked(15, 39.99f, 1));
    // why: a huge or non-finite coordinate cast to a row or column is undefined behaviour.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(blocked(1e30f, 15, 1));
    EXPECT_TRUE(blocked(15, 1e30f, 1));
    EXPECT_TRUE(blocked(inf, 15, 1));
    EXPECT_TRUE(blocked(nan, 15, 1));
    EXPECT_TRUE(blocked(15, nan, 1));
}

TEST_F(Collision, CeilingIsAtFifty)
{
    grid = makeGrid({"000", "000", "000"});
    EXPECT_TRUE(blocked(15, 15, 50));
    EXPECT_TRUE(blocked(15, 15, 1e9f));
    EXPECT_FALSE(blocked(15, 15, 49.9f));
}

TEST_F(Collision, FlatCellRefusesItsOwnHeight)
{
    grid = makeGrid({"222", "222", "222"});
    const float offsets[] = {-4.9f, -3, -0.5f, 0, 1, 2.5f, 4.9f};
    for (float dx : offsets) {
        for (float dy : offsets) {
            EXPECT_TRUE(blocked(15 + dx, 15 + dy, 10)) << dx << ", " << dy;
            EXPECT_FALSE(blocked(15 + dx, 15 + dy, 10.001f)) << dx << ", " << dy;
        }
    }
}

TEST_F(Collision, SolidObjectRefusesUpToItsCentreHeight)
{
    // The middle cell rises from 5 at its corners to 20 at its centre; the cube does not
    // flatten it here, so the object's rule and the surface's can be told apart.
    grid = makeGrid({"000", "040", "000"});
    putModel(1, 1, 0);
    const float heights[] = {20, 15, 8, 0};
    for (float z : heights) {
        EXPECT_TRUE(blocked(11, 11, z)) << z;
        EXPECT_EQ(underModel, printed) << z;
    }
    EXPECT_FALSE(blocked(11, 11, 20.01f));
    EXPECT_EQ("", printed);
}

TEST_F(Collision, PassableObjectLeavesOnlyTheSurface)
{
    grid = makeGrid({"000", "040", "000"});
    putModel(1, 1, 1);
    // Near the north-west corner the ground is at 7.
    EXPECT_FALSE(blocked(11, 11, 15));
    EXPECT_TRUE(blocked(11, 11, 6.9f));
    EXPECT_EQ("", printed);
    expectSurface(11, 11, 7);
}

TEST_F(Collision, PlacedCubeBlocksAtItsTopWithTheLine)
{
    grid = makeGrid({"000", "030", "000"});
    grid->placeModel(new ModelInstance(meshes, 1, 0, quiet.get()), 1, 1, 0, quiet.get());
    EXPECT_TRUE(blocked(12, 17, 15));
    EXPECT_EQ(underModel, printed);
    EXPECT_FALSE(blocked(12, 17, 15.001f));
    EXPECT_EQ("", printed);
}

// One cell whose nine vertices all have different heights, no three of them in line, so
// that every triangle has its own plane. Centre (5, 5).
class CollisionSurface : public Collision {
  protected:
    void SetUp() override
    {
        grid = makeGrid({"0"});
        const float heights[9] = {4, 19, 8, 13, 1, 22, 16, 25, 10}; // by slot
        TerrainCell* cell = grid->cellAt(0, 0);
        for (int slot = 0; slot < 9; ++slot)
            cell->setVertex(5 + slotOffset[slot][0], 5 + slotOffset[slot][1], heights[slot], slot,
                            grid->textures);
    }
};

TEST_F(CollisionSurface, EachTriangleHasItsOwnPlane)
{
    // At a triangle's centroid the plane's height is the mean of its corners' heights.
    const float t = 5.0f / 3, u = 10.0f / 3;
    expectSurface(5 - t, 5 + t, 22.0f / 3); // north-east inner: N, centre, E
    expectSurface(5 - u, 5 + u, 13.0f / 3); // north-east outer: N, E, NE
    expectSurface(5 - t, 5 - t, 9);         // north-west inner: N, W, centre
    expectSurface(5 - u, 5 - u, 13);        // north-west outer: N, NW, W
    expectSurface(5 + t, 5 - t, 14);        // south-west inner: S, centre, W
    expectSurface(5 + u, 5 - u, 19);        // south-west outer: S, W, SW
    expectSurface(5 + t, 5 + t, 37.0f / 3); // south-east inner: S, E, centre
    expectSurface(5 + u, 5 + u, 43.0f / 3); // south-east outer: S, SE, E
}

TEST_F(CollisionSurface, PointsBesideTheDividingLinesUseTheirOwnTriangle)
{
    // Each point lies within one unit of a line; the triangle across it would give a
    // height at least 0.04 different.
    expectSurface(5.5f, 6, 10.5f);   // just south of x = cx: south-east inner
    expectSurface(4.5f, 4, 10);      // just north of x = cx, west of y = cy: north-west inner
    expectSurface(4, 5.5f, 8.6f);    // just east of y = cy: north-east inner
    expectSurface(2.4f, 7.6f, 5.8f); // just outside the diamond: north-east outer
}

TEST_F(CollisionSurface, DividingLinesGiveTheSharedEdgeHeight)
{
    expectSurface(5, 5, 10);       // the centre
    expectSurface(5, 7, 9.2f);     // x = cx, on the edge to E
    expectSurface(5, 3, 11.2f);    // x = cx, on the edge to W
    expectSurface(3, 5, 7.6f);     // y = cy, on the edge to N
    expectSurface(8, 5, 15.4f);    // y = cy, on the edge to S
    expectSurface(2.5f, 7.5f, 6);  // between N and E
    expectSurface(4, 1, 11.2f);    // between N and W
    expectSurface(7.5f, 2.5f, 16); // between S and W
    expectSurface(9, 6, 16.8f);    // between S and E
}

TEST_F(Collision, StitchedSeamIsContinuousBetweenCells)
{
    // Centre 0 in row 0 and 20 in row 1: their shared edge midpoint lies at 10.
    grid = makeGrid({"000", "040", "000"});
    expectSurface(10, 15, 10);
    expectSurface(9.5f, 15, 9);
    expectSurface(10.5f, 15, 11);
}

} // namespace
