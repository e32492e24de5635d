// Tests of the people to rescue: where they are placed, what placing prints, the rescue
// reach and the all-saved test, also with fewer than five places.
#include "app/game_state.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cell = std::pair<int, int>;

std::string format(const char* fmt, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

// What making one person prints: the lookup of the person mesh, the only mesh in the store.
const char* const personLookup = "attempting to retrieve geometry\nid: 14\n";

class People : public ::testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        releaseMeshes();
        Mesh* mesh = new Mesh;
        mesh->id = 14;
        meshList = mesh;
        game.personMeshId = 14;
    }
    void TearDown() override
    {
        releaseWorld(grid);
        releaseMeshes();
        game = GameState();
    }

    // A flat cell per digit: level 1 is height 5, the height people stand on.
    void makeGrid(const std::vector<std::string>& levels)
    {
        grid = new TerrainGrid(static_cast<int>(levels.size()), static_cast<int>(levels[0].size()));
        for (int r = 0; r < grid->rows; ++r)
            for (int c = 0; c < grid->cols; ++c) grid->setCellHeight(r, c, levels[r][c] - '0');
    }

    void putObject(int r, int c, int passable)
    {
        CapturedStdout quiet;
        grid->placeModel(new ModelInstance(99, passable), r, c, passable);
    }

    std::string place()
    {
        CapturedStdout out;
        grid->placePeople();
        return out.text();
    }

    // The cell a person stands on, checking that he stands exactly on its centre.
    Cell cellOf(const Person* person)
    {
        const int r = static_cast<int>(person->position[0]) / 10;
        const int c = static_cast<int>(person->position[1]) / 10;
        EXPECT_EQ(r * 10 + 5.0f, person->position[0]);
        EXPECT_EQ(c * 10 + 5.0f, person->position[1]);
        EXPECT_EQ(5.0f, person->position[2]);
        return {r, c};
    }

    std::vector<Cell> cellsOfPeople()
    {
        std::vector<Cell> cells;
        for (const Person* person : grid->people)
            if (person) cells.push_back(cellOf(person));
        return cells;
    }

    // The lines one placement prints for the people as they now stand.
    std::string placementLines(bool made)
    {
        std::string text;
        for (int i = 0; i < 5; ++i) {
            const Person* person = grid->people[i];
            if (!person) continue;
            const Cell at = cellOf(person);
            text += format("setting person %d, %d,%d\n", i, at.first, at.second);
            if (made) text += personLookup;
            text +=
                format("%f,%f,%f\n", person->position[0], person->position[1], person->position[2]);
        }
        return text;
    }

    TerrainGrid* grid = nullptr;
};

TEST_F(People, StandOnlyOnFreeCellsOfHeightExactlyFive)
{
    makeGrid({"10110", "01012", "10100", "01010"});
    putObject(0, 2, 1); // a tree
    putObject(1, 3, 0); // a cube, flattened at height 5
    grid->cellAt(2, 0)->setVertex(25, 5, 5.0001f, SlotCentre);
    grid->cellAt(3, 3)->setVertex(35, 35, 4.9999f, SlotCentre);
    const std::string text = place();
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(nullptr, grid->people[i]) << i;
        EXPECT_FALSE(grid->people[i]->saved);
    }
    const std::vector<Cell> cells = cellsOfPeople();
    const std::set<Cell> distinct(cells.begin(), cells.end());
    const std::set<Cell> free = {{0, 0}, {0, 3}, {1, 1}, {2, 2}, {3, 1}};
    EXPECT_EQ(free, distinct);
    EXPECT_EQ(std::string::npos, text.find("places for people"));
}

TEST_F(People, TakeFirstFiveQualifyingCellsOfTheSecondsSequence)
{
    const std::vector<std::string> levels = {"1101111", "1111011", "0111111", "1110111", "1111101"};
    makeGrid(levels);
    time_t before = 0, after = 1;
    for (int attempt = 0; attempt < 5 && before != after; ++attempt) {
        before = time(nullptr);
        place();
        after = time(nullptr);
    }
    ASSERT_EQ(before, after) << "the clock kept changing second";

    // Every person replays the sequence seeded with this second and skips the cells taken
    // before him, so together they take its first five different qualifying cells.
    std::vector<Cell> expected;
    srand(static_cast<unsigned>(before));
    while (expected.size() < 5) {
        const int r = rand() % 5;
        const int c = rand() % 7;
        if (levels[r][c] == '1' &&
            std::find(expected.begin(), expected.end(), Cell{r, c}) == expected.end())
            expected.push_back({r, c});
    }
    EXPECT_EQ(expected, cellsOfPeople());
}

TEST_F(People, FirstPlacementPrintsEachPersonAndMakesHim)
{
    makeGrid({"111", "111", "111"});
    const std::string text = place();
    for (const Person* person : grid->people) ASSERT_NE(nullptr, person);
    EXPECT_EQ(placementLines(true), text);
}

TEST_F(People, ReplacementReusesThePeopleAndKeepsTheirSpin)
{
    makeGrid({"111", "101", "111"});
    place();
    Person* before[5];
    ModelInstance* figures[5];
    for (int i = 0; i < 5; ++i) {
        before[i] = grid->people[i];
        ASSERT_NE(nullptr, before[i]);
        figures[i] = before[i]->model;
        before[i]->saved = true;
        before[i]->spin = 35.0f + i;
    }
    ASSERT_TRUE(grid->allPeopleSaved());

    const std::string text = place();
    EXPECT_EQ(placementLines(false), text);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(before[i], grid->people[i]);
        EXPECT_EQ(figures[i], grid->people[i]->model);
        EXPECT_FALSE(grid->people[i]->saved);
        EXPECT_EQ(35.0f + i, grid->people[i]->spin);
    }
    const std::vector<Cell> cells = cellsOfPeople();
    EXPECT_EQ(5u, std::set<Cell>(cells.begin(), cells.end()).size());
    EXPECT_EQ(0, std::count(cells.begin(), cells.end(), Cell{1, 1}));
    EXPECT_FALSE(grid->allPeopleSaved());
}

