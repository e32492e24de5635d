// Checks the premise of the frame figures: with the player in the middle, one display frame
// issues the same GL calls on the 30 x 30, 300 x 300 and 1000 x 1000 worlds (positions
// shifted by the neighbourhood's offset, the HUD's position digits aside). The program runs
// itself under `apitrace trace`, which records every call that reaches the GL library (those
// GLU and GLUT make included), and reads the frames back from `apitrace dump`, so it knows
// no GL function by name: a call added to the drawing code is recorded and compared too.
// That a frame allocates nothing is checked by the GL tests (tests/app/alloc_gl_test.cpp).
#include "app/display.h"
#include "bench/bench_worlds.h"

#include <GL/freeglut.h>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using bench::BenchWorld;
using bench::DrawMode;

// ---- The traced run: frames between markers ------------------------------------------

// The traced run marks what it draws with glPassThrough, which does nothing outside
// feedback mode but shows in the trace with its token: a frame's or a glyph's mark before
// it, the end mark after it.
const int endMark = 0;
int frameMark(int mode, int world)
{
    return 100 + 10 * mode + world;
}
int glyphMark(int c)
{
    return 1000 + c;
}
const int firstGlyph = 32, lastGlyph = 126; // the printable ASCII characters

void mark(int token)
{
    glPassThrough(static_cast<GLfloat>(token));
}

// Draws, for each mode, one marked frame of each generated world (after one unmarked frame
// that settles the mode's state), then each printable character in the HUD's font.
int drawMarkedFrames(int argc, char** argv)
{
    bench::openWindow(argc, argv);
    std::vector<BenchWorld> worlds = bench::makeWorlds();
    for (BenchWorld& world : worlds) {
        if (!bench::loadForFrames(world)) {
            std::fprintf(stderr, "frame check: the world %s did not load\n", world.name.c_str());
            bench::removeWorlds();
            return 1;
        }
    }
    for (int mode = 0; mode < 3; ++mode) {
        for (int w = 0; w < 3; ++w) {
            bench::standInMiddle(worlds[w]);
            bench::setMode(bench::allModes[mode]);
            display();
            mark(frameMark(mode, w));
            display();
            mark(endMark);
            glFinish();
        }
    }
    // The HUD draws its text with this font (app/text.cpp); were that to change, its digits
    // would no longer be recognised and the HUD of the larger worlds would differ.
    for (int c = firstGlyph; c <= lastGlyph; ++c) {
        mark(glyphMark(c));
        glutStrokeCharacter(GLUT_STROKE_ROMAN, c);
        mark(endMark);
    }
    glFinish();
    bench::removeWorlds();
    return 0;
}

// ---- Running apitrace ------------------------------------------------------------------

// Starts a program found on PATH with its standard output on `out` (and its standard error
// too when `errorsToo`); its process id, or -1.
pid_t start(const std::vector<std::string>& args, int out, bool errorsToo)
{
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    if (errorsToo) posix_spawn_file_actions_adddup2(&actions, out, 2);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        std::fprintf(stderr, "frame check: cannot start %s: %s\n", argv[0], std::strerror(error));
        return -1;
    }
    return pid;
}

bool succeeded(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs this program's drawing under `apitrace trace` into `trace`; its messages go to `log`.
bool traceFrames(const std::string& trace, const std::string& log)
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return false;
    self[length] = '\0';
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) return false;
    const pid_t pid = start({"apitrace", "trace", "--output", trace, self, "--draw"}, out, true);
    close(out);
    return pid > 0 && succeeded(pid);
}

// The lines of `apitrace dump` between each mark and the end mark that follows, by mark.
bool readMarkedCalls(const std::string& trace, std::map<int, std::vector<std::string>>& marked)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    const pid_t pid = start({"apitrace", "dump", "--color=never", "--call-nos=no", "--multiline=no",
                             "--arg-names=yes", trace},
                            pipeEnds[1], false);
    close(pipeEnds[1]);
    if (pid < 0) {
        close(pipeEnds[0]);
        return false;
    }
    std::FILE* dump = fdopen(pipeEnds[0], "r");
    const std::string markCall = "glPassThrough(token = ";
    std::vector<std::string>* current = nullptr;
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t got;
    while ((got = getline(&line, &capacity, dump)) > 0) {
        std::string text(line, line[got - 1] == '\n' ? got - 1 : got);
        if (text.compare(0, markCall.size(), markCall) == 0) {
            const int token = std::atoi(text.c_str() + markCall.size());
            current = token == endMark ? nullptr : &marked[token];
        } else if (current) {
            current->push_back(std::move(text));
        }
    }
    std::free(line);
    std::fclose(dump);
    return succeeded(pid);
}

