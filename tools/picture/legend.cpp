// The legend block below the map: the bands, objects, start, places for people and findings
// as the map shows them, and a scale bar, in our own bitmap font at a fixed size.
#include "models/object_kinds.h"
#include "terrain/bands.h"
#include "tools/picture/picture_parts.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace picture {
namespace {

const Rgb textColour = {255, 255, 255};
const Rgb tickColour = {0, 0, 0};

constexpr int fontScale = 2;                              // font pixels per picture pixel
constexpr int charAdvance = (glyphWidth + 1) * fontScale; // 12
constexpr int swatchSide = 24;                            // a legend entry's sample cell
constexpr int entryTop = 36, entryPitch = 32;             // the rows of entries
constexpr int columnLeft[3] = {12, 192, 342};             // bands, objects, marks
constexpr int scaleTop = 170, noteTop = 196;              // the scale bar and its note

// The legend block being drawn; every write is clipped to it.
struct Block {
    uint8_t* pixels;

    void set(int x, int y, Rgb c)
    {
        if (x < 0 || y < 0 || x >= legendWidth || y >= legendHeight) return;
        uint8_t* p = pixels + (static_cast<size_t>(y) * legendWidth + x) * 3;
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    void fill(int x, int y, int w, int h, Rgb c)
    {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) set(x + i, y + j, c);
    }
    // A character the font lacks shows as a solid box, so that it cannot go unnoticed.
    void text(int x, int y, const std::string& s)
    {
        for (char ch : s) {
            const uint8_t* rows = glyphRows(ch);
            for (int j = 0; j < glyphHeight; ++j)
                for (int i = 0; i < glyphWidth; ++i)
                    if (!rows || (rows[j] >> (glyphWidth - 1 - i) & 1))
                        fill(x + i * fontScale, y + j * fontScale, fontScale, fontScale,
                             textColour);
            x += charAdvance;
        }
    }
    // A sample cell drawn at the swatch size by the map's own cell code.
    void cell(int x, int y, Rgb ground, uint8_t mark,
              void (*draw)(uint8_t*, int, int, Rgb, uint8_t))
    {
        uint8_t line[swatchSide * 3];
        for (int j = 0; j < swatchSide; ++j) {
            draw(line, swatchSide, j, ground, mark);
            for (int i = 0; i < swatchSide; ++i)
                set(x + i, y + j, {line[i * 3], line[i * 3 + 1], line[i * 3 + 2]});
        }
    }
};

Rgb flatBand(float height)
{
    const float* c = bandColour(height);
    return {static_cast<uint8_t>(c[0] * 255 + 0.5f), static_cast<uint8_t>(c[1] * 255 + 0.5f),
            static_cast<uint8_t>(c[2] * 255 + 0.5f)};
}

// One entry: the sample as the map shows it, its name beside it.
void entry(Block& block, int column, int line, uint8_t mark, int mapCell, const std::string& name)
{
    const int x = columnLeft[column], y = entryTop + line * entryPitch;
    const Rgb grass = flatBand(5.0f);
    if (mapCell >= minSymbolCell) {
        block.cell(x, y, grass, mark, drawCellRow);
    } else if (mark & MarkStart) {
        // Where cells are small the start is one red cell inside a ring.
        block.fill(x, y, swatchSide, swatchSide, grass);
        const int half = swatchSide / 2;
        // The ring reaches a little past the swatch, into the gap around it.
        for (int j = -2; j < swatchSide + 2; ++j)
            for (int i = -2; i < swatchSide + 2; ++i)
                if (const Rgb* c = startHaloColour(i + 0.5 - half, j + 0.5 - half))
                    block.set(x + i, y + j, *c);
        block.fill(x + half - 2, y + half - 2, 4, 4, startColour);
    } else {
        block.cell(x, y, grass, mark, drawSolidCellRow);
    }
    block.text(x + swatchSide + 8, y + (swatchSide - glyphHeight * fontScale) / 2, name);
}

void bandEntry(Block& block, int line, float height, const std::string& name)
{
    const int x = columnLeft[0], y = entryTop + line * entryPitch;
    block.fill(x, y, swatchSide, swatchSide, flatBand(height));
    block.text(x + swatchSide + 8, y + (swatchSide - glyphHeight * fontScale) / 2, name);
}

// The bar: the roundest length in units that fits 300 pixels at the map's scale.
void scaleBar(Block& block, int mapCell)
{
    static const int units[] = {50000, 20000, 10000, 5000, 2000, 1000, 500, 200,
                                100,   50,    20,    10,   5,    2,    1};
    int length = 0, unitsShown = 1;
    for (int u : units) {
        length = (u * mapCell + 5) / 10;
        unitsShown = u;
        if (length <= 300) break;
    }
    length = std::max(length, 1);
    const int x = columnLeft[0], y = scaleTop + 4;
    block.fill(x, y, length, 6, textColour);
    // Ticks at least 6 pixels apart: key presses (half height), cells, or ten cells.
    const int step = mapCell >= 30 ? 2 : mapCell >= 6 ? 10 : 100;
    for (int u = step; u < unitsShown; u += step) {
        const int at = x + (u * mapCell + 5) / 10;
        if (u % 10 == 0)
            block.fill(at, y, 1, 6, tickColour);
        else
            block.fill(at, y + 3, 1, 3, tickColour);
    }
    block.fill(x, scaleTop, 2, 14, textColour);
    block.fill(x + length - 2, scaleTop, 2, 14, textColour);
    std::string label = std::to_string(unitsShown) + (unitsShown == 1 ? " UNIT" : " UNITS");
    if (unitsShown >= 10)
        label += " = " + std::to_string(unitsShown / 10) + (unitsShown == 10 ? " CELL" : " CELLS");
    else if (unitsShown == 2)
        label += " = 1 KEY PRESS";
    block.text(x + length + 10, scaleTop, label);
    block.text(x, noteTop, "A CELL IS 10 UNITS. A KEY PRESS FLIES 2 UNITS.");
}

} // namespace

void drawLegend(uint8_t* pixels, const Layout& layout, int rows, int cols)
{
    Block block{pixels};
    block.fill(0, 0, legendWidth, legendHeight, backgroundColour);
    block.text(12, 10,
               std::to_string(rows) + " X " + std::to_string(cols) +
                   " CELLS, NORTH UP, LIT FROM NW");
    bandEntry(block, 0, 0.0f, "WATER 0");
    bandEntry(block, 1, 5.0f, "GRASS 5-25");
    bandEntry(block, 2, 30.0f, "DIRT 30-40");
    bandEntry(block, 3, 45.0f, "SNOW 45");
    for (int kind = 0; kind < objectKindCount; ++kind) {
        std::string name = objectKinds[kind].name;
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        entry(block, 1, kind, static_cast<uint8_t>(kind + 1), layout.cell, name);
    }
    entry(block, 2, 0, MarkStart, layout.cell, "START");
    entry(block, 2, 1, MarkPeople, layout.cell, "PLACE FOR PEOPLE");
    entry(block, 2, 2, MarkFinding, layout.cell, "FINDING");
    scaleBar(block, layout.cell);
}

} // namespace picture
