// Tests of the world checker vantora-check: its report on each of our broken worlds, its
// output and exit status, and that it reads every world exactly as the game loads it; and
// that the manual page lists the game's keys.
#include "app/game_state.h"
#include "app/keyboard.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/texture.h"
#include "terrain/world.h"
#include "tests/support/test_support.h"
#include "tools/checker/checker.h"
#if __has_include("tools/worldgen/worldgen.h")
#include "tools/worldgen/worldgen.h"
#define VANTORA_HAS_WORLDGEN 1
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using checker::CellObject;
using checker::Severity;
using checker::WorldModel;
using checker::WorldReport;

namespace fs = std::filesystem;

namespace {

// Copies the regular files of a folder into the working directory.
void copyFiles(const fs::path& from)
{
    for (const auto& entry : fs::directory_iterator(from))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), entry.path().filename(),
                          fs::copy_options::overwrite_existing);
}

// A broken test world in the working directory: the bundled world with the files of
// tests/data/checker/<name> over it, less the files named in its list "absent".
void makeTestWorld(const std::string& name)
{
    const fs::path folder = sourcePath("tests/data/checker/" + name);
    copyFiles(sourcePath("world"));
    copyFiles(folder);
    std::istringstream absent(readFile((folder / "absent").string()));
    for (std::string file; std::getline(absent, file);) fs::remove(file);
    fs::remove("absent");
    fs::remove("expected.txt");
}

// The folders of tests/data/checker, sorted.
std::vector<std::string> testWorldNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(sourcePath("tests/data/checker")))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readAll(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
    std::fclose(file);
    return text;
}

// What the program prints and returns for the arguments after its name.
struct CheckerRun {
    int status = -1;
    std::string out, err;
};

CheckerRun runCheck(std::vector<std::string> args)
{
    static char name[] = "vantora-check";
    std::vector<char*> argv{name};
    for (std::string& arg : args) argv.push_back(arg.data());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    CheckerRun run;
    run.status = checker::runChecker(static_cast<int>(argv.size()), argv.data(), out, err);
    run.out = readAll(out);
    run.err = readAll(err);
    return run;
}

// The lines of the report that are findings of the given severity.
std::vector<std::string> findingLines(const WorldReport& report, Severity severity)
{
    std::vector<std::string> lines;
    for (const checker::Finding& finding : report.findings)
        if (finding.severity == severity) lines.push_back(checker::formatFinding(".", finding));
    return lines;
}

// The world as the game builds it from the working directory, its printing kept aside.
class GameWorld {
  public:
    GameWorld()
    {
        game = GameState();
        releaseMeshes();
        // The game reads its models before it first seeds the generator: the same mesh
        // identifiers every run, as here.
        std::srand(1);
        CapturedStdout captured;
        grid = buildWorld();
        output = captured.text();
    }
    ~GameWorld()
    {
        releaseWorld(grid);
        releaseMeshes();
        game = GameState();
    }
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    TerrainGrid* grid = nullptr;
    std::string output;
};

// The newest mesh with the identifier, found without the lookup's printing.
const Mesh* meshWithId(int id)
{
    for (const Mesh* mesh = meshList; mesh; mesh = mesh->next)
        if (mesh->id == id) return mesh;
    return nullptr;
}

// The first cell where the checker's model and the game's grid differ, or "".
std::string firstCellDifference(const WorldModel& model, const TerrainGrid& grid)
{
    const int meshIds[4] = {0, game.pyramidMeshId, game.cubeMeshId, game.treeMeshId};
    for (int row = 0; row < grid.rows; ++row) {
        for (int col = 0; col < grid.cols; ++col) {
            const TerrainCell* cell = grid.cells[row][col];
            const std::string where =
                " at row " + std::to_string(row) + ", column " + std::to_string(col);
            if (cell->vertices[SlotCentre].position[2] != model.level(row, col) * 5.0f)
                return "centre height" + where;
            const CellObject object = model.object(row, col);
            const ModelInstance* instance = cell->model;
            if (object == CellObject::None) {
                if (instance) return "an object the checker does not place" + where;
                continue;
            }
            const int kind = object == CellObject::Pyramid ? 1 : object == CellObject::Cube ? 2 : 3;
            if (!instance) return "no object where the checker places one" + where;
            if (instance->passable != (object == CellObject::Tree ? 1 : 0) ||
                instance->mesh != meshWithId(meshIds[kind]))
                return "another object" + where;
        }
    }
    return "";
}

