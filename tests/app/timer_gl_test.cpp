// The 50 ms timer: once every person is saved it puts them all back, writing where to standard
// output; until then it leaves them alone.
#include "app/startup.h"
#include "tests/support/gl_test_util.h"

#include <cstdio>
#include <set>
#include <string>
#include <utility>

namespace {

const std::vector<std::string> levels = {"111", "121", "111"};

// Five people made by hand in a world of 3 x 3 cells with eight places at level 1.
class Timer : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        game.grid = makeLoadedGrid(levels);
        for (int i = 0; i < 5; ++i) addPerson(*game.grid, i, 999, 0, 0, 0)->spin = 10.0f * i;
    }

    // Runs the timer; returns what it wrote.
    static std::string tick()
    {
        CapturedStdout out;
        timer(1);
        return out.text();
    }
};

TEST_F(Timer, PlacesOnlyOnceEveryPersonIsSaved)
{
    Person* const* people = game.grid->people;
    for (int i = 1; i < 5; ++i) people[i]->saved = true;
    EXPECT_EQ("", tick());
    EXPECT_FALSE(people[0]->saved);
    EXPECT_EQ(0.0f, people[1]->position[0]);

    people[0]->saved = true;
    Person* before[5];
    for (int i = 0; i < 5; ++i) before[i] = people[i];
    const std::string text = tick();
    // A line pair for each person where he now stands, and no lookup: nobody is made again.
    std::string expected;
    std::set<std::pair<int, int>> cells;
    for (int i = 0; i < 5; ++i) {
        const Person* p = people[i];
        EXPECT_EQ(before[i], p);
        EXPECT_FALSE(p->saved) << i;
        EXPECT_EQ(10.0f * i, p->spin) << i;
        const int row = static_cast<int>(p->position[0]) / 10;
        const int col = static_cast<int>(p->position[1]) / 10;
        ASSERT_TRUE(row >= 0 && row < 3 && col >= 0 && col < 3) << i;
        EXPECT_EQ('1', levels[row][col]) << i;
        cells.insert({row, col});
        char line[128];
        std::snprintf(line, sizeof line, "setting person %d, %d,%d\n%f,%f,%f\n", i, row, col,
                      p->position[0], p->position[1], p->position[2]);
        expected += line;
    }
    EXPECT_EQ(expected, text);
    EXPECT_EQ(5u, cells.size());
}

TEST_F(Timer, DoesNothingWithoutAWorld)
{
    delete game.grid;
    game.grid = nullptr;
    EXPECT_EQ("", tick());
}

} // namespace
