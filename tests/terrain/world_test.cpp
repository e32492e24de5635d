// Tests of the GL-free world load over a world held in memory: refusals, its lines, the
// player start without a start mark, the names and meshes it hands on, and the effects of
// its order (stitch, then objects, then people, then normals).
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "terrain/world_source.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace {

class World : public testing::Test {
  protected:
    // Builds the world from `files` with a fresh mesh store; the load's lines go to
    // `printed`, the mesh identifiers it filled to `ids`.
    void build()
    {
        world.reset();
        meshes = MeshStore();
        LogStream log;
        WorldLoad load(files, meshes, log.get());
        load.textures = textures;
        load.clock = fixedClock;
        world.reset(buildWorld(load));
        ids = load.meshIds;
        printed = log.text();
    }

    void set(WorldFile file, std::string bytes) { files.set(file, std::move(bytes)); }

    float z(int row, int col, int slot) const
    {
        return world->cellAt(row, col)->vertices[slot].position[2];
    }

    MemoryWorld files;
    BandTextures textures = testTextures();
    MeshStore meshes;
    MeshIds ids;
    std::unique_ptr<TerrainGrid> world;
    std::string printed;
};

void expectNear(const float* actual, float x, float y, float z)
{
    EXPECT_NEAR(x, actual[0], 1e-6f);
    EXPECT_NEAR(y, actual[1], 1e-6f);
    EXPECT_NEAR(z, actual[2], 1e-6f);
}

// The text n times over.
std::string times(int n, const std::string& text)
{
    std::string all;
    while (n-- > 0) all += text;
    return all;
}

// What looking up a mesh writes when it passes the given identifiers.
std::string lookup(std::initializer_list<int> passed)
{
    std::string lines = "attempting to retrieve geometry\n";
    for (int id : passed) lines += "id: " + std::to_string(id) + "\n";
    return lines;
}

} // namespace

TEST_F(World, MissingTerrainFileGivesNoWorld)
{
    build();
    EXPECT_EQ(nullptr, world);
    EXPECT_EQ("can't open terrain file", printed);
}

TEST_F(World, TooLargeTerrainIsRefusedBeforeReading)
{
    // 2048 rows of 2049 columns: 4,196,352 cells, just over the limit.
    set(WorldFile::Terrain, std::string(2049, '1') + std::string(2047, '\n'));
    build();
    EXPECT_EQ(nullptr, world);
    EXPECT_EQ("terrain too large: 2048 x 2049 cells\n", printed);
}

TEST_F(World, MapOfEmptyLinesAboveTheLimitIsRefused)
{
    // why: a map of nothing but newlines has no cells, yet asked for one row table entry
    // per line, unbounded by the cell limit.
    set(WorldFile::Terrain, std::string(4194305, '\n'));
    build();
    EXPECT_EQ(nullptr, world);
    EXPECT_EQ("terrain too large: 4194306 x 0 cells\n", printed);
}

TEST_F(World, LoadWritesItsStepsInOrder)
{
    set(WorldFile::Terrain, "00\n00");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ("loading"
              "can't open object file"
              "only 0 places for people\n" +
                  times(2, "south exits"),
              printed);

    set(WorldFile::Objects, "");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ("loading"
              "\n\nloading"
              "only 0 places for people\n" +
                  times(2, "south exits"),
              printed);
}