// Every fact the checker states about the world holds in the game's load of it.
void expectSameWorld(const WorldModel& model, const GameWorld& loaded)
{
    ASSERT_EQ(model.loads, loaded.grid != nullptr);
    if (!loaded.grid) return;
    const TerrainGrid& grid = *loaded.grid;
    ASSERT_EQ(model.rows, grid.rows);
    ASSERT_EQ(model.cols, grid.cols);
    EXPECT_EQ("", firstCellDifference(model, grid));
    EXPECT_EQ(model.startX, grid.startX);
    EXPECT_EQ(model.startY, grid.startY);
    EXPECT_EQ(model.startZ, grid.startZ);

    const long long people = std::count_if(std::begin(grid.people), std::end(grid.people),
                                           [](const Person* p) { return p != nullptr; });
    EXPECT_EQ(std::min(model.peoplePlaces, 5LL), people);
    const bool shortOfPlaces = loaded.output.find("only " + std::to_string(model.peoplePlaces) +
                                                  " places for people\n") != std::string::npos;
    EXPECT_EQ(model.peoplePlaces < 5, shortOfPlaces);

    const int ids[4] = {game.cubeMeshId, game.pyramidMeshId, game.treeMeshId, game.personMeshId};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(checker::modelFiles[i]);
        const checker::MeshModel& expected = model.meshes[i];
        const Mesh* mesh = meshWithId(ids[i]);
        ASSERT_EQ(expected.opened, mesh != nullptr);
        if (!mesh) continue;
        ASSERT_EQ(expected.faces.size(), mesh->faces.size());
        EXPECT_EQ(expected.faceCount, mesh->faceCount);
        for (size_t f = 0; f < mesh->faces.size(); ++f) {
            const checker::FaceModel& face = expected.faces[f];
            const MeshFace& actual = mesh->faces[f];
            ASSERT_EQ(static_cast<size_t>(face.cornersRead), actual.vertices.size())
                << "face " << f;
            ASSERT_EQ(face.vertexCount, actual.vertexCount) << "face " << f;
            ASSERT_EQ(0, std::memcmp(face.normal, actual.normal, sizeof face.normal))
                << "normal of face " << f;
        }
    }
}

// The game's texture reads leave in the shared buffer the bytes the checker names.
void expectSameTextures(const WorldModel& model)
{
    std::fill(std::begin(textureStaging), std::end(textureStaging), 0);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(checker::textureFiles[i]);
        const checker::TextureModel& texture = model.textures[i];
        ASSERT_EQ(texture.opened, readRawTexture(checker::textureFiles[i]));
        if (!texture.opened) continue;
        int covered = 0;
        for (const checker::TextureSpan& span : texture.spans) {
            ASSERT_EQ(covered, span.begin);
            const std::string source = span.source < 0
                                           ? std::string(textureBytes, '\0')
                                           : readFile(checker::textureFiles[span.source]);
            ASSERT_GE(source.size(), static_cast<size_t>(span.end));
            EXPECT_EQ(0, std::memcmp(textureStaging + span.begin, source.data() + span.begin,
                                     static_cast<size_t>(span.end - span.begin)));
            covered = span.end;
        }
        EXPECT_EQ(textureBytes, covered);
    }
}

// Checks the world in the working directory, then loads it in the game and compares.
WorldReport checkAndCompare()
{
    WorldReport report = checker::checkWorld(".");
    {
        GameWorld loaded;
        expectSameWorld(report.world, loaded);
    }
    expectSameTextures(report.world);
    return report;
}

// The report on a broken world matches its expected.txt byte for byte.
void expectReport(const std::string& name)
{
    TempWorkDir dir;
    makeTestWorld(name);
    const CheckerRun run = runCheck({"."});
    EXPECT_EQ(readFile(sourcePath("tests/data/checker/" + name + "/expected.txt")), run.out);
    EXPECT_EQ("", run.err);
}

} // namespace

TEST(CheckerWorlds, BundledWorldHasNoErrorsOrWarnings)
{
    TempWorkDir dir;
    copyFiles(sourcePath("world"));
    const CheckerRun run = runCheck({});
    EXPECT_EQ(0, run.status) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("; 0 errors, 0 warnings, 1 note\n")) << run.out;
}

