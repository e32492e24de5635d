// Tests of the world generator: the files it writes and the worlds it keeps, what the maps
// hold, embedding a small world in a large one, its summary, and that the game loads it.
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "terrain/world_source.h"
#include "tests/support/test_support.h"
#include "tools/worldgen/worldgen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace worldgen;

namespace {

ProgramRun generate(const std::vector<std::string>& args)
{
    return runProgram(runWorldgen, "vantora-worldgen", args);
}

int run(const std::vector<std::string>& args)
{
    return generate(args).status;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        out.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return out;
        start = end + 1;
    }
}

// Height band of a level digit: 0 water, 1 grass, 2 dirt, 3 snow.
int band(char level)
{
    if (level == '0') return 0;
    if (level <= '5') return 1;
    if (level <= '8') return 2;
    return 3;
}

bool isSolid(char object)
{
    return object == 'C' || object == 'A';
}

// Distance in units from the centre of cell (row, col) to the point (x, y).
double distance(int row, int col, double x, double y)
{
    return std::hypot(10.0 * row + 5 - x, 10.0 * col + 5 - y);
}

} // namespace

TEST(WorldgenFiles, SameArgumentsWriteSameBytes)
{
    ScratchFolder folder;
    ASSERT_EQ(0, run({"40", "56", "99", folder / "a"}));
    ASSERT_EQ(0, run({"40", "56", "99", folder / "b"}));
    ASSERT_EQ(0, run({"40", "56", "100", folder / "c"}));
    for (const char* name : {"terrain.txt", "objects.txt", "cube.txt", "snow.raw"}) {
        const std::string a = readFile(folder / ("a/" + std::string(name)));
        ASSERT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, readFile(folder / ("b/" + std::string(name)))) << name;
    }
    EXPECT_NE(readFile(folder / "a/terrain.txt"), readFile(folder / "c/terrain.txt"));
}

TEST(WorldgenFiles, SeedNamesTheSameWorldEverywhere)
{
    // A seed names a world for good: these bytes come from integer arithmetic only and must
    // not change with the compiler, the library or the machine.
    ScratchFolder folder;
    ASSERT_EQ(0, run({"10", "12", "2024", folder / "w"}));
    EXPECT_EQ("253102210000\n453222311000\n532111310100\n562111321100\n864214422110\n"
              "996535466311\n988764767324\n998877786743\n997754588654\n998733676654",
              readFile(folder / "w/terrain.txt"));
    EXPECT_EQ("............\n............\n............\n............\n.....T......\n"
              "..TTT.......\n...TTT......\n....TX......\n..TTTT......\n...TT.TT....",
              readFile(folder / "w/objects.txt"));
}

TEST(WorldgenFiles, MapsAreEqualLinesOfCellsWithoutFinalNewline)
{
    ScratchFolder folder;
    ASSERT_EQ(0, run({"13", "21", "5", folder / "w"}));
    const std::string terrain = readFile(folder / "w/terrain.txt");
    const std::string objects = readFile(folder / "w/objects.txt");
    ASSERT_FALSE(terrain.empty());
    EXPECT_NE('\n', terrain.back());
    EXPECT_NE('\n', objects.back());
    const std::vector<std::string> terrainLines = lines(terrain), objectLines = lines(objects);
    ASSERT_EQ(13u, terrainLines.size());
    ASSERT_EQ(13u, objectLines.size());
    for (size_t row = 0; row < 13; ++row) {
        EXPECT_EQ(21u, terrainLines[row].size()) << row;
        EXPECT_EQ(21u, objectLines[row].size()) << row;
        EXPECT_EQ(std::string::npos, terrainLines[row].find_first_not_of("0123456789")) << row;
        EXPECT_EQ(std::string::npos, objectLines[row].find_first_not_of(".CATX")) << row;
    }
}

