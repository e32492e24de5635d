// What the benchmark programs share: the generated worlds (one neighbourhood in the middle
// of 30 x 30, 300 x 300 and 1000 x 1000 maps), loading them quietly in a hidden GLUT
// window, the player in the middle, and the three drawing modes.
#pragma once

#include "tests/support/streams.h" // quietLog, for the loads and the readers

#include <cstdio>
#include <string>
#include <vector>

class TerrainGrid;

namespace bench {

// One world folder and, once loaded, its grid.
struct BenchWorld {
    std::string name; // "30x30", "300x300", "1000x1000" or "bundled"
    std::string dir;
    int rows = 0;
    int cols = 0;
    TerrainGrid* grid = nullptr;
    // Row and column of the shared 30 x 30 neighbourhood's first cell (0 for the others).
    int blockRow = 0;
    int blockCol = 0;
};

// The three ways the display draws the terrain.
enum class DrawMode { Filled, Wire, HiddenLine };
extern const DrawMode allModes[3];
const char* modeName(DrawMode mode);

// Makes the program's hidden 500 x 500 GLUT window with its GL context.
void openWindow(int& argc, char** argv);

// The generated worlds (names, sizes, the neighbourhood's place), not yet written or loaded:
// 30x30, 300x300, 1000x1000.
std::vector<BenchWorld> generatedWorlds();
// Writes the generated worlds into a new temporary folder (removed by removeWorlds) and
// returns them with the bundled world: 30x30, 300x300, 1000x1000, bundled.
std::vector<BenchWorld> makeWorlds();
// Removes the temporary folder of makeWorlds.
void removeWorlds();

// Sends standard output to /dev/null while it lives (the load prints a great deal).
class QuietStdout {
  public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

  private:
    int saved;
};

// Makes `dir` the working directory; false when it cannot.
bool changeDirectory(const std::string& dir);
// The working directory, or empty when it cannot be read.
std::string currentDirectory();

// Runs f with `dir` as the working directory, then goes back.
template <typename F> auto inFolder(const std::string& dir, F f) -> decltype(f())
{
    struct Back {
        std::string dir;
        ~Back() { changeDirectory(dir); }
    } back{currentDirectory()};
    changeDirectory(dir);
    return f();
}

// Loads the world as start-up does (the first world through initScene in its folder, which
// also sets the fixed lighting state; the others through loadWorld), quietly. False on a
// failed load.
bool loadForFrames(BenchWorld& world);

// Makes the world the game's and puts the player in the middle of the map, 5 units above
// the highest of the four cells that meet there, looking towards decreasing x.
void standInMiddle(const BenchWorld& world);

// Switches the drawing mode with the player's own keys ('p' filled; 'P' wire-frame with
// 'B' depth test off; 'P' with 'b' for hidden lines).
void setMode(DrawMode mode);

} // namespace bench
