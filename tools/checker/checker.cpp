// The whole check of a world: each file read by the game's reading rule into a check of that
// file, which keeps a byte a cell and what it needs of each line, then the report: a line a
// finding, a summary, the exit status.
#include "tools/checker/checker.h"

#include "models/face_normal.h"
#include "models/model_file.h"
#include "models/object_kinds.h"
#include "models/object_map.h"
#include "platform/files.h"
#include "terrain/byte_reader.h"
#include "terrain/cell_rules.h"
#include "terrain/terrain_file.h"
#include "terrain/texture.h"
#include "terrain/world_source.h"
#include "tools/picture/world_picture.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <new>
#include <tuple>

namespace checker {
namespace {

using S = Severity;

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...)
{
    va_list args, copy;
    va_start(args, pattern);
    va_copy(copy, args);
    std::string text(std::max(0, std::vsnprintf(nullptr, 0, pattern, copy)), '\0');
    va_end(copy);
    std::vsnprintf(text.data(), text.size() + 1, pattern, args);
    va_end(args);
    return text;
}

std::string plural(long long count, const char* one, const char* many)
{
    return format("%lld %s", count, count == 1 ? one : many);
}

// "; 2 more on this line" after the first of `count` alike findings, or nothing.
std::string more(long long count, const char* what)
{
    return count > 1 ? format("; %lld more %s", count - 1, what) : "";
}

// A byte as a message shows it: 'x', or a name for blanks and control bytes.
std::string describe(unsigned char c)
{
    if (c == ' ' || c == '\t') return c == ' ' ? "a space" : "a tab";
    if (c == '\r') return "a carriage return without a line feed after it";
    return c > ' ' && c < 0x7F ? format("'%c'", c) : format("byte 0x%02X", c);
}

// A character that ends a folder's name in a path: '/', and on Windows '\\' as well.
bool isSeparator(char c)
{
    return c == '/' || (c == '\\' && std::filesystem::path::preferred_separator == '\\');
}

// Folder-relative file names as the report shows them: bare when the folder is ".".
std::string shownPath(std::string base, const std::string& file)
{
    while (base.size() > 1 && isSeparator(base.back())) base.pop_back();
    if (base.empty() || base == ".") return file;
    return base.size() == 1 && isSeparator(base[0]) ? base + file : base + "/" + file;
}

const char* severityName(S severity)
{
    return severity == S::Error ? "error" : severity == S::Warning ? "warning" : "note";
}

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

// Whether byte c of the object map places something: an object or the start.
bool isObjectLetter(int c)
{
    return objectKindOf(c) >= 0 || isStartByte(c);
}

// The UTF-8 byte-order mark, which some editors, Notepad among them, put at the start of a
// text file and do not show; the game's readers take its bytes for text like any other.
const char byteOrderMark[] = "\xEF\xBB\xBF";
constexpr long long byteOrderMarkLength = 3;
const char* const byteOrderMarkIntro =
    "the file starts with a UTF-8 byte-order mark (the bytes EF BB BF, which some editors, "
    "Notepad among them, write and do not show): ";

// Whether the file starts with the byte-order mark.
bool startsWithMark(WorldSource& files, WorldFile file)
{
    StreamCloser in(files.open(file));
    char start[byteOrderMarkLength];
    return in.get() && std::fread(start, 1, sizeof start, in.get()) == sizeof start &&
           std::memcmp(start, byteOrderMark, sizeof start) == 0;
}

// A place in a text file: line and column from 1.
struct Place {
    long long line = 0, column = 0;
};
const Place wholeFile = {0, 0};

// One check of one world: its files, the report it fills and what the files' checks share.
struct CheckRun {
    explicit CheckRun(WorldSource& files) : files(files) {}

    WorldSource& files;
    WorldReport report;
    long long placed[objectKindCount] = {}; // objects of each kind in the grid
    std::vector<long long> terrainLengths;  // the length of every line of terrain.txt
    long long terrainCount = 0;             // its lines that hold text

    // A finding at a place of a file, or about the whole file; it may name a cell.
    void add(WorldFile file, Place at, S severity, const char* kind, std::string message,
             int row = -1, int col = -1)
    {
        const char* name = worldFileName(file);
        auto total =
            std::find_if(report.totals.begin(), report.totals.end(), [&](const KindTotal& t) {
                return t.file == name && t.kind == kind && t.severity == severity;
            });
        if (total == report.totals.end())
            total = report.totals.insert(report.totals.end(), KindTotal{name, kind, severity, 0});
        if (++total->total > listedPerKind) return;
        report.findings.push_back(
            Finding{name, kind, std::move(message), at.line, at.column, severity, row, col});
    }

    uint8_t& cell(int row, int col)
    {
        return report.world.cells[static_cast<size_t>(row) * report.world.cols + col];
    }
};

std::string defaultStart(const LoadedWorld& world)
{
    return format("the player starts above the middle cell (row %d, column %d) at height %d",
                  world.rows / 2 + 1, world.cols / 2 + 1, world.start.z);
}

// terrain.txt, as the height rule reads it with no bound on the rows: every line against the
// first, which sets the width of the grid, and every character where the game puts it. The
// findings of a line are made when it ends.
class TerrainCheck {
  public:
    // `marked`: the file starts with the byte-order mark, whose bytes have a finding of
    // their own.
    TerrainCheck(CheckRun& run, bool marked)
        : run(run), rows(run.report.world.rows), cols(run.report.world.cols), marked(marked)
    {
    }