TEST(WorldgenFiles, CopiesTheBundledModelsAndTextures)
{
    ScratchFolder folder;
    ASSERT_EQ(0, run({"8", "8", "1", folder / "out"}));
    for (WorldFile file : assetFiles) {
        const std::string name = worldFileName(file);
        const std::string bundled = readFile(sourcePath("world/" + name));
        ASSERT_FALSE(bundled.empty()) << name;
        EXPECT_EQ(bundled, readFile(folder / ("out/" + name))) << name;
    }
}

TEST(WorldgenFiles, AssetsOptionNamesTheSourceFolder)
{
    ScratchFolder folder;
    EXPECT_EQ(1, run({"8", "8", "1", folder / "out", "--assets", folder / "no-such-folder"}));
    EXPECT_FALSE(std::filesystem::exists(folder / "out"));
    ASSERT_EQ(0, run({"8", "8", "1", folder / "copy", "--assets", sourcePath("world")}));
    EXPECT_EQ(readFile(sourcePath("world/tree.txt")), readFile(folder / "copy/tree.txt"));
}

TEST(WorldgenHeights, EveryBandAppearsOnAnyShape)
{
    const int shapes[][2] = {{8, 8}, {9, 40}, {40, 9}, {64, 64}, {200, 150}};
    for (const auto& shape : shapes) {
        for (uint64_t seed : {0ULL, 1ULL, 12345ULL}) {
            const WorldMaps maps = generateWorld(shape[0], shape[1], seed);
            ASSERT_EQ(static_cast<size_t>(shape[0]) * shape[1], maps.terrain.size());
            bool seen[4] = {false, false, false, false};
            for (char level : maps.terrain) seen[band(level)] = true;
            for (int b = 0; b < 4; ++b)
                EXPECT_TRUE(seen[b])
                    << "band " << b << " in " << shape[0] << " x " << shape[1] << " seed " << seed;
        }
    }
}

TEST(WorldgenHeights, BigMapsHoldSeasAndMountainsEverywhere)
{
    // why: the hills once grew with the map, so a big world was one mountain and one sea.
    for (uint64_t seed : {3ULL, 4ULL}) {
        const WorldMaps maps = generateWorld(512, 512, seed);
        // Of the 16 blocks of 128 x 128 cells, count those holding both water and snow.
        int varied = 0;
        for (int block = 0; block < 16; ++block) {
            bool water = false, snow = false;
            for (int row = block / 4 * 128; row < block / 4 * 128 + 128; ++row) {
                for (int col = block % 4 * 128; col < block % 4 * 128 + 128; ++col) {
                    water = water || maps.level(row, col) == '0';
                    snow = snow || maps.level(row, col) == '9';
                }
            }
            varied += water && snow;
        }
        EXPECT_GE(varied, 12) << "seed " << seed;
    }
}

TEST(WorldgenObjects, VillagesAndWoodsStandOnSuitableGround)
{
    const WorldMaps maps = generateWorld(200, 200, 8);
    long long cubes = 0, pyramids = 0, trees = 0;
    for (int row = 0; row < maps.rows; ++row) {
        for (int col = 0; col < maps.cols; ++col) {
            const char object = maps.object(row, col), level = maps.level(row, col);
            if (isSolid(object)) {
                EXPECT_TRUE(level >= '2' && level <= '4') << row << "," << col;
                cubes += object == 'C';
                pyramids += object == 'A';
            } else if (object == 'T') {
                EXPECT_TRUE(level >= '2' && level <= '7') << row << "," << col;
                ++trees;
            }
        }
    }
    EXPECT_GT(cubes, 0);
    EXPECT_GT(pyramids, 0);
    EXPECT_GT(trees, 0);
}

