// Tests of the terrain grid and its cells: construction, lookup, height bands, vertex
// writes, whole-cell heights, the texture names cells copy, and neighbour links.
#include "terrain/grid.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

const float water[3] = {0.0f, 0.5f, 1.0f};
const float grass[3] = {0.0f, 1.0f, 0.0f};
const float dirt[3] = {0.4f, 0.25f, 0.0f};
const float snow[3] = {1.0f, 1.0f, 1.0f};

// Both colour triples of a vertex hold the expected band colour.
void expectColour(const Vertex& v, const float (&rgb)[3])
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rgb[i], v.baseColour[i]) << "baseColour[" << i << "]";
        EXPECT_EQ(rgb[i], v.colour[i]) << "colour[" << i << "]";
    }
}

// Every vertex of the cell sits on its slot position around the centre (cx, cy).
void expectSlotPositions(const TerrainCell& cell, float cx, float cy)
{
    const float offsets[9][2] = {{-5, 0},  {5, 0}, {0, 5},  {0, -5}, {-5, 5},
                                 {-5, -5}, {5, 5}, {5, -5}, {0, 0}};
    for (int slot = 0; slot < 9; ++slot) {
        EXPECT_EQ(cx + offsets[slot][0], cell.vertices[slot].position[0]) << "slot " << slot;
        EXPECT_EQ(cy + offsets[slot][1], cell.vertices[slot].position[1]) << "slot " << slot;
    }
}

// A lone unstitched cell at level 0, for the vertex writes.
std::unique_ptr<TerrainGrid> loneCell()
{
    return makeGrid({"0"}, false);
}

} // namespace

TEST(Grid, NewCellsAreFlatWaterAtTheirSlotPositions)
{
    TerrainGrid grid(2, 3, testTextures());
    ASSERT_TRUE(grid.valid());
    EXPECT_EQ(2, grid.rows);
    EXPECT_EQ(3, grid.cols);
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            SCOPED_TRACE(testing::Message() << "cell " << row << "," << col);
            const TerrainCell* cell = grid.cellAt(row, col);
            ASSERT_NE(nullptr, cell);
            expectSlotPositions(*cell, row * 10.0f + 5.0f, col * 10.0f + 5.0f);
            for (const Vertex& v : cell->vertices) {
                EXPECT_EQ(0.0f, v.position[2]);
                expectColour(v, water);
                EXPECT_EQ(0.0f, v.normal[0]);
                EXPECT_EQ(0.0f, v.normal[1]);
                EXPECT_EQ(1.0f, v.normal[2]);
            }
            EXPECT_EQ(11u, cell->texture);
            for (const TerrainCell* link : cell->neighbours) EXPECT_EQ(nullptr, link);
            for (uint8_t flag : cell->sideFlags) EXPECT_EQ(0, flag);
            EXPECT_EQ(nullptr, cell->model);
        }
    }
    for (const Person* person : grid.people) EXPECT_EQ(nullptr, person);
    EXPECT_EQ(nullptr, grid.instances);
}

TEST(Grid, CellAtRefusesEveryOutsideIndex)
{
    TerrainGrid grid(2, 3, testTextures());
    ASSERT_TRUE(grid.valid());
    EXPECT_EQ(nullptr, grid.cellAt(-1, 0));
    EXPECT_EQ(nullptr, grid.cellAt(0, -1));
    EXPECT_EQ(nullptr, grid.cellAt(2, 0));
    EXPECT_EQ(nullptr, grid.cellAt(0, 3));
    EXPECT_EQ(nullptr, grid.cellAt(2, 3));

    // The last row and column are inside; rows run along x, columns along y.
    const TerrainCell* last = grid.cellAt(1, 2);
    ASSERT_NE(nullptr, last);
    EXPECT_EQ(15.0f, last->vertices[SlotCentre].position[0]);
    EXPECT_EQ(25.0f, last->vertices[SlotCentre].position[1]);
    EXPECT_NE(grid.cellAt(0, 2), grid.cellAt(1, 2));
}

TEST(Grid, OneByOneGridHasOneCellCentredAtFive)
{
    TerrainGrid grid(1, 1, testTextures());
    ASSERT_TRUE(grid.valid());
    const TerrainCell* cell = grid.cellAt(0, 0);
    ASSERT_NE(nullptr, cell);
    EXPECT_EQ(5.0f, cell->vertices[SlotCentre].position[0]);
    EXPECT_EQ(5.0f, cell->vertices[SlotCentre].position[1]);
    EXPECT_EQ(nullptr, grid.cellAt(-1, 0));
    EXPECT_EQ(nullptr, grid.cellAt(1, 0));
    EXPECT_EQ(nullptr, grid.cellAt(0, 1));
}