// ---- Comparing frames --------------------------------------------------------------------

// One dumped call: its text with every number replaced by '#', the numbers, and which of
// them are texture names (each world has textures of its own).
struct Call {
    std::string line;
    std::string shape;
    std::vector<double> numbers;
    std::vector<bool> textureName;
};

bool identifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

Call parseCall(const std::string& line)
{
    Call call{line, {}, {}, {}};
    const char* p = line.c_str();
    while (*p) {
        if (identifierChar(*p) && !std::isdigit(static_cast<unsigned char>(*p))) {
            while (identifierChar(*p)) call.shape += *p++; // GL_LIGHT0, glVertex3fv
        } else if (std::isdigit(static_cast<unsigned char>(*p)) ||
                   (*p == '-' && std::isdigit(static_cast<unsigned char>(p[1])))) {
            char* end = nullptr;
            call.numbers.push_back(std::strtod(p, &end));
            const size_t at = call.shape.size();
            call.textureName.push_back(at >= 10 &&
                                       call.shape.compare(at - 10, 10, "texture = ") == 0);
            call.shape += '#';
            p = end;
        } else {
            call.shape += *p++;
        }
    }
    return call;
}

// A frame read as calls and the glyphs of its text: a run of calls that is exactly one
// character of the font is that character, and a run of digits is one '#'.
struct Item {
    const Call* call; // null for a glyph
    char glyph;
};

struct Font {
    std::map<std::string, std::vector<int>> byFirstLine; // candidate characters
    std::vector<std::vector<std::string>> glyphs;        // the calls of each character
};

std::vector<Item> readFrame(const std::vector<Call>& calls, const Font& font, std::string& text)
{
    std::vector<Item> items;
    for (size_t i = 0; i < calls.size();) {
        int found = -1;
        const auto candidates = font.byFirstLine.find(calls[i].line);
        if (candidates != font.byFirstLine.end()) {
            for (int c : candidates->second) {
                const std::vector<std::string>& glyph = font.glyphs[c];
                size_t k = 0;
                while (k < glyph.size() && i + k < calls.size() && calls[i + k].line == glyph[k])
                    ++k;
                if (k == glyph.size()) {
                    found = c;
                    break;
                }
            }
        }
        if (found < 0) {
            items.push_back({&calls[i], 0});
            ++i;
            continue;
        }
        text += static_cast<char>(found);
        // So that 150 and 1500 compare equal.
        const bool digit = found >= '0' && found <= '9';
        if (!(digit && !items.empty() && items.back().glyph == '#'))
            items.push_back({nullptr, digit ? '#' : static_cast<char>(found)});
        i += font.glyphs[found].size();
    }
    return items;
}

std::string describe(const Item& item)
{
    return item.call ? item.call->line : std::string("the glyph '") + item.glyph + "'";
}

// Compares a frame with the small world's: the same calls and glyphs in the same order,
// every number the same or, for a position, moved by the offset along x or y (either way:
// the camera's translation moves against it), and texture names renamed one to one. `why`
// tells the first difference; `shifted` counts the moved numbers.
bool sameFrame(const std::vector<Item>& small, const std::vector<Item>& big, double dx, double dy,
               long& shifted, std::string& why)
{
    if (small.size() != big.size()) {
        why = std::to_string(big.size()) + " calls and glyphs, not " + std::to_string(small.size());
        return false;
    }
    std::map<double, double> names, namesBack;
    for (size_t i = 0; i < small.size(); ++i) {
        const Item &u = small[i], &v = big[i];
        bool same = (u.call == nullptr) == (v.call == nullptr);
        if (same && !u.call) same = u.glyph == v.glyph;
        if (same && u.call) {
            same = u.call->shape == v.call->shape;
            for (size_t k = 0; same && k < u.call->numbers.size(); ++k) {
                const double a = u.call->numbers[k], b = v.call->numbers[k];
                if (u.call->textureName[k]) {
                    // The first pair of names fixes the renaming of both.
                    const double to = names.emplace(a, b).first->second;
                    const double from = namesBack.emplace(b, a).first->second;
                    same = to == b && from == a;
                    continue;
                }
                if (a == b) continue;
                // The dump prints floats to 7 significant digits.
                const double slack = 1e-6 * (std::fabs(a) + std::fabs(b));
                same = false;
                for (double shift : {dx, -dx, dy, -dy})
                    same = same || (shift != 0 && std::fabs(a + shift - b) <= slack);
                shifted += same;
            }
        }
        if (!same) {
            why = "call or glyph " + std::to_string(i) + ": " + describe(v) +
                  " where the small world has " + describe(u);
            return false;
        }
    }
    return true;
}