TEST(WorldgenObjects, OneStartOnAHillTopBelowTheCeiling)
{
    for (uint64_t seed : {2ULL, 77ULL, 31337ULL}) {
        const WorldMaps maps = generateWorld(60, 45, seed);
        ASSERT_EQ(1, std::count(maps.objects.begin(), maps.objects.end(), 'X')) << seed;
        const size_t at = maps.objects.find('X');
        const int row = static_cast<int>(at / 45), col = static_cast<int>(at % 45);
        const char level = maps.level(row, col);
        // The player starts five units above the cell; 50 is the ceiling.
        EXPECT_TRUE(level >= '6' && level <= '8') << seed;
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                if (row + dr < 0 || row + dr >= 60 || col + dc < 0 || col + dc >= 45) continue;
                EXPECT_LE(maps.level(row + dr, col + dc), level) << seed;
            }
        }
    }
}

TEST(WorldgenObjects, KeepsPlacesForPeopleOnEveryMap)
{
    const int shapes[][2] = {{8, 8}, {30, 30}, {300, 300}};
    for (const auto& shape : shapes) {
        const WorldMaps maps = generateWorld(shape[0], shape[1], 4);
        long long free1 = 0;
        for (size_t i = 0; i < maps.terrain.size(); ++i)
            free1 += maps.terrain[i] == '1' && maps.objects[i] != 'C' && maps.objects[i] != 'A' &&
                     maps.objects[i] != 'T';
        EXPECT_GE(free1, 5) << shape[0];
        EXPECT_GE(free1, static_cast<long long>(shape[0]) * shape[1] / 100) << shape[0];
    }
}

TEST(WorldgenObjects, PeopleAwayClearsTheMiddle)
{
    const WorldMaps maps = generateWorld(30, 30, 6, 110);
    long long free1 = 0;
    for (int row = 0; row < 30; ++row) {
        for (int col = 0; col < 30; ++col) {
            if (maps.level(row, col) != '1') continue;
            EXPECT_GE(distance(row, col, 150, 150), 110) << row << "," << col;
            free1 += !isSolid(maps.object(row, col)) && maps.object(row, col) != 'T';
        }
    }
    EXPECT_GE(free1, 5);
}

TEST(WorldgenEmbed, CopiesTheSmallWorldIntoTheMiddle)
{
    const WorldMaps inner = generateWorld(30, 30, 9, 110);
    WorldMaps outer = generateWorld(100, 80, 10);
    std::string error;
    ASSERT_TRUE(embedWorld(inner, outer, 110, error)) << error;
    const int top = 35, left = 25;
    int starts = 0;
    for (int row = 0; row < 100; ++row) {
        for (int col = 0; col < 80; ++col) {
            const bool inside = row >= top && row < top + 30 && col >= left && col < left + 30;
            if (inside) {
                ASSERT_EQ(inner.level(row - top, col - left), outer.level(row, col));
                ASSERT_EQ(inner.object(row - top, col - left), outer.object(row, col));
            }
            starts += outer.object(row, col) == 'X';
            EXPECT_TRUE(inside || outer.object(row, col) != 'X') << row << "," << col;
        }
    }
    EXPECT_EQ(1, starts);
    // No digit 1 outside the block within 110 units of any block cell.
    for (int row = 0; row < 100; ++row) {
        for (int col = 0; col < 80; ++col) {
            if (outer.level(row, col) != '1') continue;
            if (row >= top && row < top + 30 && col >= left && col < left + 30) continue;
            const int r = std::clamp(row, top, top + 29), c = std::clamp(col, left, left + 29);
            EXPECT_GT(distance(row, col, 10.0 * r + 5, 10.0 * c + 5), 110) << row << "," << col;
        }
    }
}

