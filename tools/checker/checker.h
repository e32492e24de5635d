// The world checker: reads a world with the game's own reading rules and decides what each
// cell becomes with the game's own functions, without building the game's grid, and lists
// everything that loads differently from what its author likely meant.
#pragma once

#include "terrain/cell_rules.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class WorldSource;

namespace checker {

enum class Severity { Note, Warning, Error };

// One finding: line and column from 1 (columns in bytes; 0 for the whole file), and the
// grid cell it names (from 0), if any. Alike findings share a kind; the output groups by it.
struct Finding {
    std::string file, kind, message;
    long long line = 0, column = 0;
    Severity severity = Severity::Note;
    int row = -1, col = -1;
};

// How many findings of one kind one file has; past listedPerKind they are only counted.
struct KindTotal {
    std::string file, kind;
    Severity severity = Severity::Note;
    long long total = 0;
};
constexpr long long listedPerKind = 1000;
constexpr int shownPerKind = 10; // printed per kind and file unless every finding is asked for

// The world as the game would load it: its size, start and places for people, and one record
// a cell (picture::cellRecord: its level and the object on it), row after row.
struct LoadedWorld {
    bool loaded = false; // false when the game cannot load it: no terrain, too large, no memory
    int rows = 0, cols = 0;
    StartPoint start;
    long long peoplePlaces = 0;
    std::vector<uint8_t> cells;

    // The map level of the cell (row, col) and the object on it (an index into objectKinds,
    // -1 for none); the cell must lie in the grid.
    int level(int row, int col) const;
    int object(int row, int col) const;
};

struct WorldReport {
    LoadedWorld world;
    std::vector<Finding> findings; // by file in load order, then by position
    std::vector<KindTotal> totals; // in the order the kinds first occur
    long long count(Severity severity) const;
};

// Checks the world whose files `files` gives, as the game would find them. Prints nothing.
WorldReport checkWorld(WorldSource& files);
// The same for the world in `folder`, its files opened the way the game opens its own.
WorldReport checkWorld(const std::string& folder);
// "terrain.txt:12:41: warning: ..." with "<folder>/" in front unless the folder is ".".
std::string formatFinding(const std::string& folder, const Finding& finding);
// The world's size, start and places for people, and the counts of findings.
std::string summaryLine(const std::string& folder, const WorldReport& report);
// 1 when there is an error or a warning, else 0.
int exitStatus(const WorldReport& report);
// The findings (at most shownPerKind of a kind per file unless `all`) and the summary.
void printReport(std::FILE* out, const std::string& folder, const WorldReport& report, bool all);
// Draws the picture of the world as the game loads it, the cells findings name outlined, into
// a file created (or replaced) at `path` (report_picture.cpp). False with `error` set when the
// world does not load or the picture cannot be written.
bool writePicture(const WorldReport& report, const std::string& path, std::string& error);
// The same into a stream, the map within `mapSide` pixels a side (picture::maxMapSide in the
// picture at a path).
bool writePicture(const WorldReport& report, std::FILE* file, int mapSide, std::string& error);
// The whole program (cli.cpp): options, checks, output; callable again in the same process.
// Returns 0 clean or notes only, 1 errors or warnings, 2 bad arguments.
int runChecker(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace checker