    void cell(int c, int level, int row, int col)
    {
        ++line.length;
        line.lastRow = row;
        lastWasLineEnd = false;
        if (row >= rows) {
            if (below.line == 0) below = {lineIndex + 1, line.length};
            return;
        }
        if (col < cols) run.cell(row, col) = picture::cellRecord(level, -1);
        const bool inMark = marked && lineIndex == 0 && line.length <= byteOrderMarkLength;
        if (!isDigit(c) && !inMark && line.odd++ == 0) line.odd0 = {line.length, c, row, col};
    }
    void lineEnd(int nextRow)
    {
        finishLine(false);
        line = Line{};
        line.startRow = nextRow;
        ++lineIndex;
        lastWasLineEnd = true;
    }
    // After the last byte: the last line, and the bytes below the grid.
    void finish()
    {
        finishLine(lastWasLineEnd);
        run.terrainCount = lineIndex + 1 - lastWasLineEnd;
        if (below.line > 0 && cols > 0)
            run.add(WorldFile::Terrain, below, S::Warning, "map below the grid",
                    format("long lines above push the map down: from here on it lies below the "
                           "last row (row "
                           "%lld), and the game does not read it",
                           static_cast<long long>(rows)));
    }

  private:
    struct Odd { // the first non-digit of a line in the grid: its column, byte and cell
        long long column = 0;
        int c = 0, row = 0, col = 0;
    };
    struct Line {
        long long startRow = 0, lastRow = -1, length = 0, odd = 0;
        Odd odd0;
    };

    // The findings of the line that just ended; `finalEmptyLine` when it is the empty one
    // after a line end at the end of the file.
    void finishLine(bool finalEmptyLine)
    {
        const long long i = lineIndex, length = line.length;
        run.terrainLengths.push_back(length);
        const long long previousLength = previousLineLength;
        previousLineLength = length;
        if (cols == 0) return;
        const WorldFile file = WorldFile::Terrain;
        if (line.odd > 0)
            run.add(file, {i + 1, line.odd0.column}, S::Warning, "non-digit characters",
                    format("%s is not a digit: its cell (row %d, column %d) is water, level 0",
                           describe(line.odd0.c).c_str(), line.odd0.row + 1, line.odd0.col + 1) +
                        more(line.odd, "on this line"),
                    line.odd0.row, line.odd0.col);
        if (i == 0 || line.startRow >= rows) return;
        const long long wraps = line.lastRow - line.startRow, row = line.startRow + 1;
        if (length > cols)
            run.add(file, {i + 1, cols + 1}, S::Warning, "long lines",
                    format("the line has %lld characters, the first line %lld: the characters "
                           "from here on "
                           "continue at the start of row %lld, and every later line is read %s "
                           "lower%s",
                           length, static_cast<long long>(cols), row + 1,
                           wraps == 1 ? "one row" : format("%lld rows", wraps).c_str(),
                           length - wraps * cols < cols
                               ? format(" (the rest of row %lld is water)", row + wraps).c_str()
                               : ""),
                    static_cast<int>(row), 0);
        else if (finalEmptyLine && row == rows)
            run.add(file, {i, previousLength + 1}, S::Note, "final newline",
                    format("the file ends with a line end, which starts one more row: row "
                           "%lld, the last, is "
                           "all water",
                           static_cast<long long>(rows)),
                    static_cast<int>(row - 1), 0);
        else if (length < cols && !finalEmptyLine)
            run.add(file, {i + 1, length + 1}, S::Warning, "short lines",
                    length == 0
                        ? format("the line is empty: all of row %lld is water, level 0", row)
                        : format("the line has %s, the first line %lld: the last %s of row "
                                 "%lld %s water, level 0",
                                 plural(length, "character", "characters").c_str(),
                                 static_cast<long long>(cols),
                                 cols - length == 1 ? "cell"
                                                    : format("%lld cells", cols - length).c_str(),
                                 row, cols - length == 1 ? "is" : "are"),
                    static_cast<int>(row - 1), static_cast<int>(length));
    }

    CheckRun& run;
    const int rows, cols;
    const bool marked;
    Line line;
    long long lineIndex = 0, previousLineLength = 0;
    bool lastWasLineEnd = false;
    Place below; // the first byte that lands below the last row
};

// objects.txt, as the object rule reads it with no bound on the rows: what the game places
// where, the start cell, bytes lost past the grid, and the map's shape against the terrain's.
// The findings of a line are made when it ends, those of the whole map at its end.
class ObjectCheck {
  public:
    explicit ObjectCheck(CheckRun& run)
        : run(run), rows(run.report.world.rows), cols(run.report.world.cols)
    {
    }