TEST(Grid, GridWithoutColumnsHasNoCells)
{
    TerrainGrid grid(1, 0, testTextures());
    ASSERT_TRUE(grid.valid());
    EXPECT_EQ(nullptr, grid.cellAt(0, 0));
    EXPECT_FALSE(grid.setCellHeight(0, 0, 3));
}

TEST(Grid, VertexColourFollowsBandsAtTheirExactBounds)
{
    struct Case {
        float z;
        const float (&colour)[3];
    };
    const Case cases[] = {{4.9f, water},  {5.0f, grass}, {27.5f, grass},
                          {27.6f, dirt},  {42.5f, dirt}, {42.6f, snow},
                          {-3.0f, water}, {2.5f, water}, {45.0f, snow}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "z = " << c.z);
        auto grid = loneCell();
        TerrainCell& cell = *grid->cellAt(0, 0);
        cell.setVertex(10.0f, 0.0f, c.z, SlotSW, testTextures());
        EXPECT_EQ(10.0f, cell.vertices[SlotSW].position[0]);
        EXPECT_EQ(0.0f, cell.vertices[SlotSW].position[1]);
        EXPECT_EQ(c.z, cell.vertices[SlotSW].position[2]);
        expectColour(cell.vertices[SlotSW], c.colour);
    }
}

TEST(Grid, TextureFollowsCentreBandAtItsExactBounds)
{
    struct Case {
        float z;
        unsigned int texture;
    };
    const Case cases[] = {{4.9f, 11},  {5.0f, 12},  {27.5f, 12},
                          {27.6f, 13}, {42.5f, 13}, {42.6f, 14}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "z = " << c.z);
        auto grid = loneCell();
        TerrainCell& cell = *grid->cellAt(0, 0);
        cell.setVertex(5.0f, 5.0f, c.z, SlotCentre, testTextures());
        EXPECT_EQ(c.texture, cell.texture);
        EXPECT_EQ(c.texture, bandTexture(testTextures(), c.z));
        expectColour(cell.vertices[SlotN], water);
    }
}

TEST(Grid, CornerHeightColoursOnlyThatVertexNotTheTexture)
{
    auto grid = loneCell();
    TerrainCell* cell = grid->cellAt(0, 0);
    cell->setVertex(0.0f, 10.0f, 5.0f, SlotNE, testTextures());
    expectColour(cell->vertices[SlotNE], grass);
    expectColour(cell->vertices[SlotCentre], water);
    expectColour(cell->vertices[SlotN], water);
    EXPECT_EQ(11u, cell->texture);
}

TEST(Grid, EachWriteChoosesTheNameAfreshFromTheNamesItIsGiven)
{
    auto grid = loneCell();
    TerrainCell& cell = *grid->cellAt(0, 0);
    BandTextures names{21, 22, 23, 24};
    cell.setVertex(5.0f, 5.0f, 45.0f, SlotCentre, names);
    EXPECT_EQ(24u, cell.texture);

    // The cell holds the name, not the record: changing the record afterwards changes nothing.
    names = BandTextures{31, 32, 33, 34};
    EXPECT_EQ(24u, cell.texture);

    // A write of any slot, the centre untouched, chooses again from the names of that write,
    // neither from the names of an earlier write nor from the grid's.
    cell.setVertex(0.0f, 5.0f, 0.0f, SlotN, BandTextures{41, 42, 43, 44});
    EXPECT_EQ(44u, cell.texture);
    cell.updateTexture(names);
    EXPECT_EQ(34u, cell.texture);
    // Only the centre's band counts: the north vertex just written is water.
    expectColour(cell.vertices[SlotN], water);
}