TEST(WorldgenEmbed, RefusesAWorldLargerThanTheHost)
{
    const WorldMaps inner = generateWorld(30, 12, 1);
    WorldMaps outer = generateWorld(20, 40, 1);
    const WorldMaps before = outer;
    std::string error;
    EXPECT_FALSE(embedWorld(inner, outer, 110, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(before.terrain, outer.terrain);
    EXPECT_EQ(before.objects, outer.objects);
}

TEST(WorldgenEmbed, ReadsTheWorldItWrote)
{
    ScratchFolder folder;
    ASSERT_EQ(0, run({"30", "30", "3", folder / "small", "--people-away", "110"}));
    ASSERT_EQ(0, run({"60", "70", "4", folder / "big", "--embed", folder / "small"}));
    WorldMaps small, big;
    std::string error;
    ASSERT_TRUE(readWorld(folder / "small", small, error)) << error;
    ASSERT_TRUE(readWorld(folder / "big", big, error)) << error;
    ASSERT_EQ(60, big.rows);
    ASSERT_EQ(70, big.cols);
    for (int row = 0; row < 30; ++row)
        EXPECT_EQ(small.terrain.substr(row * 30, 30), big.terrain.substr((15 + row) * 70 + 20, 30));
    // A ragged map is refused rather than embedded askew.
    folder.write("ragged/terrain.txt", "123\n12\n123");
    folder.write("ragged/objects.txt", "...\n...\n...");
    EXPECT_FALSE(readWorld(folder / "ragged", small, error));
    EXPECT_EQ(1, run({"60", "70", "4", folder / "bad", "--embed", folder / "ragged"}));
}

TEST(WorldgenCommandLine, FailsWhenTooFewPlacesForPeopleRemain)
{
    ScratchFolder folder;
    EXPECT_EQ(1, run({"8", "8", "1", folder / "out", "--people-away", "1000"}));
    EXPECT_FALSE(std::filesystem::exists(folder / "out/terrain.txt"));
}

namespace {

namespace fs = std::filesystem;

// Everything under `folder`: each file's bytes, each link's target, each folder.
std::map<std::string, std::string> snapshot(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().string();
        if (entry.is_symlink()) {
            entries[name] = "link to " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            entries[name] = "folder";
        } else {
            entries[name] = readFile(name);
        }
    }
    return entries;
}

// The world's ten files in the order the refusal names them.
std::vector<std::string> worldFiles()
{
    std::vector<std::string> names;
    for (int i = 0; i < worldFileCount; ++i)
        names.push_back(worldFileName(static_cast<WorldFile>(i)));
    return names;
}

std::string refusal(const std::string& folder, const std::string& files)
{
    return "vantora-worldgen: " + folder + ": already holds " + files +
           "; nothing written (use --force to overwrite)\n";
}

} // namespace

TEST(WorldgenKeeps, RefusesAFolderHoldingAnyOneOfTheWorldsFiles)
{
    ScratchFolder folder;
    const std::string mine = folder / "mine";
    for (const std::string& name : worldFiles()) {
        SCOPED_TRACE(name);
        folder.write("mine/" + name, "made by hand");
        folder.write("mine/notes.txt", "mine too");
        const auto before = snapshot(mine);
        const ProgramRun refused = generate({"20", "20", "1", mine});
        EXPECT_EQ(1, refused.status);
        EXPECT_EQ("", refused.out);
        EXPECT_EQ(refusal(mine, name), refused.err);
        EXPECT_EQ(before, snapshot(mine));
        fs::remove_all(mine);
    }
    // A link by one of those names counts even when it leads nowhere: writing through it
    // would create or replace the file it names.
    const std::string linked = folder / "linked";
    fs::create_directory(linked);
    fs::create_symlink("../kept.txt", folder / "linked/objects.txt");
    EXPECT_EQ(refusal(linked, "objects.txt"), generate({"20", "20", "1", linked}).err);
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "kept.txt")));
    EXPECT_FALSE(fs::exists(folder / "linked/terrain.txt"));
}

