// Tests of the people to rescue: the cells one fixed second gives, what placing writes, where
// people may stand, placing again, few places, the rescue reach and the all-saved test.
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "tests/support/test_support.h"

#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cell = std::pair<int, int>;

// What making one person writes: the lookup of the person mesh, the only mesh in the store.
const char* const personLookup = "attempting to retrieve geometry\nid: 14\n";

// A world of 5 x 7 cells, 29 of them at level 1 (height 5).
const std::vector<std::string> pinnedWorld = {"1101111", "1111011", "0111111", "1110111",
                                              "1111101"};

// What the first placement in the second of fixedClock writes on that world, and the cells.
const std::string pinnedPlacement = "setting person 0, 2,4\n"
                                    "attempting to retrieve geometry\nid: 14\n"
                                    "25.000000,45.000000,5.000000\n"
                                    "setting person 1, 4,3\n"
                                    "attempting to retrieve geometry\nid: 14\n"
                                    "45.000000,35.000000,5.000000\n"
                                    "setting person 2, 1,5\n"
                                    "attempting to retrieve geometry\nid: 14\n"
                                    "15.000000,55.000000,5.000000\n"
                                    "setting person 3, 3,2\n"
                                    "attempting to retrieve geometry\nid: 14\n"
                                    "35.000000,25.000000,5.000000\n"
                                    "setting person 4, 0,3\n"
                                    "attempting to retrieve geometry\nid: 14\n"
                                    "5.000000,35.000000,5.000000\n";
const std::vector<Cell> pinnedCells = {{2, 4}, {4, 3}, {1, 5}, {3, 2}, {0, 3}};

// The same text as a placement that made nobody writes it.
std::string withoutLookups(std::string text)
{
    const std::string lookup = personLookup;
    for (size_t at; (at = text.find(lookup)) != std::string::npos;) text.erase(at, lookup.size());
    return text;
}

// A clock that moves on one second at every call, from the second of fixedClock.
int advancingCalls = 0;
std::time_t advancingClock(std::time_t* out)
{
    const std::time_t now = fixedClock(nullptr) + advancingCalls++;
    if (out) *out = now;
    return now;
}

// The person mesh 14 in the store; the grid is the test's.
class People : public ::testing::Test {
  protected:
    People()
    {
        Mesh* figure = new Mesh;
        figure->id = 14;
        meshes.adopt(figure);
    }

    // An object on the cell, placed as the object map places it.
    void putObject(int r, int c, int passable)
    {
        grid->placeModel(new ModelInstance(meshes, 99, passable, quiet.get()), r, c, passable,
                         quiet.get());
    }

    // Places the people with the clock; returns the lines written.
    std::string place(Clock clock = fixedClock)
    {
        LogStream log;
        grid->placePeople(meshes, 14, log.get(), clock);
        return log.text();
    }

    // The cell a person stands on, checking that he stands exactly on its centre.
    static Cell cellOf(const Person* person)
    {
        const int r = static_cast<int>(person->position[0]) / 10;
        const int c = static_cast<int>(person->position[1]) / 10;
        EXPECT_EQ(r * 10 + 5.0f, person->position[0]);
        EXPECT_EQ(c * 10 + 5.0f, person->position[1]);
        EXPECT_EQ(5.0f, person->position[2]);
        return {r, c};
    }

    std::vector<Cell> cellsOfPeople() const
    {
        std::vector<Cell> cells;
        for (const Person* person : grid->people)
            if (person) cells.push_back(cellOf(person));
        return cells;
    }

    MeshStore meshes;
    LogStream quiet;
    std::unique_ptr<TerrainGrid> grid;
};