TEST(Grid, GridKeepsItsOwnCopyOfTheNamesItWasBuiltWith)
{
    // why: the world load sets its snow name to 0 once the grid is built; a grid that
    // referred to the load's record would hand 0 to every snow cell written after that.
    BandTextures names{21, 22, 23, 24};
    TerrainGrid grid(1, 3, names);
    ASSERT_TRUE(grid.valid());
    names = BandTextures{};

    EXPECT_TRUE(grid.setCellHeight(0, 0, 9));
    EXPECT_TRUE(grid.setCellHeight(0, 1, 6));
    EXPECT_TRUE(grid.setCellHeight(0, 2, 1));
    for (int col = 0; col < 3; ++col) EXPECT_TRUE(grid.stitchCell(0, col));
    EXPECT_EQ(24u, grid.cellAt(0, 0)->texture);
    EXPECT_EQ(23u, grid.cellAt(0, 1)->texture);
    EXPECT_EQ(22u, grid.cellAt(0, 2)->texture);
    EXPECT_EQ(24u, grid.textures.snow);
}

TEST(Grid, SetCellHeightMakesTheWholeCellFlatInItsBand)
{
    struct Case {
        int level;
        float height;
        const float (&colour)[3];
        unsigned int texture;
    };
    const Case cases[] = {
        {1, 5.0f, grass, 12}, {6, 30.0f, dirt, 13}, {9, 45.0f, snow, 14}, {0, 0.0f, water, 11}};
    auto grid = makeGrid({"00", "00"}, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level);
        EXPECT_TRUE(grid->setCellHeight(1, 0, c.level));
        const TerrainCell* cell = grid->cellAt(1, 0);
        expectSlotPositions(*cell, 15.0f, 5.0f);
        for (const Vertex& v : cell->vertices) {
            EXPECT_EQ(c.height, v.position[2]);
            expectColour(v, c.colour);
        }
        EXPECT_EQ(c.texture, cell->texture);
    }
    // The other cells are untouched.
    EXPECT_EQ(0.0f, grid->cellAt(0, 0)->vertices[SlotS].position[2]);
    EXPECT_EQ(0.0f, grid->cellAt(1, 1)->vertices[SlotW].position[2]);
}

TEST(Grid, SetCellHeightOutsideTheGridChangesNothing)
{
    auto grid = makeGrid({"00", "04"}, false);
    std::vector<TerrainCell> before;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col) before.push_back(*grid->cellAt(row, col));

    EXPECT_FALSE(grid->setCellHeight(2, 0, 3));
    EXPECT_FALSE(grid->setCellHeight(0, 2, 3));
    EXPECT_FALSE(grid->setCellHeight(-1, 0, 3));
    EXPECT_FALSE(grid->setCellHeight(0, -1, 3));

    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 2; ++col) {
            const TerrainCell& cell = *grid->cellAt(row, col);
            const TerrainCell& old = before[row * 2 + col];
            EXPECT_EQ(0, std::memcmp(cell.vertices, old.vertices, sizeof cell.vertices))
                << "cell " << row << "," << col;
            EXPECT_EQ(old.texture, cell.texture);
        }
    }
}

TEST(Grid, SetCellHeightOnStitchedCellLeavesNeighboursEdges)
{
    auto grid = makeGrid({"02"});
    TerrainCell* left = grid->cellAt(0, 0);
    TerrainCell* right = grid->cellAt(0, 1);
    ASSERT_EQ(5.0f, left->vertices[SlotE].position[2]);

    EXPECT_TRUE(grid->setCellHeight(0, 0, 0));
    for (const Vertex& v : left->vertices) EXPECT_EQ(0.0f, v.position[2]);
    EXPECT_EQ(5.0f, right->vertices[SlotW].position[2]);
    EXPECT_EQ(5.0f, right->vertices[SlotNW].position[2]);
    EXPECT_EQ(5.0f, right->vertices[SlotSW].position[2]);
    // Links made by the stitch survive the flattening.
    EXPECT_EQ(right, left->neighbours[SlotE]);
    EXPECT_EQ(left, right->neighbours[SlotW]);
}

TEST(Grid, SetNeighbourStoresSlotsUpToSevenOnly)
{
    TerrainCell cell, other, third;
    EXPECT_TRUE(cell.setNeighbour(&other, SlotN));
    EXPECT_TRUE(cell.setNeighbour(&third, SlotSW));
    EXPECT_EQ(&other, cell.neighbours[SlotN]);
    EXPECT_EQ(&third, cell.neighbours[SlotSW]);

    EXPECT_FALSE(cell.setNeighbour(&other, SlotCentre));
    EXPECT_EQ(&other, cell.neighbours[SlotN]);
    EXPECT_EQ(&third, cell.neighbours[SlotSW]);
    for (int slot = 1; slot < 7; ++slot) EXPECT_EQ(nullptr, cell.neighbours[slot]);
}
