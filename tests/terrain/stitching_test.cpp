// Tests of seam stitching: shared edge midpoints and corners take the mean of the cell
// centres around them, and every cell gets links to its existing neighbours.
#include "app/game_state.h"
#include "terrain/grid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Sets every cell to the level of its digit; one string per row, all the same length.
void setLevels(TerrainGrid& grid, const std::vector<std::string>& levels)
{
    for (int row = 0; row < grid.rows; ++row)
        for (int col = 0; col < grid.cols; ++col)
            ASSERT_TRUE(grid.setCellHeight(row, col, levels[row][col] - '0'));
}

void stitchAll(TerrainGrid& grid)
{
    for (int row = 0; row < grid.rows; ++row)
        for (int col = 0; col < grid.cols; ++col) ASSERT_TRUE(grid.stitchCell(row, col));
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

class StitchingTest : public testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        game.waterTexture = 11;
        game.grassTexture = 12;
        game.dirtTexture = 13;
        game.snowTexture = 14;
    }
};

} // namespace

TEST_F(StitchingTest, LoneCellStaysFlatAndUnlinked)
{
    TerrainGrid grid(1, 1);
    ASSERT_TRUE(grid.valid());
    setLevels(grid, {"3"});
    stitchAll(grid);
    const TerrainCell* cell = grid.cellAt(0, 0);
    for (const Vertex& v : cell->vertices) EXPECT_EQ(15.0f, v.position[2]);
    for (const TerrainCell* link : cell->neighbours) EXPECT_EQ(nullptr, link);
}

TEST_F(StitchingTest, RowOfTwoMeetsHalfWay)
{
    TerrainGrid grid(1, 2);
    ASSERT_TRUE(grid.valid());
    setLevels(grid, {"02"});
    stitchAll(grid);

    for (int slot : {SlotE, SlotNE, SlotSE}) EXPECT_EQ(5.0f, z(grid, 0, 0, slot)) << slot;
    for (int slot : {SlotN, SlotS, SlotW, SlotNW, SlotSW, SlotCentre})
        EXPECT_EQ(0.0f, z(grid, 0, 0, slot)) << slot;
    for (int slot : {SlotW, SlotNW, SlotSW}) EXPECT_EQ(5.0f, z(grid, 0, 1, slot)) << slot;
    for (int slot : {SlotN, SlotS, SlotE, SlotNE, SlotSE, SlotCentre})
        EXPECT_EQ(10.0f, z(grid, 0, 1, slot)) << slot;

    const TerrainCell* left = grid.cellAt(0, 0);
    const TerrainCell* right = grid.cellAt(0, 1);
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_EQ(slot == SlotE ? right : nullptr, left->neighbours[slot]) << slot;
        EXPECT_EQ(slot == SlotW ? left : nullptr, right->neighbours[slot]) << slot;
    }
}

TEST_F(StitchingTest, TwoByTwoCornersAndEdgesTakeTheMeans)
{
    TerrainGrid grid(2, 2);
    ASSERT_TRUE(grid.valid());
    setLevels(grid, {"02", "46"}); // centres 0, 10 / 20, 30
    stitchAll(grid);

    // The common middle corner is the mean of all four centres, in every cell.
    EXPECT_EQ(15.0f, z(grid, 0, 0, SlotSE));
    EXPECT_EQ(15.0f, z(grid, 0, 1, SlotSW));
    EXPECT_EQ(15.0f, z(grid, 1, 0, SlotNE));
    EXPECT_EQ(15.0f, z(grid, 1, 1, SlotNW));

    // Shared edges and the border corners at their ends: the mean of the two cells.
    EXPECT_EQ(5.0f, z(grid, 0, 0, SlotE));
    EXPECT_EQ(5.0f, z(grid, 0, 1, SlotW));
    EXPECT_EQ(5.0f, z(grid, 0, 0, SlotNE));
    EXPECT_EQ(5.0f, z(grid, 0, 1, SlotNW));

    EXPECT_EQ(25.0f, z(grid, 1, 0, SlotE));
    EXPECT_EQ(25.0f, z(grid, 1, 1, SlotW));
    EXPECT_EQ(25.0f, z(grid, 1, 0, SlotSE));
    EXPECT_EQ(25.0f, z(grid, 1, 1, SlotSW));

    EXPECT_EQ(10.0f, z(grid, 0, 0, SlotS));
    EXPECT_EQ(10.0f, z(grid, 1, 0, SlotN));
    EXPECT_EQ(10.0f, z(grid, 0, 0, SlotSW));
    EXPECT_EQ(10.0f, z(grid, 1, 0, SlotNW));

    EXPECT_EQ(20.0f, z(grid, 0, 1, SlotS));
    EXPECT_EQ(20.0f, z(grid, 1, 1, SlotN));
    EXPECT_EQ(20.0f, z(grid, 0, 1, SlotSE));
    EXPECT_EQ(20.0f, z(grid, 1, 1, SlotNE));

    // The four corners of the grid keep their own cell's height.
    EXPECT_EQ(0.0f, z(grid, 0, 0, SlotNW));
    EXPECT_EQ(10.0f, z(grid, 0, 1, SlotNE));
    EXPECT_EQ(20.0f, z(grid, 1, 0, SlotSW));
    EXPECT_EQ(30.0f, z(grid, 1, 1, SlotSE));
}

