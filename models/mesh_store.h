// Polygon models read from text files, kept in one list and found by a 16-bit identifier.
#pragma once

#include "terrain/grid.h"

#include <cstdint>
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

// The store, newest mesh first. Written only by loadMesh (and releaseMeshes in tests).
extern Mesh* meshList;

// Reads a model file into a new mesh at the head of the store and returns its identifier,
// or -1 when the file cannot be opened. Prints the face count, every corner and the id.
int loadMesh(const char* fileName);

// The newest mesh whose identifier equals `id`, or null; prints each identifier it passes.
Mesh* findMesh(int id);

// The identifier a new mesh gets for a random candidate: one walk of the store from the
// head, adding 1 at each mesh whose id equals the candidate's low 16 bits.
int16_t meshIdFor(uint32_t candidate);

// Frees every mesh and empties the store (tests and fuzz targets only).
void releaseMeshes();
