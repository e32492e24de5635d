// Tests of the world checker vantora-check: its report on each of our broken worlds, that
// every place it names holds what it says, that it sees every world cell for cell as the game
// loads it, its findings on odd worlds, and its output.
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/object_kinds.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "terrain/world_source.h"
#include "tests/support/test_support.h"
#include "tools/checker/checker.h"
#include "tools/worldgen/worldgen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using checker::Severity;
using checker::WorldReport;

namespace fs = std::filesystem;

namespace {

// A world folder of its own: the bundled world with some files replaced and some removed.
class TestWorld : public ScratchFolder {
  public:
    TestWorld() { copyBundledWorld(*this); }
    void remove(const std::string& name) const { fs::remove(*this / name); }
    std::string read(const std::string& name) const { return readFile(*this / name); }
    WorldReport check() const { return checker::checkWorld(path()); }
};

// The lines of the report that are findings of the given severity, with bare file names.
std::vector<std::string> findingLines(const WorldReport& report, Severity severity)
{
    std::vector<std::string> lines;
    for (const checker::Finding& finding : report.findings)
        if (finding.severity == severity) lines.push_back(checker::formatFinding(".", finding));
    return lines;
}

// The whole printed report, as `vantora-check .` prints it in the world's folder.
std::string printed(const WorldReport& report, bool all = false)
{
    std::FILE* out = std::tmpfile();
    checker::printReport(out, ".", report, all);
    return readStream(out);
}

// The model file `name` of the world as the game's mesh store reads it.
struct GameMesh {
    MeshStore store;
    const Mesh* mesh = nullptr;
    GameMesh(const TestWorld& world, const std::string& name)
    {
        InputBytes in(world.read(name));
        LogStream log;
        store.loadMesh(in.get(), log.get());
        mesh = store.newest();
    }
};

// The folders of tests/data/checker, sorted.
std::vector<std::string> brokenWorlds()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(sourcePath("tests/data/checker")))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The world as the game's own load builds it from the folder, against what the checker made
// of it: the same size, start and places for people, the same level and object on every cell.
// Returns how many objects it compared.
int expectTheGamesWorld(const TestWorld& world, const WorldReport& report)
{
    FolderWorld files(world.path());
    MeshStore meshes;
    StreamCloser quiet(std::tmpfile());
    WorldLoad load(files, meshes, quiet.get());
    load.clock = fixedClock;
    const std::unique_ptr<TerrainGrid> grid(buildWorld(load));
    EXPECT_EQ(grid != nullptr, report.world.loaded);
    if (!grid || !report.world.loaded) return 0;
    EXPECT_EQ(grid->rows, report.world.rows);
    EXPECT_EQ(grid->cols, report.world.cols);
    if (grid->rows != report.world.rows || grid->cols != report.world.cols) return 0;
    EXPECT_EQ(grid->startX, report.world.start.x);
    EXPECT_EQ(grid->startY, report.world.start.y);
    EXPECT_EQ(grid->startZ, report.world.start.z);
    EXPECT_EQ(countPeoplePlaces(*grid), report.world.peoplePlaces);
    int objects = 0;
    for (int row = 0; row < grid->rows; ++row) {
        for (int col = 0; col < grid->cols; ++col) {
            const TerrainCell& cell = *grid->cellAt(row, col);
            EXPECT_EQ(cell.vertices[SlotCentre].position[2], report.world.level(row, col) * 5.0f)
                << row << "," << col;
            const int kind = report.world.object(row, col);
            EXPECT_EQ(cell.model != nullptr, kind >= 0) << row << "," << col;
            if (!cell.model || kind < 0) continue;
            ++objects;
            EXPECT_EQ(meshes.findMesh(load.meshIds.of(objectKinds[kind].model), quiet.get()),
                      cell.model->mesh)
                << row << "," << col;
        }
    }
    return objects;
}

} // namespace

// Each broken world of tests/data/checker: the bundled world with the folder's files over it,
// less the files its list "absent" names; the report matches its expected.txt byte for byte.
class CheckerWorld : public testing::TestWithParam<std::string> {};