TEST(CheckerWorlds, TerrainLongLine)
{
    expectReport("terrain-long-line");
}
TEST(CheckerWorlds, TerrainShortLines)
{
    expectReport("terrain-short-lines");
}
TEST(CheckerWorlds, TerrainCrLfAndFinalNewline)
{
    expectReport("terrain-crlf");
}
TEST(CheckerWorlds, TerrainMissing)
{
    expectReport("terrain-missing");
}
TEST(CheckerWorlds, TerrainNoColumns)
{
    expectReport("terrain-no-columns");
}
TEST(CheckerWorlds, ObjectsLongLine)
{
    expectReport("objects-long-line");
}
TEST(CheckerWorlds, ObjectsShape)
{
    expectReport("objects-shape");
}
TEST(CheckerWorlds, ObjectsNoStart)
{
    expectReport("objects-no-start");
}
TEST(CheckerWorlds, ObjectsSeveralStarts)
{
    expectReport("objects-starts");
}
TEST(CheckerWorlds, ObjectsMissing)
{
    expectReport("objects-missing");
}
TEST(CheckerWorlds, PeopleFewPlaces)
{
    expectReport("people-few");
}
TEST(CheckerWorlds, ModelMissing)
{
    expectReport("model-missing");
}
TEST(CheckerWorlds, ModelNotNumbers)
{
    expectReport("model-not-numbers");
}
TEST(CheckerWorlds, ModelShortCounts)
{
    expectReport("model-short-counts");
}
TEST(CheckerWorlds, ModelBadFaces)
{
    expectReport("model-bad-faces");
}
TEST(CheckerWorlds, ModelCornerLimit)
{
    expectReport("model-corner-limit");
}
TEST(CheckerWorlds, TextureMissing)
{
    expectReport("texture-missing");
}
TEST(CheckerWorlds, TextureSizes)
{
    expectReport("texture-sizes");
}

TEST(CheckerAgreement, TestWorldsLoadAlikeInGameAndChecker)
{
    {
        SCOPED_TRACE("bundled world");
        TempWorkDir dir;
        copyFiles(sourcePath("world"));
        checkAndCompare();
    }
    const std::vector<std::string> names = testWorldNames();
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TempWorkDir dir;
        makeTestWorld(name);
        checkAndCompare();
    }
}

namespace {

// Random bytes drawn from an alphabet, in lines of random length with LF or CR LF ends.
std::string randomMap(std::mt19937& rng, const std::string& alphabet, int lines, int width)
{
    std::string text;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
    std::uniform_int_distribution<int> length(0, width + 2);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int line = 0; line < lines; ++line) {
        const int n = percent(rng) < 60 ? width : length(rng);
        for (int i = 0; i < n; ++i) text += alphabet[static_cast<size_t>(pick(rng))];
        if (line + 1 < lines || percent(rng) < 30) text += percent(rng) < 20 ? "\r\n" : "\n";
    }
    return text;
}

// A model file that mostly keeps the format, with odd numbers, junk and early ends mixed in.
std::string randomModel(std::mt19937& rng)
{
    std::uniform_int_distribution<int> percent(0, 99);
    const char* const odd[] = {"x",   "4.5", "+3",    "-",  ".",   "1e",
                               "nan", "inf", "0x1p2", "-2", "200", "0"};
    auto number = [&](const char* usual) {
        if (percent(rng) < 4) return std::string(odd[percent(rng) % 12]);
        return std::string(usual);
    };
    const int faces = percent(rng) % 5;
    std::string text = number(std::to_string(faces).c_str()) + "\n";
    for (int f = 0; f < faces + 1; ++f) {
        text += number("0.5") + " " + number("0.25") + " " + number("1") + "\n";
        const int corners = percent(rng) % 6;
        text += number(std::to_string(corners).c_str()) + "\n";
        for (int v = 0; v < corners; ++v)
            text += number(std::to_string(percent(rng) % 4).c_str()) + " " +
                    number(std::to_string(percent(rng) % 3).c_str()) + " " + number("1") + "\n";
    }
    if (percent(rng) < 20) text.resize(text.size() * static_cast<size_t>(percent(rng)) / 100);
    return text;
}

