// The top-down picture of a loaded world for map authors: every cell in its band colour shaded
// by slope, objects, the start, places for people and findings, a legend; written as PNG.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace picture {

// A cell of a world as the game loads it, in one byte: its map level (0 to 9) in the low four
// bits, and above them the object on it, 0 for none or 1 + its index in objectKinds.
constexpr uint8_t cellRecord(int level, int objectKind)
{
    return static_cast<uint8_t>(level | (objectKind + 1) << 4);
}
// The map level of a cell's record.
constexpr int recordLevel(uint8_t record)
{
    return record & 0x0F;
}
// The object of a cell's record, an index into objectKinds; -1 for none.
constexpr int recordObject(uint8_t record)
{
    return (record >> 4) - 1;
}

// What a cell shows besides its ground and its object: flags. The caller knows the reading
// rules; the picture only draws them.
enum CellMark : uint8_t {
    MarkNone = 0,
    MarkObject = 3,   // the bits of the object kind + 1, where the picture draws a cell
    MarkPeople = 4,   // a place for people
    MarkStart = 8,    // the player's start cell
    MarkFinding = 16, // a cell that a finding names
};

// The map fits in this many pixels a side unless its cells are already one pixel.
constexpr int maxMapSide = 2048;

// What to draw: the world's cells and one mark per cell.
struct WorldView {
    int rows = 0, cols = 0;
    const uint8_t* cells = nullptr; // rows * cols cellRecord bytes, row after row; not owned
    std::vector<uint8_t> marks;     // rows * cols CellMark flags, row after row; empty: none
    int mapSide = maxMapSide;       // the map fits in this many pixels a side (see cellPixels)
};

// One colour of the picture, 8 bits a channel.
struct Rgb {
    uint8_t r, g, b;
    // Same colour in all three channels.
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// The solid colours of the marks, none of them a band colour lit or shaded (the objects' come
// from their kinds).
extern const Rgb startColour;   // red
extern const Rgb peopleColour;  // pink
extern const Rgb findingColour; // magenta

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

// The side of a cell: the largest whole number of pixels that keeps the map within mapSide
// (maxMapSide for every picture the tools write) a side, never less than 1.
int cellPixels(int rows, int cols, int mapSide = maxMapSide);
// The layout of the picture of a world of rows x cols cells (both >= 0).
Layout pictureLayout(int rows, int cols, int mapSide = maxMapSide);
// The colour of the object kind (an index into objectKinds).
Rgb objectColour(int kind);
// The band colour of a cell's centre height, lighter where its slope (from the heights of the
// midpoints of its edges, north, south, east and west) faces the light from the north-west,
// darker where it faces away; exactly the band colour when flat.
Rgb groundColour(float centre, float north, float south, float east, float west);

// Draws the picture and writes it to `file` as an 8-bit RGB PNG, the same bytes for the same
// world. False with `error` set when the view's cells or marks are missing or too few, or
// libpng fails; the file may then hold part of a picture.
bool writeWorldPicture(const WorldView& view, FILE* file, std::string& error);
// The same into a file created (or replaced) at `path`.
bool writeWorldPicture(const WorldView& view, const std::string& path, std::string& error);

} // namespace picture