TEST_P(CheckerWorld, ReportMatchesItsExpectedText)
{
    const std::string folder = sourcePath("tests/data/checker/" + GetParam());
    TestWorld world;
    for (const auto& entry : fs::directory_iterator(folder))
        world.write(entry.path().filename().string(), readFile(entry.path().string()));
    std::istringstream absent(readFile(folder + "/absent"));
    for (std::string file; std::getline(absent, file);) world.remove(file);
    world.remove("absent");
    world.remove("expected.txt");
    const WorldReport report = world.check();
    EXPECT_EQ(readFile(folder + "/expected.txt"), printed(report));
    expectTheGamesWorld(world, report);
}

INSTANTIATE_TEST_SUITE_P(Broken, CheckerWorld, testing::ValuesIn(brokenWorlds()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(CheckerWorlds, BundledWorldHasNoErrorsOrWarnings)
{
    TestWorld world;
    const WorldReport report = world.check();
    EXPECT_EQ(0, checker::exitStatus(report));
    EXPECT_EQ("terrain.txt: note: 23 free cells at height 5 (terrain digit 1 without a cube, "
              "pyramid or tree) can hold the 5 people\n"
              "checked .: 48 rows x 48 columns, start (415, 225, 25), 23 places for people; 0 "
              "errors, 0 warnings, 1 note\n",
              printed(report));
}

namespace {

// Random bytes drawn from an alphabet, in lines of random length with LF or CR LF ends.
std::string randomMap(std::mt19937& rng, const std::string& alphabet, int lines, int width)
{
    std::string text;
    for (int line = 0; line < lines; ++line) {
        const int n = rng() % 100 < 60 ? width : static_cast<int>(rng() % (width + 3));
        for (int i = 0; i < n; ++i) text += alphabet[rng() % alphabet.size()];
        if (line + 1 < lines || rng() % 100 < 30) text += rng() % 100 < 20 ? "\r\n" : "\n";
    }
    return text;
}

// A model file that mostly keeps the format, with odd numbers and junk mixed in.
std::string randomModel(std::mt19937& rng)
{
    const char* const odd[] = {"x", "4.5", "+3", "-", ".", "1e", "nan", "inf", "-2", "0"};
    auto number = [&](const std::string& usual) {
        return rng() % 100 < 4 ? std::string(odd[rng() % 10]) : usual;
    };
    const int faces = static_cast<int>(rng() % 5);
    std::string text = number(std::to_string(faces)) + "\n";
    for (int f = 0; f <= faces; ++f) {
        const int corners = static_cast<int>(rng() % 6);
        text += number("0.5") + " " + number("2") + " 1\n" + number(std::to_string(corners)) + "\n";
        for (int v = 0; v < corners; ++v)
            text += number(std::to_string(rng() % 4)) + " " + number(std::to_string(rng() % 3)) +
                    (rng() % 10 ? " 1\n" : " 1 ");
    }
    return text;
}

// A 1-based line and column of a file's bytes, as the findings count them.
char byteAt(const std::string& bytes, long long line, long long column)
{
    size_t at = 0;
    for (long long l = 1; l < line; ++l) at = bytes.find('\n', at) + 1;
    return bytes.at(at + column - 1);
}

} // namespace

// why: the checker no longer reads the files itself; what can still go wrong is where it
// says a byte stands. Every finding that quotes a byte or a number must quote what stands at
// the place it names, and a cell it names must be the one the game filled with that byte.
TEST(CheckerPositions, EveryQuotedByteStandsWhereTheFindingSays)
{
    int quoted = 0;
    for (unsigned seed = 1; seed <= 80; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        TestWorld world;
        const int rows = 1 + static_cast<int>(rng() % 7), cols = 1 + static_cast<int>(rng() % 8);
        world.write("terrain.txt", randomMap(rng, "0111112345678 .a\r\t", rows, cols));
        world.write("objects.txt", randomMap(rng, "......ACTXactx P\r", rows + 1, cols));
        world.write("cube.txt", randomModel(rng));
        const WorldReport report = world.check();
        for (const checker::Finding& f : report.findings) {
            const std::string bytes = world.read(f.file);
            const size_t open = f.message.find('\''), close = f.message.find('\'', open + 1);
            if (f.line == 0 || open != 0 || close == std::string::npos) continue;
            // "'x' is not a digit ...", "'two' is not a number ...", "'P' lies below ...".
            const std::string quote = f.message.substr(1, close - 1);
            for (size_t i = 0; i < quote.size(); ++i)
                EXPECT_EQ(quote[i], byteAt(bytes, f.line, f.column + static_cast<long long>(i)))
                    << checker::formatFinding(".", f);
            ++quoted;
            if (f.kind != "non-digit characters") continue;
            ASSERT_GE(f.row, 0);
            ASSERT_LT(f.row, report.world.rows);
            ASSERT_LT(f.col, report.world.cols);
            EXPECT_EQ(0, report.world.level(f.row, f.col)) << f.message;
        }
    }
    EXPECT_GT(quoted, 40); // the worlds above do give such findings
}

// why: the checker reads the files with the game's rules but keeps its own record of each
// cell, and decides the start and the places for people itself; loaded by the game, every
// world must come out the same, cell for cell.
TEST(CheckerWorlds, SeesEveryCellAsTheGameLoadsIt)
{
    int objects = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        TestWorld world;
        const int rows = 1 + static_cast<int>(rng() % 9), cols = static_cast<int>(rng() % 9);
        world.write("terrain.txt", randomMap(rng, "0111112345678 .a\r", rows, cols));
        if (seed % 7 == 0)
            world.remove("objects.txt");
        else
            world.write("objects.txt", randomMap(rng, "......ACTXactx P\r", rows + 1, cols + 1));
        objects += expectTheGamesWorld(world, world.check());
    }
    EXPECT_GT(objects, 100); // the worlds above do hold objects
}

TEST(CheckerWorlds, WorldInMemoryIsCheckedAsTheSameWorldInAFolder)
{
    TestWorld world;
    world.write("terrain.txt", "11111\n1a11\n111111\n");
    world.write("objects.txt", "X...\n..C..T\n");
    world.write("cube.txt", "1\n2 0 0\n3\n0 0 0\n1 0 0\n");
    world.remove("snow.raw");
    MemoryWorld memory;
    for (int i = 0; i < worldFileCount; ++i) {
        const WorldFile file = static_cast<WorldFile>(i);
        if (fs::exists(world / worldFileName(file)))
            memory.set(file, world.read(worldFileName(file)));
    }
    const std::string inMemory = printed(checker::checkWorld(memory));
    EXPECT_EQ(printed(world.check()), inMemory);
    EXPECT_NE(std::string::npos, inMemory.find("snow.raw: error: cannot open the file"))
        << inMemory;
}

TEST(CheckerWorlds, WorldsOfTheGeneratorHaveNoErrorsOrWarnings)
{
    const int sizes[][2] = {{8, 8}, {30, 45}, {120, 70}};
    for (unsigned seed = 1; seed <= 3; ++seed) {
        for (const auto& size : sizes) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(size[0]) + " x " +
                         std::to_string(size[1]));
            const worldgen::WorldMaps maps = worldgen::generateWorld(size[0], size[1], seed);
            TestWorld world;
            world.write("terrain.txt", worldgen::terrainText(maps));
            world.write("objects.txt", worldgen::objectsText(maps));
            const WorldReport report = world.check();
            EXPECT_EQ(std::vector<std::string>(), findingLines(report, Severity::Error));
            EXPECT_EQ(std::vector<std::string>(), findingLines(report, Severity::Warning));
            EXPECT_EQ(worldgen::countPeoplePlaces(maps), report.world.peoplePlaces);
        }
    }
}

