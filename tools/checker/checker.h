// The world checker: reads a world folder by the game's own rules, without GL and without
// printing, and lists everything that loads differently from what its author likely meant.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace checker {

enum class Severity { Note, Warning, Error };

// One finding. Line and column count from 1 (columns in bytes); 0 for the whole file.
struct Finding {
    std::string file; // the file's name inside the world folder, e.g. "terrain.txt"
    long long line = 0;
    long long column = 0;
    Severity severity = Severity::Note;
    std::string kind; // what alike findings share, e.g. "short lines"; the output groups by it
    std::string message;
};

// What the object map leaves on a cell.
enum class CellObject : char { None = '.', Pyramid = 'A', Cube = 'C', Tree = 'T' };

// One face as the game keeps it.
struct FaceModel {
    int cornersRead = 0;                  // corners that converted in full
    int8_t vertexCount = 0;               // cornersRead cut to 8 signed bits: what is drawn
    float normal[3] = {0.0f, 0.0f, 1.0f}; // from the first three corners, else (0, 0, 1)
};

// One model file as the game keeps it.
struct MeshModel {
    bool opened = false;
    std::vector<FaceModel> faces; // the faces whose colour and corner count converted
    int16_t faceCount = 0;        // faces.size() cut to 16 signed bits: what is drawn
};

// A run of bytes of the shared texture buffer and the file they came from.
struct TextureSpan {
    int begin = 0, end = 0; // byte offsets, end excluded
    int source = -1;        // index into textureFiles; -1 for the zeros it starts with
};

// One texture load: whether it happened and what the uploaded image then holds.
struct TextureModel {
    bool opened = false;
    long long size = 0;             // the file's length in bytes
    std::vector<TextureSpan> spans; // the whole 12,288-byte image, front to back, if opened
};

// The world the game builds from the folder.
struct WorldModel {
    bool loads = false; // the game gets a grid: terrain.txt opens and is not too large
    int rows = 0, cols = 0;
    std::vector<uint8_t> levels;     // row after row: each cell's level (centre height / 5)
    std::vector<CellObject> objects; // row after row
    bool startFromMap = false;       // an "X" was placed; else the default start
    int startX = 0, startY = 0, startZ = 0;
    long long peoplePlaces = 0; // free cells at height exactly 5
    MeshModel meshes[4];        // in load order: those of modelFiles
    TextureModel textures[4];   // in load order: those of textureFiles

    int level(int row, int col) const { return levels[static_cast<size_t>(row) * cols + col]; }
    CellObject object(int row, int col) const
    {
        return objects[static_cast<size_t>(row) * cols + col];
    }
};

// The model files in the order the game loads them: cube, pyramid, tree, person.
extern const char* const modelFiles[4];
// The texture files in the order the game loads them: water, dirt, grass, snow.
extern const char* const textureFiles[4];

// How many findings of one kind one file has, listed or not.
struct KindTotal {
    std::string file;
    std::string kind;
    Severity severity = Severity::Note;
    long long total = 0;
};

// Findings of one kind that a report lists per file; the rest are only counted.
constexpr long long listedPerKind = 1000;

struct WorldReport {
    WorldModel world;
    std::vector<Finding> findings; // by file (terrain, objects, models, textures), then position
    std::vector<KindTotal> totals; // in the order the kinds first occur

    long long count(Severity severity) const;
};

// Checks the world whose files lie in `folder`, as the game would find them in its working
// directory. Prints nothing.
WorldReport checkWorld(const std::string& folder);

// "terrain.txt:12:41: warning: ..." with "<folder>/" in front unless the folder is ".".
std::string formatFinding(const std::string& folder, const Finding& finding);

// One line: the world's size, start and places for people, and the counts of findings.
std::string summaryLine(const std::string& folder, const WorldReport& report);

// 1 when there is an error or a warning, else 0.
int exitStatus(const WorldReport& report);

// Findings of one kind shown per file unless every finding is asked for.
constexpr int shownPerKind = 10;

// Prints the findings (at most shownPerKind of a kind per file unless `all`) and the summary.
void printReport(std::FILE* out, const std::string& folder, const WorldReport& report, bool all);

// The whole program (cli.cpp): options, checks, output. Returns the exit status: 0 clean or
// notes only, 1 errors or warnings, 2 bad arguments. Callable again in the same process.
int runChecker(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace checker
