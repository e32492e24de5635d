// Steady play allocates nothing: once the first frames are drawn, a key press and a frame
// make no call to operator new. The counting operator new below serves the whole gl_tests
// binary; it only counts, and a test reads the count before and after what it measures.
#include "app/display.h"
#include "app/keyboard.h"
#include "terrain/world.h"
#include "terrain/world_source.h"
#include "tests/support/gl_test_util.h"

#include <GL/gl.h>
#include <atomic>
#include <cstdlib>
#include <new>
#include <set>
#include <string>

namespace {

std::atomic<long long> newCalls{0};

void* countedAllocation(std::size_t size)
{
    ++newCalls;
    return std::malloc(size ? size : 1);
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
            const long long before = newCalls;
            keyboard(key, 0, 0);
            display();
            if (allocating && newCalls != before) *allocating += static_cast<char>(key);
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
    CapturedStdout quiet; // blocked moves report themselves
    display();
    // Two warm-up rounds: the GL library builds its state-dependent code and caches here.
    playEveryKey(nullptr);
    playEveryKey(nullptr);
    const GlMark mark = GlMark::now();

    const float spin = totalSpin();

    std::string allocating;
    playEveryKey(&allocating);
    const long long before = newCalls;
    display();
    const long long frameOnly = newCalls - before;

    EXPECT_EQ("", allocating) << "keys whose press and frame called operator new";
    EXPECT_EQ(0, frameOnly);
    EXPECT_TRUE(leftAsFound(mark));
    EXPECT_GT(totalSpin(), spin) << "the frames measured drew no people";
}

TEST(CountingOperatorNew, SeesEveryAllocationForm)
{
    // Without this the steady-play test could pass on a count that never moves. The volatile
    // pointers keep the compiler from leaving out the allocations.
    const long long before = newCalls;
    int* volatile single = new int(1);
    int* volatile array = new int[3];
    int* volatile quiet = new (std::nothrow) int(2);
    int* volatile quietArray = new (std::nothrow) int[2];
    EXPECT_EQ(4, newCalls - before);
    delete single;
    delete[] array;
    delete quiet;
    delete[] quietArray;
}