    void cell(int c, int row, int col)
    {
        if (!counted(row)) return unread(c);
        const int kind = objectKindOf(c);
        if (kind >= 0) {
            run.cell(row, col) =
                picture::cellRecord(picture::recordLevel(run.cell(row, col)), kind);
            ++run.placed[kind];
        } else if (isStartByte(c)) {
            if (startCount++ >= 5) starts.pop_back();
            starts.push_back({lineIndex + 1, line.length});
            lastStart = {row, col};
        } else if (std::isalpha(c) && line.unknown++ == 0) {
            line.unknown0 = {line.length, c};
        }
    }
    void dropped(int c, int row)
    {
        if (!counted(row)) return unread(c);
        if (line.drops++ == 0) line.drop0 = {line.length, c};
        line.lost += isObjectLetter(c);
    }
    void lineEnd(int nextRow)
    {
        (void)nextRow;
        finishLine();
        line = Line{};
        ++lineIndex;
        lastWasLineEnd = true;
    }

    // The start cell as the game sets it: the last one read, else its default.
    void setStart()
    {
        LoadedWorld& world = run.report.world;
        int row, col;
        if (startCount > 0)
            world.start = startAbove(lastStart.row, lastStart.col,
                                     levelHeight(world.level(lastStart.row, lastStart.col)));
        else if (middleCell(world.rows, world.cols, row, col))
            world.start = startAbove(row, col, levelHeight(world.level(row, col)));
        else
            world.start = startWithoutCells;
    }

    // After the last byte: the last line, the start cells and the shape.
    void finish()
    {
        finishLine();
        const long long count = lineIndex + 1 - lastWasLineEnd; // the lines that hold text
        setStart();
        if (cols == 0) return; // every byte is dropped; the terrain's finding says why
        const WorldFile file = WorldFile::Objects;
        const LoadedWorld& world = run.report.world;
        if (startCount == 0)
            run.add(file, wholeFile, S::Warning, "start cell",
                    "there is no start cell ('X') in the grid: " + defaultStart(world));
        std::string others;
        for (size_t i = 0; i + 1 < starts.size(); ++i)
            others += format("%s%lld:%lld", i ? ", " : "", starts[i].line, starts[i].column);
        if (startCount > 1)
            run.add(file, starts.back(), S::Warning, "start cell",
                    format("%lld start cells ('X'): the last one read wins, so the player starts "
                           "here (row %d, "
                           "column %d); the others are ignored (%s%s)",
                           startCount, world.start.x / 10 + 1, world.start.y / 10 + 1,
                           others.c_str(),
                           startCount > static_cast<long long>(starts.size()) ? ", ..." : ""),
                    world.start.x / 10, world.start.y / 10);
        // The shape against the terrain's lines; long lines have their own finding already.
        const long long terrainCount = run.terrainCount;
        const std::vector<long long>& terrain = run.terrainLengths;
        for (long long i = 0; i < std::min(count, terrainCount); ++i)
            if (lengths[i] >= 0 && lengths[i] != terrain[i])
                run.add(file, {i + 1, std::min(lengths[i], terrain[i]) + 1}, S::Warning, "shape",
                        format("the line has %s, line %lld of %s %lld: the object map "
                               "does not match the "
                               "terrain cell for cell",
                               plural(lengths[i], "byte", "bytes").c_str(), i + 1,
                               worldFileName(WorldFile::Terrain), terrain[i]));
        if (count != terrainCount)
            run.add(file,
                    count > terrainCount ? Place{terrainCount + 1, 1}
                                         : Place{count, std::max(0LL, lengths[count - 1]) + 1},
                    S::Warning, "shape",
                    format("the map has %lld lines, %s %lld: %s", count,
                           worldFileName(WorldFile::Terrain), terrainCount,
                           count > terrainCount
                               ? "from here on no terrain line matches"
                               : "the cells of the lines missing here hold no objects"));
    }

  private:
    struct Byte { // the first byte of a line of some sort: its column and value
        long long column = 0;
        int c = 0;
    };
    struct Line {
        long long length = 0, startRow = 0, drops = 0, lost = 0, outside = 0, unknown = 0;
        Byte drop0, outside0, unknown0;
    };
    struct Cell {
        int row = 0, col = 0;
    };

    // Counts the byte into its line and tells whether it lies in the grid; the first byte of a
    // line in the grid gives the line's row.
    bool counted(int row)
    {
        lastWasLineEnd = false;
        if (++line.length == 1 && row < rows) line.startRow = row;
        return row < rows;
    }
    // A byte below the last row, which the game never reads.
    void unread(int c)
    {
        if (isObjectLetter(c) && line.outside++ == 0) line.outside0 = {line.length, c};
    }

