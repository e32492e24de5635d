// Checking terrain.txt: the grid size by the game's own measure, then every line against the
// first one, with the level each character leaves in its cell.
#include "tools/checker/check_parts.h"

#include "terrain/byte_reader.h"
#include "terrain/world.h"

#include <climits>

namespace checker {
namespace {

const char* const terrainFile = "terrain.txt";

// The game's measure: columns = characters before the first newline, rows = newlines + 1,
// both saturating at INT_MAX. False when the file cannot be opened.
bool measure(const std::string& path, long long& rows, long long& cols)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    ByteReader reader(file);
    rows = 0;
    cols = 0;
    int c;
    while ((c = reader.get()) != EOF && c != '\n')
        if (cols < INT_MAX) ++cols;
    rows = 1;
    while (c != EOF) {
        c = reader.get();
        if ((c == '\n' || c == EOF) && rows < INT_MAX) ++rows;
    }
    return true;
}

// What one line of the file did, gathered while it is read.
struct LineScan {
    long long length = 0;
    long long startRow = 0;
    long long wraps = 0;     // times the line ran past the last column
    long long oddCount = 0;  // non-digits that land in the grid
    long long oddColumn = 0; // file column of the first of them
    long long oddRow = 0, oddCol = 0;
    int oddByte = 0;
};

} // namespace

std::string rowsText(long long count)
{
    return count == 1 ? std::string("one row") : format("%lld rows", count);
}

void checkTerrain(CheckRun& run)
{
    WorldModel& world = run.report.world;
    const std::string path = run.path(terrainFile);
    long long rows = 0, cols = 0;
    if (!measure(path, rows, cols)) {
        run.add(terrainFile, 0, 0, Severity::Error, "missing file",
                "cannot open the file: the game has no map to build and exits with status 1");
        return;
    }
    if (rows * cols > maxTerrainCells) {
        run.add(terrainFile, 0, 0, Severity::Error, "map too large",
                format("the map is %lld rows by %lld columns, %lld cells: the game refuses more "
                       "than %lld cells and exits with status 1",
                       rows, cols, rows * cols, maxTerrainCells));
        return;
    }
    world.loads = true;
    world.rows = static_cast<int>(rows);
    world.cols = static_cast<int>(cols);
    world.levels.assign(static_cast<size_t>(rows * cols), 0);
    if (cols == 0) {
        run.add(terrainFile, 1, 1, Severity::Error, "no columns",
                rows == 1 ? std::string("the file is empty: the grid has no cells, and the "
                                        "player starts in empty space")
                          : std::string("the first line is empty, and its length sets the "
                                        "width of the grid: there are no cells, and nothing of "
                                        "the map is used"));
        return;
    }

    std::FILE* file = std::fopen(path.c_str(), "rb");
    ByteReader reader(file);
    long long row = 0, col = 0, line = 1;
    long long offGridLine = 0, offGridColumn = 0, previousLength = 0;
    LineScan scan;
    // Reports one line once it has ended; the empty line after a final newline is no text.
    auto finishLine = [&](bool finalEmptyLine) {
        const LineScan& l = scan;
        if (!finalEmptyLine) run.terrainLines.push_back(l.length);
        if (l.oddCount > 0) {
            std::string message =
                format("%s is not a digit: its cell (row %lld, column %lld) "
                       "is water, level 0",
                       describeByte(l.oddByte).c_str(), l.oddRow + 1, l.oddCol + 1);
            if (l.oddCount > 1) message += format("; %lld more on this line", l.oddCount - 1);
            run.add(terrainFile, line, l.oddColumn, Severity::Warning, "non-digit characters",
                    message);
        }
        if (line == 1 || l.startRow >= rows) return;
        if (l.length > cols) {
            const long long rest = l.length - l.wraps * cols;
            std::string message = format(
                "the line has %lld characters, the first line %lld: the characters from here "
                "on continue at the start of row %lld, and every later line is read %s lower",
                l.length, cols, l.startRow + 2, rowsText(l.wraps).c_str());
            if (rest < cols)
                message += format(" (the rest of row %lld is water)", l.startRow + l.wraps + 1);
            run.add(terrainFile, line, cols + 1, Severity::Warning, "long lines", message);
        } else if (finalEmptyLine && l.startRow == rows - 1) {
            run.add(terrainFile, line - 1, previousLength + 1, Severity::Note, "final newline",
                    format("the file ends with a line end, which starts one more row: row %lld, "
                           "the last, is all water",
                           rows));
        } else if (l.length < cols && !finalEmptyLine) {
            run.add(
                terrainFile, line, l.length + 1, Severity::Warning, "short lines",
                l.length == 0
                    ? format("the line is empty: all of row %lld is water, level 0", l.startRow + 1)
                    : format("the line has %s, the first line %lld: %s of row %lld %s water, "
                             "level 0",
                             plural(l.length, "character", "characters").c_str(), cols,
                             cols - l.length == 1
                                 ? "the last cell"
                                 : format("the last %lld cells", cols - l.length).c_str(),
                             l.startRow + 1, cols - l.length == 1 ? "is" : "are"));
        }
    };
    bool endsWithNewline = false;
    int c;
    while ((c = reader.get()) != EOF) {
        if (c == '\n') {
            finishLine(false);
            previousLength = scan.length;
            ++line;
            col = 0;
            ++row;
            scan = LineScan();
            scan.startRow = row;
            endsWithNewline = true;
            continue;
        }
        endsWithNewline = false;
        if (col >= cols) {
            col = 0;
            ++row;
            ++scan.wraps;
        }
        const bool digit = c >= '0' && c <= '9';
        ++scan.length;
        if (row < rows) {
            world.levels[static_cast<size_t>(row * cols + col)] =
                static_cast<uint8_t>(digit ? c - '0' : 0);
            if (!digit && scan.oddCount++ == 0) {
                scan.oddColumn = scan.length;
                scan.oddRow = row;
                scan.oddCol = col;
                scan.oddByte = c;
            }
        } else if (offGridLine == 0) {
            offGridLine = line;
            offGridColumn = scan.length;
        }
        ++col;
    }
    finishLine(endsWithNewline);
    if (offGridLine != 0)
        run.add(terrainFile, offGridLine, offGridColumn, Severity::Warning, "map below the grid",
                format("long lines above push the map down: from here on it lies below the last "
                       "row (row %lld), and the game does not read it",
                       rows));
}

} // namespace checker
