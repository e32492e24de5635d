// Tests of the GL-free world load: refusals, the player start without a start mark, and
// the effects of its order (stitch, then objects, then people, then normals).
#include "app/game_state.h"
#include "models/mesh_store.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

class WorldTest : public testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        game.waterTexture = 11;
        game.grassTexture = 12;
        game.dirtTexture = 13;
        game.snowTexture = 14;
    }
    void TearDown() override
    {
        releaseWorld(world);
        releaseMeshes();
    }

    // Builds the world from the files in the working directory; output goes to `printed`.
    void build()
    {
        releaseWorld(world);
        CapturedStdout out;
        world = buildWorld();
        printed = out.text();
    }

    float z(int row, int col, int slot) const
    {
        return world->cellAt(row, col)->vertices[slot].position[2];
    }

    TempWorkDir dir;
    TerrainGrid* world = nullptr;
    std::string printed;
};

void expectNear(const float* actual, float x, float y, float z)
{
    EXPECT_NEAR(x, actual[0], 1e-6f);
    EXPECT_NEAR(y, actual[1], 1e-6f);
    EXPECT_NEAR(z, actual[2], 1e-6f);
}

} // namespace

TEST_F(WorldTest, MissingTerrainFileGivesNoWorld)
{
    build();
    EXPECT_EQ(nullptr, world);
    EXPECT_EQ("can't open terrain file", printed);
}

TEST_F(WorldTest, TooLargeTerrainIsRefusedBeforeReading)
{
    // 2048 rows of 2049 columns: 4,196,352 cells, just over the limit.
    dir.write("terrain.txt", std::string(2049, '1') + std::string(2047, '\n'));
    build();
    EXPECT_EQ(nullptr, world);
    EXPECT_EQ("terrain too large: 2048 x 2049 cells\n", printed);
}

TEST_F(WorldTest, MapOfEmptyLinesAboveTheLimitIsRefused)
{
    // why: a map of nothing but newlines has no cells, yet asked for one row table entry
    // per line, unbounded by the cell limit.
    dir.write("terrain.txt", std::string(4194305, '\n'));
    build();
    EXPECT_EQ(nullptr, world);
    EXPECT_EQ("terrain too large: 4194306 x 0 cells\n", printed);
}

TEST_F(WorldTest, LoadPrintsItsStepsInOrder)
{
    dir.write("terrain.txt", "00\n00");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ("loading"
              "can't open object file"
              "only 0 places for people\n"
              "south exits"
              "south exits",
              printed);
}

TEST_F(WorldTest, EmptyTerrainGivesWorldWithoutCells)
{
    dir.write("terrain.txt", "");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(1, world->rows);
    EXPECT_EQ(0, world->cols);
    EXPECT_EQ(5, world->startX);
    EXPECT_EQ(5, world->startY);
    EXPECT_EQ(5, world->startZ);
    EXPECT_EQ("loading"
              "can't open object file"
              "only 0 places for people\n",
              printed);
}

TEST_F(WorldTest, TerrainWithoutNewlineLoads)
{
    dir.write("terrain.txt", "123");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(1, world->rows);
    EXPECT_EQ(3, world->cols);
    EXPECT_EQ(5.0f, z(0, 0, SlotCentre));
    EXPECT_EQ(10.0f, z(0, 1, SlotCentre));
    EXPECT_EQ(15.0f, z(0, 2, SlotCentre));
}

TEST_F(WorldTest, StartIsAboveTheMiddleCellWithoutAStartMark)
{
    dir.write("terrain.txt", "0000000\n0007000\n0000000\n0000000");
    build(); // no objects.txt
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(25, world->startX); // row 4 / 2
    EXPECT_EQ(35, world->startY); // column 7 / 2
    EXPECT_EQ(5, world->startZ);

    dir.write("objects.txt", "...\n.?.\n");
    build(); // an object map without a start mark
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(25, world->startX);
    EXPECT_EQ(35, world->startY);
    EXPECT_EQ(5, world->startZ);

    dir.write("objects.txt", "\n...X\n");
    build(); // a start mark wins over the middle cell
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(15, world->startX);
    EXPECT_EQ(35, world->startY);
    EXPECT_EQ(40, world->startZ);
}