    // The findings of the line that just ended, and its length for the shape.
    void finishLine()
    {
        const long long i = lineIndex;
        if (i < run.terrainCount) lengths.push_back(line.drops > 0 ? -1 : line.length);
        if (cols == 0) return;
        const WorldFile file = WorldFile::Objects;
        if (line.drops > 0) {
            const long long dropColumn = line.drop0.column, next = line.startRow + 2;
            const std::string dropped = describe(line.drop0.c);
            run.add(
                file, {i + 1, dropColumn}, S::Warning, "long lines",
                format("the line has %lld bytes but the grid has %d columns: ", line.length, cols) +
                    (line.drops > 1 ? format("%lld bytes are dropped, the first byte %lld (%s); "
                                             "the bytes after "
                                             "each fill the next row from column 1",
                                             line.drops, dropColumn, dropped.c_str())
                     : dropColumn == line.length
                         ? format("byte %lld (%s) is dropped, which leaves row %lld empty",
                                  dropColumn, dropped.c_str(), next)
                         : format("byte %lld (%s) is dropped, the bytes after it fill row %lld "
                                  "from column 1",
                                  dropColumn, dropped.c_str(), next)) +
                    format(", and every later line is read %s lower",
                           line.drops == 1 ? "one row" : format("%lld rows", line.drops).c_str()) +
                    (line.lost > 0
                         ? "; " + plural(line.lost, "object letter is", "object letters are") +
                               " lost with the dropped bytes"
                         : ""),
                static_cast<int>(next - 1), 0);
        }
        if (line.outside > 0) {
            const int kind = objectKindOf(line.outside0.c);
            run.add(file, {i + 1, line.outside0.column}, S::Warning, "objects off the grid",
                    format("%s lies below the last row of the grid (row %d): the game stops "
                           "reading before "
                           "it, so this %s is not placed",
                           describe(line.outside0.c).c_str(), rows,
                           kind >= 0 ? objectKinds[kind].name : "start cell") +
                        more(line.outside, "object letters on this line"));
        }
        if (line.unknown > 0)
            run.add(file, {i + 1, line.unknown0.column}, S::Note, "unknown letters",
                    format("%s is not an object letter (%s): its cell stays empty",
                           describe(line.unknown0.c).c_str(), letterList().c_str()) +
                        more(line.unknown, "on this line"));
    }

    // "A pyramid, C cube, T tree, X start": the letters of the map in alphabetical order.
    static std::string letterList()
    {
        std::vector<std::pair<char, std::string>> letters{{startLetter, "start"}};
        for (const ObjectKind& kind : objectKinds) letters.push_back({kind.letter, kind.name});
        std::sort(letters.begin(), letters.end());
        std::string list;
        for (const auto& [letter, name] : letters)
            list += (list.empty() ? "" : ", ") + std::string(1, letter) + " " + name;
        return list;
    }

    CheckRun& run;
    const int rows, cols;
    Line line;
    long long lineIndex = 0;
    bool lastWasLineEnd = false;
    std::vector<long long> lengths; // of the lines that terrain.txt has too; -1 with a drop
    std::vector<Place> starts;      // of the start cells: the first four and the last
    long long startCount = 0;
    Cell lastStart;
};

// A model file's text, for quoting its numbers and naming their lines.
struct ModelText {
    std::string bytes;
    std::vector<long long> starts{0}; // each line's first byte

    explicit ModelText(std::string content) : bytes(std::move(content))
    {
        for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
            starts.push_back(static_cast<long long>(at) + 1);
    }
    long long size() const { return static_cast<long long>(bytes.size()); }
    long long lineOf(long long offset) const // from 1
    {
        return std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin();
    }
    Place placeOf(long long offset) const
    {
        const long long line = lineOf(offset);
        return {line, offset - starts[line - 1] + 1};
    }
    // Formatted input skips white space in front of a number, and stops at white space.
    long long start(long long at) const
    {
        while (at < size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        return at;
    }
    std::string token(long long at) const
    {
        return bytes
            .substr(at, std::min<size_t>(bytes.find_first_of(" \t\n\v\f\r", at), bytes.size()) - at)
            .substr(0, 24);
    }
};

// A model file, as the model rule reads it: where each number the game takes stands, and
// what the mesh keeps of it.
class ModelCheck {
  public:
    ModelCheck(CheckRun& run, WorldFile file, std::string bytes)
        : run(run), file(file), text(std::move(bytes))
    {
    }

