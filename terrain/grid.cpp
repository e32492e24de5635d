// Grid and cell construction, vertex writes and cell heights.
#include "terrain/grid.h"

#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/cell_rules.h"

#include <cstdlib>
#include <new>
#include <type_traits>

const float slotOffset[9][2] = {
    {-5, 0}, {5, 0}, {0, 5}, {0, -5}, {-5, 5}, {-5, -5}, {5, 5}, {5, -5}, {0, 0},
};

const int triangleCorners[8][3] = {
    {SlotN, SlotW, SlotCentre}, {SlotS, SlotE, SlotCentre}, {SlotN, SlotCentre, SlotE},
    {SlotS, SlotCentre, SlotW}, {SlotN, SlotE, SlotNE},     {SlotN, SlotNW, SlotW},
    {SlotS, SlotSE, SlotE},     {SlotS, SlotW, SlotSW},
};

namespace {

// Slot order in which a whole cell is written, at construction and by setCellHeight: the
// centre first, so that the texture follows the new centre height from the first write on.
const int cellWriteOrder[9] = {SlotCentre, SlotE,  SlotW,  SlotS, SlotN,
                               SlotSE,     SlotNE, SlotSW, SlotNW};

// Room for `count` cells, or null. Ordinary memory at every size: asking for huge pages made
// the kernel compact memory while the cells were first written, and on a machine whose memory
// had been in use a million cells then took seconds longer to start, and unevenly so.
TerrainCell* allocateCells(long long count)
{
    const size_t bytes = static_cast<size_t>(count > 0 ? count : 1) * sizeof(TerrainCell);
    return static_cast<TerrainCell*>(std::malloc(bytes));
}

} // namespace

void TerrainCell::setVertex(float x, float y, float z, int slot, const BandTextures& names)
{
    float* p = vertices[slot].position;
    p[0] = x;
    p[1] = y;
    p[2] = z;
    const float* c = bandColour(z);
    setVertexColour(c[0], c[1], c[2], slot);
    updateTexture(names);
}

void TerrainCell::setVertexColour(float r, float g, float b, int slot)
{
    Vertex& v = vertices[slot];
    v.baseColour[0] = v.colour[0] = r;
    v.baseColour[1] = v.colour[1] = g;
    v.baseColour[2] = v.colour[2] = b;
}

void TerrainCell::setVertexNormal(float x, float y, float z, int slot)
{
    float* n = vertices[slot].normal;
    n[0] = x;
    n[1] = y;
    n[2] = z;
}

void TerrainCell::updateTexture(const BandTextures& names)
{
    texture = bandTexture(names, vertices[SlotCentre].position[2]);
}

bool TerrainCell::setNeighbour(TerrainCell* cell, int slot)
{
    if (slot < 0 || slot > 7) return false;
    neighbours[slot] = cell;
    return true;
}

TerrainGrid::TerrainGrid(int rowCount, int colCount, const BandTextures& names) : textures(names)
{
    if (rowCount < 0 || colCount < 0) return;
    const long long count = static_cast<long long>(rowCount) * colCount;
    TerrainCell*** table = new (std::nothrow) TerrainCell**[rowCount > 0 ? rowCount : 1];
    TerrainCell** pointers = new (std::nothrow) TerrainCell*[count > 0 ? count : 1];
    TerrainCell* store = allocateCells(count);
    if (!table || !pointers || !store) {
        delete[] table;
        delete[] pointers;
        std::free(store);
        return;
    }
    rows = rowCount;
    cols = colCount;
    cells = table;
    cellPointers = pointers;
    cellStore = store;
    for (int row = 0; row < rows; ++row) {
        cells[row] = pointers + static_cast<long long>(row) * cols;
        for (int col = 0; col < cols; ++col) {
            TerrainCell* cell = new (&store[static_cast<long long>(row) * cols + col]) TerrainCell;
            cells[row][col] = cell;
            const float cx = row * 10.0f + 5.0f, cy = col * 10.0f + 5.0f;
            for (int slot : cellWriteOrder)
                cell->setVertex(cx + slotOffset[slot][0], cy + slotOffset[slot][1], 0.0f, slot,
                                textures);
            for (int slot = 0; slot < 9; ++slot) cell->setVertexNormal(0, 0, 1, slot);
        }
    }
}

TerrainGrid::~TerrainGrid()
{
    for (Person* person : people) delete person;
    while (ModelInstance* instance = instances) {
        instances = instance->next;
        delete instance;
    }
    delete[] cells;
    delete[] cellPointers;
    std::free(cellStore); // cells are trivially destructible
}

TerrainCell* TerrainGrid::cellAt(int row, int col) const
{
    if (row < 0 || row >= rows || col < 0 || col >= cols) return nullptr;
    return cells[row][col];
}

bool TerrainGrid::setCellHeight(int row, int col, int level)
{
    TerrainCell* cell = cellAt(row, col);
    if (!cell) return false;
    const float h = levelHeight(level);
    const float cx = cell->vertices[SlotCentre].position[0];
    const float cy = cell->vertices[SlotCentre].position[1];
    for (int slot : cellWriteOrder)
        cell->setVertex(cx + slotOffset[slot][0], cy + slotOffset[slot][1], h, slot, textures);
    return true;
}

static_assert(std::is_trivially_destructible_v<TerrainCell>, "cells are freed without destructors");