TEST_F(People, OneFixedSecondGivesTheseCells)
{
    grid = makeGrid(pinnedWorld);
    EXPECT_EQ(pinnedPlacement, place());
    EXPECT_EQ(pinnedCells, cellsOfPeople());
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(nullptr, grid->people[i]);
        EXPECT_FALSE(grid->people[i]->saved);
        EXPECT_EQ(0.0f, grid->people[i]->spin);
        ASSERT_NE(nullptr, grid->people[i]->model);
        EXPECT_EQ(meshes.newest(), grid->people[i]->model->mesh);
        EXPECT_EQ(1, grid->people[i]->model->passable);
    }
}

TEST_F(People, StandOnlyOnFreeCellsOfHeightExactlyFive)
{
    grid = makeGrid({"10110", "01012", "10100", "01010"});
    putObject(0, 2, 1); // a tree
    putObject(1, 3, 0); // a cube, flattened at height 5
    grid->cellAt(2, 0)->setVertex(25, 5, 5.0001f, SlotCentre, grid->textures);
    grid->cellAt(3, 3)->setVertex(35, 35, 4.9999f, SlotCentre, grid->textures);
    ASSERT_EQ(5, countPeoplePlaces(*grid));
    const std::string text = place();
    for (const Person* person : grid->people) ASSERT_NE(nullptr, person);
    // Five people on the five places: each place once, so no two share a cell.
    const std::vector<Cell> cells = cellsOfPeople();
    const std::set<Cell> places = {{0, 0}, {0, 3}, {1, 1}, {2, 2}, {3, 1}};
    EXPECT_EQ(places, std::set<Cell>(cells.begin(), cells.end()));
    EXPECT_EQ(std::string::npos, text.find("places for people"));
}

TEST_F(People, PlacingAgainInTheSameSecondReusesThePeopleOnTheSameCells)
{
    grid = makeGrid(pinnedWorld);
    place();
    Person* before[5];
    ModelInstance* figures[5];
    for (int i = 0; i < 5; ++i) {
        before[i] = grid->people[i];
        figures[i] = before[i]->model;
        before[i]->saved = true;
        before[i]->spin = 35.0f + i;
    }
    ASSERT_TRUE(grid->allPeopleSaved());

    // No lookup lines: nobody is made again.
    EXPECT_EQ(withoutLookups(pinnedPlacement), place());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(before[i], grid->people[i]);
        EXPECT_EQ(figures[i], grid->people[i]->model);
        EXPECT_FALSE(grid->people[i]->saved);
        EXPECT_EQ(35.0f + i, grid->people[i]->spin);
    }
    EXPECT_FALSE(grid->allPeopleSaved());
}

TEST_F(People, EachPersonAsksTheClockAgain)
{
    // The clock is read once per person and seeds his search: the first person gets the fixed
    // second's first cell, each later one the first cell of his own later second instead of
    // the fixed second's next ones.
    grid = makeGrid(pinnedWorld);
    advancingCalls = 0;
    place(advancingClock);
    EXPECT_EQ(5, advancingCalls);
    const std::vector<Cell> cells = cellsOfPeople();
    EXPECT_EQ((std::vector<Cell>{{2, 4}, {0, 4}, {0, 0}, {0, 3}, {1, 6}}), cells);
    EXPECT_EQ(pinnedCells[0], cells[0]);
}

TEST_F(People, FewerPlacesPutOnePersonOnEach)
{
    // why: with fewer than five places the random search for a new cell never ended.
    grid = makeGrid({"010", "001", "100"});
    const std::string first = "only 3 places for people\n"
                              "setting person 0, 0,1\n"
                              "attempting to retrieve geometry\nid: 14\n"
                              "5.000000,15.000000,5.000000\n"
                              "setting person 1, 2,0\n"
                              "attempting to retrieve geometry\nid: 14\n"
                              "25.000000,5.000000,5.000000\n"
                              "setting person 2, 1,2\n"
                              "attempting to retrieve geometry\nid: 14\n"
                              "15.000000,25.000000,5.000000\n";
    EXPECT_EQ(first, place());
    EXPECT_EQ(nullptr, grid->people[3]);
    EXPECT_EQ(nullptr, grid->people[4]);

    Person* firstPerson = grid->people[0];
    for (int i = 0; i < 3; ++i) grid->people[i]->saved = true;
    EXPECT_TRUE(grid->allPeopleSaved());
    EXPECT_EQ(withoutLookups(first), place());
    EXPECT_EQ(firstPerson, grid->people[0]);
    EXPECT_EQ(nullptr, grid->people[3]);
    EXPECT_FALSE(grid->allPeopleSaved());
}

