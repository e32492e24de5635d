// Polygon models read from text streams, kept in one store and found by a 16-bit identifier.
#pragma once

#include "terrain/grid.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// One polygon; its corners use `position` and `colour` (the face colour) only.
struct MeshFace {
    std::vector<Vertex> vertices;         // the corners actually read, in file order
    int8_t vertexCount = 0;               // corners read, cut to 8 bits: draw this many if > 0
    float normal[3] = {0.0f, 0.0f, 1.0f}; // from the first three corners; (0, 0, 1) if none
};

struct Mesh {
    std::vector<MeshFace> faces; // the faces actually read, in file order
    int16_t faceCount = 0;       // faces read, cut to 16 bits: draw this many if > 0
    int16_t id = 0;
    Mesh* next = nullptr; // the next older mesh
};

// The meshes of a world, newest first. It owns them and frees them when it goes.
class MeshStore {
  public:
    MeshStore() = default;
    ~MeshStore();
    MeshStore(MeshStore&& other) noexcept;
    MeshStore& operator=(MeshStore&& other) noexcept;
    MeshStore(const MeshStore&) = delete;
    MeshStore& operator=(const MeshStore&) = delete;

    // Draws an identifier from rand(), then reads a model from `in` (models/model_file.h) into
    // a new mesh at the head of the store and returns its identifier; writes the face count,
    // every corner and the identifier to log. A null stream (no file) returns -1, the number
    // drawn all the same.
    int loadMesh(std::FILE* in, std::FILE* log);

    // The newest mesh whose identifier equals `id`, or null; writes each identifier it
    // passes to log.
    Mesh* findMesh(int id, std::FILE* log) const;

    // The identifier a new mesh gets for a random candidate: one walk of the store from the
    // head, adding 1 at each mesh whose id equals the candidate's low 16 bits.
    int16_t meshIdFor(uint32_t candidate) const;

    // The newest mesh, for walking the store through `next`.
    const Mesh* newest() const { return meshList; }

    // Puts a mesh made elsewhere (a test's, say) at the head of the store, which owns it
    // from now on.
    void adopt(Mesh* mesh);

  private:
    Mesh* meshList = nullptr;
};
