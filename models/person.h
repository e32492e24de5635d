// A person to rescue: where he stands, whether he is saved, and his spinning figure.
#pragma once

#include <cstdio>

class MeshStore;
class ModelInstance;
class TerrainCell;
class TerrainGrid;

class Person final {
  public:
    float position[3] = {0, 0, 0}; // the centre vertex of his cell
    bool saved = false;
    float spin = 0;                 // degrees; grows by 5 at every draw, never wrapped
    ModelInstance* model = nullptr; // owned

    // Makes his figure: a new instance of the given mesh of `meshes`, its lookup lines to
    // log. Defined with the drawing code.
    Person(const MeshStore& meshes, int meshId, int passable, std::FILE* log);
    ~Person();
    Person(const Person&) = delete;
    Person& operator=(const Person&) = delete;

    // Draws him turned by `spin` when unsaved and within 100 units on the ground.
    virtual void draw(bool lighting, bool outline, float& playerX, float& playerY);

    // Marks him saved when the player is within 7 units (squared distance <= 49).
    bool tryRescue(float& x, float& y, float& z);
};

// Whether a person may stand on the cell (canHoldPerson of its centre height and its model).
bool holdsPerson(const TerrainCell& cell);

// The cells of the grid where a person may stand.
long long countPeoplePlaces(const TerrainGrid& grid);