std::string randomBytes(std::mt19937& rng, size_t count)
{
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(rng() & 0xFF);
    return bytes;
}

} // namespace

TEST(CheckerAgreement, RandomWorldsLoadAlikeInGameAndChecker)
{
    const size_t textureSizes[] = {0, 5, 4000, 12288, 12290};
    for (unsigned seed = 1; seed <= 120; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        TempWorkDir dir;
        const int rows = 1 + static_cast<int>(rng() % 7), cols = static_cast<int>(rng() % 8);
        dir.write("terrain.txt", randomMap(rng, "0111112345678 .a\r\t", rows, cols));
        if (rng() % 8 != 0)
            dir.write("objects.txt", randomMap(rng, "......ACTXactx P\r", rows + 1, cols));
        for (const char* model : checker::modelFiles)
            if (rng() % 10 != 0)
                dir.write(model, rng() % 2 ? randomModel(rng)
                                           : randomMap(rng, "0123456789..-+eExnaifp \t\r111",
                                                       1 + static_cast<int>(rng() % 12),
                                                       1 + static_cast<int>(rng() % 12)));
        for (const char* texture : checker::textureFiles)
            if (rng() % 8 != 0) dir.write(texture, randomBytes(rng, textureSizes[rng() % 5]));
        checkAndCompare();
        if (HasFatalFailure() || HasNonfatalFailure()) break;
    }
}

namespace {

// A well-formed world of our own: digits only, lines of one length, at least five free cells
// of digit 1, objects on other ground, one start cell; the bundled models and textures.
void writeGeneratedWorld(const TempWorkDir& dir, unsigned seed)
{
    std::mt19937 rng(seed);
    const int rows = 5 + static_cast<int>(rng() % 20), cols = 5 + static_cast<int>(rng() % 20);
    std::string terrain, objects;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            // The first row is grass of digit 1, so there are always places for people.
            const char digit = row == 0 ? '1' : static_cast<char>('0' + rng() % 10);
            terrain += digit;
            const unsigned roll = rng() % 20;
            objects += row == rows / 2 && col == cols / 2 ? 'X'
                       : digit == '1'                     ? '.'
                       : roll == 0                        ? 'C'
                       : roll == 1                        ? 'A'
                       : roll < 4                         ? 'T'
                                                          : '.';
        }
        if (row + 1 < rows || seed % 2) terrain += '\n';
        if (row + 1 < rows || seed % 3) objects += '\n';
    }
    copyFiles(sourcePath("world"));
    dir.write("terrain.txt", terrain);
    dir.write("objects.txt", objects);
}

} // namespace

TEST(CheckerWorlds, GeneratedWorldsHaveNoErrorsOrWarnings)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempWorkDir dir;
        writeGeneratedWorld(dir, seed);
        const WorldReport report = checkAndCompare();
        EXPECT_EQ(0, checker::exitStatus(report));
        EXPECT_EQ(std::vector<std::string>(), findingLines(report, Severity::Error));
        EXPECT_EQ(std::vector<std::string>(), findingLines(report, Severity::Warning));
    }
}

#ifdef VANTORA_HAS_WORLDGEN
TEST(CheckerWorlds, WorldsOfTheGeneratorHaveNoErrorsOrWarnings)
{
    const int sizes[][2] = {{8, 8}, {30, 45}, {120, 70}};
    for (unsigned seed = 1; seed <= 3; ++seed) {
        for (const auto& size : sizes) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(size[0]) + " x " +
                         std::to_string(size[1]));
            const worldgen::WorldMaps maps = worldgen::generateWorld(size[0], size[1], seed);
            TempWorkDir dir;
            copyFiles(sourcePath("world"));
            dir.write("terrain.txt", worldgen::terrainText(maps));
            dir.write("objects.txt", worldgen::objectsText(maps));
            const WorldReport report = checkAndCompare();
            EXPECT_EQ(std::vector<std::string>(), findingLines(report, Severity::Error));
            EXPECT_EQ(std::vector<std::string>(), findingLines(report, Severity::Warning));
            EXPECT_EQ(worldgen::countPeoplePlaces(maps), report.world.peoplePlaces);
        }
    }
}
#endif

