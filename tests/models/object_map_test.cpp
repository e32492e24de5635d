// Tests of reading objects.txt: which instance lands on which cell, the flattening and wall
// flags of solid cells, the start cell, and the reader's diagnostic lines.
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/object_map.h"
#include "player/collision.h"
#include "terrain/byte_reader.h"
#include "terrain/grid.h"
#include "tests/support/test_support.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const lookupHeader = "attempting to retrieve geometry\n";

// Four stand-in models; the store holds, from the head, person 14, tree 13, pyramid 12,
// cube 11, so each lookup writes a known walk.
class ObjectMap : public ::testing::Test {
  protected:
    ObjectMap()
    {
        const Mesh** models[4] = {&cube, &pyramid, &tree, &person};
        for (int i = 0; i < 4; ++i) {
            Mesh* mesh = new Mesh;
            mesh->id = static_cast<int16_t>(11 + i);
            meshes.adopt(mesh);
            *models[i] = mesh;
        }
    }

    // Reads the map onto the grid and returns the lines the reader wrote.
    std::string load(const std::string& map)
    {
        InputBytes in(map);
        LogStream log;
        started = loadObjects(*grid, in.get(), meshes, ids, log.get());
        return log.text();
    }

    TerrainCell& cell(int r, int c) { return *grid->cellAt(r, c); }
    float centreZ(int r, int c) { return cell(r, c).vertices[SlotCentre].position[2]; }

    void expectFlatAt(int r, int c, float z)
    {
        for (int slot = 0; slot < 9; ++slot) {
            const float* p = cell(r, c).vertices[slot].position;
            EXPECT_EQ(z, p[2]) << "cell " << r << "," << c << " slot " << slot;
            EXPECT_EQ(r * 10 + 5 + slotOffset[slot][0], p[0]);
            EXPECT_EQ(c * 10 + 5 + slotOffset[slot][1], p[1]);
        }
    }

    void expectFlags(int r, int c, int n, int s, int e, int w)
    {
        const uint8_t* f = cell(r, c).sideFlags;
        EXPECT_EQ(n, f[SideN]) << "N of " << r << "," << c;
        EXPECT_EQ(s, f[SideS]) << "S of " << r << "," << c;
        EXPECT_EQ(e, f[SideE]) << "E of " << r << "," << c;
        EXPECT_EQ(w, f[SideW]) << "W of " << r << "," << c;
    }

    void setAllFlags(uint8_t value)
    {
        for (int r = 0; r < grid->rows; ++r)
            for (int c = 0; c < grid->cols; ++c)
                std::memset(cell(r, c).sideFlags, value, sizeof cell(r, c).sideFlags);
    }

    // The three-row map with a pyramid, a tree, the start and a cube, in any spelling.
    void expectExampleLayout()
    {
        EXPECT_TRUE(started);
        ASSERT_NE(nullptr, cell(0, 0).model);
        EXPECT_EQ(pyramid, cell(0, 0).model->mesh);
        EXPECT_EQ(0, cell(0, 0).model->passable);
        ASSERT_NE(nullptr, cell(0, 3).model);
        EXPECT_EQ(tree, cell(0, 3).model->mesh);
        EXPECT_EQ(1, cell(0, 3).model->passable);
        ASSERT_NE(nullptr, cell(2, 0).model);
        EXPECT_EQ(cube, cell(2, 0).model->mesh);
        EXPECT_EQ(0, cell(2, 0).model->passable);
        int occupied = 0;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c) occupied += cell(r, c).model != nullptr;
        EXPECT_EQ(3, occupied);
        EXPECT_EQ(15, grid->startX);
        EXPECT_EQ(25, grid->startY);
        EXPECT_EQ(25, grid->startZ); // centre 20 at (1, 2)
        // The grid's list holds the instances newest first.
        ASSERT_NE(nullptr, grid->instances);
        EXPECT_EQ(cell(2, 0).model, grid->instances);
        EXPECT_EQ(cell(0, 3).model, grid->instances->next);
        EXPECT_EQ(cell(0, 0).model, grid->instances->next->next);
        EXPECT_EQ(nullptr, grid->instances->next->next->next);
    }

    MeshStore meshes;
    MeshIds ids{11, 12, 13, 14};
    std::unique_ptr<TerrainGrid> grid;
    const Mesh* cube = nullptr;
    const Mesh* pyramid = nullptr;
    const Mesh* tree = nullptr;
    const Mesh* person = nullptr;
    bool started = false;
};

