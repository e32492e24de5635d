// The benchmark worlds: generated once per run into a temporary folder, loaded in a hidden
// window, with the player placed in the middle and the drawing mode set by the game's keys.
#include "bench/bench_worlds.h"

#include "app/game_state.h"
#include "app/keyboard.h"
#include "app/startup.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "terrain/world_source.h"
#include "tools/worldgen/worldgen.h"

#include <GL/freeglut.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace bench {

const DrawMode allModes[3] = {DrawMode::Filled, DrawMode::Wire, DrawMode::HiddenLine};

namespace {

std::string tempRoot;

// The shared neighbourhood keeps its places for people this far from its middle, so no
// person is ever drawn from there (the draw reaches 100 units).
const double peopleAway = 110.0;

bool writeGenerated(const std::string& dir, const worldgen::WorldMaps& maps)
{
    std::string error;
    if (!worldgen::writeWorld(dir, maps, VANTORA_SOURCE_DIR "/world", error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace

const char* modeName(DrawMode mode)
{
    switch (mode) {
    case DrawMode::Filled: return "filled";
    case DrawMode::Wire: return "wire";
    default: return "hidden-line";
    }
}

void openWindow(int& argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(500, 500);
    glutCreateWindow("vantora bench");
    glutHideWindow();
}

std::vector<BenchWorld> generatedWorlds()
{
    std::vector<BenchWorld> worlds;
    for (int side : {30, 300, 1000}) {
        const std::string name = std::to_string(side) + "x" + std::to_string(side);
        const int offset = (side - 30) / 2;
        worlds.push_back({name, "", side, side, nullptr, offset, offset});
    }
    return worlds;
}

std::vector<BenchWorld> makeWorlds()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vantora-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("bench: mkdtemp");
        std::exit(1);
    }
    tempRoot = pattern;

    std::vector<BenchWorld> worlds = generatedWorlds();
    const worldgen::WorldMaps small = worldgen::generateWorld(30, 30, 30, peopleAway);
    for (BenchWorld& world : worlds) {
        world.dir = tempRoot + "/" + world.name;
        if (world.rows == small.rows) { // the neighbourhood itself
            if (!writeGenerated(world.dir, small)) std::exit(1);
            continue;
        }
        worldgen::WorldMaps maps = worldgen::generateWorld(world.rows, world.cols, world.rows);
        std::string error;
        if (!worldgen::embedWorld(small, maps, peopleAway, error)) {
            std::fprintf(stderr, "bench: %s\n", error.c_str());
            std::exit(1);
        }
        if (!writeGenerated(world.dir, maps)) std::exit(1);
    }
    worlds.push_back({"bundled", VANTORA_SOURCE_DIR "/world", 48, 48, nullptr, 0, 0});
    return worlds;
}

void removeWorlds()
{
    if (tempRoot.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(tempRoot, ignored);
    tempRoot.clear();
}

QuietStdout::QuietStdout()
{
    std::fflush(stdout);
    saved = dup(1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    close(devNull);
}

QuietStdout::~QuietStdout()
{
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
}

bool changeDirectory(const std::string& dir)
{
    return chdir(dir.c_str()) == 0;
}

std::string currentDirectory()
{
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

bool loadForFrames(BenchWorld& world)
{
    static bool sceneSet = false;
    if (!sceneSet) {
        inFolder(world.dir, [&] {
            QuietStdout quiet;
            initScene();
        });
        world.grid = game.grid;
        sceneSet = true;
    } else {
        // Its meshes join the game's store, which keeps them for the whole run.
        FolderWorld files(world.dir);
        WorldLoad load(files, game.meshes, quietLog());
        world.grid = loadWorld(load);
    }
    if (world.grid) {
        world.rows = world.grid->rows;
        world.cols = world.grid->cols;
    }
    return world.grid != nullptr;
}

void standInMiddle(const BenchWorld& world)
{
    game.grid = world.grid;
    const int row = world.rows / 2, col = world.cols / 2;
    float top = 0;
    for (int r = row - 1; r <= row; ++r)
        for (int c = col - 1; c <= col; ++c)
            if (const TerrainCell* cell = world.grid->cellAt(r, c))
                top = std::max(top, cell->vertices[SlotCentre].position[2]);
    game.playerX = world.rows * 5.0f;
    game.playerY = world.cols * 5.0f;
    game.playerZ = top + 5.0f;
    game.headingX = -1.0f;
    game.headingY = 0.0f;
    game.headingZ = 0.0f;
}

void setMode(DrawMode mode)
{
    switch (mode) {
    case DrawMode::Filled:
        keyboard('p', 0, 0);
        keyboard('b', 0, 0);
        break;
    case DrawMode::Wire:
        keyboard('P', 0, 0);
        keyboard('B', 0, 0);
        break;
    case DrawMode::HiddenLine:
        keyboard('P', 0, 0);
        keyboard('b', 0, 0);
        break;
    }
}

} // namespace bench