TEST(WorldgenKeeps, LeavesAHandMadeWorldAsItIs)
{
    ScratchFolder folder;
    const std::string w = folder / "w";
    ASSERT_EQ(0, run({"20", "20", "1", w}));
    std::string terrain = readFile(folder / "w/terrain.txt");
    terrain[0] = terrain[0] == '9' ? '8' : '9';
    folder.write("w/terrain.txt", terrain);
    const auto before = snapshot(w);
    // The mistakes most likely to hit it: the same command again, another size, embedding
    // the folder into itself, taking the models and textures from it.
    const std::vector<std::vector<std::string>> commands = {
        {"20", "20", "1", w},
        {"40", "30", "2", w},
        {"40", "40", "3", w, "--embed", w},
        {"20", "20", "1", w, "--assets", w},
    };
    for (const auto& command : commands) {
        const ProgramRun refused = generate(command);
        EXPECT_EQ(1, refused.status) << command.size();
        EXPECT_EQ(refusal(w, "terrain.txt, objects.txt, cube.txt, pyramid.txt, tree.txt, "
                             "person.txt, water256_2.raw, dirt.raw, grass.raw, snow.raw"),
                  refused.err);
        EXPECT_EQ(before, snapshot(w));
    }
}

TEST(WorldgenKeeps, WritesIntoFoldersWithoutAWorld)
{
    ScratchFolder folder;
    fs::create_directory(folder / "empty");
    EXPECT_EQ(0, run({"8", "8", "1", folder / "empty"}));
    folder.write("notes/terrain.txt.bak", "an old map");
    EXPECT_EQ(0, run({"8", "8", "1", folder / "notes"}));
    EXPECT_EQ("an old map", readFile(folder / "notes/terrain.txt.bak"));
    EXPECT_EQ(readFile(folder / "empty/terrain.txt"), readFile(folder / "notes/terrain.txt"));
    EXPECT_EQ(0, run({"8", "8", "1", folder / "new/deeper"}));
    EXPECT_EQ(readFile(folder / "empty/snow.raw"), readFile(folder / "new/deeper/snow.raw"));
}

TEST(WorldgenKeeps, MissingModelsOrTexturesWriteNothing)
{
    // why: the maps were written before a missing asset was found, and the half world then
    // made every later run into the same folder need --force.
    ScratchFolder folder;
    for (WorldFile file : assetFiles)
        if (file != WorldFile::Snow)
            folder.write(std::string("assets/") + worldFileName(file),
                         readFile(sourcePath("world/") + worldFileName(file)));
    const ProgramRun failed =
        generate({"8", "8", "1", folder / "fresh/w", "--assets", folder / "assets"});
    EXPECT_EQ(1, failed.status);
    EXPECT_EQ("vantora-worldgen: missing model or texture " + (folder / "assets/snow.raw") +
                  " (use --assets DIR)\n",
              failed.err);
    EXPECT_FALSE(fs::exists(folder / "fresh"));
}

TEST(WorldgenKeeps, ForceOverwritesTheWorldAndNothingElse)
{
    ScratchFolder folder;
    const std::string w = folder / "w";
    ASSERT_EQ(0, run({"30", "30", "1", w}));
    folder.write("w/terrain.txt", "11111");
    folder.write("w/cube.txt", "made by hand");
    folder.write("w/notes.txt", "mine");
    const ProgramRun forced = generate({"24", "26", "2", w, "--force"});
    EXPECT_EQ(0, forced.status) << forced.err;
    ASSERT_EQ(0, run({"24", "26", "2", folder / "fresh"}));
    for (const std::string& name : worldFiles())
        EXPECT_EQ(readFile(folder / ("fresh/" + name)), readFile(folder / ("w/" + name))) << name;
    EXPECT_EQ("mine", readFile(folder / "w/notes.txt"));
    // Its own models and textures stay where they are.
    folder.write("w/terrain.txt", "11111");
    const ProgramRun again = generate({"24", "26", "2", w, "--force", "--assets", w});
    EXPECT_EQ(0, again.status) << again.err;
    EXPECT_EQ(readFile(folder / "fresh/terrain.txt"), readFile(folder / "w/terrain.txt"));
    EXPECT_EQ(readFile(folder / "fresh/cube.txt"), readFile(folder / "w/cube.txt"));
}

