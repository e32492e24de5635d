// The world generator: height maps from fractal noise, object maps with villages and woods,
// embedding a small world in the middle of a large one, and writing a world folder.
#pragma once

#include "terrain/world_source.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace worldgen {

// Smallest side accepted: enough cells for all four height bands, people and a start.
constexpr int minSide = 8;

// Cells of terrain digit 1 without an object that a world keeps for the people: at least
// five, and one in a hundred cells on big maps.
long long requiredPeoplePlaces(int rows, int cols);

// SplitMix64: the same numbers from the same seed on every machine and compiler.
class Rng {
  public:
    explicit Rng(uint64_t seed) : state(seed) {}
    // The next 64 random bits.
    uint64_t next();
    // A number in [0, n) for n > 0.
    uint64_t below(uint64_t n) { return next() % n; }
    // A number in [-amplitude, amplitude] for amplitude >= 0.
    int64_t around(int64_t amplitude);

  private:
    uint64_t state;
};

// Both maps of a world, row after row without line ends: `terrain` holds one digit per cell,
// `objects` per cell the letter of a kind of object (models/object_kinds.h: 'C' cube,
// 'A' pyramid, 'T' tree), the start letter 'X', or '.' for none.
struct WorldMaps {
    int rows = 0;
    int cols = 0;
    std::string terrain;
    std::string objects;

    // The level digit and the object character of the cell at (row, col).
    char& level(int row, int col) { return terrain[index(row, col)]; }
    char level(int row, int col) const { return terrain[index(row, col)]; }
    char& object(int row, int col) { return objects[index(row, col)]; }
    char object(int row, int col) const { return objects[index(row, col)]; }
    // Where the cell at (row, col) lies in both strings.
    size_t index(int row, int col) const
    {
        return static_cast<size_t>(row) * static_cast<size_t>(cols) + static_cast<size_t>(col);
    }
};

// Integer diamond-square noise of rows x cols values, row after row, with hills about 64
// cells apart on big maps (no floating point, so the values are exact everywhere).
std::vector<int64_t> fractalNoise(int rows, int cols, Rng& rng);

// Map levels '0'..'9' by rank of the noise value: fixed shares per level (12 % water, 16 %
// digit 1, grass up to 5, dirt 6 to 8, 7 % snow), so every band appears on any map of at
// least minSide x minSide cells. Ties are broken by position.
std::string levelsByRank(const std::vector<int64_t>& noise);

// A complete world from (rows, cols, seed): heights, then villages of cubes and pyramids
// on flat grass (levels 2 to 4), woods of trees on levels 2 to 7, and the start 'X' on the
// free hill-top cell (levels 6 to 8, no higher neighbour) nearest the middle. Objects never
// stand on digit 1, so every cell of digit 1 stays free for the people.
// When peopleAway > 0, no cell of digit 1 lies within that many units of the map's middle
// point (those cells become digit 2).
WorldMaps generateWorld(int rows, int cols, uint64_t seed, double peopleAway = 0);

// Copies `inner` into the middle block of `outer` (row and column offset (outer - inner) / 2,
// rounded down), removes every 'X' outside the block, and turns every digit 1 outside the
// block whose cell centre lies within `margin` units of a block cell's centre into digit 2.
// False, with `error` set, when inner does not fit.
bool embedWorld(const WorldMaps& inner, WorldMaps& outer, double margin, std::string& error);

// Free cells of digit 1: the places where the game may put people, by the game's own test.
long long countPeoplePlaces(const WorldMaps& maps);

// The maps as file text: rows lines of cols characters, no line end after the last one.
std::string terrainText(const WorldMaps& maps);
std::string objectsText(const WorldMaps& maps);

// Reads terrain.txt and objects.txt of a folder (lines of equal length, both maps of the
// same shape; a final line end is allowed). False with `error` set otherwise.
bool readWorld(const std::string& dir, WorldMaps& maps, std::string& error);

// The model and texture files a world folder needs besides its two maps.
inline constexpr WorldFile assetFiles[8] = {WorldFile::Cube,   WorldFile::Pyramid, WorldFile::Tree,
                                            WorldFile::Person, WorldFile::Water,   WorldFile::Dirt,
                                            WorldFile::Grass,  WorldFile::Snow};

// True when writing a world into `dir` replaces nothing, or `overwrite` allows it. Else
// false, with `error` naming the folder and the world's files it holds (anything by those
// names, a dangling link included).
bool mayWriteWorld(const std::string& dir, bool overwrite, std::string& error);

// Creates `dir` if needed, writes both maps and copies the eight asset files from
// `assetsDir`. Unless `overwrite`, a folder that already holds one of the world's files is
// refused before anything is written. Nothing is written either when an asset file is
// missing. False with `error` set when refused or when a file cannot be read or written.
bool writeWorld(const std::string& dir, const WorldMaps& maps, const std::string& assetsDir,
                std::string& error, bool overwrite = false);

// Where the bundled models and textures are looked for without --assets: the installed world,
// found from the program's folder by the path between the install's program and world folders
// (../share/vantora/world by default), else a world/ folder beside the program, which the build
// stages there; the installed place when neither holds them.
std::string defaultAssetsDir();

// The command line, parsed.
struct Options {
    int rows = 0;
    int cols = 0;
    uint64_t seed = 0;
    std::string outDir;
    std::string assetsDir; // empty: defaultAssetsDir()
    std::string embedDir;  // empty: no embedding
    double peopleAway = 0; // units around the middle kept free of places for people
    std::string picture;   // empty: no picture of the world written
    bool force = false;    // replace the files of a world already in outDir
    bool help = false;     // print the usage and nothing else
    bool version = false;  // print the version and nothing else
};

// Parses argv[1..] with getopt_long. False with `error` set, the line that says what is
// wrong, on a bad or missing argument.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

// The usage text printed by --help.
std::string usageText();

// The whole program: parse, generate, embed, write. Returns the exit status (0 success,
// 1 failure to generate or write, or a world already in OUTDIR, 2 bad command line); the
// summary line goes to `out`, messages to `err`.
int runWorldgen(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace worldgen
