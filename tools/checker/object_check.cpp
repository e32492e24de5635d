// Checking objects.txt: what the game places where, the start cell, bytes lost past the
// grid, and the map's shape against the terrain's.
#include "tools/checker/check_parts.h"

#include "terrain/byte_reader.h"

#include <algorithm>
#include <cctype>

namespace checker {
namespace {

const char* const objectFile = "objects.txt";

// What one line of the map did, gathered while it is read.
struct LineScan {
    long long length = 0;
    long long startRow = 0;
    long long drops = 0, dropColumn = 0, dropLetters = 0;
    int dropByte = 0;
    long long outside = 0, outsideColumn = 0;
    int outsideByte = 0;
    long long unknown = 0, unknownColumn = 0;
    int unknownByte = 0;
};

// A start cell placed from the map.
struct StartMark {
    long long line, column;
    int row, col;
};

bool isObjectLetter(int c)
{
    switch (c) {
    case 'A':
    case 'a':
    case 'C':
    case 'c':
    case 'T':
    case 't':
    case 'X':
    case 'x': return true;
    default: return false;
    }
}

const char* objectName(int c)
{
    switch (c) {
    case 'A':
    case 'a': return "pyramid";
    case 'C':
    case 'c': return "cube";
    case 'T':
    case 't': return "tree";
    default: return "start cell";
    }
}

// The grid's start fields for a cell: its centre, 5 units above its centre height.
void setStart(WorldModel& world, int row, int col)
{
    world.startX = row * 10 + 5;
    world.startY = col * 10 + 5;
    world.startZ = world.level(row, col) * 5 + 5;
}

// Without a start cell from the map the player starts above the middle cell, or at
// (5, 5, 5) when the grid has no cells.
void setDefaultStart(WorldModel& world)
{
    if (world.rows > 0 && world.cols > 0) {
        setStart(world, world.rows / 2, world.cols / 2);
    } else {
        world.startX = world.startY = world.startZ = 5;
    }
}

std::string defaultStartText(const WorldModel& world)
{
    return format("the player starts above the middle cell (row %d, column %d) at height %d",
                  world.rows / 2 + 1, world.cols / 2 + 1, world.startZ);
}

} // namespace

void checkObjects(CheckRun& run)
{
    WorldModel& world = run.report.world;
    if (!world.loads) return;
    const long long rows = world.rows, cols = world.cols;
    world.objects.assign(static_cast<size_t>(rows * cols), CellObject::None);
    std::FILE* file = std::fopen(run.path(objectFile).c_str(), "rb");
    ByteReader reader(file);
    if (!file) {
        setDefaultStart(world);
        run.add(objectFile, 0, 0, Severity::Warning, "missing file",
                "cannot open the file: the world has no cubes, pyramids or trees, and " +
                    defaultStartText(world));
        return;
    }
    // A grid without columns drops every byte; the terrain's finding says so already.
    if (cols == 0) {
        setDefaultStart(world);
        return;
    }

    long long row = 0, col = 0, line = 1, startCount = 0;
    bool stopped = false;
    std::vector<StartMark> starts; // the first few, then the last one
    std::vector<long long> lengths;
    const size_t lengthsKept = run.terrainLines.size() + 1;
    long long lineCount = 0;
    LineScan scan;
    auto finishLine = [&](bool finalEmptyLine) {
        const LineScan& l = scan;
        if (!finalEmptyLine) {
            if (lengths.size() < lengthsKept) lengths.push_back(l.drops > 0 ? -1 : l.length);
            ++lineCount;
        }
        if (l.drops > 0) {
            std::string message =
                format("the line has %lld bytes but the grid has %lld columns: ", l.length, cols);
            if (l.drops == 1 && l.dropColumn == l.length) {
                message += format("byte %lld (%s) is dropped, which leaves row %lld empty",
                                  l.dropColumn, describeByte(l.dropByte).c_str(), l.startRow + 2);
            } else if (l.drops == 1) {
                message += format("byte %lld (%s) is dropped, the bytes after it fill row %lld "
                                  "from column 1",
                                  l.dropColumn, describeByte(l.dropByte).c_str(), l.startRow + 2);
            } else {
                message += format("%lld bytes are dropped, the first byte %lld (%s); the bytes "
                                  "after each fill the next row from column 1",
                                  l.drops, l.dropColumn, describeByte(l.dropByte).c_str());
            }
            message += format(", and every later line is read %s lower", rowsText(l.drops).c_str());
            if (l.dropLetters > 0)
                message +=
                    format("; %s lost with the dropped bytes",
                           plural(l.dropLetters, "object letter is", "object letters are").c_str());
            run.add(objectFile, line, l.dropColumn, Severity::Warning, "long lines", message);
        }
        if (l.outside > 0) {
            std::string message =
                format("%s lies below the last row of the grid (row %lld): the "
                       "game stops reading before it, so this %s is not placed",
                       describeByte(l.outsideByte).c_str(), rows, objectName(l.outsideByte));
            if (l.outside > 1)
                message += format("; %lld more object letters on this line", l.outside - 1);
            run.add(objectFile, line, l.outsideColumn, Severity::Warning, "objects off the grid",
                    message);
        }
        if (l.unknown > 0) {
            std::string message = format("%s is not an object letter (A pyramid, C cube, T tree, "
                                         "X start): its cell stays empty",
                                         describeByte(l.unknownByte).c_str());
            if (l.unknown > 1) message += format("; %lld more on this line", l.unknown - 1);
            run.add(objectFile, line, l.unknownColumn, Severity::Note, "unknown letters", message);
        }
    };

    bool endsWithNewline = false;
    int c;
    while ((c = reader.get()) != EOF) {
        if (c == '\n') {
            finishLine(false);
            ++line;
            scan = LineScan();
            if (!stopped && row >= rows) stopped = true;
            if (!stopped) {
                col = 0;
                ++row;
            }
            scan.startRow = row;
            endsWithNewline = true;
            continue;
        }
        endsWithNewline = false;
        ++scan.length;
        // The game reads a byte, then stops if the row has reached the row count.
        if (!stopped && row >= rows) stopped = true;
        if (stopped) {
            if (isObjectLetter(c) && scan.outside++ == 0) {
                scan.outsideColumn = scan.length;
                scan.outsideByte = c;
            }
            continue;
        }
        if (col >= cols) {
            if (scan.drops++ == 0) {
                scan.dropColumn = scan.length;
                scan.dropByte = c;
            }
            if (isObjectLetter(c)) ++scan.dropLetters;
            col = 0;
            ++row;
            continue;
        }
        const size_t cell = static_cast<size_t>(row * cols + col);
        switch (c) {
        case 'A':
        case 'a':
            world.objects[cell] = CellObject::Pyramid;
            ++run.pyramids;
            break;
        case 'C':
        case 'c':
            world.objects[cell] = CellObject::Cube;
            ++run.cubes;
            break;
        case 'T':
        case 't':
            world.objects[cell] = CellObject::Tree;
            ++run.trees;
            break;
        case 'X':
        case 'x': {
            setStart(world, static_cast<int>(row), static_cast<int>(col));
            const StartMark mark{line, scan.length, static_cast<int>(row), static_cast<int>(col)};
            if (starts.size() < 5) {
                starts.push_back(mark);
            } else {
                starts.back() = mark;
            }
            ++startCount;
            break;
        }
        default:
            if (std::isalpha(c) && scan.unknown++ == 0) {
                scan.unknownColumn = scan.length;
                scan.unknownByte = c;
            }
            break;
        }
        ++col;
    }
    finishLine(endsWithNewline);

    world.startFromMap = startCount > 0;
    if (startCount == 0) {
        setDefaultStart(world);
        run.add(objectFile, 0, 0, Severity::Warning, "start cell",
                "there is no start cell ('X') in the grid: " + defaultStartText(world));
    } else if (startCount > 1) {
        const StartMark& last = starts.back();
        std::string others;
        for (size_t i = 0; i + 1 < starts.size(); ++i)
            others += format("%s%lld:%lld", i ? ", " : "", starts[i].line, starts[i].column);
        if (startCount > static_cast<long long>(starts.size())) others += ", ...";
        run.add(objectFile, last.line, last.column, Severity::Warning, "start cell",
                format("%lld start cells ('X'): the last one read wins, so the player starts "
                       "here (row %d, column %d); the others are ignored (%s)",
                       startCount, last.row + 1, last.col + 1, others.c_str()));
    }

    // The shape against the terrain's lines; long lines have their own finding already.
    const std::vector<long long>& terrain = run.terrainLines;
    for (size_t i = 0; i < lengths.size() && i < terrain.size(); ++i) {
        if (lengths[i] < 0 || lengths[i] == terrain[i]) continue;
        const long long number = static_cast<long long>(i) + 1;
        run.add(objectFile, number, std::min(lengths[i], terrain[i]) + 1, Severity::Warning,
                "shape",
                format("the line has %s, line %lld of terrain.txt %lld: the object map does not "
                       "match the terrain cell for cell",
                       plural(lengths[i], "byte", "bytes").c_str(), number, terrain[i]));
    }
    const long long terrainCount = static_cast<long long>(terrain.size());
    if (lineCount > terrainCount) {
        run.add(objectFile, terrainCount + 1, 1, Severity::Warning, "shape",
                format("the map has %lld lines, terrain.txt %lld: from here on no terrain line "
                       "matches",
                       lineCount, terrainCount));
    } else if (lineCount < terrainCount) {
        run.add(objectFile, lineCount, lengths.empty() ? 1 : std::max(0LL, lengths.back()) + 1,
                Severity::Warning, "shape",
                format("the map has %lld lines, terrain.txt %lld: the cells of the lines missing "
                       "here hold no objects",
                       lineCount, terrainCount));
    }
}

} // namespace checker