TEST(WorldgenSummary, NamesTheStartByLineAndColumnOfObjectsTxt)
{
    ScratchFolder scratch;
    const int shapes[][3] = {{13, 21, 5}, {40, 9, 3}, {60, 45, 77}};
    for (const auto& shape : shapes) {
        const std::string rows = std::to_string(shape[0]), cols = std::to_string(shape[1]);
        // The summary names the folder as given, "./" and all.
        const std::string folder = scratch / ("./" + rows + "x" + cols);
        const ProgramRun made = generate({rows, cols, std::to_string(shape[2]), folder});
        ASSERT_EQ(0, made.status) << made.err;
        size_t line = 0, column = 0;
        const size_t at = made.out.find("start at objects.txt:");
        ASSERT_NE(std::string::npos, at) << made.out;
        ASSERT_EQ(
            2, std::sscanf(made.out.c_str() + at, "start at objects.txt:%zu:%zu", &line, &column))
            << made.out;
        const std::vector<std::string> objects = lines(readFile(folder + "/objects.txt"));
        ASSERT_GE(line, 1u);
        ASSERT_LE(line, objects.size());
        ASSERT_GE(column, 1u);
        ASSERT_LE(column, objects[line - 1].size());
        EXPECT_EQ('X', objects[line - 1][column - 1]) << made.out;
        WorldMaps maps;
        std::string error;
        ASSERT_TRUE(readWorld(folder, maps, error)) << error;
        EXPECT_EQ(rows + " x " + cols + " cells, seed " + std::to_string(shape[2]) + ": " +
                      std::to_string(countPeoplePlaces(maps)) +
                      " places for people, start at objects.txt:" + std::to_string(line) + ":" +
                      std::to_string(column) + "; written to " + folder + "\n",
                  made.out);
    }
    // An embedded map's start, the last one read, may be a lower-case x.
    std::string terrain, objects;
    for (int row = 0; row < 10; ++row) {
        terrain += std::string(10, '1') + (row < 9 ? "\n" : "");
        objects += std::string(row == 2   ? "...X......"
                               : row == 7 ? "........x."
                                          : "..........") +
                   (row < 9 ? "\n" : "");
    }
    scratch.write("small/terrain.txt", terrain);
    scratch.write("small/objects.txt", objects);
    const ProgramRun embedded =
        generate({"30", "30", "4", scratch / "big", "--embed", scratch / "small"});
    ASSERT_EQ(0, embedded.status) << embedded.err;
    EXPECT_NE(std::string::npos, embedded.out.find(", start at objects.txt:18:19;"))
        << embedded.out;
    EXPECT_EQ('x', lines(readFile(scratch / "big/objects.txt"))[17][18]);
}

// The game's own GL-free load, by the same steps and readers, on generated worlds in a
// scratch folder.
class WorldgenLoad : public testing::Test {
  protected:
    // What one load made; the grid's instances point into the meshes, so the grid is freed
    // first.
    struct Loaded {
        MeshStore meshes;
        std::unique_ptr<TerrainGrid> grid;
    };

    // Loads the world in the folder at `path`; the lines of the load go to `printed`.
    TerrainGrid* load(const std::string& path)
    {
        loaded.push_back(std::make_unique<Loaded>());
        FolderWorld files(path);
        LogStream log;
        WorldLoad world(files, loaded.back()->meshes, log.get());
        world.textures = BandTextures{21, 22, 23, 24};
        world.clock = fixedClock;
        loaded.back()->grid.reset(buildWorld(world));
        printed = log.text();
        return loaded.back()->grid.get();
    }

    ScratchFolder folder;
    std::vector<std::unique_ptr<Loaded>> loaded;
    std::string printed;
};

