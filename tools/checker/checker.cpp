// The whole check of a world folder: the game's load of it with each file's reader watched
// by a check of that file, then the report: a line a finding, a summary, the exit status.
#include "tools/checker/checker.h"

#include "models/face_normal.h"
#include "models/person.h"
#include "platform/files.h"
#include "terrain/byte_reader.h"
#include "terrain/texture.h"
#include "terrain/world.h"
#include "terrain/world_source.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// A text file of the world with its lines as the game's readers end them (LF, or CR LF).
struct FileText {
    std::string bytes;
    std::vector<long long> starts{0}, lengths{0}; // each line's first byte and length
    bool endsWithLineEnd = false;                 // then the last line is the empty one after it

    explicit FileText(std::string content) : bytes(std::move(content))
    {
        std::FILE* in = bytes.empty() ? nullptr : platform::openBytes(bytes.data(), bytes.size());
        ByteReader reader(in);
        for (int c; (c = reader.get()) != EOF;) {
            endsWithLineEnd = c == '\n';
            if (!endsWithLineEnd) {
                ++lengths.back();
                continue;
            }
            // The next line starts after the LF, or after the CR LF pair read as one.
            starts.push_back(reader.offset() + (bytes[reader.offset()] == '\r' ? 2 : 1));
            lengths.push_back(0);
        }
        if (in) std::fclose(in);
    }
    long long lineOf(long long offset) const // from 1
    {
        return std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin();
    }
    // How many lines hold text: not the empty one after a final line end.
    long long count() const { return static_cast<long long>(starts.size()) - endsWithLineEnd; }
};

// One check of one world folder; its files by their WorldFile number.
struct CheckRun {
    std::string folder;
    WorldReport report;
    MemoryWorld files;           // the maps and models as read, for the game's load
    std::vector<FileText> texts; // the same, with their lines
    bool present[6] = {};        // which of them opened
    const WorldLoad* load = nullptr;
    long long placed[3] = {0, 0, 0}; // pyramids, cubes and trees

    // A finding at a byte of a text file, or about the whole file (offset -1); it may name a
    // cell. Null past listedPerKind.
    Finding* add(int file, long long offset, S severity, const char* kind, std::string message,
                 int row = -1, int col = -1)
    {
        const char* name = worldFileName(static_cast<WorldFile>(file));
        auto total =
            std::find_if(report.totals.begin(), report.totals.end(), [&](const KindTotal& t) {
                return t.file == name && t.kind == kind && t.severity == severity;
            });
        if (total == report.totals.end())
            total = report.totals.insert(report.totals.end(), KindTotal{name, kind, severity, 0});
        if (++total->total > listedPerKind) return nullptr;
        const long long line = offset < 0 ? 0 : texts[file].lineOf(offset);
        const long long column = offset < 0 ? 0 : offset - texts[file].starts[line - 1] + 1;
        report.findings.push_back(Finding{name, kind, message, line, column, severity, row, col});
        return &report.findings.back();
    }
};

std::string defaultStart(const TerrainGrid& grid)
{
    return format("the player starts above the middle cell (row %d, column %d) at height %d",
                  grid.rows / 2 + 1, grid.cols / 2 + 1, grid.startZ);
}