TEST(CheckerTerrain, CrLfEndsALineButALoneCrIsACellOfWater)
{
    TestWorld world;
    world.write("terrain.txt", "11111\r\n1\r111\r\n11111");
    world.write("objects.txt", "X....\r\n.....\r\n.....");
    const WorldReport report = world.check();
    EXPECT_EQ(5, report.world.cols);
    EXPECT_EQ(0, report.world.level(1, 1));
    EXPECT_EQ(std::vector<std::string>{"terrain.txt:2:2: warning: a carriage return without a "
                                       "line feed after it is not a digit: its cell (row 2, "
                                       "column 2) is water, level 0"},
              findingLines(report, Severity::Warning));
}

TEST(CheckerTerrain, MapsTheGameRefusesAreRefused)
{
    TestWorld world;
    // 4096 columns: 1024 rows are exactly the limit, 1025 rows one row too many.
    world.write("terrain.txt", std::string(4096, '1') + std::string(1023, '\n'));
    EXPECT_TRUE(world.check().world.loaded);

    world.write("terrain.txt", std::string(4096, '1') + std::string(1024, '\n'));
    WorldReport report = world.check();
    EXPECT_FALSE(report.world.loaded);
    EXPECT_TRUE(report.world.cells.empty());
    EXPECT_EQ(std::vector<std::string>{"terrain.txt: error: the map is 1025 rows by 4096 "
                                       "columns, 4198400 cells: the game refuses more than "
                                       "4194304 cells and exits with status 1"},
              findingLines(report, Severity::Error));

    // why: a map of nothing but line ends has no cells, yet the game refuses it for its rows.
    world.write("terrain.txt", std::string(4194304, '\n'));
    report = world.check();
    EXPECT_FALSE(report.world.loaded);
    EXPECT_EQ(std::vector<std::string>{"terrain.txt: error: the map is 4194305 rows by 0 "
                                       "columns, 0 cells: the game refuses more than 4194304 "
                                       "rows, even of no cells, and exits with status 1"},
              findingLines(report, Severity::Error));
    EXPECT_NE(std::string::npos, printed(report).find("the game cannot load this world"));
}

