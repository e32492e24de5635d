// The whole check of a world folder in the game's load order, the places left for the
// people, and the report: one line per finding, a summary line and the exit status.
#include "tools/checker/check_parts.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <filesystem>

#ifndef VANTORA_VERSION
#define VANTORA_VERSION "unknown"
#endif

namespace checker {

std::string format(const char* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(text.data(), text.size() + 1, pattern, args);
    va_end(args);
    return text;
}

std::string describeByte(int c)
{
    if (c == ' ') return "a space";
    if (c == '\t') return "a tab";
    if (c == '\r') return "a carriage return without a line feed after it";
    if (c > ' ' && c < 0x7F) return format("'%c'", c);
    return format("byte 0x%02X", c);
}

std::string plural(long long count, const char* one, const char* many)
{
    return format("%lld %s", count, count == 1 ? one : many);
}

namespace {

// Folder-relative file names as the report shows them: bare when the folder is ".".
std::string shownPath(const std::string& folder, const std::string& file)
{
    std::string base = folder;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base.empty() || base == ".") return file;
    if (base == "/") return "/" + file;
    return base + "/" + file;
}

const char* severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    default: return "note";
    }
}

// Files in the order the game loads them, which is the order of the report.
int fileRank(const std::string& file)
{
    if (file == "terrain.txt") return 0;
    if (file == "objects.txt") return 1;
    for (int i = 0; i < 4; ++i) {
        if (file == modelFiles[i]) return 2 + i;
        if (file == textureFiles[i]) return 6 + i;
    }
    return 10;
}

} // namespace

std::string CheckRun::path(const char* file) const
{
    return shownPath(folder, file);
}

void CheckRun::add(const char* file, long long line, long long column, Severity severity,
                   const char* kind, const std::string& message)
{
    auto total = std::find_if(report.totals.begin(), report.totals.end(), [&](const KindTotal& t) {
        return t.file == file && t.kind == kind && t.severity == severity;
    });
    if (total == report.totals.end())
        total = report.totals.insert(report.totals.end(), KindTotal{file, kind, severity, 0});
    if (++total->total > listedPerKind) return;
    report.findings.push_back(Finding{file, line, column, severity, kind, message});
}

long long WorldReport::count(Severity severity) const
{
    long long sum = 0;
    for (const KindTotal& total : totals)
        if (total.severity == severity) sum += total.total;
    return sum;
}

void checkPeople(CheckRun& run)
{
    WorldModel& world = run.report.world;
    if (!world.loads || world.cols == 0) return;
    long long places = 0, covered = 0;
    for (size_t i = 0; i < world.levels.size(); ++i) {
        if (world.levels[i] != 1) continue;
        if (world.objects[i] == CellObject::None) {
            ++places;
        } else {
            ++covered;
        }
    }
    world.peoplePlaces = places;
    const char* what = "at height 5 (terrain digit 1 without a cube, pyramid or tree)";
    if (places >= 5) {
        run.add("terrain.txt", 0, 0, Severity::Note, "people",
                format("%lld free cells %s can hold the 5 people", places, what));
        return;
    }
    std::string message =
        places == 0
            ? format("no free cell lies %s: the game places no people, and there is no "
                     "one to rescue",
                     what)
            : format("only %s %s: the game places %lld, not 5",
                     plural(places, "free cell lies", "free cells lie").c_str(), what, places);
    if (covered > 0)
        message += format("; objects stand on %s",
                          plural(covered, "more cell of digit 1", "more cells of digit 1").c_str());
    run.add("terrain.txt", 0, 0, Severity::Error, "people", message);
}

WorldReport checkWorld(const std::string& folder)
{
    CheckRun run;
    run.folder = folder;
    checkTerrain(run);
    checkObjects(run);
    checkPeople(run);
    checkModels(run);
    checkTextures(run);
    std::stable_sort(run.report.findings.begin(), run.report.findings.end(),
                     [](const Finding& a, const Finding& b) {
                         const int rankA = fileRank(a.file), rankB = fileRank(b.file);
                         if (rankA != rankB) return rankA < rankB;
                         // Findings about the whole file close its list.
                         if ((a.line == 0) != (b.line == 0)) return b.line == 0;
                         if (a.line != b.line) return a.line < b.line;
                         return a.column < b.column;
                     });
    return std::move(run.report);
}

std::string formatFinding(const std::string& folder, const Finding& finding)
{
    std::string text = shownPath(folder, finding.file);
    if (finding.line > 0) text += format(":%lld:%lld", finding.line, finding.column);
    return text + ": " + severityName(finding.severity) + ": " + finding.message;
}

std::string summaryLine(const std::string& folder, const WorldReport& report)
{
    const WorldModel& world = report.world;
    std::string text = "checked " + folder + ": ";
    if (!world.loads) {
        text += "the game cannot load this world";
    } else {
        text +=
            format("%d rows x %d columns, start (%d, %d, %d), %lld places for people", world.rows,
                   world.cols, world.startX, world.startY, world.startZ, world.peoplePlaces);
    }
    return text + "; " + plural(report.count(Severity::Error), "error", "errors") + ", " +
           plural(report.count(Severity::Warning), "warning", "warnings") + ", " +
           plural(report.count(Severity::Note), "note", "notes");
}

int exitStatus(const WorldReport& report)
{
    return report.count(Severity::Error) + report.count(Severity::Warning) > 0 ? 1 : 0;
}

void printReport(std::FILE* out, const std::string& folder, const WorldReport& report, bool all)
{
    std::vector<long long> shown(report.totals.size(), 0);
    auto totalOf = [&](const Finding& f) {
        return std::find_if(report.totals.begin(), report.totals.end(),
                            [&](const KindTotal& t) {
                                return t.file == f.file && t.kind == f.kind &&
                                       t.severity == f.severity;
                            }) -
               report.totals.begin();
    };
    // After the last finding of a file, one line for each of its kinds with some not shown.
    auto closeFile = [&](const std::string& file) {
        for (size_t k = 0; k < report.totals.size(); ++k) {
            const KindTotal& t = report.totals[k];
            if (t.file != file || t.total <= shown[k]) continue;
            std::fprintf(out, "%s: %s (%s) not shown%s\n", shownPath(folder, file).c_str(),
                         plural(t.total - shown[k],
                                (std::string("more ") + severityName(t.severity)).c_str(),
                                (std::string("more ") + severityName(t.severity) + "s").c_str())
                             .c_str(),
                         t.kind.c_str(), all ? "" : "; --all shows them");
        }
    };
    for (size_t i = 0; i < report.findings.size(); ++i) {
        const Finding& finding = report.findings[i];
        const long long k = totalOf(finding);
        if (all || shown[k] < shownPerKind) {
            ++shown[k];
            std::fprintf(out, "%s\n", formatFinding(folder, finding).c_str());
        }
        if (i + 1 == report.findings.size() || report.findings[i + 1].file != finding.file)
            closeFile(finding.file);
    }
    std::fprintf(out, "%s\n", summaryLine(folder, report).c_str());
}

} // namespace checker
