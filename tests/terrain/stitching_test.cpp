// Tests of seam stitching: shared edge midpoints and corners take the mean of the cell
// centres around them, and every cell gets links to its existing neighbours.
#include "terrain/bands.h"
#include "terrain/grid.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> varied = {"0917", "5273", "8046"};

// Stitches every cell again, in reading order or backwards.
void stitchAll(TerrainGrid& grid, bool backwards = false)
{
    for (int i = 0; i < grid.rows * grid.cols; ++i) {
        const int k = backwards ? grid.rows * grid.cols - 1 - i : i;
        ASSERT_TRUE(grid.stitchCell(k / grid.cols, k % grid.cols));
    }
}

float z(const TerrainGrid& grid, int row, int col, int slot)
{
    return grid.cellAt(row, col)->vertices[slot].position[2];
}

// True when both grids hold the same vertices (bytes) and link the same cells by position.
::testing::AssertionResult sameGrids(const TerrainGrid& a, const TerrainGrid& b)
{
    for (int row = 0; row < a.rows; ++row) {
        for (int col = 0; col < a.cols; ++col) {
            const TerrainCell* ca = a.cellAt(row, col);
            const TerrainCell* cb = b.cellAt(row, col);
            if (std::memcmp(ca->vertices, cb->vertices, sizeof ca->vertices) != 0)
                return ::testing::AssertionFailure() << "vertices of " << row << "," << col;
            if (ca->texture != cb->texture)
                return ::testing::AssertionFailure() << "texture of " << row << "," << col;
            for (int slot = 0; slot < 8; ++slot) {
                const TerrainCell* la = ca->neighbours[slot];
                const TerrainCell* lb = cb->neighbours[slot];
                const bool match = (!la && !lb) || (la && lb &&
                                                    std::memcmp(la->vertices[SlotCentre].position,
                                                                lb->vertices[SlotCentre].position,
                                                                sizeof(float) * 2) == 0);
                if (!match)
                    return ::testing::AssertionFailure()
                           << "link " << slot << " of " << row << "," << col;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Stitching, LoneCellStaysFlatAndUnlinked)
{
    auto grid = makeGrid({"3"});
    const TerrainCell* cell = grid->cellAt(0, 0);
    for (const Vertex& v : cell->vertices) EXPECT_EQ(15.0f, v.position[2]);
    for (const TerrainCell* link : cell->neighbours) EXPECT_EQ(nullptr, link);
}

TEST(Stitching, RowOfTwoMeetsHalfWay)
{
    auto grid = makeGrid({"02"});
    for (int slot : {SlotE, SlotNE, SlotSE}) EXPECT_EQ(5.0f, z(*grid, 0, 0, slot)) << slot;
    for (int slot : {SlotN, SlotS, SlotW, SlotNW, SlotSW, SlotCentre})
        EXPECT_EQ(0.0f, z(*grid, 0, 0, slot)) << slot;
    for (int slot : {SlotW, SlotNW, SlotSW}) EXPECT_EQ(5.0f, z(*grid, 0, 1, slot)) << slot;
    for (int slot : {SlotN, SlotS, SlotE, SlotNE, SlotSE, SlotCentre})
        EXPECT_EQ(10.0f, z(*grid, 0, 1, slot)) << slot;

    const TerrainCell* left = grid->cellAt(0, 0);
    const TerrainCell* right = grid->cellAt(0, 1);
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_EQ(slot == SlotE ? right : nullptr, left->neighbours[slot]) << slot;
        EXPECT_EQ(slot == SlotW ? left : nullptr, right->neighbours[slot]) << slot;
    }
}

TEST(Stitching, TwoByTwoCornersAndEdgesTakeTheMeans)
{
    auto grid = makeGrid({"02", "46"}); // centres 0, 10 / 20, 30
    const TerrainGrid& g = *grid;

    // The common middle corner is the mean of all four centres, in every cell.
    EXPECT_EQ(15.0f, z(g, 0, 0, SlotSE));
    EXPECT_EQ(15.0f, z(g, 0, 1, SlotSW));
    EXPECT_EQ(15.0f, z(g, 1, 0, SlotNE));
    EXPECT_EQ(15.0f, z(g, 1, 1, SlotNW));

    // Shared edges and the border corners at their ends: the mean of the two cells.
    EXPECT_EQ(5.0f, z(g, 0, 0, SlotE));
    EXPECT_EQ(5.0f, z(g, 0, 1, SlotW));
    EXPECT_EQ(5.0f, z(g, 0, 0, SlotNE));
    EXPECT_EQ(5.0f, z(g, 0, 1, SlotNW));

    EXPECT_EQ(25.0f, z(g, 1, 0, SlotE));
    EXPECT_EQ(25.0f, z(g, 1, 1, SlotW));
    EXPECT_EQ(25.0f, z(g, 1, 0, SlotSE));
    EXPECT_EQ(25.0f, z(g, 1, 1, SlotSW));

    EXPECT_EQ(10.0f, z(g, 0, 0, SlotS));
    EXPECT_EQ(10.0f, z(g, 1, 0, SlotN));
    EXPECT_EQ(10.0f, z(g, 0, 0, SlotSW));
    EXPECT_EQ(10.0f, z(g, 1, 0, SlotNW));

    EXPECT_EQ(20.0f, z(g, 0, 1, SlotS));
    EXPECT_EQ(20.0f, z(g, 1, 1, SlotN));
    EXPECT_EQ(20.0f, z(g, 0, 1, SlotSE));
    EXPECT_EQ(20.0f, z(g, 1, 1, SlotNE));

    // The four corners of the grid keep their own cell's height.
    EXPECT_EQ(0.0f, z(g, 0, 0, SlotNW));
    EXPECT_EQ(10.0f, z(g, 0, 1, SlotNE));
    EXPECT_EQ(20.0f, z(g, 1, 0, SlotSW));
    EXPECT_EQ(30.0f, z(g, 1, 1, SlotSE));
}

TEST(Stitching, VerticesStayOnTheirSlotPositions)
{
    auto flat = makeGrid(varied, false);
    auto stitched = makeGrid(varied);
    for (int row = 0; row < flat->rows; ++row)
        for (int col = 0; col < flat->cols; ++col)
            for (int slot = 0; slot < 9; ++slot) {
                const float* before = flat->cellAt(row, col)->vertices[slot].position;
                const float* after = stitched->cellAt(row, col)->vertices[slot].position;
                EXPECT_EQ(before[0], after[0]) << row << "," << col << " slot " << slot;
                EXPECT_EQ(before[1], after[1]) << row << "," << col << " slot " << slot;
            }
}

TEST(Stitching, InteriorCellLinksAllEightNeighbours)
{
    auto grid = makeGrid({"000", "000", "000"});
    const TerrainCell* cell = grid->cellAt(1, 1);
    EXPECT_EQ(grid->cellAt(0, 1), cell->neighbours[SlotN]);
    EXPECT_EQ(grid->cellAt(2, 1), cell->neighbours[SlotS]);
    EXPECT_EQ(grid->cellAt(1, 2), cell->neighbours[SlotE]);
    EXPECT_EQ(grid->cellAt(1, 0), cell->neighbours[SlotW]);
    EXPECT_EQ(grid->cellAt(0, 2), cell->neighbours[SlotNE]);
    EXPECT_EQ(grid->cellAt(0, 0), cell->neighbours[SlotNW]);
    EXPECT_EQ(grid->cellAt(2, 2), cell->neighbours[SlotSE]);
    EXPECT_EQ(grid->cellAt(2, 0), cell->neighbours[SlotSW]);
}

TEST(Stitching, BorderCellsLinkOnlyExistingNeighbours)
{
    auto grid = makeGrid({"000", "000", "000"});
    const TerrainCell* corner = grid->cellAt(2, 2);
    for (int slot : {SlotS, SlotE, SlotNE, SlotSE, SlotSW})
        EXPECT_EQ(nullptr, corner->neighbours[slot]) << slot;
    EXPECT_EQ(grid->cellAt(1, 2), corner->neighbours[SlotN]);
    EXPECT_EQ(grid->cellAt(2, 1), corner->neighbours[SlotW]);
    EXPECT_EQ(grid->cellAt(1, 1), corner->neighbours[SlotNW]);

    const TerrainCell* edge = grid->cellAt(0, 1);
    for (int slot : {SlotN, SlotNE, SlotNW}) EXPECT_EQ(nullptr, edge->neighbours[slot]) << slot;
    EXPECT_EQ(grid->cellAt(1, 1), edge->neighbours[SlotS]);
    EXPECT_EQ(grid->cellAt(1, 2), edge->neighbours[SlotSE]);
    EXPECT_EQ(grid->cellAt(1, 0), edge->neighbours[SlotSW]);
}

TEST(Stitching, MeansAreColouredByTheirOwnBandNotTheCentres)
{
    // The band colours themselves are the grid's tests' to pin; here each mean takes the
    // colour of its own height, which differs from the colour of its cell's centre.
    auto expectOwnBand = [](const TerrainCell& cell, int slot, float height) {
        const Vertex& v = cell.vertices[slot];
        EXPECT_EQ(height, v.position[2]) << "slot " << slot;
        const float* own = bandColour(height);
        const float* centre = bandColour(cell.vertices[SlotCentre].position[2]);
        EXPECT_FALSE(std::equal(own, own + 3, centre)) << "slot " << slot << " shares a band";
        EXPECT_TRUE(std::equal(own, own + 3, v.colour)) << "colour of slot " << slot;
        EXPECT_TRUE(std::equal(own, own + 3, v.baseColour)) << "base colour of slot " << slot;
    };
    {
        auto grid = makeGrid({"00", "02"}); // middle corner (0 + 0 + 0 + 10) / 4 = 2.5
        expectOwnBand(*grid->cellAt(1, 1), SlotNW, 2.5f);
        EXPECT_EQ(12u, grid->cellAt(1, 1)->texture);
    }
    {
        auto grid = makeGrid({"55", "57"}); // middle corner (25 + 25 + 25 + 35) / 4 = 27.5
        expectOwnBand(*grid->cellAt(1, 1), SlotNW, 27.5f);
        expectOwnBand(*grid->cellAt(1, 0), SlotE, 30.0f); // (25 + 35) / 2
        EXPECT_EQ(12u, grid->cellAt(1, 0)->texture);
    }
}

TEST(Stitching, StitchingTwiceChangesNothing)
{
    auto once = makeGrid(varied);
    auto twice = makeGrid(varied);
    stitchAll(*twice);
    EXPECT_TRUE(sameGrids(*once, *twice));
}

TEST(Stitching, OrderOfCellsDoesNotMatter)
{
    // why: a stitch that read an edge or corner written by an earlier cell would depend on
    // the order of the pass.
    auto forward = makeGrid(varied);
    auto backward = makeGrid(varied, false);
    stitchAll(*backward, true);
    EXPECT_TRUE(sameGrids(*forward, *backward));
    // Every copy of the interior corner point between (1, 1) and (2, 2) agrees.
    const float mean = (2 + 7 + 0 + 4) * 5 / 4.0f;
    EXPECT_EQ(mean, z(*forward, 1, 1, SlotSE));
    EXPECT_EQ(mean, z(*forward, 1, 2, SlotSW));
    EXPECT_EQ(mean, z(*forward, 2, 1, SlotNE));
    EXPECT_EQ(mean, z(*forward, 2, 2, SlotNW));
}

TEST(Stitching, StitchOutsideTheGridChangesNothing)
{
    auto grid = makeGrid({"13", "57"}, false);
    auto untouched = makeGrid({"13", "57"}, false);
    EXPECT_FALSE(grid->stitchCell(-1, 0));
    EXPECT_FALSE(grid->stitchCell(0, -1));
    EXPECT_FALSE(grid->stitchCell(2, 0));
    EXPECT_FALSE(grid->stitchCell(0, 2));
    EXPECT_TRUE(sameGrids(*untouched, *grid));
}

TEST(Stitching, JoinCellsSetsBothCopiesAndBothLinks)
{
    auto grid = makeGrid({"00", "00"}, false);
    TerrainCell* a = grid->cellAt(0, 0);
    TerrainCell* east = grid->cellAt(0, 1);
    TerrainCell* south = grid->cellAt(1, 0);

    EXPECT_TRUE(grid->joinCells(5.0f, 10.0f, 7.5f, a, east, SideE));
    EXPECT_EQ(7.5f, a->vertices[SlotE].position[2]);
    EXPECT_EQ(7.5f, east->vertices[SlotW].position[2]);
    EXPECT_EQ(east, a->neighbours[SlotE]);
    EXPECT_EQ(a, east->neighbours[SlotW]);

    EXPECT_TRUE(grid->joinCells(10.0f, 5.0f, 30.0f, a, south, SideS));
    EXPECT_EQ(30.0f, a->vertices[SlotS].position[2]);
    EXPECT_EQ(30.0f, south->vertices[SlotN].position[2]);
    EXPECT_EQ(south, a->neighbours[SlotS]);
    EXPECT_EQ(a, south->neighbours[SlotN]);
    // The texture follows the centres, which did not move.
    EXPECT_EQ(11u, a->texture);
    EXPECT_EQ(11u, south->texture);
}

TEST(Stitching, JoinCellsRefusesNullCellsAndBadSides)
{
    auto grid = makeGrid({"00"}, false);
    auto untouched = makeGrid({"00"}, false);
    TerrainCell* a = grid->cellAt(0, 0);
    TerrainCell* b = grid->cellAt(0, 1);

    EXPECT_FALSE(grid->joinCells(5.0f, 10.0f, 20.0f, nullptr, b, SideE));
    EXPECT_FALSE(grid->joinCells(5.0f, 10.0f, 20.0f, a, nullptr, SideE));
    EXPECT_FALSE(grid->joinCells(5.0f, 10.0f, 20.0f, a, b, 4));
    EXPECT_FALSE(grid->joinCells(5.0f, 10.0f, 20.0f, a, b, -1));
    EXPECT_TRUE(sameGrids(*untouched, *grid));
}