// terrain.txt: every line against the first, which sets the width of the grid, and every
// character where the game's reader puts it.
class TerrainCheck final : public HeightsObserver {
  public:
    explicit TerrainCheck(CheckRun& run) : run(run), lines(run.texts[0].starts.size()) {}
    void cell(long long offset, int c, int row, int col) override
    {
        Line& l = lines[run.texts[0].lineOf(offset) - 1];
        l.lastRow = row;
        if (row >= run.load->rows && below < 0) below = offset;
        if (row < run.load->rows && !std::isdigit(c) && l.odd++ == 0)
            l.odd0 = offset, l.oddRow = row, l.oddCol = col;
    }
    void lineEnd(long long offset, int nextRow) override
    {
        lines[run.texts[0].lineOf(offset)].startRow = nextRow; // of the next line, from 0
    }
    void report()
    {
        const long long rows = run.load->rows, cols = run.load->cols;
        const FileText& text = run.texts[0];
        if (cols == 0)
            run.add(0, 0, S::Error, "no columns",
                    rows == 1 ? "the file is empty: the grid has no cells, and the player starts "
                                "in empty space"
                              : "the first line is empty, and its length sets the width of the "
                                "grid: there are "
                                "no cells, and nothing of the map is used");
        for (size_t i = 0; i < lines.size() && cols > 0; ++i) {
            const Line& l = lines[i];
            const long long length = text.lengths[i], wraps = l.lastRow - l.startRow,
                            row = l.startRow + 1;
            if (l.odd > 0)
                run.add(0, l.odd0, S::Warning, "non-digit characters",
                        format("%s is not a digit: its cell (row %d, column %d) is water, level 0",
                               describe(text.bytes[l.odd0]).c_str(), l.oddRow + 1, l.oddCol + 1) +
                            more(l.odd, "on this line"),
                        l.oddRow, l.oddCol);
            const bool finalEmptyLine = text.endsWithLineEnd && i + 1 == lines.size();
            if (i == 0 || l.startRow >= rows) continue;
            if (length > cols)
                run.add(0, text.starts[i] + cols, S::Warning, "long lines",
                        format("the line has %lld characters, the first line %lld: the characters "
                               "from here on "
                               "continue at the start of row %lld, and every later line is read %s "
                               "lower%s",
                               length, cols, row + 1,
                               wraps == 1 ? "one row" : format("%lld rows", wraps).c_str(),
                               length - wraps * cols < cols
                                   ? format(" (the rest of row %lld is water)", row + wraps).c_str()
                                   : ""),
                        row, 0);
            else if (finalEmptyLine && row == rows)
                run.add(0, text.starts[i - 1] + text.lengths[i - 1], S::Note, "final newline",
                        format("the file ends with a line end, which starts one more row: row "
                               "%lld, the last, is "
                               "all water",
                               rows),
                        row - 1, 0);
            else if (length < cols && !finalEmptyLine)
                run.add(0, text.starts[i] + length, S::Warning, "short lines",
                        length == 0
                            ? format("the line is empty: all of row %lld is water, level 0", row)
                            : format("the line has %s, the first line %lld: the last %s of row "
                                     "%lld %s water, level 0",
                                     plural(length, "character", "characters").c_str(), cols,
                                     cols - length == 1
                                         ? "cell"
                                         : format("%lld cells", cols - length).c_str(),
                                     row, cols - length == 1 ? "is" : "are"),
                        row - 1, length);
        }
        if (below >= 0 && cols > 0)
            run.add(0, below, S::Warning, "map below the grid",
                    format("long lines above push the map down: from here on it lies below the "
                           "last row (row "
                           "%lld), and the game does not read it",
                           rows));
    }

  private:
    struct Line {
        long long startRow = 0, lastRow = -1, odd = 0, odd0 = 0; // odd0: the first non-digit
        int oddRow = 0, oddCol = 0;
    };
    CheckRun& run;
    std::vector<Line> lines;
    long long below = -1; // the first byte that lands below the last row
};

