// The terrain grid: cells of 10 x 10 units, each eight triangles over nine vertices.
// Pure data and geometry; the drawing members live in terrain/cell_draw.cpp.
#pragma once

#include "terrain/bands.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

class MeshStore;
class ModelInstance;
class Person;

// Slots of a cell's vertices and neighbour links; the vertex in slot k < 8 lies on the
// border shared with the neighbour in slot k.
enum Slot { SlotN = 0, SlotS, SlotE, SlotW, SlotNE, SlotNW, SlotSE, SlotSW, SlotCentre };

// Sides of a cell for the wall flags, in flag order.
enum Side { SideN = 0, SideS, SideE, SideW };

// A vertex shared in layout by terrain cells and mesh faces.
struct Vertex {
    float position[3];
    float baseColour[3];
    float colour[3];
    float normal[3];
};

// Offsets of the nine slots from the cell centre, in world units (x, y).
extern const float slotOffset[9][2];

// Corners of the eight triangles, in the order used for their normals (all face up).
extern const int triangleCorners[8][3];

// The clock that seeds the placement of people: time() in whole seconds, or a stand-in.
using Clock = std::time_t (*)(std::time_t*);

// What the frame display hands to the grid draw.
struct TerrainDrawParams {
    unsigned int primitive; // GL_TRIANGLES for the filled pass, GL_POLYGON otherwise
    bool outline;           // the hidden-line pass: shapes only, one flat colour
    bool showNormals;       // draw every drawn cell's vertex normals
    bool lighting;          // handed on to the model and person draws
    float playerX;          // the player's ground position, for the distance cull
    float playerY;
};

class TerrainCell {
  public:
    Vertex vertices[9];
    uint8_t sideFlags[4] = {0, 0, 0, 0}; // N S E W: draw a wall on that side
    TerrainCell* neighbours[8] = {};     // by slot, null at the border
    float faceNormals[8][3] = {};        // unit normals of the eight triangles
    unsigned int texture = 0;            // band texture name of the centre height
    ModelInstance* model = nullptr;      // not owned; the grid's list owns it
    float playerDX = 0, playerDY = 0;    // written by the draw only

    // Sets a vertex position, recolours it by band and re-chooses the cell texture from names.
    void setVertex(float x, float y, float z, int slot, const BandTextures& names);
    // Writes the colour into both baseColour and colour of the slot.
    void setVertexColour(float r, float g, float b, int slot);
    void setVertexNormal(float x, float y, float z, int slot);
    // Sets `texture` to the name in `names` of the band of the centre height.
    void updateTexture(const BandTextures& names);
    // Stores a neighbour link; false (nothing stored) for slot 8.
    bool setNeighbour(TerrainCell* cell, int slot);

    // Unit normals of the eight triangles from the current positions.
    void computeFaceNormals();
    // Vertex normals from this cell's and the linked neighbours' face normals.
    // Writes "south exits" to log when a south neighbour is linked.
    void computeVertexNormals(std::FILE* log);

    // Drawing (needs a GL context): culls, then the normals, model, surface and walls.
    void drawCell(const TerrainDrawParams& params);
    void drawNormalLines();
};

// The grid owns everything hanging from it: cells, placed instances and people.
class TerrainGrid {
  public:
    TerrainCell*** cells = nullptr; // rows tables of cols cell pointers
    int32_t rows = 0, cols = 0;
    Person* people[5] = {};                     // filled by the first placement of people
    int32_t startX = 0, startY = 0, startZ = 0; // player start, set by the object map
    ModelInstance* instances = nullptr;         // placed instances, newest first
    BandTextures textures;                      // the names cells copy; fixed at construction

    // Builds a flat grid at height 0. Check `valid()`: false when memory ran out.
    TerrainGrid(int rows, int cols, const BandTextures& textures);
    // Frees the cells, the placed instances and the people.
    ~TerrainGrid();
    TerrainGrid(const TerrainGrid&) = delete;
    TerrainGrid& operator=(const TerrainGrid&) = delete;

    bool valid() const { return cells != nullptr; }

    // The cell at (row, col), or null outside the grid.
    TerrainCell* cellAt(int row, int col) const;
    // Makes the whole cell flat at level × 5; false outside the grid.
    bool setCellHeight(int row, int col, int level);

    // Seam stitching.
    bool joinCells(float x, float y, float z, TerrainCell* a, TerrainCell* b, int side);
    bool stitchCell(int row, int col);

    // Face normals of every cell, then vertex normals of every cell ("south exits" to log).
    void computeNormals(std::FILE* log);

    // Object placement; the model-not-loaded line goes to log.
    void placeModel(ModelInstance* instance, int row, int col, int passable, std::FILE* log);
    void setStartCell(int row, int col);

    // People: placed on free cells of height 5, the generator seeded from `clock` before each
    // of the five; the first placement makes them, with the mesh `personMeshId` of `meshes`.
    // Their lines go to log.
    void placePeople(const MeshStore& meshes, int personMeshId, std::FILE* log, Clock clock);
    int rescueNearby(float& x, float& y, float& z);
    bool allPeopleSaved() const;

    // Drawing (needs a GL context): the cells within reach of the player, then the people.
    void drawGrid(const TerrainDrawParams& params);

  private:
    TerrainCell** cellPointers = nullptr; // the row tables, one block row after row
    TerrainCell* cellStore = nullptr;     // all cells in one block, row after row
};