TEST_F(StitchingTest, VerticesStayOnTheirSlotPositions)
{
    TerrainGrid grid(2, 3);
    ASSERT_TRUE(grid.valid());
    setLevels(grid, {"092", "461"});
    stitchAll(grid);
    const float offsets[9][2] = {{-5, 0},  {5, 0}, {0, 5},  {0, -5}, {-5, 5},
                                 {-5, -5}, {5, 5}, {5, -5}, {0, 0}};
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const TerrainCell* cell = grid.cellAt(row, col);
            for (int slot = 0; slot < 9; ++slot) {
                EXPECT_EQ(row * 10 + 5 + offsets[slot][0], cell->vertices[slot].position[0]);
                EXPECT_EQ(col * 10 + 5 + offsets[slot][1], cell->vertices[slot].position[1]);
            }
        }
    }
}

TEST_F(StitchingTest, InteriorCellLinksAllEightNeighbours)
{
    TerrainGrid grid(3, 3);
    ASSERT_TRUE(grid.valid());
    stitchAll(grid);
    const TerrainCell* cell = grid.cellAt(1, 1);
    EXPECT_EQ(grid.cellAt(0, 1), cell->neighbours[SlotN]);
    EXPECT_EQ(grid.cellAt(2, 1), cell->neighbours[SlotS]);
    EXPECT_EQ(grid.cellAt(1, 2), cell->neighbours[SlotE]);
    EXPECT_EQ(grid.cellAt(1, 0), cell->neighbours[SlotW]);
    EXPECT_EQ(grid.cellAt(0, 2), cell->neighbours[SlotNE]);
    EXPECT_EQ(grid.cellAt(0, 0), cell->neighbours[SlotNW]);
    EXPECT_EQ(grid.cellAt(2, 2), cell->neighbours[SlotSE]);
    EXPECT_EQ(grid.cellAt(2, 0), cell->neighbours[SlotSW]);
}

TEST_F(StitchingTest, BorderCellsLinkOnlyExistingNeighbours)
{
    TerrainGrid grid(3, 3);
    ASSERT_TRUE(grid.valid());
    stitchAll(grid);
    const TerrainCell* corner = grid.cellAt(2, 2);
    for (int slot : {SlotS, SlotE, SlotNE, SlotSE, SlotSW})
        EXPECT_EQ(nullptr, corner->neighbours[slot]) << slot;
    EXPECT_EQ(grid.cellAt(1, 2), corner->neighbours[SlotN]);
    EXPECT_EQ(grid.cellAt(2, 1), corner->neighbours[SlotW]);
    EXPECT_EQ(grid.cellAt(1, 1), corner->neighbours[SlotNW]);

    const TerrainCell* edge = grid.cellAt(0, 1);
    for (int slot : {SlotN, SlotNE, SlotNW}) EXPECT_EQ(nullptr, edge->neighbours[slot]) << slot;
    EXPECT_EQ(grid.cellAt(1, 1), edge->neighbours[SlotS]);
    EXPECT_EQ(grid.cellAt(1, 2), edge->neighbours[SlotSE]);
    EXPECT_EQ(grid.cellAt(1, 0), edge->neighbours[SlotSW]);
}

TEST_F(StitchingTest, CornerMeansAreColouredByTheirOwnBand)
{
    const float water[3] = {0.0f, 0.5f, 1.0f};
    const float grass[3] = {0.0f, 1.0f, 0.0f};
    const float dirt[3] = {0.4f, 0.25f, 0.0f};
    {
        TerrainGrid grid(2, 2);
        ASSERT_TRUE(grid.valid());
        setLevels(grid, {"00", "02"}); // middle corner (0 + 0 + 0 + 10) / 4 = 2.5
        stitchAll(grid);
        const Vertex& v = grid.cellAt(1, 1)->vertices[SlotNW];
        EXPECT_EQ(2.5f, v.position[2]);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(water[i], v.colour[i]);
        EXPECT_EQ(12u, grid.cellAt(1, 1)->texture);
    }
    {
        TerrainGrid grid(2, 2);
        ASSERT_TRUE(grid.valid());
        setLevels(grid, {"55", "57"}); // middle corner (25 + 25 + 25 + 35) / 4 = 27.5
        stitchAll(grid);
        const Vertex& corner = grid.cellAt(0, 0)->vertices[SlotSE];
        EXPECT_EQ(27.5f, corner.position[2]);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(grass[i], corner.colour[i]);
        const Vertex& edge = grid.cellAt(1, 0)->vertices[SlotE]; // (25 + 35) / 2
        EXPECT_EQ(30.0f, edge.position[2]);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(dirt[i], edge.baseColour[i]);
        EXPECT_EQ(12u, grid.cellAt(1, 0)->texture);
    }
}