    void faceCount(int count, const ModelNumberRead& read)
    {
        countAt = cornersAt = text.start(read.before);
        faces = count;
        complete = read.converted;
        previousEnd = text.lineOf(read.after - 1);
        lastAfter = read.after;
        if (text.bytes.compare(0, byteOrderMarkLength, byteOrderMark) == 0)
            add(0, S::Warning, "byte-order mark",
                std::string(byteOrderMarkIntro) +
                    "the game's reader takes them for text where the face count belongs, so the "
                    "count reads as 0 and the model has no faces: it draws nothing");
        else if (!read.converted)
            add(countAt < text.size() ? countAt : -1, S::Error, "not numbers",
                countAt < text.size()
                    ? format("'%s' is not a number: the face count reads as 0, so "
                             "the model has no faces",
                             text.token(countAt).c_str())
                    : "the file holds no numbers: the model has no faces");
        else if (faces <= 0)
            add(countAt, S::Warning, "empty models",
                format("the face count is %d: the model has no faces", faces));
    }
    void colour(int face, const float*, const ModelNumberRead* reads)
    {
        const long long at = text.start(reads[0].before);
        layout(at, "the colour of " + faceName(face), reads[2]);
        const double v[3] = {reads[0].value, reads[1].value, reads[2].value};
        if (std::any_of(v, v + 3, [](double c) { return !(c >= 0 && c <= 1); }) && colours++ == 0) {
            colourAt = at;
            colourMessage =
                format("the colour %g %g %g of face %d lies outside 0 to 1, and OpenGL clamps it "
                       "to %g %g %g: colours are fractions of full brightness, not 0 to 255",
                       v[0], v[1], v[2], face + 1, std::clamp(v[0], 0.0, 1.0),
                       std::clamp(v[1], 0.0, 1.0), std::clamp(v[2], 0.0, 1.0));
        }
    }
    void cornerCount(int face, int count, const ModelNumberRead& read)
    {
        const long long at = text.start(read.before);
        layout(at, "the corner count of " + faceName(face), read);
        corners = count;
        cornersAt = at;
        ++facesKept;
        cornersKept = 0;
    }
    void corner(int face, int corner, const float* p, const ModelNumberRead* reads)
    {
        const long long at = text.start(reads[0].before);
        const std::string name = cornerName(face, corner);
        layout(at, name, reads[2]);
        if (corner < 3) std::copy(p, p + 3, firstCorners[corner]);
        ++cornersKept;
        float normal[3];
        if (!cornerTold && !(std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2])) &&
            (cornerTold = true))
            add(at, S::Warning, "non-finite corners",
                name + " has a coordinate that is not a finite number: the face cannot "
                       "draw where it is meant to");
        if (corner == 2 && !cornerTold &&
            !faceNormal(firstCorners[0], firstCorners[1], firstCorners[2], normal))
            add(at, S::Warning, "degenerate faces",
                format("the first three corners of %s lie on one line or coincide: the "
                       "face gets the normal (0, 0, 1), so lighting shades it as if it "
                       "faced straight up",
                       faceName(face).c_str()));
    }
    // The face is whole: a polygon the game draws?
    void faceEnd(int face)
    {
        const std::string name = faceName(face);
        const int drawn = static_cast<int8_t>(cornersKept);
        if (corners < 3)
            add(cornersAt, S::Warning, "too few corners",
                corners <= 0 ? format("%s has %d corners: it draws nothing", name.c_str(), corners)
                             : format("%s has only %s, too few for a polygon: it draws nothing",
                                      name.c_str(), plural(corners, "corner", "corners").c_str()));
        else if (cornersKept > 127)
            add(cornersAt, S::Error, "limits",
                format("%s has %lld corners, more than the game counts in 8 bits: it keeps "
                       "%d and draws %s",
                       name.c_str(), cornersKept, drawn,
                       drawn > 0 ? format("only the first %d", drawn).c_str() : "none of them"));
    }
    void stopped(const ModelNumberRead& read)
    {
        complete = false;
        const long long bad = text.start(read.before);
        const std::string kept = plural(facesKept, "face", "faces");
        const std::string face = faceName(read.face);
        if (bad < text.size()) {
            const char* const parts[] = {"", "red", "green", "blue", "", "x", "y", "z"};
            add(bad, S::Error, "not numbers",
                format(
                    "'%s' is not a number, where %s belongs: the reader stops here, and "
                    "the model keeps %s",
                    text.token(bad).c_str(),
                    read.what == ModelNumber::CornerCount
                        ? ("the corner count of " + face).c_str()
                        : format(
                              "the %s of %s", parts[static_cast<int>(read.what)],
                              (read.corner < 0 ? face : cornerName(read.face, read.corner)).c_str())
                              .c_str(),
                    kept.c_str()));
        } else if (read.corner < 0) {
            add(countAt, S::Error, "counts past the end",
                format("the face count is %d, but the file ends after %s: the model has %s", faces,
                       kept.c_str(), kept.c_str()));
        } else {
            add(cornersAt, S::Error, "counts past the end",
                format("%s has %d corners by its count, but the file ends after %s", face.c_str(),
                       corners, plural(read.corner, "corner", "corners").c_str()) +
                    (read.face + 1 < faces
                         ? "; the face count promised " +
                               plural(faces - read.face - 1, "more face", "more faces")
                         : ""));
        }
    }
    // After the rule: what the whole model keeps.
    void finish()
    {
        if (colours > 0)
            add(colourAt, S::Warning, "colours",
                colourMessage + more(colours, colours == 2 ? "face like this" : "faces like this"));
        const int16_t faceCount = static_cast<int16_t>(facesKept);
        if (facesKept > 32767)
            add(countAt, S::Error, "limits",
                format("the model has %lld faces, more than the game counts in 16 bits: it "
                       "keeps %d and draws %s",
                       facesKept, faceCount,
                       faceCount > 0 ? format("only the first %d", faceCount).c_str()
                                     : "none of them"));
        const long long rest = text.start(lastAfter);
        if (complete && faces > 0 && rest < text.size())
            add(rest, S::Warning, "text after the last face",
                format("the face count is %d, so the reader stops after face %d: this text is "
                       "not read; is the count too small?",
                       faces, faces));
    }