TEST_F(People, DrawsOnWorldsWiderThanTheyAreTall)
{
    // why: a row drawn modulo the columns, or a column modulo the rows, looks right on a
    // square world and leaves the grid on any other.
    grid = makeGrid({"0000000000000000000000001", "1000000000000000000000000"});
    place(advancingClock);
    const std::vector<Cell> cells = cellsOfPeople();
    ASSERT_EQ(2u, cells.size());
    const std::set<Cell> expected = {{0, 24}, {1, 0}};
    EXPECT_EQ(expected, std::set<Cell>(cells.begin(), cells.end()));
}

TEST_F(People, NoPlaceMeansNobody)
{
    // why: a world without a place for people hung the load in the cell search.
    grid = makeGrid({"02", "10"});
    putObject(1, 0, 1); // the only cell at height 5 holds a tree
    grid->cellAt(0, 0)->setVertex(5, 5, 5.0001f, SlotCentre, grid->textures);
    grid->cellAt(1, 1)->setVertex(15, 15, 4.9999f, SlotCentre, grid->textures);
    EXPECT_EQ(0, countPeoplePlaces(*grid));
    EXPECT_EQ("only 0 places for people\n", place());
    for (const Person* person : grid->people) EXPECT_EQ(nullptr, person);
    EXPECT_FALSE(grid->allPeopleSaved());
    float x = 15, y = 5, z = 5;
    EXPECT_EQ(0, grid->rescueNearby(x, y, z));
}

TEST_F(People, MissingFigureIsReportedAndThePersonStillStands)
{
    grid = makeGrid({"1"});
    LogStream log;
    grid->placePeople(meshes, 15, log.get(), fixedClock);
    EXPECT_EQ("only 1 places for people\n"
              "setting person 0, 0,0\n"
              "attempting to retrieve geometry\nid: 14\n\ngeometry not found!!\n"
              "5.000000,5.000000,5.000000\n",
              log.text());
    ASSERT_NE(nullptr, grid->people[0]);
    ASSERT_NE(nullptr, grid->people[0]->model);
    EXPECT_EQ(nullptr, grid->people[0]->model->mesh);
    float x = 5, y = 5, z = 5;
    EXPECT_EQ(1, grid->rescueNearby(x, y, z));
}

// One cell of level 1; the tests put people into its slots by hand.
class Rescue : public People {
  protected:
    void SetUp() override { grid = makeGrid({"1"}); }

    // A person made outside any placement, standing where the test puts him.
    std::unique_ptr<Person> personAt(float x, float y, float z)
    {
        std::unique_ptr<Person> person(new Person(meshes, 14, 1, quiet.get()));
        person->position[0] = x;
        person->position[1] = y;
        person->position[2] = z;
        return person;
    }

    // The same, in the grid's slot, which owns him.
    Person* putPerson(int slot, float x, float y)
    {
        grid->people[slot] = personAt(x, y, 5).release();
        return grid->people[slot];
    }
};

TEST_F(Rescue, ReachIsSevenUnitsInclusive)
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

TEST_F(Rescue, ReachCountsHeight)
{
    float x = 15, y = 25, seven = 12, eight = 13;
    auto person = personAt(15, 25, 5);
    EXPECT_FALSE(person->tryRescue(x, y, eight));
    EXPECT_FALSE(person->saved);
    EXPECT_TRUE(person->tryRescue(x, y, seven));
    EXPECT_TRUE(person->saved);
}

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