TEST_F(WorldTest, MiddleCellStartIsItsCentreHeightPlusFive)
{
    dir.write("terrain.txt", "000\n090\n");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(15, world->startX); // 3 rows, the last one empty
    EXPECT_EQ(15, world->startY);
    EXPECT_EQ(50, world->startZ);
}

TEST_F(WorldTest, CellsKeepTheirBandTextureNames)
{
    dir.write("terrain.txt", "19\n60");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(12u, world->cellAt(0, 0)->texture);
    EXPECT_EQ(14u, world->cellAt(0, 1)->texture);
    EXPECT_EQ(13u, world->cellAt(1, 0)->texture);
    EXPECT_EQ(11u, world->cellAt(1, 1)->texture);
    // Stitched edges are coloured by their own height: (5 + 45) / 2 = 25 is grass.
    EXPECT_EQ(25.0f, z(0, 1, SlotW));
    EXPECT_EQ(1.0f, world->cellAt(0, 1)->vertices[SlotW].colour[1]);
    EXPECT_EQ(0.0f, world->cellAt(0, 1)->vertices[SlotW].colour[0]);
}

TEST_F(WorldTest, CrLfTerrainBuildsTheSameWorldAsLf)
{
    dir.write("terrain.txt", "0917\n5273\n8046\n");
    build();
    ASSERT_NE(nullptr, world);
    TerrainGrid* lf = world;
    world = nullptr;
    dir.write("terrain.txt", "0917\r\n5273\r\n8046\r\n");
    build();
    ASSERT_NE(nullptr, world);
    ASSERT_EQ(lf->rows, world->rows);
    ASSERT_EQ(lf->cols, world->cols);
    for (int row = 0; row < lf->rows; ++row) {
        for (int col = 0; col < lf->cols; ++col) {
            const TerrainCell* a = lf->cellAt(row, col);
            const TerrainCell* b = world->cellAt(row, col);
            EXPECT_EQ(0, std::memcmp(a->vertices, b->vertices, sizeof a->vertices))
                << "cell " << row << "," << col;
        }
    }
    releaseWorld(lf);
}

TEST_F(WorldTest, SolidObjectFlattensItsStitchedCellBeforeNormals)
{
    dir.write("terrain.txt", "02");
    dir.write("objects.txt", "C");
    build();
    ASSERT_NE(nullptr, world);
    const TerrainCell* cube = world->cellAt(0, 0);
    const TerrainCell* next = world->cellAt(0, 1);
    EXPECT_NE(nullptr, cube->model);

    // The cube's cell is flat again; its neighbour keeps the stitched edge.
    for (const Vertex& v : cube->vertices) EXPECT_EQ(0.0f, v.position[2]);
    EXPECT_EQ(5.0f, z(0, 1, SlotW));
    EXPECT_EQ(5.0f, z(0, 1, SlotNW));
    EXPECT_EQ(1, cube->sideFlags[SideE]);

    // The normals see the flattened cell: its four triangles at the shared edge are flat,
    // so that edge leans half as far as the stitched slope alone would make it.
    for (const float* n : cube->faceNormals) expectNear(n, 0, 0, 1);
    const float s = std::sin(22.5f * 3.14159265f / 180.0f);
    const float c = std::cos(22.5f * 3.14159265f / 180.0f);
    expectNear(next->vertices[SlotW].normal, 0, -s, c);
    expectNear(cube->vertices[SlotE].normal, 0, -s, c);
    // A border corner has no north neighbour but still sums the cell to its east or west.
    expectNear(cube->vertices[SlotNE].normal, 0, -s, c);
    expectNear(next->vertices[SlotNW].normal, 0, -s, c);
}

TEST_F(WorldTest, PeopleStandOnlyOnFreeCells)
{
    dir.write("terrain.txt", "11");
    dir.write("objects.txt", "C");
    build();
    ASSERT_NE(nullptr, world);
    ASSERT_NE(nullptr, world->people[0]);
    EXPECT_EQ(5.0f, world->people[0]->position[0]);
    EXPECT_EQ(15.0f, world->people[0]->position[1]);
    EXPECT_EQ(5.0f, world->people[0]->position[2]);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(nullptr, world->people[i]);
}