  private:
    static std::string faceName(int face) { return format("face %d", face + 1); }
    static std::string cornerName(int face, int corner)
    {
        return format("corner %d of face %d", corner + 1, face + 1);
    }
    // A finding at a byte of the file, or about the whole file (offset -1).
    void add(long long offset, S severity, const char* kind, std::string message)
    {
        run.add(file, offset < 0 ? wholeFile : text.placeOf(offset), severity, kind,
                std::move(message));
    }
    // A whole colour, corner count or corner, whose first number starts at `at` and whose
    // last is `last`: each belongs on a line of its own.
    void layout(long long at, const std::string& role, const ModelNumberRead& last)
    {
        lastAfter = last.after;
        if (!layoutTold && text.lineOf(at) == previousEnd && (layoutTold = true))
            add(at, S::Warning, "layout",
                format("%s starts on the line of %s: the reader takes the numbers in "
                       "order, not by lines, so a line with a number too many or too few "
                       "shifts everything after it, and later findings in this file may "
                       "follow from it",
                       role.c_str(), previousRole.c_str()));
        previousRole = role;
        previousEnd = text.lineOf(last.after - 1);
    }

    CheckRun& run;
    WorldFile file;
    ModelText text;
    int faces = 0, corners = 0; // the face count, the current face's corner count
    long long facesKept = 0, cornersKept = 0;
    long long countAt = 0, cornersAt = 0, colourAt = 0, colours = 0, lastAfter = 0;
    long long previousEnd = 0;
    std::string previousRole = "the face count", colourMessage;
    bool layoutTold = false, cornerTold = false, complete = false;
    float firstCorners[3][3] = {};
};

// The whole bytes of a stream, which it closes; false when there is none.
bool readAll(std::FILE* in, std::string& bytes)
{
    if (!in) return false;
    char buffer[1 << 16];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
    std::fclose(in);
    return true;
}

// What the instances of a model lose when its file is missing.
std::string missingModel(const CheckRun& run, WorldFile file)
{
    const int kind = objectKindWith(file);
    if (kind < 0) return "the people draw nothing, though they can still be rescued";
    const char* name = objectKinds[kind].name;
    const char* map = worldFileName(WorldFile::Objects);
    const long long count = run.placed[kind];
    if (count == 0) return format("no %s stands in %s, so nothing shows it yet", name, map);
    return (count == 1 ? format("the one %s of %s draws nothing", name, map)
                       : format("the %lld %ss of %s draw nothing", count, name, map)) +
           (objectKinds[kind].solid ? ", though they still flatten their cells and block the player"
                                    : "");
}

// The free cells at height 5 left for the people, by the test the game places them with.
void checkPeople(CheckRun& run)
{
    LoadedWorld& world = run.report.world;
    long long places = 0, covered = 0;
    for (uint8_t record : world.cells) {
        const float centre = levelHeight(picture::recordLevel(record));
        const bool hasObject = picture::recordObject(record) >= 0;
        places += canHoldPerson(centre, hasObject);
        covered += canHoldPerson(centre, false) && hasObject;
    }
    world.peoplePlaces = places;
    const char* what = "at height 5 (terrain digit 1 without a cube, pyramid or tree)";
    if (places >= 5)
        run.add(WorldFile::Terrain, wholeFile, S::Note, "people",
                format("%lld free cells %s can hold the 5 people", places, what));
    else if (world.cols > 0)
        run.add(WorldFile::Terrain, wholeFile, S::Error, "people",
                (places == 0 ? format("no free cell lies %s: the game places no people, and there "
                                      "is no one to rescue",
                                      what)
                             : format("only %s %s: the game places %lld, not 5",
                                      plural(places, "free cell lies", "free cells lie").c_str(),
                                      what, places)) +
                    (covered > 0 ? "; objects stand on " + plural(covered, "more cell of digit 1",
                                                                  "more cells of digit 1")
                                 : ""));
}

