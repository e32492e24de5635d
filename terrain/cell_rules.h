// What the world load makes of one cell, written once for the game and the world checker: the
// height of a map level, the stitched height between two cell centres, the level a solid object
// flattens its cell to, whether a person may stand on it, and the player's start above it.
#pragma once

#include <cstdint>

// The height of a cell of map level `level` (a digit's value, 0 for any other character).
inline float levelHeight(int level)
{
    return static_cast<float>(level * 5);
}

// The height that stitching gives the midpoint of the edge two cells share: the mean of their
// centre heights. Map heights are multiples of 5, so the mean is exact.
inline float seamHeight(float centre, float neighbourCentre)
{
    return (centre + neighbourCentre) * 0.5f;
}

// The level a solid object flattens its cell to: the centre height x 0.2, truncated. The 0.2
// is a single-precision constant, which gives multiples of 5 back their level exactly.
inline int flattenedLevel(float centreHeight)
{
    return static_cast<int>(centreHeight * 0.2f);
}

// Whether a person may stand on a cell: no object on it and its centre at height exactly 5
// (terrain digit 1).
inline bool canHoldPerson(float centreHeight, bool hasObject)
{
    return centreHeight == 5.0f && !hasObject;
}

// Where the player starts, in whole world units.
struct StartPoint {
    int32_t x = 0, y = 0, z = 0;
};

// The start above the cell (row, col): its centre, 5 units above its centre height.
inline StartPoint startAbove(int row, int col, float centreHeight)
{
    return {row * 10 + 5, col * 10 + 5, static_cast<int32_t>(centreHeight + 5.0f)};
}

// The cell the player starts above when the object map names none: the middle one. False in a
// world without cells.
inline bool middleCell(int rows, int cols, int& row, int& col)
{
    row = rows / 2;
    col = cols / 2;
    return row < rows && col < cols;
}
// The start in a world without cells, which the object map cannot name either.
constexpr StartPoint startWithoutCells = {5, 5, 5};
