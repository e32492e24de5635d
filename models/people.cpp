// The five people to rescue: random placement on free cells of height 5, the rescue test
// and the all-saved test. Their drawing lives in models/person_draw.cpp.
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/cell_rules.h"
#include "terrain/grid.h"

#include <cstdlib>
#include <new>

bool holdsPerson(const TerrainCell& cell)
{
    return canHoldPerson(cell.vertices[SlotCentre].position[2], cell.model != nullptr);
}

long long countPeoplePlaces(const TerrainGrid& grid)
{
    long long places = 0;
    for (int row = 0; row < grid.rows; ++row)
        for (int col = 0; col < grid.cols; ++col) places += holdsPerson(*grid.cells[row][col]);
    return places;
}

Person::~Person()
{
    delete model;
}

bool Person::tryRescue(float& x, float& y, float& z)
{
    const double dx = static_cast<double>(position[0]) - x;
    const double dy = static_cast<double>(position[1]) - y;
    const double dz = static_cast<double>(position[2]) - z;
    if (dx * dx + dy * dy + dz * dz > 49.0) return false;
    saved = true;
    return true;
}

void TerrainGrid::placePeople(const MeshStore& meshes, int personMeshId, std::FILE* log,
                              Clock clock)
{
    const long long places = countPeoplePlaces(*this);
    const int count = places < 5 ? static_cast<int>(places) : 5;
    if (count < 5) std::fprintf(log, "only %d places for people\n", count);

    // The random search stops after this many draws and then takes the first free place in
    // reading order, so that a map with few places cannot keep it going for long.
    const long long maxDraws = 1000 + 16LL * rows * cols;
    int chosen[5][2];
    for (int i = 0; i < count; ++i) {
        srand(static_cast<unsigned>(clock(nullptr)));
        auto acceptable = [&](int row, int col) {
            if (!holdsPerson(*cells[row][col])) return false;
            for (int j = 0; j < i; ++j)
                if (chosen[j][0] == row && chosen[j][1] == col) return false;
            return true;
        };
        int row = 0, col = 0;
        bool found = false;
        for (long long draw = 0; draw < maxDraws && !found; ++draw) {
            row = rand() % rows;
            col = rand() % cols;
            found = acceptable(row, col);
        }
        for (long long k = 0; !found && k < static_cast<long long>(rows) * cols; ++k) {
            row = static_cast<int>(k / cols);
            col = static_cast<int>(k % cols);
            found = acceptable(row, col);
        }
        chosen[i][0] = row;
        chosen[i][1] = col;
        std::fprintf(log, "setting person %d, %d,%d\n", i, row, col);
        if (!people[i]) people[i] = new (std::nothrow) Person(meshes, personMeshId, 1, log);
        const float* centre = cells[row][col]->vertices[SlotCentre].position;
        std::fprintf(log, "%f,%f,%f\n", centre[0], centre[1], centre[2]);
        if (Person* person = people[i]) {
            for (int k = 0; k < 3; ++k) person->position[k] = centre[k];
            person->saved = false;
        }
    }
}

int TerrainGrid::rescueNearby(float& x, float& y, float& z)
{
    int count = 0;
    for (Person* person : people)
        if (person && !person->saved && person->tryRescue(x, y, z)) ++count;
    return count;
}

bool TerrainGrid::allPeopleSaved() const
{
    bool anyone = false;
    for (const Person* person : people) {
        if (!person) continue;
        if (!person->saved) return false;
        anyone = true;
    }
    return anyone;
}
