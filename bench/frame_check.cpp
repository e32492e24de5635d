// Checks the premises of the frame figures: with the player in the middle, one display frame
// issues the same GL calls on the 30 x 30, 300 x 300 and 1000 x 1000 worlds (positions
// shifted by the neighbourhood's offset, the HUD's position digits aside), and no frame
// allocates memory. Every GL, GLU and GLUT function the game calls is wrapped at link time
// (-Wl,--wrap, see bench/CMakeLists.txt) to log its arguments; malloc and its kin are
// replaced here to count every allocation in the process.
#include "app/display.h"
#include "app/game_state.h"
#include "bench/bench_worlds.h"
#include "terrain/grid.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <new>
#include <string>
#include <vector>

namespace {

// ---- Allocation counting -------------------------------------------------------------

// The program's own code (the game, statically linked) lies between these two symbols, so
// an allocation whose caller is in that range is the game's; any other is a library's.
extern "C" char __executable_start[];
extern "C" char etext[];

std::atomic<bool> countingAllocations{false};
std::atomic<long> allAllocations{0};
std::atomic<long> ownAllocations{0};
thread_local bool inHook = false;

// Where the first few of the game's own allocations came from, to name the culprit.
const int maxTraces = 4;
void* traces[maxTraces][24];
int traceDepths[maxTraces];
std::atomic<int> traceCount{0};
void* volatile probeSink;

void countAllocation(const void* caller)
{
    if (!countingAllocations.load(std::memory_order_relaxed) || inHook) return;
    allAllocations.fetch_add(1, std::memory_order_relaxed);
    const char* at = static_cast<const char*>(caller);
    if (at < __executable_start || at >= etext) return;
    ownAllocations.fetch_add(1, std::memory_order_relaxed);
    const int slot = traceCount.fetch_add(1);
    if (slot < maxTraces) {
        inHook = true;
        traceDepths[slot] = backtrace(traces[slot], 24);
        inHook = false;
    }
}

} // namespace

// Each replacement must stay a real call, so that its return address is its caller's.
#define NOINLINE __attribute__((noinline))

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);

NOINLINE void* malloc(size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_malloc(size);
}
NOINLINE void* calloc(size_t count, size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_calloc(count, size);
}
NOINLINE void* realloc(void* p, size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_realloc(p, size);
}
NOINLINE void* memalign(size_t alignment, size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}
NOINLINE void* aligned_alloc(size_t alignment, size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}
NOINLINE void* valloc(size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_memalign(4096, size);
}
NOINLINE int posix_memalign(void** out, size_t alignment, size_t size)
{
    countAllocation(__builtin_return_address(0));
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
NOINLINE void free(void* p)
{
    __libc_free(p);
}
}

// operator new is replaced too, so that the caller seen is the code that said `new` (the
// default one would show the C++ library as the caller of malloc).
namespace {
void* allocate(size_t size, const void* caller)
{
    countAllocation(caller);
    return __libc_malloc(size ? size : 1);
}
} // namespace

NOINLINE void* operator new(size_t size)
{
    if (void* p = allocate(size, __builtin_return_address(0))) return p;
    throw std::bad_alloc();
}
NOINLINE void* operator new[](size_t size)
{
    if (void* p = allocate(size, __builtin_return_address(0))) return p;
    throw std::bad_alloc();
}
NOINLINE void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size, __builtin_return_address(0));
}
NOINLINE void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size, __builtin_return_address(0));
}

namespace {

// ---- The GL call log -----------------------------------------------------------------

// One logged call: its name, its arguments as doubles (arrays by value) and which of them
// are world x or y coordinates.
struct Call {
    const char* name;
    int count;
    double args[10];
    unsigned xArgs, yArgs; // bit k set: argument k is a world x (or y) position
};

const size_t maxCalls = 1 << 18;
Call* callLog = nullptr;
size_t callCount = 0;
bool logging = false;
GLuint lastTextureNames[4];

void record(const char* name, std::initializer_list<double> args, unsigned xArgs = 0,
            unsigned yArgs = 0)
{
    if (!logging || callCount == maxCalls) return;
    Call& call = callLog[callCount++];
    call.name = name;
    call.count = static_cast<int>(args.size());
    int k = 0;
    for (double arg : args) call.args[k++] = arg;
    call.xArgs = xArgs;
    call.yArgs = yArgs;
}

} // namespace