const std::vector<std::string> exampleLevels = {"1234", "2345", "3456"};

TEST_F(ObjectMap, PlacesPyramidTreeCubeAndStartInAnySpelling)
{
    // Lower case acts like capitals; CR LF reads like LF.
    for (const char* map :
         {"A..T\n..X.\nC...\n", "a..t\n..x.\nc...\n", "A..T\r\n..X.\r\nC...\r\n"}) {
        SCOPED_TRACE(map);
        grid = makeGrid(exampleLevels);
        load(map);
        expectExampleLayout();
    }
}

TEST_F(ObjectMap, PrintsLoadingThenOneLookupPerObject)
{
    grid = makeGrid(exampleLevels);
    const std::string text = load("A..T\n..X.\nC...\n");
    EXPECT_EQ(std::string("\n\nloading") + lookupHeader + "id: 14\nid: 13\nid: 12\n" +
                  lookupHeader + "id: 14\nid: 13\n" + lookupHeader +
                  "id: 14\nid: 13\nid: 12\nid: 11\n",
              text);
}

TEST_F(ObjectMap, AnyOtherByteIsAnEmptyCell)
{
    grid = makeGrid({"111111"});
    load("1# b\rC\n"); // a lone CR is a byte like any other
    for (int c = 0; c < 5; ++c) EXPECT_EQ(nullptr, cell(0, c).model) << c;
    ASSERT_NE(nullptr, cell(0, 5).model);
    EXPECT_EQ(cube, cell(0, 5).model->mesh);
    EXPECT_FALSE(started);
}

TEST_F(ObjectMap, SolidObjectsFlattenTheirCellsTreesDoNot)
{
    grid = makeGrid(exampleLevels);
    TerrainCell treeBefore = cell(0, 3);
    TerrainCell southOfPyramidBefore = cell(1, 0);
    load("A..T\n..X.\nC...\n");
    expectFlatAt(0, 0, 5.0f);
    expectFlatAt(2, 0, 15.0f);
    for (int slot = 0; slot < 9; ++slot) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(treeBefore.vertices[slot].position[k], cell(0, 3).vertices[slot].position[k]);
            // Flattening rewrites only the object's cell, not the neighbour's shared border.
            EXPECT_EQ(southOfPyramidBefore.vertices[slot].position[k],
                      cell(1, 0).vertices[slot].position[k]);
        }
    }
}

TEST_F(ObjectMap, SolidCellLevelIsCentreHeightTruncated)
{
    grid = makeGrid({"000"});
    cell(0, 0).setVertex(5, 5, 12.5f, SlotCentre, grid->textures);
    cell(0, 1).setVertex(5, 15, 9.99f, SlotCentre, grid->textures);
    cell(0, 2).setVertex(5, 25, 45.0f, SlotCentre, grid->textures);
    load("CAC\n");
    expectFlatAt(0, 0, 10.0f);
    expectFlatAt(0, 1, 5.0f);
    expectFlatAt(0, 2, 45.0f);
}

TEST_F(ObjectMap, LastStartCellWins)
{
    grid = makeGrid({"111", "113"});
    load("X..\n..X\n");
    EXPECT_TRUE(started);
    EXPECT_EQ(15, grid->startX);
    EXPECT_EQ(25, grid->startY);
    EXPECT_EQ(20, grid->startZ);
    EXPECT_EQ(nullptr, grid->instances);
}

TEST_F(ObjectMap, StartHeightIsCentrePlusFiveTruncated)
{
    grid = makeGrid({"0"});
    cell(0, 0).setVertex(5, 5, 12.7f, SlotCentre, grid->textures);
    load("x");
    EXPECT_EQ(5, grid->startX);
    EXPECT_EQ(5, grid->startY);
    EXPECT_EQ(17, grid->startZ);
    // The start cell itself is left as it was.
    EXPECT_EQ(12.7f, centreZ(0, 0));
    EXPECT_EQ(nullptr, cell(0, 0).model);
}

