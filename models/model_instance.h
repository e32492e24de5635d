// A placed copy of a mesh that draws itself; cubes, pyramids, trees and each person's figure.
#pragma once

#include <cstdint>

struct Mesh;
class TerrainGrid;

class ModelInstance final {
  public:
    ModelInstance* next = nullptr; // link in the grid's list of placed instances
    Mesh* mesh = nullptr;          // shared, not owned; null when the lookup failed
    int32_t passable = 0;          // 1: the player flies through it (trees, people)
    bool spareFlag = false;        // unused

    // Looks the mesh up (printing the lookup lines); prints "\ngeometry not found!!\n"
    // when there is none. Defined with the drawing code, where the virtual table lives.
    ModelInstance(int meshId, int passable);

    // Draws the mesh's faces in the current model-view frame (needs a GL context).
    virtual void draw(bool lighting, bool outline);
};

// Reads objects.txt onto the grid: instances, flattened solid cells, wall flags and the
// start cell. Returns true when the map named a start cell ("X").
bool loadObjects(TerrainGrid& grid);