TEST_F(People, FewerPlacesPutOnePersonOnEach)
{
    // why: with fewer than five places the random search for a new cell never ended.
    makeGrid({"010", "001", "100"});
    std::string text = place();
    EXPECT_EQ("only 3 places for people\n" + placementLines(true), text);
    EXPECT_EQ(nullptr, grid->people[3]);
    EXPECT_EQ(nullptr, grid->people[4]);
    const std::vector<Cell> cells = cellsOfPeople();
    EXPECT_EQ((std::set<Cell>{{0, 1}, {1, 2}, {2, 0}}), std::set<Cell>(cells.begin(), cells.end()));

    Person* first = grid->people[0];
    for (int i = 0; i < 3; ++i) grid->people[i]->saved = true;
    EXPECT_TRUE(grid->allPeopleSaved());
    text = place();
    EXPECT_EQ("only 3 places for people\n" + placementLines(false), text);
    EXPECT_EQ(first, grid->people[0]);
    EXPECT_EQ(nullptr, grid->people[3]);
    EXPECT_FALSE(grid->allPeopleSaved());
}

TEST_F(People, NoPlaceMeansNobody)
{
    // why: a world without a place for people hung the load in the cell search.
    makeGrid({"02", "10"});
    putObject(1, 0, 1); // the only cell at height 5 holds a tree
    grid->cellAt(0, 0)->setVertex(5, 5, 5.0001f, SlotCentre);
    grid->cellAt(1, 1)->setVertex(15, 15, 4.9999f, SlotCentre);
    EXPECT_EQ("only 0 places for people\n", place());
    for (const Person* person : grid->people) EXPECT_EQ(nullptr, person);
    EXPECT_FALSE(grid->allPeopleSaved());
    float x = 15, y = 5, z = 5;
    EXPECT_EQ(0, grid->rescueNearby(x, y, z));
}

// A person made outside any placement, standing where the test puts him.
std::unique_ptr<Person> personAt(float x, float y, float z)
{
    CapturedStdout quiet;
    std::unique_ptr<Person> person(new Person(14, 1));
    person->position[0] = x;
    person->position[1] = y;
    person->position[2] = z;
    return person;
}

TEST_F(People, RescueReachIsSevenUnitsInclusive)
{
    float x = 18, y = 31, z = 7; // 3, 6 and 2 away: squared distance exactly 49
    auto near = personAt(15, 25, 5);
    EXPECT_TRUE(near->tryRescue(x, y, z));
    EXPECT_TRUE(near->saved);

    float farZ = 7.01f;
    auto far = personAt(15, 25, 5);
    EXPECT_FALSE(far->tryRescue(x, y, farZ));
    EXPECT_FALSE(far->saved);

    float alongX = 22.001f, centreY = 25, ground = 5;
    EXPECT_FALSE(far->tryRescue(alongX, centreY, ground));
    EXPECT_FALSE(far->saved);
}

TEST_F(People, RescueReachCountsHeight)
{
    float x = 15, y = 25, seven = 12, eight = 13;
    auto person = personAt(15, 25, 5);
    EXPECT_FALSE(person->tryRescue(x, y, eight));
    EXPECT_FALSE(person->saved);
    EXPECT_TRUE(person->tryRescue(x, y, seven));
    EXPECT_TRUE(person->saved);
}

class Rescue : public People {
  protected:
    void SetUp() override
    {
        People::SetUp();
        makeGrid({"1"});
    }
    Person* putPerson(int slot, float x, float y)
    {
        Person* person = personAt(x, y, 5).release();
        grid->people[slot] = person;
        return person;
    }
};

TEST_F(Rescue, CountsEachPersonOncePerPlacement)
{
    Person* a = putPerson(0, 15, 15);
    Person* b = putPerson(2, 15, 19);
    Person* far = putPerson(3, 95, 95);
    float x = 15, y = 17, z = 5;
    EXPECT_EQ(2, grid->rescueNearby(x, y, z));
    EXPECT_TRUE(a->saved);
    EXPECT_TRUE(b->saved);
    EXPECT_FALSE(far->saved);
    EXPECT_EQ(0, grid->rescueNearby(x, y, z));
    EXPECT_EQ(15.0f, x); // the player is not moved
    EXPECT_EQ(17.0f, y);
}

TEST_F(Rescue, AllSavedNeedsEveryExistingPerson)
{
    // why: empty slots were dereferenced, and no people at all read as all saved.
    EXPECT_FALSE(grid->allPeopleSaved());
    Person* people[5];
    for (int i = 0; i < 5; ++i) people[i] = putPerson(i, 15, 15 + i);
    for (int unsaved = 0; unsaved < 5; ++unsaved) {
        for (int i = 0; i < 5; ++i) people[i]->saved = i != unsaved;
        EXPECT_FALSE(grid->allPeopleSaved()) << "person " << unsaved << " still stands";
    }
    for (Person* person : people) person->saved = true;
    EXPECT_TRUE(grid->allPeopleSaved());

    // Empty slots are skipped, not counted as saved or unsaved.
    delete people[1];
    delete people[4];
    grid->people[1] = grid->people[4] = nullptr;
    EXPECT_TRUE(grid->allPeopleSaved());
    people[3]->saved = false;
    EXPECT_FALSE(grid->allPeopleSaved());
}

} // namespace