// The four raw textures, read as the game reads them into one staging buffer that keeps the
// bytes of the loads before, so that a short file shows what they left.
void checkTextures(CheckRun& run)
{
    const char* const bands[4] = {"the water band (digit 0 and every non-digit)",
                                  "the dirt band (digits 6 to 8)", "the grass band (digits 1 to 5)",
                                  "the snow band (digit 9)"};
    TextureStaging staging = {}; // zeroed once, as the game's load does
    std::vector<int> source{-1}; // from front to back, the file each span of the buffer came from
    std::vector<long> ends{textureBytes};
    for (int i = 0; i < 4; ++i) {
        const WorldFile file = textureLoadOrder[i];
        StreamCloser in(run.files.open(file));
        const long read = readRawTexture(in.get(), staging);
        if (read < 0) {
            run.add(file, wholeFile, S::Error, "missing file",
                    format("cannot open the file: %s shows no texture image when textures are on",
                           bands[i]));
            continue;
        }
        while (!ends.empty() && ends.front() <= read)
            ends.erase(ends.begin()), source.erase(source.begin());
        if (read > 0) ends.insert(ends.begin(), read), source.insert(source.begin(), i);
        std::string left;
        for (size_t k = read > 0; k < source.size(); ++k)
            left += (left.empty() ? "" : ", then ") +
                    (source[k] < 0
                         ? std::string("black zeros")
                         : format("the bytes of %s", worldFileName(textureLoadOrder[source[k]])));
        std::fseek(in.get(), 0, SEEK_END);
        const long long size = std::ftell(in.get()), extra = size - textureBytes;
        const long long side = std::llround(std::sqrt(static_cast<double>(size / 3)));
        std::rewind(in.get());
        if (std::fgetc(in.get()) == 'P' && std::fgetc(in.get()) == '6')
            run.add(
                file, wholeFile, S::Warning, "not raw",
                "the file starts like a PPM image ('P6'): the game reads bare bytes, red, green "
                "and blue for each texel, with no header, so the header's bytes shift every texel");
        else if (size < textureBytes)
            run.add(
                file, wholeFile, S::Warning, "short textures",
                format("the file has %lld bytes, %lld short of a 64 x 64 RGB image (%d bytes): "
                       "from row %lld, column %lld of the image on, %s shows %s",
                       size, -extra, textureBytes, size / 3 / 64 + 1, size / 3 % 64 + 1, bands[i],
                       source.back() < 0 && source.size() == 1u + (read > 0)
                           ? "black: the zeros of the shared buffer, which no earlier load reached"
                           : ("what earlier loads left in the shared buffer: " + left).c_str()));
        else if (extra > 0 && size % 3 == 0 && side * side * 3 == size)
            run.add(file, wholeFile, S::Warning, "long textures",
                    format("the file has %lld bytes, as a %lld x %lld RGB image has: the game "
                           "reads only its first %d bytes as a 64 x 64 image, so the picture comes "
                           "out cut and skewed",
                           size, side, side, textureBytes));
        else if (extra > 0)
            run.add(
                file, wholeFile, extra < 64 * 3 ? S::Note : S::Warning, "long textures",
                extra < 64 * 3
                    ? format("the file has %lld bytes, %lld more than a 64 x 64 RGB image: the "
                             "extra bytes at its end are ignored",
                             size, extra)
                    : format(
                          "the file has %lld bytes, %lld more than a 64 x 64 RGB image (%d bytes): "
                          "the game reads only the first %d, and the rest of the picture is lost",
                          size, extra, textureBytes, textureBytes));
    }
}

// terrain.txt measured and read, the cells kept; false when the game cannot load the world,
// with the finding that says why.
bool checkTerrain(CheckRun& run)
{
    LoadedWorld& world = run.report.world;
    StreamCloser measured(run.files.open(WorldFile::Terrain));
    StreamCloser quiet(platform::openNullOutput());
    if (!measureTerrain(measured.get(), quiet.get(), world.rows, world.cols)) {
        run.add(WorldFile::Terrain, wholeFile, S::Error, "missing file",
                "cannot open the file: the game has no map to build and exits with status 1");
        return false;
    }
    const long long cells = static_cast<long long>(world.rows) * world.cols;
    bool fits = terrainFits(world.rows, world.cols);
    if (fits) {
        try {
            world.cells.assign(static_cast<size_t>(cells), picture::cellRecord(0, -1));
        } catch (const std::bad_alloc&) {
            fits = false;
        }
    }
    if (!fits) {
        run.add(
            WorldFile::Terrain, wholeFile, S::Error, "map too large",
            format("the map is %d rows by %d columns, %lld cells: the game %s and exits "
                   "with status 1",
                   world.rows, world.cols, cells,
                   terrainFits(world.rows, world.cols) ? "cannot find the memory for them"
                   : cells > maxTerrainCells
                       ? format("refuses more than %lld cells", maxTerrainCells).c_str()
                       : format("refuses more than %lld rows, even of no cells,", maxTerrainCells)
                             .c_str()));
        return false;
    }
    if (world.cols == 0)
        run.add(WorldFile::Terrain, {1, 1}, S::Error, "no columns",
                world.rows == 1 ? "the file is empty: the grid has no cells, and the player starts "
                                  "in empty space"
                                : "the first line is empty, and its length sets the width of the "
                                  "grid: there are "
                                  "no cells, and nothing of the map is used");
    const bool marked = startsWithMark(run.files, WorldFile::Terrain);
    if (marked)
        run.add(WorldFile::Terrain, {1, 1}, S::Warning, "byte-order mark",
                std::string(byteOrderMarkIntro) +
                    "the game reads them as three characters that are no digits, so the first "
                    "3 cells of row 1 are water, and the first line, whose length sets the width "
                    "of the grid, is 3 characters longer than it looks",
                0, 0);
    StreamCloser in(run.files.open(WorldFile::Terrain));
    ByteReader reader(in.get());
    TerrainCheck terrain(run, marked);
    readLevels(reader, world.cols, noRowBound, terrain);
    terrain.finish();
    return true;
}

