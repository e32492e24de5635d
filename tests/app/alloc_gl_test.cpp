// Steady play allocates nothing: once the first frames are drawn, a key press and a frame
// make no call to operator new and no call of the game's code to malloc or its kin. The
// counting allocation functions below serve the whole gl_tests binary; they only count, and
// a test reads the count before and after what it measures.
#include "app/display.h"
#include "app/keyboard.h"
#include "terrain/world.h"
#include "terrain/world_source.h"
#include "tests/support/gl_test_util.h"

#include <GL/gl.h>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <set>
#include <string>

// AddressSanitizer brings its own malloc, which must stay in place: there only operator new
// is counted.
#if defined(__SANITIZE_ADDRESS__)
#define VANTORA_COUNT_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTORA_COUNT_MALLOC 0
#endif
#endif
#ifndef VANTORA_COUNT_MALLOC
#define VANTORA_COUNT_MALLOC 1
#endif

namespace {

std::atomic<long long> allocations{0};

} // namespace

#if VANTORA_COUNT_MALLOC
// The game's code is linked into this binary, which lies between these two symbols: a call
// to malloc from there is ours. Mesa's own allocations in a frame are not counted.
extern "C" char __executable_start[];
extern "C" char etext[];

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void* __libc_valloc(size_t size);
}

namespace {

void countFrom(const void* caller)
{
    const char* at = static_cast<const char*>(caller);
    if (at >= __executable_start && at < etext) ++allocations;
}

void* rawAllocation(std::size_t size)
{
    return __libc_malloc(size);
}

} // namespace