// Wrappers: log, then call the real function. Positions in x and y are marked so that the
// comparison can allow for the neighbourhood's offset.
extern "C" {
#define WRAP(ret, name, params, args, xs, ys, ...)                                                 \
    ret __real_##name params;                                                                      \
    ret __wrap_##name params                                                                       \
    {                                                                                              \
        record(#name, {__VA_ARGS__}, xs, ys);                                                      \
        return __real_##name args;                                                                 \
    }

WRAP(void, glBegin, (GLenum m), (m), 0, 0, double(m))
WRAP(void, glEnd, (), (), 0, 0)
WRAP(void, glBindTexture, (GLenum t, GLuint n), (t, n), 0, 0, double(t), double(n))
WRAP(void, glClear, (GLbitfield b), (b), 0, 0, double(b))
WRAP(void, glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), (r, g, b, a), 0, 0, r, g,
     b, a)
WRAP(void, glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b), 0, 0, r, g, b)
WRAP(void, glColor3fv, (const GLfloat* v), (v), 0, 0, v[0], v[1], v[2])
WRAP(void, glColorMaterial, (GLenum f, GLenum m), (f, m), 0, 0, double(f), double(m))
WRAP(void, glCullFace, (GLenum m), (m), 0, 0, double(m))
WRAP(void, glDisable, (GLenum c), (c), 0, 0, double(c))
WRAP(void, glEnable, (GLenum c), (c), 0, 0, double(c))
WRAP(void, glFogf, (GLenum p, GLfloat v), (p, v), 0, 0, double(p), v)
WRAP(void, glFogfv, (GLenum p, const GLfloat* v), (p, v), 0, 0, double(p), v[0], v[1], v[2], v[3])
WRAP(void, glFogi, (GLenum p, GLint v), (p, v), 0, 0, double(p), double(v))
WRAP(void, glHint, (GLenum t, GLenum m), (t, m), 0, 0, double(t), double(m))
WRAP(void, glLightModelfv, (GLenum p, const GLfloat* v), (p, v), 0, 0, double(p), v[0], v[1], v[2],
     v[3])
WRAP(void, glLightfv, (GLenum l, GLenum p, const GLfloat* v), (l, p, v), p == GL_POSITION ? 4u : 0u,
     p == GL_POSITION ? 8u : 0u, double(l), double(p), v[0], v[1], v[2], v[3])
WRAP(void, glLoadIdentity, (), (), 0, 0)
WRAP(void, glMaterialfv, (GLenum f, GLenum p, const GLfloat* v), (f, p, v), 0, 0, double(f),
     double(p), v[0], v[1], v[2], v[3])
WRAP(void, glMatrixMode, (GLenum m), (m), 0, 0, double(m))
WRAP(void, glNormal3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), 0, 0, x, y, z)
WRAP(void, glNormal3fv, (const GLfloat* v), (v), 0, 0, v[0], v[1], v[2])
WRAP(void, glPixelStorei, (GLenum p, GLint v), (p, v), 0, 0, double(p), double(v))
WRAP(void, glPolygonMode, (GLenum f, GLenum m), (f, m), 0, 0, double(f), double(m))
WRAP(void, glPolygonOffset, (GLfloat f, GLfloat u), (f, u), 0, 0, f, u)
WRAP(void, glPopMatrix, (), (), 0, 0)
WRAP(void, glPushMatrix, (), (), 0, 0)
WRAP(void, glRotatef, (GLfloat a, GLfloat x, GLfloat y, GLfloat z), (a, x, y, z), 0, 0, a, x, y, z)
WRAP(void, glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), 0, 0, x, y, z)
WRAP(void, glShadeModel, (GLenum m), (m), 0, 0, double(m))
WRAP(void, glTexCoord2f, (GLfloat s, GLfloat t), (s, t), 0, 0, s, t)
WRAP(void, glTexCoord2fv, (const GLfloat* v), (v), 0, 0, v[0], v[1])
WRAP(void, glTexEnvf, (GLenum t, GLenum p, GLfloat v), (t, p, v), 0, 0, double(t), double(p), v)
WRAP(void, glTexImage2D,
     (GLenum t, GLint l, GLint f, GLsizei w, GLsizei h, GLint b, GLenum pf, GLenum ty,
      const GLvoid* p),
     (t, l, f, w, h, b, pf, ty, p), 0, 0, double(t), double(w), double(h))
WRAP(void, glTexParameteri, (GLenum t, GLenum p, GLint v), (t, p, v), 0, 0, double(t), double(p),
     double(v))