TEST_F(World, MapWithoutNewlineIsOneRow)
{
    set(WorldFile::Terrain, "123");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(1, world->rows);
    EXPECT_EQ(3, world->cols);
    EXPECT_EQ(5.0f, z(0, 0, SlotCentre));
    EXPECT_EQ(10.0f, z(0, 1, SlotCentre));
    EXPECT_EQ(15.0f, z(0, 2, SlotCentre));

    // The empty map too: a world without cells, whose player starts at (5, 5, 5).
    set(WorldFile::Terrain, "");
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

TEST_F(World, StartIsAboveTheMiddleCellWithoutAStartMark)
{
    set(WorldFile::Terrain, "0000000\n0007000\n0000000\n0000000");
    build(); // no objects.txt
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(25, world->startX); // row 4 / 2
    EXPECT_EQ(35, world->startY); // column 7 / 2
    EXPECT_EQ(5, world->startZ);

    set(WorldFile::Objects, "...\n.?.\n");
    build(); // an object map without a start mark
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(25, world->startX);
    EXPECT_EQ(35, world->startY);
    EXPECT_EQ(5, world->startZ);

    set(WorldFile::Objects, "\n...X\n");
    build(); // a start mark wins over the middle cell
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(15, world->startX);
    EXPECT_EQ(35, world->startY);
    EXPECT_EQ(40, world->startZ);
}

TEST_F(World, MiddleCellStartIsItsCentreHeightPlusFive)
{
    set(WorldFile::Terrain, "000\n090\n");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(15, world->startX); // 3 rows, the last one empty
    EXPECT_EQ(15, world->startY);
    EXPECT_EQ(50, world->startZ);
}

TEST_F(World, CellsTakeTheBandNamesOfTheLoad)
{
    textures = BandTextures{21, 22, 23, 24};
    set(WorldFile::Terrain, "19\n60");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(22u, world->cellAt(0, 0)->texture);
    EXPECT_EQ(24u, world->cellAt(0, 1)->texture);
    EXPECT_EQ(23u, world->cellAt(1, 0)->texture);
    EXPECT_EQ(21u, world->cellAt(1, 1)->texture);
    // Stitched edges are coloured by their own height: (5 + 45) / 2 = 25 is grass.
    EXPECT_EQ(25.0f, z(0, 1, SlotW));
    EXPECT_EQ(1.0f, world->cellAt(0, 1)->vertices[SlotW].colour[1]);
    EXPECT_EQ(0.0f, world->cellAt(0, 1)->vertices[SlotW].colour[0]);
}

TEST_F(World, CrLfTerrainBuildsTheSameWorldAsLf)
{
    set(WorldFile::Terrain, "0917\n5273\n8046\n");
    build();
    ASSERT_NE(nullptr, world);
    const std::unique_ptr<TerrainGrid> lf = std::move(world);
    const std::string lfPrinted = printed;
    set(WorldFile::Terrain, "0917\r\n5273\r\n8046\r\n");
    build();
    ASSERT_NE(nullptr, world);
    EXPECT_EQ(lfPrinted, printed);
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
}

TEST_F(World, SolidObjectFlattensItsStitchedCellBeforeNormals)
{
    set(WorldFile::Terrain, "02");
    set(WorldFile::Objects, "C");
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

TEST_F(World, PeopleStandOnlyOnFreeCells)
{
    set(WorldFile::Terrain, "11");
    set(WorldFile::Objects, "C");
    build();
    ASSERT_NE(nullptr, world);
    ASSERT_NE(nullptr, world->people[0]);
    EXPECT_EQ(5.0f, world->people[0]->position[0]);
    EXPECT_EQ(15.0f, world->people[0]->position[1]);
    EXPECT_EQ(5.0f, world->people[0]->position[2]);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(nullptr, world->people[i]);
    // Without model files every lookup finds no mesh.
    EXPECT_EQ("loading"
              "\n\nloading"
              "attempting to retrieve geometry\n"
              "\ngeometry not found!!\n"
              "only 1 places for people\n"
              "setting person 0, 0,1\n"
              "attempting to retrieve geometry\n"
              "\ngeometry not found!!\n"
              "5.000000,15.000000,5.000000\n",
              printed);
}

TEST_F(World, FixedClockPutsThePeopleOnFixedCells)
{
    // The cells are the ones glibc's generator gives for the clock's one second.
    set(WorldFile::Terrain, "1111\n1111\n1111");
    build();
    ASSERT_NE(nullptr, world);
    // Each person: which one and his cell, his figure's failed lookup, his centre.
    auto placed = [](const char* which, const char* centre) {
        return std::string("setting person ") + which + "\n" +
               "attempting to retrieve geometry\n\ngeometry not found!!\n" + centre + "\n";
    };
    EXPECT_EQ(std::string("loading") + "can't open object file" +
                  placed("0, 0,0", "5.000000,5.000000,5.000000") +
                  placed("1, 1,1", "15.000000,15.000000,5.000000") +
                  placed("2, 0,1", "5.000000,15.000000,5.000000") +
                  placed("3, 2,2", "25.000000,25.000000,5.000000") +
                  placed("4, 2,3", "25.000000,35.000000,5.000000") + times(8, "south exits"),
              printed);
    const std::string first = printed;
    build();
    EXPECT_EQ(first, printed);
}

TEST_F(World, ModelsLoadInOrderBeforeTheObjectsThatUseThem)
{
    // Each model file gives a face count and ends there, so its line tells which file it was.
    set(WorldFile::Terrain, "1111");
    set(WorldFile::Objects, "CAT");
    set(WorldFile::Cube, "1");
    set(WorldFile::Pyramid, "2");
    set(WorldFile::Tree, "3");
    set(WorldFile::Person, "4");
    build();
    ASSERT_NE(nullptr, world);
    const int cube = ids.cube, pyramid = ids.pyramid, tree = ids.tree, person = ids.person;
    auto created = [](int id, int faces) {
        const std::string n = std::to_string(id);
        return "number of faces for idnum: " + n + " is " + std::to_string(faces) + "\n" +
               "created geometry with ID: " + n + " - " + n + "\n";
    };
    EXPECT_EQ("loading" + created(cube, 1) + created(pyramid, 2) + created(tree, 3) +
                  created(person, 4) + "\n\nloading" + lookup({person, tree, pyramid, cube}) +
                  lookup({person, tree, pyramid}) + lookup({person, tree}) +
                  "only 1 places for people\n" + "setting person 0, 0,3\n" + lookup({person}) +
                  "5.000000,35.000000,5.000000\n",
              printed);

    // Each object and the person stand on the mesh of their own file.
    ASSERT_NE(nullptr, world->cellAt(0, 0)->model);
    ASSERT_NE(nullptr, world->cellAt(0, 1)->model);
    ASSERT_NE(nullptr, world->cellAt(0, 2)->model);
    ASSERT_NE(nullptr, world->people[0]);
    LogStream quiet;
    EXPECT_EQ(meshes.findMesh(cube, quiet.get()), world->cellAt(0, 0)->model->mesh);
    EXPECT_EQ(meshes.findMesh(pyramid, quiet.get()), world->cellAt(0, 1)->model->mesh);
    EXPECT_EQ(meshes.findMesh(tree, quiet.get()), world->cellAt(0, 2)->model->mesh);
    EXPECT_EQ(meshes.findMesh(person, quiet.get()), world->people[0]->model->mesh);
    EXPECT_EQ(1, world->cellAt(0, 2)->model->passable);
}