TEST(CheckerByteOrderMark, EachMapAndModelSaysWhatTheGameMakesOfIt)
{
    // An editor's byte-order mark in front of both maps and a model. In the height map its
    // three bytes are three water cells and widen the first line; behind them the 'a' is the
    // only non-digit told of.
    const std::string mark = "\xEF\xBB\xBF";
    TestWorld world;
    world.write("terrain.txt", mark + "11a1\n1111\n1111");
    world.write("objects.txt", mark + "C..X\n....\n....");
    world.write("cube.txt", mark + world.read("cube.txt"));
    const std::string intro = "warning: the file starts with a UTF-8 byte-order mark (the bytes "
                              "EF BB BF, which some editors, Notepad among them, write and do not "
                              "show): ";
    EXPECT_EQ(
        "terrain.txt:1:1: " + intro +
            "the game reads them as three characters that are no digits, so the first 3 cells "
            "of row 1 are water, and the first line, whose length sets the width of the grid, "
            "is 3 characters longer than it looks\n"
            "terrain.txt:1:6: warning: 'a' is not a digit: its cell (row 1, column 6) is water, "
            "level 0\n"
            "terrain.txt:2:5: warning: the line has 4 characters, the first line 7: the last 3 "
            "cells of row 2 are water, level 0\n"
            "terrain.txt:3:5: warning: the line has 4 characters, the first line 7: the last 3 "
            "cells of row 3 are water, level 0\n"
            "terrain.txt: note: 10 free cells at height 5 (terrain digit 1 without a cube, pyramid "
            "or tree) can hold the 5 people\n"
            "objects.txt:1:1: " +
            intro +
            "the game reads them as three empty cells at the start of row 1, so everything on "
            "the first line, objects and start alike, stands 3 columns further east than "
            "written\n"
            "cube.txt:1:1: " +
            intro +
            "the game's reader takes them for text where the face count belongs, so the count "
            "reads as 0 and the model has no faces: it draws nothing\n"
            "checked .: 3 rows x 7 columns, start (5, 65, 10), 10 places for people; 0 errors, 6 "
            "warnings, 1 note\n",
        printed(world.check()));

    // The game does what the lines say.
    FolderWorld files(world.path());
    MeshStore meshes;
    StreamCloser quiet(std::tmpfile());
    WorldLoad load(files, meshes, quiet.get());
    load.clock = fixedClock;
    const std::unique_ptr<TerrainGrid> grid(buildWorld(load));
    ASSERT_NE(nullptr, grid);
    EXPECT_EQ(7, grid->cols);
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(0.0f, grid->cellAt(0, col)->vertices[SlotCentre].position[2]) << col;
    EXPECT_EQ(5.0f, grid->cellAt(0, 3)->vertices[SlotCentre].position[2]);
    ASSERT_EQ(nullptr, grid->cellAt(0, 0)->model);
    ASSERT_NE(nullptr, grid->cellAt(0, 3)->model);
    ASSERT_NE(nullptr, grid->cellAt(0, 3)->model->mesh);
    EXPECT_EQ(0, grid->cellAt(0, 3)->model->mesh->faceCount);
    EXPECT_EQ(65, grid->startY);

    // A model of nothing but the mark, and an object map on a grid too narrow for it.
    world.write("terrain.txt", "11\n11");
    world.write("objects.txt", mark + "X.\n..");
    world.write("cube.txt", mark);
    const std::vector<std::string> warnings = findingLines(world.check(), Severity::Warning);
    ASSERT_GE(warnings.size(), 2u);
    EXPECT_EQ("objects.txt:1:1: " + intro +
                  "the game reads them as bytes of the first line, empty cells or, past the two "
                  "columns of a row, dropped ones, so the line's own bytes come 3 places later "
                  "than written",
              warnings[0]);
    EXPECT_EQ("cube.txt:1:1: " + intro +
                  "the game's reader takes them for text where the face count belongs, so the "
                  "count reads as 0 and the model has no faces: it draws nothing",
              warnings.back());
}

