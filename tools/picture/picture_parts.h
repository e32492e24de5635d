// The pieces the picture's files share: one cell's pixel rows, the ring around the start, the
// legend block, our own tiny bitmap font and the row-streaming PNG writer.
#pragma once

#include "tools/picture/world_picture.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace picture {

// The margin around and beside the map, and the legend's ground.
constexpr Rgb backgroundColour = {48, 48, 56};

// Writes pixel row y (0 at the cell's north edge) of a cell `size` pixels wide into out
// (size * 3 bytes): the ground, then the marks as symbols, or as one colour on small cells.
void drawCellRow(uint8_t* out, int size, int y, Rgb ground, uint8_t mark);
// The same as cells too small for symbols look, at any size: one colour, or a dot for a
// place for people.
void drawSolidCellRow(uint8_t* out, int size, int y, Rgb ground, uint8_t mark);

// The outer radius in pixels of the ring drawn around the start where cells are small: red
// from 9 to 12 pixels out, edged in black so that it shows on any ground.
constexpr int startHaloRadius = 13;
// The ring's colour at a pixel whose centre lies (dx, dy) pixels from the start cell's
// centre; null off the ring.
const Rgb* startHaloColour(double dx, double dy);

// Draws the legend into block (legendWidth x legendHeight pixels, RGB, row after row) for
// the picture of a world of rows x cols cells laid out as `layout`.
void drawLegend(uint8_t* block, const Layout& layout, int rows, int cols);

// The font's cell: 5 x 7 pixels for a character.
constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;
// The seven rows of character c (a capital, digit, space or one of "-=.,:()+<>/"), bit 4
// the leftmost pixel; null for a character the font lacks.
const uint8_t* glyphRows(char c);

// Gives row y (0 at the top) of the picture: width * 3 bytes that stay valid until the next
// call. Called in order, once a row.
using RowSource = const uint8_t* (*)(void* context, int y);
// Streams an 8-bit RGB PNG of width x height pixels into `file` one row at a time, without
// time or other varying chunks. False with the libpng message in `message` on failure.
bool writePngRows(FILE* file, int width, int height, RowSource source, void* context, char* message,
                  size_t messageSize);

} // namespace picture