TEST(CheckerTerrain, CrLfEndsALineButALoneCrIsACellOfWater)
{
    TempWorkDir dir;
    copyFiles(sourcePath("world"));
    dir.write("terrain.txt", "11111\r\n1\r111\r\n11111");
    dir.write("objects.txt", "X....\r\n.....\r\n.....");
    const WorldReport report = checkAndCompare();
    EXPECT_EQ(5, report.world.cols);
    EXPECT_EQ(0, report.world.level(1, 1));
    EXPECT_EQ(std::vector<std::string>{"terrain.txt:2:2: warning: a carriage return without a "
                                       "line feed after it is not a digit: its cell (row 2, "
                                       "column 2) is water, level 0"},
              findingLines(report, Severity::Warning));
}

TEST(CheckerTerrain, MapOverTheCellLimitIsRefusedAsByTheGame)
{
    TempWorkDir dir;
    copyFiles(sourcePath("world"));
    // 4096 columns: 1024 rows are exactly the limit, 1025 rows one row too many.
    dir.write("terrain.txt", std::string(4096, '1') + std::string(1023, '\n'));
    EXPECT_TRUE(checker::checkWorld(".").world.loads);

    dir.write("terrain.txt", std::string(4096, '1') + std::string(1024, '\n'));
    const WorldReport report = checkAndCompare();
    EXPECT_FALSE(report.world.loads);
    EXPECT_EQ(std::vector<std::string>{"terrain.txt: error: the map is 1025 rows by 4096 "
                                       "columns, 4198400 cells: the game refuses more than "
                                       "4194304 cells and exits with status 1"},
              findingLines(report, Severity::Error));
}