// objects.txt: what the game's reader places where, the start cell, bytes lost past the
// grid, and the map's shape against the terrain's.
class ObjectCheck final : public ObjectMapObserver {
  public:
    explicit ObjectCheck(CheckRun& run) : run(run), lines(run.texts[1].starts.size()) {}
    void byte(long long offset, int c, int row, int col, ObjectByte what) override
    {
        const long long line = run.texts[1].lineOf(offset);
        Line& l = lines[line - 1];
        if (offset == run.texts[1].starts[line - 1]) l.startRow = row;
        if (what == ObjectByte::Dropped) {
            if (l.drops++ == 0) l.drop0 = offset;
            l.lost += objectFor(c) != ObjectByte::Empty;
        } else if (what == ObjectByte::Start) {
            if (startCount++ >= 5) starts.pop_back();
            starts.push_back(offset);
        } else if (what != ObjectByte::Empty) {
            run.report.world.objects.resize(static_cast<size_t>(run.load->rows) * run.load->cols);
            run.report.world.objects[static_cast<size_t>(row) * run.load->cols + col] = what;
            ++run.placed[static_cast<int>(what) - 1];
        } else if (std::isalpha(c) && l.unknown++ == 0) {
            l.unknown0 = offset;
        }
    }
    void unread(long long offset, int c) override
    {
        Line& l = lines[run.texts[1].lineOf(offset) - 1];
        if (objectFor(c) != ObjectByte::Empty && l.outside++ == 0) l.outside0 = offset;
    }
    void report()
    {
        const TerrainGrid& grid = *run.report.world.grid;
        const FileText& text = run.texts[1];
        const char* const names[] = {"", "pyramid", "cube", "tree", "start cell"};
        std::vector<long long> lengths(text.lengths.begin(), text.lengths.begin() + text.count());
        if (grid.cols == 0) return; // every byte is dropped; the terrain's finding says why
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            const long long dropColumn = l.drop0 - text.starts[i] + 1, next = l.startRow + 2;
            const std::string dropped = describe(text.bytes[l.drop0]);
            if (l.drops > 0 && i < lengths.size()) lengths[i] = -1;
            if (l.drops > 0)
                run.add(
                    1, l.drop0, S::Warning, "long lines",
                    format("the line has %lld bytes but the grid has %d columns: ", text.lengths[i],
                           grid.cols) +
                        (l.drops > 1 ? format("%lld bytes are dropped, the first byte %lld (%s); "
                                              "the bytes after "
                                              "each fill the next row from column 1",
                                              l.drops, dropColumn, dropped.c_str())
                         : dropColumn == text.lengths[i]
                             ? format("byte %lld (%s) is dropped, which leaves row %lld empty",
                                      dropColumn, dropped.c_str(), next)
                             : format("byte %lld (%s) is dropped, the bytes after it fill row %lld "
                                      "from column 1",
                                      dropColumn, dropped.c_str(), next)) +
                        format(", and every later line is read %s lower",
                               l.drops == 1 ? "one row" : format("%lld rows", l.drops).c_str()) +
                        (l.lost > 0
                             ? "; " + plural(l.lost, "object letter is", "object letters are") +
                                   " lost with the dropped bytes"
                             : ""),
                    static_cast<int>(next - 1), 0);
            const unsigned char outside = text.bytes[l.outside0];
            if (l.outside > 0)
                run.add(1, l.outside0, S::Warning, "objects off the grid",
                        format("%s lies below the last row of the grid (row %d): the game stops "
                               "reading before "
                               "it, so this %s is not placed",
                               describe(outside).c_str(), grid.rows,
                               names[static_cast<int>(objectFor(outside))]) +
                            more(l.outside, "object letters on this line"));
            if (l.unknown > 0)
                run.add(1, l.unknown0, S::Note, "unknown letters",
                        format("%s is not an object letter (A pyramid, C cube, T tree, X start): "
                               "its cell stays "
                               "empty",
                               describe(text.bytes[l.unknown0]).c_str()) +
                            more(l.unknown, "on this line"));
        }
        if (startCount == 0)
            run.add(1, -1, S::Warning, "start cell",
                    "there is no start cell ('X') in the grid: " + defaultStart(grid));
        std::string others;
        for (size_t i = 0; i + 1 < starts.size(); ++i)
            others += format("%s%lld:%lld", i ? ", " : "", text.lineOf(starts[i]),
                             starts[i] - text.starts[text.lineOf(starts[i]) - 1] + 1);
        if (startCount > 1)
            run.add(1, starts.back(), S::Warning, "start cell",
                    format("%lld start cells ('X'): the last one read wins, so the player starts "
                           "here (row %d, "
                           "column %d); the others are ignored (%s%s)",
                           startCount, grid.startX / 10 + 1, grid.startY / 10 + 1, others.c_str(),
                           startCount > static_cast<long long>(starts.size()) ? ", ..." : ""),
                    grid.startX / 10, grid.startY / 10);
        // The shape against the terrain's lines; long lines have their own finding already.
        const FileText& terrain = run.texts[0];
        const long long count = text.count(), terrainCount = terrain.count();
        for (long long i = 0; i < std::min(count, terrainCount); ++i)
            if (lengths[i] >= 0 && lengths[i] != terrain.lengths[i])
                run.add(1, text.starts[i] + std::min(lengths[i], terrain.lengths[i]), S::Warning,
                        "shape",
                        format("the line has %s, line %lld of terrain.txt %lld: the object map "
                               "does not match the "
                               "terrain cell for cell",
                               plural(lengths[i], "byte", "bytes").c_str(), i + 1,
                               terrain.lengths[i]));
        if (count != terrainCount)
            run.add(1,
                    count > terrainCount ? text.starts[terrainCount]
                                         : text.starts[count - 1] + std::max(0LL, lengths.back()),
                    S::Warning, "shape",
                    format("the map has %lld lines, terrain.txt %lld: %s", count, terrainCount,
                           count > terrainCount
                               ? "from here on no terrain line matches"
                               : "the cells of the lines missing here hold no objects"));
    }

  private:
    struct Line { // each count with the offset of its first byte
        long long startRow = 0, drops = 0, drop0 = 0, lost = 0, outside = 0, outside0 = 0,
                  unknown = 0, unknown0 = 0;
    };
    CheckRun& run;
    std::vector<Line> lines;
    std::vector<long long> starts; // offsets of the start cells: the first four and the last
    long long startCount = 0;
};