TEST_F(StitchingTest, StitchingTwiceChangesNothing)
{
    const std::vector<std::string> levels = {"0917", "5273", "8046"};
    TerrainGrid once(3, 4), twice(3, 4);
    ASSERT_TRUE(once.valid());
    ASSERT_TRUE(twice.valid());
    setLevels(once, levels);
    setLevels(twice, levels);
    stitchAll(once);
    stitchAll(twice);
    stitchAll(twice);
    EXPECT_TRUE(sameGrids(once, twice));
}

TEST_F(StitchingTest, OrderOfCellsDoesNotMatter)
{
    // why: a stitch that read an edge or corner written by an earlier cell would depend on
    // the order of the pass.
    const std::vector<std::string> levels = {"0917", "5273", "8046"};
    TerrainGrid forward(3, 4), backward(3, 4);
    ASSERT_TRUE(forward.valid());
    ASSERT_TRUE(backward.valid());
    setLevels(forward, levels);
    setLevels(backward, levels);
    stitchAll(forward);
    for (int row = 2; row >= 0; --row)
        for (int col = 3; col >= 0; --col) ASSERT_TRUE(backward.stitchCell(row, col));
    EXPECT_TRUE(sameGrids(forward, backward));
    // Every copy of the interior corner point between (1, 1) and (2, 2) agrees.
    const float mean = (2 + 7 + 0 + 4) * 5 / 4.0f;
    EXPECT_EQ(mean, z(forward, 1, 1, SlotSE));
    EXPECT_EQ(mean, z(forward, 1, 2, SlotSW));
    EXPECT_EQ(mean, z(forward, 2, 1, SlotNE));
    EXPECT_EQ(mean, z(forward, 2, 2, SlotNW));
}

TEST_F(StitchingTest, StitchOutsideTheGridChangesNothing)
{
    TerrainGrid grid(2, 2);
    ASSERT_TRUE(grid.valid());
    setLevels(grid, {"13", "57"});
    TerrainGrid untouched(2, 2);
    ASSERT_TRUE(untouched.valid());
    setLevels(untouched, {"13", "57"});

    EXPECT_FALSE(grid.stitchCell(-1, 0));
    EXPECT_FALSE(grid.stitchCell(0, -1));
    EXPECT_FALSE(grid.stitchCell(2, 0));
    EXPECT_FALSE(grid.stitchCell(0, 2));
    EXPECT_TRUE(sameGrids(untouched, grid));
}

TEST_F(StitchingTest, JoinCellsSetsBothCopiesAndBothLinks)
{
    TerrainGrid grid(2, 2);
    ASSERT_TRUE(grid.valid());
    TerrainCell* a = grid.cellAt(0, 0);
    TerrainCell* east = grid.cellAt(0, 1);
    TerrainCell* south = grid.cellAt(1, 0);

    EXPECT_TRUE(grid.joinCells(5.0f, 10.0f, 7.5f, a, east, SideE));
    EXPECT_EQ(7.5f, a->vertices[SlotE].position[2]);
    EXPECT_EQ(7.5f, east->vertices[SlotW].position[2]);
    EXPECT_EQ(east, a->neighbours[SlotE]);
    EXPECT_EQ(a, east->neighbours[SlotW]);

    EXPECT_TRUE(grid.joinCells(10.0f, 5.0f, 30.0f, a, south, SideS));
    EXPECT_EQ(30.0f, a->vertices[SlotS].position[2]);
    EXPECT_EQ(30.0f, south->vertices[SlotN].position[2]);
    EXPECT_EQ(south, a->neighbours[SlotS]);
    EXPECT_EQ(a, south->neighbours[SlotN]);
    // The texture follows the centres, which did not move.
    EXPECT_EQ(11u, a->texture);
    EXPECT_EQ(11u, south->texture);
}

TEST_F(StitchingTest, JoinCellsRefusesNullCellsAndBadSides)
{
    TerrainGrid grid(1, 2);
    ASSERT_TRUE(grid.valid());
    TerrainCell* a = grid.cellAt(0, 0);
    TerrainCell* b = grid.cellAt(0, 1);
    TerrainGrid untouched(1, 2);
    ASSERT_TRUE(untouched.valid());

    EXPECT_FALSE(grid.joinCells(5.0f, 10.0f, 20.0f, nullptr, b, SideE));
    EXPECT_FALSE(grid.joinCells(5.0f, 10.0f, 20.0f, a, nullptr, SideE));
    EXPECT_FALSE(grid.joinCells(5.0f, 10.0f, 20.0f, a, b, 4));
    EXPECT_FALSE(grid.joinCells(5.0f, 10.0f, 20.0f, a, b, -1));
    EXPECT_TRUE(sameGrids(untouched, grid));
}