WRAP(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), 1u, 2u, x, y, z)
WRAP(void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), 1u, 2u, x, y, z)
WRAP(void, glVertex3fv, (const GLfloat* v), (v), 1u, 2u, v[0], v[1], v[2])
WRAP(void, gluLookAt,
     (GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
      GLdouble uy, GLdouble uz),
     (ex, ey, ez, cx, cy, cz, ux, uy, uz), 9u, 18u, ex, ey, ez, cx, cy, cz, ux, uy, uz)
WRAP(void, gluOrtho2D, (GLdouble l, GLdouble r, GLdouble b, GLdouble t), (l, r, b, t), 0, 0, l, r,
     b, t)
WRAP(void, gluPerspective, (GLdouble f, GLdouble a, GLdouble n, GLdouble z), (f, a, n, z), 0, 0, f,
     a, n, z)
WRAP(void, glutStrokeCharacter, (void* font, int c), (font, c), 0, 0, double(c))
WRAP(int, glutStrokeWidth, (void* font, int c), (font, c), 0, 0, double(c))
WRAP(void, glutSwapBuffers, (), (), 0, 0)

// The load's texture names are kept so that the comparison can match them by band.
void __real_glGenTextures(GLsizei n, GLuint* names);
void __wrap_glGenTextures(GLsizei n, GLuint* names)
{
    __real_glGenTextures(n, names);
    for (GLsizei i = 0; i < n && i < 4; ++i) lastTextureNames[i] = names[i];
    record("glGenTextures", {double(n)});
}
#undef WRAP
}

namespace {

using bench::BenchWorld;
using bench::DrawMode;

struct LoggedWorld {
    BenchWorld* world;
    GLuint textures[4];
};

std::vector<Call> logFrame(const LoggedWorld& logged, DrawMode mode)
{
    bench::standInMiddle(*logged.world);
    bench::setMode(mode);
    display();
    glFinish();
    callCount = 0;
    logging = true;
    display();
    logging = false;
    glFinish();
    std::vector<Call> calls(callLog, callLog + callCount);
    // Texture names become band numbers 1..4, so each world's own names compare equal.
    for (Call& call : calls) {
        if (std::strcmp(call.name, "glBindTexture") != 0 || call.args[1] == 0) continue;
        for (int band = 0; band < 4; ++band)
            if (call.args[1] == logged.textures[band]) call.args[1] = -(band + 1);
    }
    return calls;
}

// The HUD text drawn by the logged stroke characters after the 2-D projection.
std::string hudText(const std::vector<Call>& calls, size_t from)
{
    std::string text;
    for (size_t i = from; i < calls.size(); ++i)
        if (std::strcmp(calls[i].name, "glutStrokeCharacter") == 0)
            text += static_cast<char>(calls[i].args[0]);
    return text;
}

std::string digitsMasked(std::string text)
{
    for (char& c : text)
        if (c >= '0' && c <= '9') c = '#';
    std::string out;
    for (char c : text)
        if (!(c == '#' && !out.empty() && out.back() == '#')) out += c;
    return out;
}

size_t hudStart(const std::vector<Call>& calls)
{
    for (size_t i = 0; i < calls.size(); ++i)
        if (std::strcmp(calls[i].name, "gluOrtho2D") == 0) return i;
    return calls.size();
}

std::string describe(const Call& call)
{
    std::string text = call.name;
    char number[32];
    for (int k = 0; k < call.count; ++k) {
        std::snprintf(number, sizeof number, " %g", call.args[k]);
        text += number;
    }
    return text;
}

// Compares a frame's calls with the small world's: the same calls in the same order with
// the same arguments, where a world position may be shifted by the offset on its axis; the
// HUD's stroke characters are compared with their digits masked. `why` tells what differs.
bool sameCalls(const std::vector<Call>& small, const std::vector<Call>& big, double dx, double dy,
               long& shifted, std::string& why)
{
    const size_t smallHud = hudStart(small), bigHud = hudStart(big);
    if (smallHud != bigHud) {
        why = "the 3-D part has " + std::to_string(bigHud) + " calls, not " +
              std::to_string(smallHud);
        return false;
    }
    std::vector<const Call*> a, b;
    for (const Call& call : small)
        if (std::strcmp(call.name, "glutStrokeCharacter") != 0) a.push_back(&call);
    for (const Call& call : big)
        if (std::strcmp(call.name, "glutStrokeCharacter") != 0) b.push_back(&call);
    if (a.size() != b.size()) {
        why = std::to_string(b.size()) + " calls besides the HUD glyphs, not " +
              std::to_string(a.size());
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const Call &u = *a[i], &v = *b[i];
        bool same = std::strcmp(u.name, v.name) == 0 && u.count == v.count;
        for (int k = 0; same && k < u.count; ++k) {
            if (u.args[k] == v.args[k]) continue;
            const double shift = (u.xArgs >> k) & 1 ? dx : (u.yArgs >> k) & 1 ? dy : 0;
            same = shift != 0 && u.args[k] + shift == v.args[k];
            shifted += same;
        }
        if (!same) {
            why = "call " + std::to_string(i) + ": " + describe(v) + " where the small world has " +
                  describe(u);
            return false;
        }
    }
    const std::string smallText = hudText(small, smallHud), bigText = hudText(big, bigHud);
    if (digitsMasked(smallText) != digitsMasked(bigText)) {
        why = "HUD '" + bigText + "' against '" + smallText + "'";
        return false;
    }
    return true;
}

NOINLINE void probeAllocations()
{
    char* chars = new char[16];
    probeSink = chars;
    delete[] chars;
    void* block = std::malloc(8);
    probeSink = block;
    std::free(block);
}

} // namespace