TEST(CheckerModels, ReadsOddNumbersAsTheGameDoes)
{
    TempWorkDir dir;
    copyFiles(sourcePath("world"));
    // A signed count, a hexadecimal colour, and "3.7", of which the count takes the 3 and
    // the first corner the .7.
    dir.write("cube.txt", "+2\n.5 1e-1 0x1p-1\n3.7\n0 0\n1 0 0\n0 1 0\nnan 1 1\n1\n0 0 0\n");
    const WorldReport report = checkAndCompare();
    const checker::MeshModel& cube = report.world.meshes[0];
    ASSERT_EQ(2u, cube.faces.size());
    EXPECT_EQ(3, cube.faces[0].cornersRead);
    EXPECT_EQ(1, cube.faces[1].cornersRead);
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

TEST(CheckerModels, FaceCountPastSixteenBitsDrawsNothing)
{
    TempWorkDir dir;
    copyFiles(sourcePath("world"));
    std::string faces = "32768\n";
    for (int f = 0; f < 32768; ++f) faces += "0.5 0.5 0.5\n3\n0 0 0\n1 0 0\n0 1 0\n";
    dir.write("tree.txt", faces);
    const WorldReport report = checker::checkWorld(".");
    EXPECT_EQ(-32768, report.world.meshes[2].faceCount);
    EXPECT_EQ(std::vector<std::string>{"tree.txt:1:1: error: the model has 32768 faces, more "
                                       "than the game counts in 16 bits: it keeps -32768 and "
                                       "draws none of them"},
              findingLines(report, Severity::Error));

    CapturedStdout captured;
    game = GameState();
    releaseMeshes();
    const Mesh* mesh = meshWithId(loadMesh("tree.txt"));
    ASSERT_NE(nullptr, mesh);
    EXPECT_EQ(-32768, mesh->faceCount);
    releaseMeshes();
}

TEST(CheckerTextures, ImageOfAnotherSizeOrFormatIsAWarning)
{
    TempWorkDir dir;
    copyFiles(sourcePath("world"));
    dir.write("grass.raw", std::string(128 * 128 * 3, '\x40'));
    dir.write("dirt.raw", "P6\n64 64\n255\n" + readFile("dirt.raw"));
    const WorldReport report = checker::checkWorld(".");
    EXPECT_EQ((std::vector<std::string>{
                  "dirt.raw: warning: the file starts like a PPM image ('P6'): the game reads "
                  "bare bytes, red, green and blue for each texel, with no header, so the "
                  "header's bytes shift every texel",
                  "grass.raw: warning: the file has 49152 bytes, as a 128 x 128 RGB image has: "
                  "the game reads only its first 12288 bytes as a 64 x 64 image, so the picture "
                  "comes out cut and skewed"}),
              findingLines(report, Severity::Warning));
}

TEST(CheckerReport, LinesNameTheFolderSoEditorsCanJumpToThem)
{
    TempWorkDir dir;
    fs::create_directory("w");
    fs::current_path("w");
    copyFiles(sourcePath("world"));
    dir.write("w/terrain.txt", "11111\n111\n11111");
    dir.write("w/objects.txt", "X....\n...\n.....");
    fs::current_path(dir.path());
    for (const std::string folder : {"w", "w/"}) {
        const CheckerRun run = runCheck({folder});
        EXPECT_EQ(1, run.status);
        EXPECT_EQ("w/terrain.txt:2:4: warning: the line has 3 characters, the first line 5: the "
                  "last 2 cells of row 2 are water, level 0\n"
                  "w/terrain.txt: note: 13 free cells at height 5 (terrain digit 1 without a "
                  "cube, pyramid or tree) can hold the 5 people\n"
                  "checked " +
                      folder +
                      ": 3 rows x 5 columns, start (5, 5, 10), 13 places for "
                      "people; 0 errors, 1 warning, 1 note\n",
                  run.out);
    }
}

TEST(CheckerReport, ManyFindingsOfOneKindAreCutUnlessAllAreAsked)
{
    TempWorkDir dir;
    copyFiles(sourcePath("world"));
    std::string terrain = "111";
    for (int i = 0; i < 25; ++i) terrain += "\n1";
    dir.write("terrain.txt", terrain);
    fs::remove("objects.txt");

    const CheckerRun cut = runCheck({"."});
    const auto count = [](const std::string& text, const std::string& part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(10u, count(cut.out, ": warning: the line has 1 character"));
    EXPECT_NE(std::string::npos,
              cut.out.find("\nterrain.txt: 15 more warnings (short lines) not shown; --all "
                           "shows them\n"))
        << cut.out;
    EXPECT_NE(std::string::npos, cut.out.find("; 0 errors, 26 warnings, 1 note\n")) << cut.out;

    const CheckerRun all = runCheck({"--all", "."});
    EXPECT_EQ(25u, count(all.out, ": warning: the line has 1 character"));
    EXPECT_EQ(std::string::npos, all.out.find("not shown")) << all.out;
}

namespace {

// The KEYS section of the manual page: each key of a ".TP" entry and the entry's text.
std::map<unsigned char, std::string> manualPageKeys()
{
    std::istringstream page(readFile(sourcePath("packaging/vantora.6")));
    std::map<unsigned char, std::string> keys;
    bool inKeys = false;
    std::string line, previous;
    std::vector<unsigned char> entryKeys;
    while (std::getline(page, line)) {
        if (line.rfind(".SH", 0) == 0) inKeys = line == ".SH KEYS";
        if (!inKeys) continue;
        if (previous == ".TP" && (line.rfind(".B ", 0) == 0 || line.rfind(".BR ", 0) == 0)) {
            // ".BR i \", \" I": the one-character words are the keys.
            entryKeys.clear();
            std::istringstream words(line.substr(line.find(' ')));
            for (std::string word; words >> word;)
                if (word.size() == 1 && std::isalpha(static_cast<unsigned char>(word[0])))
                    entryKeys.push_back(static_cast<unsigned char>(word[0]));
        } else if (!entryKeys.empty()) {
            for (unsigned char key : entryKeys) keys[key] = line;
            entryKeys.clear();
        }
        previous = line;
    }
    return keys;
}

} // namespace

TEST(ManualPage, ListsExactlyTheKeysOfTheKeyTable)
{
    const std::map<unsigned char, std::string> page = manualPageKeys();
    for (int i = 0; i < keyBindingCount; ++i) {
        const KeyBinding& binding = keyBindings[i];
        const auto entry = page.find(binding.key);
        ASSERT_NE(page.end(), entry) << "key " << binding.key << " is not in the manual page";
        EXPECT_EQ(0u, entry->second.find(binding.action))
            << "key " << binding.key << ": \"" << entry->second << "\" does not start with \""
            << binding.action << "\"";
    }
    EXPECT_EQ(static_cast<size_t>(keyBindingCount), page.size()) << "keys the game has not";
}