TEST_F(ObjectMap, LongLineIsCutAndPushesLaterLinesDown)
{
    grid = makeGrid({"1111", "1111", "1111", "1111"});
    load("CCCCC\n....\nA...\n");
    for (int c = 0; c < 4; ++c) {
        ASSERT_NE(nullptr, cell(0, c).model) << c;
        EXPECT_EQ(cube, cell(0, c).model->mesh);
    }
    for (int r = 1; r < 3; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(nullptr, cell(r, c).model) << r << "," << c;
    ASSERT_NE(nullptr, cell(3, 0).model);
    EXPECT_EQ(pyramid, cell(3, 0).model->mesh);
    int placed = 0;
    for (const ModelInstance* i = grid->instances; i; i = i->next) ++placed;
    EXPECT_EQ(5, placed);
}

TEST_F(ObjectMap, LinesBeyondTheLastRowAreNotRead)
{
    grid = makeGrid({"11", "11"});
    // Nothing on the third line is made, so nothing is looked up.
    EXPECT_EQ("\n\nloading", load("..\n.X\nXC\nCC\n"));
    EXPECT_EQ(15, grid->startX);
    EXPECT_EQ(15, grid->startY);
    EXPECT_EQ(nullptr, grid->instances);
}

TEST_F(ObjectMap, SideBySideCubesShareOneWall)
{
    grid = makeGrid({"111111", "111111", "111111", "111111"});
    setAllFlags(1);
    load("......\n......\n...CC.\n......\n");
    expectFlags(2, 3, 1, 1, 0, 1);
    expectFlags(2, 4, 1, 1, 1, 1);
    // The neighbours lose the flag on the side they share with a cube, and only that one.
    expectFlags(1, 3, 1, 0, 1, 1);
    expectFlags(3, 3, 0, 1, 1, 1);
    expectFlags(2, 2, 1, 1, 0, 1);
    expectFlags(1, 4, 1, 0, 1, 1);
    expectFlags(3, 4, 0, 1, 1, 1);
    expectFlags(2, 5, 1, 1, 1, 0);
}

TEST_F(ObjectMap, CornerCellChangesOnlyItsInnerSides)
{
    grid = makeGrid({"22", "22"});
    setAllFlags(1);
    std::memset(cell(0, 0).sideFlags, 0, sizeof cell(0, 0).sideFlags);
    load("C.\n..\n");
    expectFlags(0, 0, 0, 1, 1, 0);
    expectFlags(1, 0, 0, 1, 1, 1);
    expectFlags(0, 1, 1, 1, 1, 0);
    expectFlags(1, 1, 1, 1, 1, 1);
}

TEST_F(ObjectMap, TreeLeavesCellsAndFlagsUnchanged)
{
    grid = makeGrid({"123", "234", "345"});
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 4; ++k) cell(r, c).sideFlags[k] = (r + c + k) % 2;
    std::vector<TerrainCell> before;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) before.push_back(cell(r, c));
    load("...\n.t.\n...\n");
    ASSERT_NE(nullptr, cell(1, 1).model);
    EXPECT_EQ(tree, cell(1, 1).model->mesh);
    EXPECT_EQ(1, cell(1, 1).model->passable);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const TerrainCell& was = before[r * 3 + c];
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(was.sideFlags[k], cell(r, c).sideFlags[k]) << r << "," << c;
            for (int slot = 0; slot < 9; ++slot)
                EXPECT_EQ(was.vertices[slot].position[2], cell(r, c).vertices[slot].position[2])
                    << r << "," << c << " slot " << slot;
        }
    }
}

TEST_F(ObjectMap, MissingFileIsReportedAndPlacesNothing)
{
    grid = makeGrid({"11", "11"});
    LogStream log;
    started = loadObjects(*grid, nullptr, meshes, ids, log.get());
    EXPECT_EQ("can't open object file", log.text());
    EXPECT_FALSE(started);
    EXPECT_EQ(nullptr, grid->instances);
    EXPECT_EQ(0, grid->startX);
    EXPECT_EQ(0, grid->startY);
    EXPECT_EQ(0, grid->startZ);
}

TEST_F(ObjectMap, SolidObjectWithoutMeshStillFlattensAndBlocks)
{
    grid = makeGrid({"000", "020", "000"});
    ids.cube = -1; // cube.txt was missing
    const std::string text = load("...\n.C.\n...\n");
    EXPECT_EQ(std::string("\n\nloading") + lookupHeader +
                  "id: 14\nid: 13\nid: 12\nid: 11\n\ngeometry not found!!\n",
              text);
    ASSERT_NE(nullptr, cell(1, 1).model);
    EXPECT_EQ(nullptr, cell(1, 1).model->mesh);
    EXPECT_EQ(0, cell(1, 1).model->passable);
    expectFlatAt(1, 1, 10.0f);
    expectFlags(1, 1, 1, 1, 1, 1);

    LogStream blocked;
    EXPECT_TRUE(isBlocked(*grid, 15, 15, 10.0f, blocked.get()));
    EXPECT_FALSE(isBlocked(*grid, 15, 15, 10.5f, blocked.get()));
    EXPECT_EQ("terrain has model & user flying under TERRAIN!!!\n", blocked.text());
}