TEST_F(WorldgenLoad, GameLoadsTheWholeWorld)
{
    ASSERT_EQ(0, run({"40", "50", "11", folder / "w"}));
    WorldMaps maps;
    std::string error;
    ASSERT_TRUE(readWorld(folder / "w", maps, error)) << error;
    TerrainGrid* grid = load(folder / "w");
    ASSERT_NE(nullptr, grid);
    EXPECT_EQ(40, grid->rows);
    EXPECT_EQ(50, grid->cols);
    ASSERT_NE("", printed);
    for (const char* failure : {"can't open", "geometry not found", "not loaded", "only "})
        EXPECT_EQ(std::string::npos, printed.find(failure)) << failure;
    const size_t start = maps.objects.find('X');
    EXPECT_EQ(static_cast<int>(start / 50) * 10 + 5, grid->startX);
    EXPECT_EQ(static_cast<int>(start % 50) * 10 + 5, grid->startY);
    bool textures[4] = {false, false, false, false};
    for (int row = 0; row < 40; ++row)
        for (int col = 0; col < 50; ++col) {
            const unsigned texture = grid->cellAt(row, col)->texture;
            if (texture >= 21 && texture <= 24) textures[texture - 21] = true;
            EXPECT_EQ(maps.object(row, col) == 'C' || maps.object(row, col) == 'A' ||
                          maps.object(row, col) == 'T',
                      grid->cellAt(row, col)->model != nullptr);
        }
    for (int b = 0; b < 4; ++b) EXPECT_TRUE(textures[b]) << b;
    for (const Person* person : grid->people) {
        ASSERT_NE(nullptr, person);
        const int row = static_cast<int>(person->position[0]) / 10;
        const int col = static_cast<int>(person->position[1]) / 10;
        EXPECT_EQ('1', maps.level(row, col));
    }
}

TEST_F(WorldgenLoad, EmbeddedNeighbourhoodLoadsAsTheSmallWorld)
{
    ASSERT_EQ(0, run({"30", "30", "12", folder / "small", "--people-away", "110"}));
    ASSERT_EQ(0, run({"90", "90", "13", folder / "big", "--embed", folder / "small"}));
    TerrainGrid* small = load(folder / "small");
    TerrainGrid* big = load(folder / "big");
    ASSERT_NE(nullptr, small);
    ASSERT_NE(nullptr, big);
    // Every cell within reach of a player in the middle is the same, shifted by the block
    // offset of 30 cells: heights, colours, normals, walls and the object on it.
    const int offset = 30;
    int compared = 0;
    for (int row = 0; row < 30; ++row) {
        for (int col = 0; col < 30; ++col) {
            if (distance(row, col, 150, 150) >= 100) continue;
            ++compared;
            const TerrainCell& a = *small->cellAt(row, col);
            const TerrainCell& b = *big->cellAt(row + offset, col + offset);
            for (int slot = 0; slot < 9; ++slot) {
                const Vertex &u = a.vertices[slot], &v = b.vertices[slot];
                ASSERT_EQ(u.position[0] + 10 * offset, v.position[0]);
                ASSERT_EQ(u.position[1] + 10 * offset, v.position[1]);
                ASSERT_EQ(u.position[2], v.position[2]) << row << "," << col << " " << slot;
                for (int i = 0; i < 3; ++i) {
                    ASSERT_EQ(u.colour[i], v.colour[i]);
                    ASSERT_EQ(u.normal[i], v.normal[i]) << row << "," << col << " " << slot;
                }
            }
            for (int side = 0; side < 4; ++side) ASSERT_EQ(a.sideFlags[side], b.sideFlags[side]);
            ASSERT_EQ(a.texture, b.texture);
            ASSERT_EQ(a.model != nullptr, b.model != nullptr);
            if (a.model) {
                ASSERT_EQ(a.model->passable, b.model->passable);
                ASSERT_NE(nullptr, a.model->mesh);
                ASSERT_NE(nullptr, b.model->mesh);
                ASSERT_EQ(a.model->mesh->faceCount, b.model->mesh->faceCount);
            }
        }
    }
    EXPECT_GT(compared, 300);
    // No person stands within reach of the player in either world.
    for (const Person* person : small->people)
        EXPECT_GE(std::hypot(person->position[0] - 150, person->position[1] - 150), 100);
    for (const Person* person : big->people)
        EXPECT_GE(std::hypot(person->position[0] - 450, person->position[1] - 450), 100);
}