TEST(CheckerModels, FindingsFollowWhatTheGameReadsOfOddNumbers)
{
    TestWorld world;
    // A signed count, a hexadecimal colour, and "3.7", of which the count takes the 3 and
    // the first corner the .7.
    world.write("cube.txt", "+2\n.5 1e-1 0x1p-1\n3.7\n0 0\n1 0 0\n0 1 0\nnan 1 1\n1\n0 0 0\n");
    const WorldReport report = world.check();
    const GameMesh cube(world, "cube.txt");
    ASSERT_NE(nullptr, cube.mesh);
    ASSERT_EQ(2u, cube.mesh->faces.size());
    EXPECT_EQ(3u, cube.mesh->faces[0].vertices.size());
    EXPECT_EQ(1u, cube.mesh->faces[1].vertices.size());
    const std::vector<std::string> warnings = findingLines(report, Severity::Warning);
    ASSERT_EQ(3u, warnings.size());
    EXPECT_EQ(0u, warnings[0].find("cube.txt:3:2: warning: corner 1 of face 1 starts on the "
                                   "line of the corner count of face 1"))
        << warnings[0];
    EXPECT_EQ(0u, warnings[1].find("cube.txt:7:1: warning: the colour nan 1 1 of face 2 lies "
                                   "outside 0 to 1"))
        << warnings[1];
    EXPECT_EQ("cube.txt:8:1: warning: face 2 has only 1 corner, too few for a polygon: it draws "
              "nothing",
              warnings[2]);
}

TEST(CheckerModels, NumbersAfterABadCornerCountAreNotCalledExtraText)
{
    // why: the reader stops at the bad number, not because the face count ran out; the report
    // said "is the count too small?" at the very place it had called not a number.
    TestWorld world;
    world.write("tree.txt", "1\n0.5 0.5 0.5\nq\n0 0 0\n");
    EXPECT_EQ(std::vector<std::string>{"tree.txt:3:1: error: 'q' is not a number, where the "
                                       "corner count of face 1 belongs: the reader stops here, "
                                       "and the model keeps 0 faces"},
              findingLines(world.check(), Severity::Error));
    EXPECT_EQ(std::vector<std::string>(), findingLines(world.check(), Severity::Warning));
}