TEST_F(ObjectMap, PlacingWithoutInstanceStillShapesSolidCell)
{
    grid = makeGrid({"000", "030", "000"});
    LogStream solid;
    grid->placeModel(nullptr, 1, 1, 0, solid.get());
    EXPECT_EQ("model not loaded sucessfully!!!!!!!!!!!!!!!!!!!!!!\n", solid.text());
    EXPECT_EQ(nullptr, cell(1, 1).model);
    EXPECT_EQ(nullptr, grid->instances);
    expectFlatAt(1, 1, 15.0f);
    expectFlags(1, 1, 1, 1, 1, 1);

    // A tree without an instance, or any cell outside the grid, is silent and changes nothing.
    const TerrainCell before = cell(0, 0);
    LogStream silent;
    grid->placeModel(nullptr, 0, 0, 1, silent.get());
    grid->placeModel(nullptr, 3, 0, 0, silent.get());
    grid->placeModel(nullptr, 0, -1, 0, silent.get());
    EXPECT_EQ("", silent.text());
    for (int slot = 0; slot < 9; ++slot)
        EXPECT_EQ(before.vertices[slot].position[2], cell(0, 0).vertices[slot].position[2]);
    expectFlags(0, 0, 0, 0, 0, 0);
}

} // namespace

namespace {

// What the object map's rule hands over, one entry a call.
struct ObjectBytesLog {
    void cell(int c, int row, int col)
    {
        seen.push_back(std::string("'") + static_cast<char>(c) + "' at " + std::to_string(row) +
                       "," + std::to_string(col));
    }
    void dropped(int c, int row)
    {
        seen.push_back(std::string("'") + static_cast<char>(c) + "' dropped from row " +
                       std::to_string(row));
    }
    void lineEnd(int nextRow) { seen.push_back("line end to row " + std::to_string(nextRow)); }
    std::vector<std::string> seen;
};

std::pair<std::vector<std::string>, bool> readByRule(const std::string& bytes, int cols,
                                                     int rowBound)
{
    InputBytes in(bytes);
    ByteReader reader(in.get());
    ObjectBytesLog log;
    const bool toTheEnd = readObjectMap(reader, cols, rowBound, log);
    return {log.seen, toTheEnd};
}

} // namespace

TEST(ObjectRule, HandsEachByteItsCellOrItsDropAndEachLineEndItsRow)
{
    // The third byte of the first line runs past the two columns: it is dropped and moves on
    // a row, so the LF after it moves on once more.
    const auto [seen, toTheEnd] = readByRule("CAT\r\nX.\nab\n", 2, noRowBound);
    const std::vector<std::string> expected = {
        "'C' at 0,0", "'A' at 0,1",        "'T' dropped from row 0", "line end to row 2",
        "'X' at 2,0", "'.' at 2,1",        "line end to row 3",      "'a' at 3,0",
        "'b' at 3,1", "line end to row 4",
    };
    EXPECT_EQ(expected, seen);
    EXPECT_TRUE(toTheEnd);
}

TEST(ObjectRule, RowBoundStopsAtTheFirstByteOfTheRowPastIt)
{
    // why: the game stops at the first byte it reads once the rows are used up; the checker
    // reads on with no bound, and both must agree on every byte before that one.
    const std::string bytes = "C.\nX.\nab\n";
    const auto [unbound, toTheEnd] = readByRule(bytes, 2, noRowBound);
    const auto [bounded, reachedTheEnd] = readByRule(bytes, 2, 2);
    EXPECT_TRUE(toTheEnd);
    EXPECT_FALSE(reachedTheEnd);
    ASSERT_EQ(6u, bounded.size());
    EXPECT_EQ("line end to row 2", bounded.back());
    EXPECT_EQ(std::vector<std::string>(unbound.begin(), unbound.begin() + 6), bounded);
}
