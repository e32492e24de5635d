// A placed copy of a mesh that draws itself; cubes, pyramids, trees and each person's figure.
#pragma once

#include <cstdint>
#include <cstdio>

struct Mesh;
class MeshStore;

class ModelInstance final {
  public:
    ModelInstance* next = nullptr; // link in the grid's list of placed instances
    Mesh* mesh = nullptr;          // shared, not owned; null when the lookup failed
    int32_t passable = 0;          // 1: the player flies through it (trees, people)
    bool spareFlag = false;        // unused

    // Looks the mesh up in `meshes` (writing the lookup lines to log); writes
    // "\ngeometry not found!!\n" when there is none. Defined with the drawing code, where the
    // virtual table lives.
    ModelInstance(const MeshStore& meshes, int meshId, int passable, std::FILE* log);

    // Draws the mesh's faces in the current model-view frame (needs a GL context).
    virtual void draw(bool lighting, bool outline);
};