int main(int argc, char** argv)
{
    callLog = new Call[maxCalls];
    bench::openWindow(argc, argv);
    std::vector<BenchWorld> worlds = bench::makeWorlds();
    std::vector<LoggedWorld> logged;
    for (BenchWorld& world : worlds) {
        if (!bench::loadForFrames(world)) {
            std::fprintf(stderr, "frame check: the world %s did not load\n", world.name.c_str());
            bench::removeWorlds();
            return 1;
        }
        logged.push_back({&world, {}});
        std::memcpy(logged.back().textures, lastTextureNames, sizeof lastTextureNames);
    }

    bool ok = true;
    std::printf("GL calls of one display frame, player in the middle of the map:\n");
    for (DrawMode mode : bench::allModes) {
        std::string differences;
        const std::vector<Call> small = logFrame(logged[0], mode);
        std::printf("%-12s %s: %zu calls", bench::modeName(mode), worlds[0].name.c_str(),
                    small.size());
        for (size_t w = 1; w < 3; ++w) {
            const std::vector<Call> big = logFrame(logged[w], mode);
            long shifted = 0;
            std::string why;
            const bool same = sameCalls(small, big, 10.0 * worlds[w].blockRow,
                                        10.0 * worlds[w].blockCol, shifted, why);
            std::printf("; %s: %zu calls, %s (%ld positions shifted)", worlds[w].name.c_str(),
                        big.size(), same ? "same" : "DIFFERENT", shifted);
            if (!same) differences += "  " + worlds[w].name + ", " + why + "\n";
            ok = ok && same;
        }
        std::printf("\n%s", differences.c_str());
    }

    // The counter must see this program's own allocations, or the zeros below prove nothing.
    countingAllocations = true;
    probeAllocations();
    countingAllocations = false;
    traceCount = 0;
    if (ownAllocations != 2) {
        std::printf("the allocation counter saw %ld of 2 own allocations\n", ownAllocations.load());
        ok = false;
    }

    const int frames = 200;
    std::printf("Allocations in %d display frames, the game's own / the whole process (Mesa "
                "included):\n",
                frames);
    for (DrawMode mode : bench::allModes) {
        std::printf("%-12s", bench::modeName(mode));
        for (BenchWorld& world : worlds) {
            bench::standInMiddle(world);
            bench::setMode(mode);
            for (int i = 0; i < 5; ++i) display();
            glFinish();
            allAllocations = 0;
            ownAllocations = 0;
            countingAllocations = true;
            for (int i = 0; i < frames; ++i) {
                display();
                glFinish();
            }
            countingAllocations = false;
            std::printf(" %s: %ld / %ld", world.name.c_str(), ownAllocations.load(),
                        allAllocations.load());
            ok = ok && ownAllocations == 0;
        }
        std::printf("\n");
    }
    const int traced = std::min(traceCount.load(), maxTraces);
    for (int t = 0; t < traced; ++t) {
        std::printf("the game's allocation %d came from:\n", t + 1);
        std::fflush(stdout);
        backtrace_symbols_fd(traces[t], traceDepths[t], 1);
    }
    std::printf("%s\n", ok ? "frame check passed" : "frame check FAILED");
    bench::removeWorlds();
    return ok ? 0 : 1;
}