// The comparison itself must tell a frame whose vertex moved by one unit.
bool comparisonSeesAChange(const std::vector<Item>& frame)
{
    for (size_t i = 0; i < frame.size(); ++i) {
        if (!frame[i].call || frame[i].call->numbers.empty()) continue;
        Call moved = *frame[i].call;
        moved.numbers[0] += 1;
        std::vector<Item> changed = frame;
        changed[i].call = &moved;
        long shifted = 0;
        std::string why;
        return !sameFrame(frame, changed, 0, 0, shifted, why);
    }
    return false;
}

int checkFrames()
{
    std::string folder =
        (std::filesystem::temp_directory_path() / "vantora-frames-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::perror("frame check: mkdtemp");
        return 2;
    }
    const std::string trace = folder + "/frames.trace", log = folder + "/trace.log";
    std::map<int, std::vector<std::string>> marked;
    if (!traceFrames(trace, log) || !readMarkedCalls(trace, marked)) {
        std::fprintf(stderr,
                     "frame check: tracing the frames failed (is apitrace installed?); see %s\n",
                     log.c_str());
        return 2;
    }

    Font font;
    font.glyphs.resize(lastGlyph + 1);
    for (int c = firstGlyph; c <= lastGlyph; ++c) {
        font.glyphs[c] = marked[glyphMark(c)];
        if (!font.glyphs[c].empty()) font.byFirstLine[font.glyphs[c][0]].push_back(c);
    }

    const std::vector<BenchWorld> worlds = bench::generatedWorlds(); // as the traced run drew

    bool ok = true;
    std::printf("GL calls of one display frame, player in the middle of the map:\n");
    std::string smallText;
    for (int mode = 0; mode < 3; ++mode) {
        std::vector<Call> calls[3];
        std::vector<Item> frames[3];
        std::string texts[3];
        for (int w = 0; w < 3; ++w) {
            for (const std::string& line : marked[frameMark(mode, w)])
                calls[w].push_back(parseCall(line));
            frames[w] = readFrame(calls[w], font, texts[w]);
        }
        if (mode == 0) smallText = texts[0];
        std::printf("%-12s %s: %zu calls", bench::modeName(bench::allModes[mode]),
                    worlds[0].name.c_str(), calls[0].size());
        std::string differences;
        for (int w = 1; w < 3; ++w) {
            long shifted = 0;
            std::string why;
            const bool same = sameFrame(frames[0], frames[w], 10.0 * worlds[w].blockRow,
                                        10.0 * worlds[w].blockCol, shifted, why);
            std::printf("; %s: %zu calls, %s (%ld numbers shifted)", worlds[w].name.c_str(),
                        calls[w].size(), same ? "same" : "DIFFERENT", shifted);
            if (!same) differences += "  " + worlds[w].name + ", " + why + "\n";
            ok = ok && same;
        }
        std::printf("\n%s", differences.c_str());
        for (int w = 0; w < 3; ++w) {
            if (calls[w].empty() || texts[w].empty()) {
                std::printf("the %s frame has %s\n", worlds[w].name.c_str(),
                            calls[w].empty() ? "no calls in the trace" : "no HUD glyphs");
                ok = false;
            }
        }
        if (!comparisonSeesAChange(frames[0])) {
            std::printf("the comparison did not see a vertex moved by one unit\n");
            ok = false;
        }
    }
    std::printf("HUD text read back from the 30x30 frame: \"%s\"\n", smallText.c_str());
    std::printf("%s\n", ok ? "frame check passed" : "frame check FAILED");
    std::error_code ignored;
    if (ok)
        std::filesystem::remove_all(folder, ignored);
    else
        std::printf("the trace is kept in %s (apitrace dump %s)\n", folder.c_str(), trace.c_str());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--draw") == 0) return drawMarkedFrames(argc, argv);
    return checkFrames();
}