// A model file: where each number the game's reader took stands, and what the mesh kept.
class ModelCheck final : public ModelObserver {
  public:
    ModelCheck(CheckRun& run, int index) : run(run), file(2 + index) {}
    void number(const ModelNumberRead& read) override { reads.push_back(read); }
    void report(const Mesh* mesh)
    {
        const std::string& bytes = run.texts[file].bytes;
        const long long size = bytes.size();
        // Formatted input skips white space in front of a number, and stops at white space.
        auto start = [&](long long at) {
            while (at < size && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
            return at;
        };
        auto token = [&](long long at) {
            return bytes
                .substr(at, std::min<size_t>(bytes.find_first_of(" \t\n\v\f\r", at), size) - at)
                .substr(0, 24);
        };
        auto lineOf = [&](long long at) { return run.texts[file].lineOf(at); };
        const std::string kept =
            plural(static_cast<long long>(mesh->faces.size()), "face", "faces");
        const long long countAt = start(reads[0].before);
        const int faces = static_cast<int>(reads[0].value);
        if (!reads[0].converted)
            run.add(file, countAt < size ? countAt : -1, S::Error, "not numbers",
                    countAt < size ? format("'%s' is not a number: the face count reads as 0, so "
                                            "the model has no faces",
                                            token(countAt).c_str())
                                   : "the file holds no numbers: the model has no faces");
        else if (faces <= 0)
            run.add(file, countAt, S::Warning, "empty models",
                    format("the face count is %d: the model has no faces", faces));
        const char* const parts[] = {"", "red", "green", "blue", "", "x", "y", "z"};
        std::string previousRole = "the face count", colour;
        long long previousEnd = lineOf(reads[0].after - 1), cornersAt = countAt, colourAt = 0,
                  colours = 0;
        bool layoutTold = false, cornerTold = false, complete = reads[0].converted;
        int corners = 0;
        size_t first = 0; // the first number of the colour, corner count or corner read last
        for (size_t i = 1; i < reads.size() && complete; ++i) {
            const ModelNumberRead& r = reads[i];
            const std::string face = format("face %d", r.face + 1),
                              corner = format("corner %d of %s", r.corner + 1, face.c_str());
            const bool count = r.what == ModelNumber::CornerCount;
            if (r.what == ModelNumber::Red || count || r.what == ModelNumber::X) first = i;
            const long long at = start(reads[first].before), bad = start(r.before);
            if (!(complete = r.converted) && bad < size)
                run.add(file, bad, S::Error, "not numbers",
                        format("'%s' is not a number, where %s belongs: the reader stops here, and "
                               "the model keeps %s",
                               token(bad).c_str(),
                               count ? ("the corner count of " + face).c_str()
                                     : format("the %s of %s", parts[static_cast<int>(r.what)],
                                              (r.corner < 0 ? face : corner).c_str())
                                           .c_str(),
                               kept.c_str()));
            else if (!complete)
                run.add(
                    file, r.corner < 0 ? countAt : cornersAt, S::Error, "counts past the end",
                    r.corner < 0
                        ? format(
                              "the face count is %d, but the file ends after %s: the model has %s",
                              faces, kept.c_str(), kept.c_str())
                        : format("%s has %d corners by its count, but the file ends after %s",
                                 face.c_str(), corners,
                                 plural(r.corner, "corner", "corners").c_str()) +
                              (r.face + 1 < faces
                                   ? "; the face count promised " +
                                         plural(faces - r.face - 1, "more face", "more faces")
                                   : ""));
            if (!complete || !(r.what == ModelNumber::Blue || count || r.what == ModelNumber::Z))
                continue;
            // A whole colour, corner count or corner: each belongs on a line of its own.
            const std::string role = count                         ? "the corner count of " + face
                                     : r.what == ModelNumber::Blue ? "the colour of " + face
                                                                   : corner;
            if (!layoutTold && lineOf(at) == previousEnd && (layoutTold = true))
                run.add(file, at, S::Warning, "layout",
                        format("%s starts on the line of %s: the reader takes the numbers in "
                               "order, not by lines, so a line with a number too many or too few "
                               "shifts everything after it, and later findings in this file may "
                               "follow from it",
                               role.c_str(), previousRole.c_str()));
            previousRole = role;
            previousEnd = lineOf(r.after - 1);
            if (r.what == ModelNumber::Blue) {
                const double v[3] = {reads[first].value, reads[first + 1].value, r.value};
                if (std::any_of(v, v + 3, [](double c) { return !(c >= 0 && c <= 1); }) &&
                    colours++ == 0)
                    colourAt = at,
                    colour = format(
                        "the colour %g %g %g of face %d lies outside 0 to 1, and OpenGL clamps it "
                        "to %g %g %g: colours are fractions of full brightness, not 0 to 255",
                        v[0], v[1], v[2], r.face + 1, std::clamp(v[0], 0.0, 1.0),
                        std::clamp(v[1], 0.0, 1.0), std::clamp(v[2], 0.0, 1.0));
                continue;
            }
            if (count) corners = static_cast<int>(r.value), cornersAt = at;
            // The face exists from its corner count on, and has this corner once it is read.
            const std::vector<Vertex>& p = mesh->faces[r.face].vertices;
            const float* q = count ? nullptr : p[r.corner].position;
            float normal[3];
            if (q && !cornerTold &&
                !(std::isfinite(q[0]) && std::isfinite(q[1]) && std::isfinite(q[2])) &&
                (cornerTold = true))
                run.add(file, at, S::Warning, "non-finite corners",
                        corner + " has a coordinate that is not a finite number: the face cannot "
                                 "draw where it is meant to");
            if (r.corner == 2 && !cornerTold &&
                !faceNormal(p[0].position, p[1].position, p[2].position, normal))
                run.add(file, at, S::Warning, "degenerate faces",
                        format("the first three corners of %s lie on one line or coincide: the "
                               "face gets the normal (0, 0, 1), so lighting shades it as if it "
                               "faced straight up",
                               face.c_str()));
            // Once the face is whole: a polygon the game draws?
            const int drawn = mesh->faces[r.face].vertexCount;
            if (count ? corners > 0 : r.corner + 1 < corners) continue;
            if (corners < 3)
                run.add(file, cornersAt, S::Warning, "too few corners",
                        corners <= 0
                            ? format("%s has %d corners: it draws nothing", face.c_str(), corners)
                            : format("%s has only %s, too few for a polygon: it draws nothing",
                                     face.c_str(), plural(corners, "corner", "corners").c_str()));
            else if (p.size() > 127)
                run.add(file, cornersAt, S::Error, "limits",
                        format("%s has %llu corners, more than the game counts in 8 bits: it keeps "
                               "%d and draws %s",
                               face.c_str(), static_cast<unsigned long long>(p.size()), drawn,
                               drawn > 0 ? format("only the first %d", drawn).c_str()
                                         : "none of them"));
        }
        if (colours > 0)
            run.add(file, colourAt, S::Warning, "colours",
                    colour + more(colours, colours == 2 ? "face like this" : "faces like this"));
        if (mesh->faces.size() > 32767)
            run.add(file, countAt, S::Error, "limits",
                    format("the model has %llu faces, more than the game counts in 16 bits: it "
                           "keeps %d and draws %s",
                           static_cast<unsigned long long>(mesh->faces.size()), mesh->faceCount,
                           mesh->faceCount > 0
                               ? format("only the first %d", mesh->faceCount).c_str()
                               : "none of them"));
        if (complete && faces > 0 && start(reads.back().after) < size)
            run.add(file, start(reads.back().after), S::Warning, "text after the last face",
                    format("the face count is %d, so the reader stops after face %d: this text is "
                           "not read; is the count too small?",
                           faces, faces));
    }

  private:
    CheckRun& run;
    int file;
    std::vector<ModelNumberRead> reads;
};

// What the instances of a model lose when its file is missing.
std::string missingModel(const CheckRun& run, int file)
{
    if (file == 5) return "the people draw nothing, though they can still be rescued";
    const char* name = file == 2 ? "cube" : file == 3 ? "pyramid" : "tree";
    const long long count = run.placed[file == 2 ? 1 : file == 3 ? 0 : 2];
    if (count == 0) return format("no %s stands in objects.txt, so nothing shows it yet", name);
    return (count == 1 ? format("the one %s of objects.txt draws nothing", name)
                       : format("the %lld %ss of objects.txt draw nothing", count, name)) +
           (file == 4 ? "" : ", though they still flatten their cells and block the player");
}

// The free cells at height 5 left for the people.
void checkPeople(CheckRun& run)
{
    const TerrainGrid& grid = *run.report.world.grid;
    const long long places = countPeoplePlaces(grid);
    long long covered = 0;
    for (int row = 0; row < grid.rows; ++row)
        for (int col = 0; col < grid.cols; ++col)
            covered += grid.cells[row][col]->vertices[SlotCentre].position[2] == 5.0f &&
                       run.report.world.objects[size_t(row) * grid.cols + col] != ObjectByte::Empty;
    const char* what = "at height 5 (terrain digit 1 without a cube, pyramid or tree)";
    if (places >= 5)
        run.add(0, -1, S::Note, "people",
                format("%lld free cells %s can hold the 5 people", places, what));
    else if (grid.cols > 0)
        run.add(0, -1, S::Error, "people",
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
        const int file = static_cast<int>(textureLoadOrder[i]);
        StreamCloser in(
            platform::openFile(shownPath(run.folder, worldFileName(textureLoadOrder[i])), "rb"));
        const long read = readRawTexture(in.get(), staging);
        if (read < 0) {
            run.add(file, -1, S::Error, "missing file",
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
                file, -1, S::Warning, "not raw",
                "the file starts like a PPM image ('P6'): the game reads bare bytes, red, green "
                "and blue for each texel, with no header, so the header's bytes shift every texel");
        else if (size < textureBytes)
            run.add(
                file, -1, S::Warning, "short textures",
                format("the file has %lld bytes, %lld short of a 64 x 64 RGB image (%d bytes): "
                       "from row %lld, column %lld of the image on, %s shows %s",
                       size, -extra, textureBytes, size / 3 / 64 + 1, size / 3 % 64 + 1, bands[i],
                       source.back() < 0 && source.size() == 1u + (read > 0)
                           ? "black: the zeros of the shared buffer, which no earlier load reached"
                           : ("what earlier loads left in the shared buffer: " + left).c_str()));
        else if (extra > 0 && size % 3 == 0 && side * side * 3 == size)
            run.add(file, -1, S::Warning, "long textures",
                    format("the file has %lld bytes, as a %lld x %lld RGB image has: the game "
                           "reads only its first %d bytes as a 64 x 64 image, so the picture comes "
                           "out cut and skewed",
                           size, side, side, textureBytes));
        else if (extra > 0)
            run.add(
                file, -1, extra < 64 * 3 ? S::Note : S::Warning, "long textures",
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

} // namespace

long long WorldReport::count(Severity severity) const
{
    long long sum = 0;
    for (const KindTotal& total : totals) sum += total.severity == severity ? total.total : 0;
    return sum;
}

WorldReport checkWorld(const std::string& folder)
{
    CheckRun run;
    run.folder = folder;
    for (int i = 0; i < 6; ++i) {
        // The names are UTF-8, which a path made from a plain string on Windows would not read.
        std::ifstream in(
            std::filesystem::u8path(shownPath(folder, worldFileName(static_cast<WorldFile>(i)))),
            std::ios::binary);
        run.texts.emplace_back(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        if ((run.present[i] = static_cast<bool>(in)))
            run.files.set(static_cast<WorldFile>(i), run.texts[i].bytes);
    }
    // The game's own load, its lines thrown away, each reader watched by its file's check.
    TerrainCheck terrain(run);
    ObjectCheck objects(run);
    ModelCheck models[4] = {{run, 0}, {run, 1}, {run, 2}, {run, 3}};
    LoadedWorld& world = run.report.world;
    StreamCloser quiet(platform::openNullOutput());
    WorldLoad load(run.files, world.meshes, quiet.get());
    load.observers = {&terrain, &objects, {&models[0], &models[1], &models[2], &models[3]}};
    run.load = &load;
    world.grid.reset(buildWorld(load));
    if (world.grid) {
        world.objects.resize(static_cast<size_t>(load.rows) * load.cols);
        terrain.report();
        if (!run.present[1])
            run.add(1, -1, S::Warning, "missing file",
                    "cannot open the file: the world has no cubes, pyramids or trees, and " +
                        defaultStart(*world.grid));
        else
            objects.report();
        checkPeople(run);
    } else {
        run.add(0, -1, S::Error,
                load.result == LoadResult::NoTerrain ? "missing file" : "map too large",
                load.result == LoadResult::NoTerrain
                    ? "cannot open the file: the game has no map to build and exits with status 1"
                    : format("the map is %d rows by %d columns, %lld cells: the game %s and exits "
                             "with status 1",
                             load.rows, load.cols, static_cast<long long>(load.rows) * load.cols,
                             load.result != LoadResult::TooLarge ? "cannot find the memory for them"
                             : static_cast<long long>(load.rows) * load.cols > maxTerrainCells
                                 ? format("refuses more than %lld cells", maxTerrainCells).c_str()
                                 : format("refuses more than %lld rows, even of no cells,",
                                          maxTerrainCells)
                                       .c_str()));
        // The game reads no model without a grid; their authors still hear of their faults.
        for (int i = 0; i < 4; ++i) {
            StreamCloser in(run.files.open(static_cast<WorldFile>(2 + i)));
            world.meshes.loadMesh(in.get(), quiet.get(), &models[i]);
        }
    }
    // The store holds the meshes of the files that opened, newest (the last file) first.
    std::vector<const Mesh*> loaded;
    for (const Mesh* mesh = world.meshes.newest(); mesh; mesh = mesh->next)
        loaded.insert(loaded.begin(), mesh);
    for (int i = 0, next = 0; i < 4; ++i) {
        if (run.present[2 + i])
            models[i].report(loaded[next++]);
        else
            run.add(2 + i, -1, S::Error, "missing file",
                    "cannot open the file: " + missingModel(run, 2 + i));
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

std::string formatFinding(const std::string& folder, const Finding& finding)
{
    return shownPath(folder, finding.file) +
           (finding.line > 0 ? format(":%lld:%lld", finding.line, finding.column) : "") + ": " +
           severityName(finding.severity) + ": " + finding.message;
}

std::string summaryLine(const std::string& folder, const WorldReport& report)
{
    const TerrainGrid* grid = report.world.grid.get();
    return "checked " + folder + ": " +
           (grid ? format("%d rows x %d columns, start (%d, %d, %d), %lld places for people",
                          grid->rows, grid->cols, grid->startX, grid->startY, grid->startZ,
                          countPeoplePlaces(*grid))
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