// objects.txt read onto the kept cells, the start set as the game sets it.
void checkObjects(CheckRun& run)
{
    StreamCloser in(run.files.open(WorldFile::Objects));
    ObjectCheck objects(run);
    if (!in.get()) {
        objects.setStart();
        run.add(WorldFile::Objects, wholeFile, S::Warning, "missing file",
                "cannot open the file: the world has no cubes, pyramids or trees, and " +
                    defaultStart(run.report.world));
        return;
    }
    const int cols = run.report.world.cols;
    if (cols > 0 && startsWithMark(run.files, WorldFile::Objects))
        run.add(WorldFile::Objects, {1, 1}, S::Warning, "byte-order mark",
                std::string(byteOrderMarkIntro) +
                    (cols >= byteOrderMarkLength
                         ? "the game reads them as three empty cells at the start of row 1, so "
                           "everything on the first line, objects and start alike, stands 3 "
                           "columns further east than written"
                         : format("the game reads them as bytes of the first line, empty cells "
                                  "or, past the %s of a row, dropped ones, so the line's own "
                                  "bytes come 3 places later than written",
                                  cols == 1 ? "one column" : "two columns")),
                0, 0);
    ByteReader reader(in.get());
    readObjectMap(reader, cols, noRowBound, objects);
    objects.finish();
}

} // namespace

int LoadedWorld::level(int row, int col) const
{
    return picture::recordLevel(cells[static_cast<size_t>(row) * cols + col]);
}

int LoadedWorld::object(int row, int col) const
{
    return picture::recordObject(cells[static_cast<size_t>(row) * cols + col]);
}

long long WorldReport::count(Severity severity) const
{
    long long sum = 0;
    for (const KindTotal& total : totals) sum += total.severity == severity ? total.total : 0;
    return sum;
}

WorldReport checkWorld(WorldSource& files)
{
    CheckRun run(files);
    LoadedWorld& world = run.report.world;
    world.loaded = checkTerrain(run);
    if (world.loaded) {
        checkObjects(run);
        checkPeople(run);
    }
    // The game reads no model without a grid; their authors still hear of their faults.
    for (WorldFile file : modelLoadOrder) {
        // The bytes for quoting them, and a stream of its own for the rule.
        std::string bytes;
        const bool opened = readAll(files.open(file), bytes);
        StreamCloser in(opened ? files.open(file) : nullptr);
        if (!in.get()) {
            run.add(file, wholeFile, S::Error, "missing file",
                    "cannot open the file: " + missingModel(run, file));
            continue;
        }
        ModelCheck model(run, file, std::move(bytes));
        readModel(in.get(), model);
        model.finish();
    }
    checkTextures(run);
    // Files in load order; in each, by position, and findings about the whole file last.
    auto rank = [](const Finding& f) {
        int i = 0;
        while (i < worldFileCount && f.file != worldFileName(static_cast<WorldFile>(i))) ++i;
        return std::make_tuple(i, f.line == 0, f.line, f.column);
    };
    std::stable_sort(run.report.findings.begin(), run.report.findings.end(),
                     [&](const Finding& a, const Finding& b) { return rank(a) < rank(b); });
    return std::move(run.report);
}

WorldReport checkWorld(const std::string& folder)
{
    FolderWorld files(folder);
    return checkWorld(files);
}

std::string formatFinding(const std::string& folder, const Finding& finding)
{
    return shownPath(folder, finding.file) +
           (finding.line > 0 ? format(":%lld:%lld", finding.line, finding.column) : "") + ": " +
           severityName(finding.severity) + ": " + finding.message;
}

std::string summaryLine(const std::string& folder, const WorldReport& report)
{
    const LoadedWorld& world = report.world;
    return "checked " + folder + ": " +
           (world.loaded
                ? format("%d rows x %d columns, start (%d, %d, %d), %lld places for people",
                         world.rows, world.cols, world.start.x, world.start.y, world.start.z,
                         world.peoplePlaces)
                : "the game cannot load this world") +
           "; " + plural(report.count(S::Error), "error", "errors") + ", " +
           plural(report.count(S::Warning), "warning", "warnings") + ", " +
           plural(report.count(S::Note), "note", "notes");
}

int exitStatus(const WorldReport& report)
{
    return report.count(S::Error) + report.count(S::Warning) > 0 ? 1 : 0;
}

void printReport(std::FILE* out, const std::string& folder, const WorldReport& report, bool all)
{
    const std::vector<KindTotal>& totals = report.totals;
    const std::vector<Finding>& findings = report.findings;
    std::vector<long long> shown(totals.size(), 0);
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        const size_t k = std::find_if(totals.begin(), totals.end(),
                                      [&](const KindTotal& t) {
                                          return t.file == f.file && t.kind == f.kind &&
                                                 t.severity == f.severity;
                                      }) -
                         totals.begin();
        if (all || shown[k] < shownPerKind)
            ++shown[k], std::fprintf(out, "%s\n", formatFinding(folder, f).c_str());
        if (i + 1 < findings.size() && findings[i + 1].file == f.file) continue;
        // After the last finding of a file, a line for each of its kinds with some not shown.
        for (size_t t = 0; t < totals.size(); ++t) {
            if (totals[t].file != f.file || totals[t].total <= shown[t]) continue;
            const std::string more = std::string("more ") + severityName(totals[t].severity);
            std::fprintf(
                out, "%s: %s (%s) not shown%s\n", shownPath(folder, f.file).c_str(),
                plural(totals[t].total - shown[t], more.c_str(), (more + "s").c_str()).c_str(),
                totals[t].kind.c_str(), all ? "" : "; --all shows them");
        }
    }
    std::fprintf(out, "%s\n", summaryLine(folder, report).c_str());
}

} // namespace checker