// Each replacement stays a real call, so that its return address is its caller's.
extern "C" {
__attribute__((noinline)) void* malloc(size_t size) noexcept
{
    countFrom(__builtin_return_address(0));
    return __libc_malloc(size);
}
__attribute__((noinline)) void* calloc(size_t count, size_t size) noexcept
{
    countFrom(__builtin_return_address(0));
    return __libc_calloc(count, size);
}
__attribute__((noinline)) void* realloc(void* p, size_t size) noexcept
{
    countFrom(__builtin_return_address(0));
    return __libc_realloc(p, size);
}
__attribute__((noinline)) void* memalign(size_t alignment, size_t size) noexcept
{
    countFrom(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}
__attribute__((noinline)) void* aligned_alloc(size_t alignment, size_t size) noexcept
{
    countFrom(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}
__attribute__((noinline)) void* valloc(size_t size) noexcept
{
    countFrom(__builtin_return_address(0));
    return __libc_valloc(size);
}
__attribute__((noinline)) int posix_memalign(void** out, size_t alignment, size_t size) noexcept
{
    countFrom(__builtin_return_address(0));
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}
#else
namespace {

void* rawAllocation(std::size_t size)
{
    return std::malloc(size);
}

} // namespace
#endif

namespace {

// operator new counts every call, whoever makes it: the C++ library's own code (a string
// growing inside libstdc++) calls it on the game's behalf.
void* countedAllocation(std::size_t size)
{
    ++allocations;
    return rawAllocation(size ? size : 1);
}

void* countedOrThrow(std::size_t size)
{
    if (void* p = countedAllocation(size)) return p;
    throw std::bad_alloc();
}

} // namespace

// Every plain and nothrow form is replaced, so that each block is freed by the family that
// made it (AddressSanitizer checks the pairing).
void* operator new(std::size_t size)
{
    return countedOrThrow(size);
}
void* operator new[](std::size_t size)
{
    return countedOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return countedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return countedAllocation(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

namespace {

// A small world with every band, a cube, a pyramid, a tree, a start and places for people,
// loaded as the game loads it (textures included) and left as start-up leaves it.
class SteadyPlay : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        files.set(WorldFile::Terrain, "11111\n12591\n11811\n11111\n11111\n");
        files.set(WorldFile::Objects, ".....\n.C.A.\n..T..\n..X..\n.....\n");
        const std::string square = "1\n0.5 0.5 0.5\n4\n-3 -3 0\n3 -3 0\n3 3 0\n-3 3 0\n";
        for (WorldFile model :
             {WorldFile::Cube, WorldFile::Pyramid, WorldFile::Tree, WorldFile::Person})
            files.set(model, square);
        const std::string texture(64 * 64 * 3, '\x80');
        for (WorldFile band :
             {WorldFile::Water, WorldFile::Dirt, WorldFile::Grass, WorldFile::Snow})
            files.set(band, texture);
        load.clock = fixedClock;
        game.grid = loadWorld(load);
        ASSERT_NE(nullptr, game.grid);
        int instances = 0;
        for (const ModelInstance* i = game.grid->instances; i; i = i->next) ++instances;
        ASSERT_EQ(3, instances);
        for (const Person* person : game.grid->people) ASSERT_NE(nullptr, person);
        game.playerX = static_cast<float>(game.grid->startX);
        game.playerY = static_cast<float>(game.grid->startY);
        game.playerZ = static_cast<float>(game.grid->startZ);
        game.headingX = -1;
        game.depthTest = 1;
        glEnable(GL_DEPTH_TEST);
    }

    void TearDown() override
    {
        // The load clears the snow name; it lives on only in the snow cells.
        std::set<GLuint> names{load.textures.water, load.textures.grass, load.textures.dirt};
        for (int row = 0; game.grid && row < game.grid->rows; ++row)
            for (int col = 0; col < game.grid->cols; ++col)
                names.insert(game.grid->cellAt(row, col)->texture);
        for (GLuint name : names)
            if (name != 0) glDeleteTextures(1, &name);
        GlTest::TearDown();
    }

    // Every key of the table but quit and restart, each followed by a frame. One round
    // turns every switch on and off again, so the switches end as they began.
    static void playEveryKey(std::string* allocating)
    {
        for (int i = 0; i < keyBindingCount; ++i) {
            const unsigned char key = keyBindings[i].key;
            if (key == 'q' || key == 'Q' || key == 'r') continue;
            const long long before = allocations;
            keyboard(key, 0, 0);
            display();
            if (allocating && allocations != before) *allocating += static_cast<char>(key);
        }
    }

    // The turns of all people: each grid pass that draws one adds 5 to his.
    static float totalSpin()
    {
        float sum = 0;
        for (const Person* person : game.grid->people) sum += person->spin;
        return sum;
    }

    MemoryWorld files;
    WorldLoad load{files, game.meshes, quietLog()};
};

} // namespace

TEST_F(SteadyPlay, KeyPressAndFrameAllocateNothing)
{
    std::string allocating;
    long long frameOnly = 0;
    GlMark mark;
    float spin = 0;
    {
        // Blocked moves report themselves; the failures below are printed after this ends.
        CapturedStdout quiet;
        display();
        // Two warm-up rounds: the GL library builds its state-dependent code and caches here.
        playEveryKey(nullptr);
        playEveryKey(nullptr);
        mark = GlMark::now();
        spin = totalSpin();

        playEveryKey(&allocating);
        const long long before = allocations;
        display();
        frameOnly = allocations - before;
    }
    EXPECT_EQ("", allocating) << "keys whose press and frame allocated";
    EXPECT_EQ(0, frameOnly) << "allocations in a frame";
    EXPECT_TRUE(leftAsFound(mark));
    EXPECT_GT(totalSpin(), spin) << "the frames measured drew no people";
}

TEST(CountingAllocations, SeesEveryFormOfNew)
{
    // Without this and the next test the steady-play test could pass on a count that never
    // moves. The volatile pointers keep the compiler from leaving out the allocations.
    const long long before = allocations;
    int* volatile single = new int(1);
    int* volatile array = new int[3];
    int* volatile quiet = new (std::nothrow) int(2);
    int* volatile quietArray = new (std::nothrow) int[2];
    EXPECT_EQ(4, allocations - before);
    delete single;
    delete[] array;
    delete quiet;
    delete[] quietArray;
}

TEST(CountingAllocations, SeesOurCallsToMalloc)
{
#if VANTORA_COUNT_MALLOC
    const long long before = allocations;
    void* aligned = nullptr;
    EXPECT_EQ(0, posix_memalign(&aligned, 64, 8));
    void* volatile blocks[] = {std::malloc(8),
                               std::calloc(2, 8),
                               std::realloc(nullptr, 8),
                               std::aligned_alloc(64, 64),
                               memalign(64, 8),
                               valloc(8),
                               aligned};
    EXPECT_EQ(7, allocations - before);
    for (void* block : blocks) std::free(block);
#else
    GTEST_SKIP() << "AddressSanitizer's malloc stays in place: only operator new is counted";
#endif
}
