// The top-down picture of a loaded world for map authors: every cell in its band colour shaded
// by slope, objects, the start, places for people and findings, a legend; written as PNG.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TerrainCell;
class TerrainGrid;

namespace picture {

// What one cell shows besides its ground, as the game loaded it: an object kind in the low
// two bits, and flags. The caller knows the reading rules; the picture only draws them.
enum CellMark : uint8_t {
    MarkNone = 0,     // no object
    MarkPyramid = 1,  // a pyramid stands on the cell
    MarkCube = 2,     // a cube stands on the cell
    MarkTree = 3,     // a tree stands on the cell
    MarkObject = 3,   // the bits of the object kind
    MarkPeople = 4,   // a place for people
    MarkStart = 8,    // the player's start cell
    MarkFinding = 16, // a cell that a finding names
};

// What to draw: the loaded grid and one mark per cell.
struct WorldView {
    const TerrainGrid* grid = nullptr; // heights and slopes; not owned
    std::vector<uint8_t> marks;        // rows * cols CellMark bits, row after row; empty: none
};

// One colour of the picture, 8 bits a channel.
struct Rgb {
    uint8_t r, g, b;
    // Same colour in all three channels.
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// The solid colours of the marks, none of them a band colour lit or shaded.
extern const Rgb cubeColour;    // yellow
extern const Rgb pyramidColour; // orange
extern const Rgb treeColour;    // violet
extern const Rgb startColour;   // red
extern const Rgb peopleColour;  // pink
extern const Rgb findingColour; // magenta

// The map fits in this many pixels a side unless its cells are already one pixel.
constexpr int maxMapSide = 2048;
// Cells of at least this many pixels show symbols; smaller ones one solid colour.
constexpr int minSymbolCell = 8;
// The legend block below the map, at the left, drawn at this fixed size.
constexpr int legendWidth = 580;
constexpr int legendHeight = 220;

// Where the parts of the picture of a world of rows x cols cells lie, in pixels.
struct Layout {
    int cell = 1;      // the side of one cell
    int mapWidth = 0;  // cols * cell, from the left edge
    int mapHeight = 0; // rows * cell, from the top; the legend starts below
    int width = 0;     // the map's width, widened to the legend's on narrow maps
    int height = 0;    // mapHeight + legendHeight
};

// The side of a cell: the largest whole number of pixels that keeps the map within
// maxMapSide a side, never less than 1.
int cellPixels(int rows, int cols);
// The layout of the picture of a world of rows x cols cells (both >= 0).
Layout pictureLayout(int rows, int cols);
// The cell's band colour (of its centre height), lighter where the stitched slope faces the
// light from the north-west, darker where it faces away; exactly the band colour when flat.
Rgb groundColour(const TerrainCell& cell);

// Draws the picture and writes it to `file` as an 8-bit RGB PNG, the same bytes for the same
// world. False with `error` set when the view does not fit its grid or libpng fails; the
// file may then hold part of a picture.
bool writeWorldPicture(const WorldView& view, FILE* file, std::string& error);
// The same into a file created (or replaced) at `path`.
bool writeWorldPicture(const WorldView& view, const std::string& path, std::string& error);

} // namespace picture
