// The world checker: loads a world folder with the game's own load code, watching its
// readers, and lists everything that loads differently from what its author likely meant.
#pragma once

#include "models/mesh_store.h"
#include "models/object_map.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

// The world as the game loaded it: the grid (null when it cannot load), the meshes its
// instances draw, and what the object map put on each cell, row after row.
struct LoadedWorld {
    std::unique_ptr<TerrainGrid> grid;
    MeshStore meshes;
    std::vector<ObjectByte> objects;
};

struct WorldReport {
    LoadedWorld world;
    std::vector<Finding> findings; // by file in load order, then by position
    std::vector<KindTotal> totals; // in the order the kinds first occur
    long long count(Severity severity) const;
};

// Checks the world whose files lie in `folder`, as the game would find them. Prints nothing.
WorldReport checkWorld(const std::string& folder);
// "terrain.txt:12:41: warning: ..." with "<folder>/" in front unless the folder is ".".
std::string formatFinding(const std::string& folder, const Finding& finding);
// The world's size, start and places for people, and the counts of findings.
std::string summaryLine(const std::string& folder, const WorldReport& report);
// 1 when there is an error or a warning, else 0.
int exitStatus(const WorldReport& report);
// The findings (at most shownPerKind of a kind per file unless `all`) and the summary.
void printReport(std::FILE* out, const std::string& folder, const WorldReport& report, bool all);
// Writes the picture of the world as the game loaded it, the cells findings name outlined
// (report_picture.cpp). False with `error` set when the world does not load or the file
// cannot be written.
bool writePicture(const WorldReport& report, const std::string& path, std::string& error);
// The whole program (cli.cpp): options, checks, output; callable again in the same process.
// Returns 0 clean or notes only, 1 errors or warnings, 2 bad arguments.
int runChecker(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace checker
