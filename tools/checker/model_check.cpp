// Checking the four model files. The game reads them with formatted input, which knows no
// positions; this reads them with the very same conversions, one number at a time, and
// counts the bytes each conversion takes to know where each number stands.
#include "models/face_normal.h"
#include "tools/checker/check_parts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace checker {

const char* const modelFiles[4] = {"cube.txt", "pyramid.txt", "tree.txt", "person.txt"};

namespace {

// Where a number starts and where it ends, by line and column from 1.
struct Place {
    long long line = 0, column = 0;
    long long endLine = 0;
};

enum class Scan { Read, NotNumber, End };

// Numbers read from the file with the game's conversions; places from its bytes in memory.
class NumberScanner {
  public:
    NumberScanner(std::FILE* file, const std::string& text) : file(file), text(text)
    {
        lineStarts.push_back(0);
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') lineStarts.push_back(static_cast<long>(i) + 1);
    }

    Scan readInt(int& value, Place& at) { return read("%d%n", &value, at); }
    Scan readFloat(float& value, Place& at) { return read("%f%n", &value, at); }

    // Skips white space as a conversion would; true when nothing but the end follows.
    bool atEnd(Place& at)
    {
        const long start = offset;
        while (offset < static_cast<long>(text.size()) &&
               std::isspace(static_cast<unsigned char>(text[offset])))
            ++offset;
        // The same white space, by the same rule, leaves the stream where the text is.
        if (offset != start) (void)std::fscanf(file, " ");
        setPlace(at, offset);
        return offset >= static_cast<long>(text.size());
    }