TEST(CheckerModels, FaceCountPastSixteenBitsDrawsNothing)
{
    TestWorld world;
    std::string faces = "32768\n";
    for (int f = 0; f < 32768; ++f) faces += "0.5 0.5 0.5\n3\n0 0 0\n1 0 0\n0 1 0\n";
    world.write("tree.txt", faces);
    const WorldReport report = world.check();
    const GameMesh tree(world, "tree.txt");
    ASSERT_NE(nullptr, tree.mesh);
    EXPECT_EQ(-32768, tree.mesh->faceCount);
    EXPECT_EQ(std::vector<std::string>{"tree.txt:1:1: error: the model has 32768 faces, more "
                                       "than the game counts in 16 bits: it keeps -32768 and "
                                       "draws none of them"},
              findingLines(report, Severity::Error));
}

TEST(CheckerTextures, ImageOfAnotherSizeOrFormatIsAWarning)
{
    TestWorld world;
    world.write("grass.raw", std::string(128 * 128 * 3, '\x40'));
    world.write("dirt.raw", "P6\n64 64\n255\n" + world.read("dirt.raw"));
    EXPECT_EQ((std::vector<std::string>{
                  "dirt.raw: warning: the file starts like a PPM image ('P6'): the game reads "
                  "bare bytes, red, green and blue for each texel, with no header, so the "
                  "header's bytes shift every texel",
                  "grass.raw: warning: the file has 49152 bytes, as a 128 x 128 RGB image has: "
                  "the game reads only its first 12288 bytes as a 64 x 64 image, so the picture "
                  "comes out cut and skewed"}),
              findingLines(world.check(), Severity::Warning));
}

TEST(CheckerReport, LinesNameTheFolderSoEditorsCanJumpToThem)
{
    TestWorld world;
    world.write("terrain.txt", "11111\n111\n11111");
    world.write("objects.txt", "X....\n...\n.....");
    const WorldReport report = world.check();
    for (const std::string folder : {"w", "w/"}) {
        std::FILE* out = std::tmpfile();
        checker::printReport(out, folder, report, false);
        EXPECT_EQ("w/terrain.txt:2:4: warning: the line has 3 characters, the first line 5: the "
                  "last 2 cells of row 2 are water, level 0\n"
                  "w/terrain.txt: note: 13 free cells at height 5 (terrain digit 1 without a "
                  "cube, pyramid or tree) can hold the 5 people\n"
                  "checked " +
                      folder +
                      ": 3 rows x 5 columns, start (5, 5, 10), 13 places for "
                      "people; 0 errors, 1 warning, 1 note\n",
                  readStream(out));
    }
    EXPECT_EQ(1, checker::exitStatus(report));
}

TEST(CheckerReport, ManyFindingsOfOneKindAreCutUnlessAllAreAsked)
{
    TestWorld world;
    std::string terrain = "111";
    for (int i = 0; i < 25; ++i) terrain += "\n1";
    world.write("terrain.txt", terrain);
    world.remove("objects.txt");
    const WorldReport report = world.check();
    const auto count = [](const std::string& text, const std::string& part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    };
    const std::string cut = printed(report);
    EXPECT_EQ(10u, count(cut, ": warning: the line has 1 character"));
    EXPECT_NE(std::string::npos, cut.find("\nterrain.txt: 15 more warnings (short lines) not "
                                          "shown; --all shows them\n"))
        << cut;
    EXPECT_NE(std::string::npos, cut.find("; 0 errors, 26 warnings, 1 note\n")) << cut;

    const std::string all = printed(report, true);
    EXPECT_EQ(25u, count(all, ": warning: the line has 1 character"));
    EXPECT_EQ(std::string::npos, all.find("not shown")) << all;
}