    // The bytes of the number at `at`, up to the next white space, at most 24 of them.
    std::string token(const Place& at) const
    {
        const size_t begin = static_cast<size_t>(lineStarts[at.line - 1] + at.column - 1);
        size_t end = begin;
        while (end < text.size() && end - begin < 24 &&
               !std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        return text.substr(begin, end - begin);
    }

  private:
    // One conversion, as the game's formats make it; %n tells how far it read. After a
    // failed one the reading ends, so its offset is not needed.
    template <typename T> Scan read(const char* conversion, T* value, Place& at)
    {
        // A conversion skips white space first; doing that apart shows where the number starts.
        if (atEnd(at)) return Scan::End;
        int used = 0;
        if (std::fscanf(file, conversion, value, &used) != 1) return Scan::NotNumber;
        offset += used;
        at.endLine = lineOf(offset - 1);
        return Scan::Read;
    }

    long long lineOf(long offset) const
    {
        return std::upper_bound(lineStarts.begin(), lineStarts.end(), offset) - lineStarts.begin();
    }

    void setPlace(Place& at, long offset) const
    {
        at.line = lineOf(offset);
        at.column = offset - lineStarts[at.line - 1] + 1;
        at.endLine = at.line;
    }

    std::FILE* file;
    const std::string& text;
    std::vector<long> lineStarts;
    long offset = 0; // of the stream in the file
};

bool outsideUnit(float value)
{
    return !(value >= 0.0f && value <= 1.0f);
}

// What the instances of a model lose when its file is missing.
std::string missingModelEffect(const CheckRun& run, int index)
{
    if (index == 3) return "the people draw nothing, though they can still be rescued";
    const long long counts[3] = {run.cubes, run.pyramids, run.trees};
    const char* const names[3] = {"cube", "pyramid", "tree"};
    const long long count = counts[index];
    if (count == 0)
        return format("no %s stands in objects.txt, so nothing shows it yet", names[index]);
    std::string effect =
        count == 1 ? format("the one %s of objects.txt draws nothing", names[index])
                   : format("the %lld %ss of objects.txt draw nothing", count, names[index]);
    if (index != 2) effect += ", though they still flatten their cells and block the player";
    return effect;
}

void checkModel(CheckRun& run, int index)
{
    const char* name = modelFiles[index];
    MeshModel& mesh = run.report.world.meshes[index];
    const std::string path = run.path(name);
    std::ifstream in(path, std::ios::binary);
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!in || !file) {
        if (file) std::fclose(file);
        run.add(name, 0, 0, Severity::Error, "missing file",
                "cannot open the file: " + missingModelEffect(run, index));
        return;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    mesh.opened = true;
    NumberScanner scanner(file, text);

    bool layoutReported = false;
    long long previousEnd = 0;
    std::string previousRole;
    // Numbers belong on lines of their own: the count, the colour, each corner.
    auto checkLayout = [&](const Place& at, const std::string& role) {
        if (!layoutReported && at.line == previousEnd) {
            layoutReported = true;
            run.add(name, at.line, at.column, Severity::Warning, "layout",
                    format("%s starts on the line of %s: the reader takes the numbers in order, "
                           "not by lines, so a line with a number too many or too few shifts "
                           "everything after it, and later findings in this file may follow "
                           "from it",
                           role.c_str(), previousRole.c_str()));
        }
        previousRole = role;
    };
    auto facesKept = [&]() {
        return plural(static_cast<long long>(mesh.faces.size()), "face", "faces");
    };
    // A number that does not convert ends the reading; the model keeps what came before.
    auto notNumber = [&](const Place& at, const std::string& role) {
        run.add(name, at.line, at.column, Severity::Error, "not numbers",
                format("'%s' is not a number, where %s belongs: the reader stops here, and "
                       "the model keeps %s",
                       scanner.token(at).c_str(), role.c_str(), facesKept().c_str()));
    };

    Place countAt;
    int faceCount = 0;
    const Scan countScan = scanner.readInt(faceCount, countAt);
    if (countScan != Scan::Read) {
        if (countScan == Scan::End) {
            run.add(name, 0, 0, Severity::Error, "not numbers",
                    "the file holds no numbers: the model has no faces");
        } else {
            run.add(name, countAt.line, countAt.column, Severity::Error, "not numbers",
                    format("'%s' is not a number: the face count reads as 0, so the model has "
                           "no faces",
                           scanner.token(countAt).c_str()));
        }
        std::fclose(file);
        return;
    }
    previousEnd = countAt.endLine;
    previousRole = "the face count";
    if (faceCount <= 0)
        run.add(name, countAt.line, countAt.column, Severity::Warning, "empty models",
                format("the face count is %d: the model has no faces", faceCount));

    long long oddColours = 0;
    Place oddColourAt;
    float oddColour[3] = {0, 0, 0};
    int oddColourFace = 0;
    bool oddCornerReported = false;
    bool complete = true;
    for (int f = 0; f < faceCount && complete; ++f) {
        const std::string faceName = format("face %d", f + 1);
        float colour[3];
        Place colourAt, first;
        for (int k = 0; k < 3 && complete; ++k) {
            const char* const parts[3] = {"red", "green", "blue"};
            Place at;
            const Scan scan = scanner.readFloat(colour[k], at);
            if (k == 0) first = at;
            if (scan == Scan::NotNumber) {
                notNumber(at, format("the %s of %s", parts[k], faceName.c_str()));
            } else if (scan == Scan::End) {
                run.add(name, countAt.line, countAt.column, Severity::Error, "counts past the end",
                        format("the face count is %d, but the file ends after %s: the model "
                               "has %s",
                               faceCount, facesKept().c_str(), facesKept().c_str()));
            }
            complete = scan == Scan::Read;
            colourAt = at;
        }
        if (!complete) break;
        first.endLine = colourAt.endLine;
        checkLayout(first, "the colour of " + faceName);
        previousEnd = first.endLine;
        if (outsideUnit(colour[0]) || outsideUnit(colour[1]) || outsideUnit(colour[2])) {
            if (oddColours++ == 0) {
                oddColourAt = first;
                std::copy(colour, colour + 3, oddColour);
                oddColourFace = f + 1;
            }
        }

        int cornerCount = 0;
        Place cornerCountAt;
        const Scan scan = scanner.readInt(cornerCount, cornerCountAt);
        if (scan == Scan::NotNumber) {
            notNumber(cornerCountAt, "the corner count of " + faceName);
        } else if (scan == Scan::End) {
            run.add(name, countAt.line, countAt.column, Severity::Error, "counts past the end",
                    format("the face count is %d, but the file ends after %s: the model has %s",
                           faceCount, facesKept().c_str(), facesKept().c_str()));
        }
        if (scan != Scan::Read) break;
        checkLayout(cornerCountAt, "the corner count of " + faceName);
        previousEnd = cornerCountAt.endLine;
        mesh.faces.emplace_back();
        mesh.faceCount = static_cast<int16_t>(mesh.faces.size());

        FaceModel& face = mesh.faces.back();
        float corners[3][3];
        for (int v = 0; v < cornerCount && complete; ++v) {
            const std::string cornerName = format("corner %d of %s", v + 1, faceName.c_str());
            float xyz[3];
            Place cornerAt;
            for (int k = 0; k < 3 && complete; ++k) {
                const char* const axes[3] = {"x", "y", "z"};
                Place at;
                const Scan corner = scanner.readFloat(xyz[k], at);
                if (k == 0) cornerAt = at;
                cornerAt.endLine = at.endLine;
                if (corner == Scan::NotNumber) {
                    notNumber(at, format("the %s of %s", axes[k], cornerName.c_str()));
                } else if (corner == Scan::End) {
                    std::string message = format("%s has %d corners by its count, but the file "
                                                 "ends after %s",
                                                 faceName.c_str(), cornerCount,
                                                 plural(v, "corner", "corners").c_str());
                    if (f + 1 < faceCount)
                        message += "; the face count promised " +
                                   plural(faceCount - f - 1, "more face", "more faces");
                    run.add(name, cornerCountAt.line, cornerCountAt.column, Severity::Error,
                            "counts past the end", message);
                }
                complete = corner == Scan::Read;
            }
            if (!complete) break;
            checkLayout(cornerAt, "corner " + std::to_string(v + 1) + " of " + faceName);
            previousEnd = cornerAt.endLine;
            ++face.cornersRead;
            face.vertexCount = static_cast<int8_t>(face.cornersRead);
            if (v < 3) std::copy(xyz, xyz + 3, corners[v]);
            if (!oddCornerReported &&
                !(std::isfinite(xyz[0]) && std::isfinite(xyz[1]) && std::isfinite(xyz[2]))) {
                oddCornerReported = true;
                run.add(name, cornerAt.line, cornerAt.column, Severity::Warning,
                        "non-finite corners",
                        format("%s has a coordinate that is not a finite number: the face "
                               "cannot draw where it is meant to",
                               cornerName.c_str()));
            }
            // A corner at infinity has its own finding; its face's normal falls back too.
            if (v == 2 && !faceNormal(corners[0], corners[1], corners[2], face.normal) &&
                !oddCornerReported)
                run.add(name, cornerAt.line, cornerAt.column, Severity::Warning, "degenerate faces",
                        format("the first three corners of %s lie on one line or coincide: "
                               "the face gets the normal (0, 0, 1), so lighting shades it as "
                               "if it faced straight up",
                               faceName.c_str()));
        }
        if (!complete) break;
        if (cornerCount < 3) {
            run.add(
                name, cornerCountAt.line, cornerCountAt.column, Severity::Warning,
                "too few corners",
                cornerCount <= 0
                    ? format("%s has %d corners: it draws nothing", faceName.c_str(), cornerCount)
                    : format("%s has only %s, too few for a polygon: it draws nothing",
                             faceName.c_str(), plural(cornerCount, "corner", "corners").c_str()));
        } else if (face.cornersRead > 127) {
            run.add(name, cornerCountAt.line, cornerCountAt.column, Severity::Error, "limits",
                    format("%s has %d corners, more than the game counts in 8 bits: it keeps "
                           "%d and draws %s",
                           faceName.c_str(), face.cornersRead, face.vertexCount,
                           face.vertexCount > 0
                               ? format("only the first %d", face.vertexCount).c_str()
                               : "none of them"));
        }
    }

    if (oddColours > 0) {
        std::string message =
            format("the colour %g %g %g of face %d lies outside 0 to 1, and OpenGL clamps it to "
                   "%g %g %g: colours are fractions of full brightness, not 0 to 255",
                   oddColour[0], oddColour[1], oddColour[2], oddColourFace,
                   std::clamp(oddColour[0], 0.0f, 1.0f), std::clamp(oddColour[1], 0.0f, 1.0f),
                   std::clamp(oddColour[2], 0.0f, 1.0f));
        if (oddColours > 1)
            message += "; " + plural(oddColours - 1, "more face", "more faces") + " like this";
        run.add(name, oddColourAt.line, oddColourAt.column, Severity::Warning, "colours", message);
    }
    if (mesh.faces.size() > 32767) {
        run.add(name, countAt.line, countAt.column, Severity::Error, "limits",
                format("the model has %zu faces, more than the game counts in 16 bits: it keeps "
                       "%d and draws %s",
                       mesh.faces.size(), mesh.faceCount,
                       mesh.faceCount > 0 ? format("only the first %d", mesh.faceCount).c_str()
                                          : "none of them"));
    }
    Place rest;
    if (complete && faceCount > 0 && !scanner.atEnd(rest)) {
        run.add(name, rest.line, rest.column, Severity::Warning, "text after the last face",
                format("the face count is %d, so the reader stops after face %d: this text is "
                       "not read; is the count too small?",
                       faceCount, faceCount));
    }
    std::fclose(file);
}

} // namespace

void checkModels(CheckRun& run)
{
    for (int i = 0; i < 4; ++i) checkModel(run, i);
}

} // namespace checker
