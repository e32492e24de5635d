// Drawing the world picture: the layout, the ground colour of a cell, the symbols of the
// marks, and the rows of the map and the legend streamed into the PNG writer.
#include "tools/picture/world_picture.h"

#include "models/object_kinds.h"
#include "platform/files.h"
#include "terrain/bands.h"
#include "terrain/cell_rules.h"
#include "tools/picture/picture_parts.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

namespace picture {

const Rgb startColour = {255, 0, 0};
const Rgb peopleColour = {255, 105, 180};
const Rgb findingColour = {255, 0, 255};

// The object bits of a mark hold the kind + 1: every kind needs a value of its own.
static_assert(objectKindCount <= MarkObject, "widen MarkObject for more kinds of object");

namespace {

const Rgb symbolEdge = {0, 0, 0};

// The kind of object a cell's mark shows, an index into objectKinds; -1 for none.
int markedKind(uint8_t mark)
{
    return (mark & MarkObject) - 1;
}

uint8_t channel(float value)
{
    return static_cast<uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

void put(uint8_t* out, Rgb c)
{
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
}

// Signed distance-like measures in cell units (the cell spans -0.5..0.5, v grows south):
// negative inside the shape, about the distance outside.
float squareShape(float u, float v)
{
    return std::max(std::fabs(u), std::fabs(v)) - 0.26f;
}

float roundShape(float u, float v, float cu, float cv, float radius)
{
    return std::hypot(u - cu, v - cv) - radius;
}

// A triangle with its apex at (0, top) pointing north and its base at v = bottom.
float triangleShape(float u, float v, float top, float bottom, float halfBase)
{
    const float height = bottom - top;
    const float length = std::hypot(halfBase, height);
    const float side = (std::fabs(u) * height - (v - top) * halfBase) / length;
    return std::max(side, v - bottom);
}

// The small standing figure of a place for people: a round head over a widening body.
float figureShape(float u, float v)
{
    const float head = roundShape(u, v, 0.0f, -0.17f, 0.085f);
    const float body = std::max(triangleShape(u, v, -0.16f, 0.22f, 0.16f), -0.05f - v);
    return std::min(head, body);
}

// One pixel of a cell large enough for symbols; (u, v) is the pixel's centre, `edge` the
// width of a symbol's dark edge, both in cell units.
Rgb symbolPixel(int size, int x, int y, float u, float v, float edge, Rgb ground, uint8_t mark)
{
    Rgb c = ground;
    if (const int kind = markedKind(mark); kind >= 0) {
        float d;
        switch (objectKinds[kind].symbol) {
        case '#': d = squareShape(u, v); break;
        case '^': d = triangleShape(u, v, -0.3f, 0.26f, 0.32f); break;
        default: d = roundShape(u, v, 0, 0, 0.3f); break;
        }
        if (d <= 0)
            c = objectColour(kind);
        else if (d <= edge)
            c = symbolEdge;
    }
    if (mark & MarkPeople) {
        const float d = figureShape(u, v);
        if (d <= 0)
            c = peopleColour;
        else if (d <= edge)
            c = symbolEdge;
    }
    if (mark & MarkStart) {
        // A thick ring, and inside it, where no other symbol stands, an arrowhead: the
        // player starts looking north.
        const float ring = std::fabs(std::hypot(u, v) - 0.4f) - std::max(0.06f, 0.6f / size);
        const bool arrow = (mark & (MarkObject | MarkPeople)) == 0 &&
                           triangleShape(u, v, -0.24f, 0.16f, 0.17f) <= 0;
        if (ring <= 0 || arrow) c = startColour;
    }
    if (mark & MarkFinding) {
        const int border = std::max(1, size / 8);
        if (std::min({x, y, size - 1 - x, size - 1 - y}) < border) c = findingColour;
    }
    return c;
}

// The one colour of a cell too small for symbols, the most urgent mark first.
Rgb solidColour(Rgb ground, uint8_t mark)
{
    if (mark & MarkFinding) return findingColour;
    if (mark & MarkStart) return startColour;
    if (mark & MarkPeople) return peopleColour;
    if (markedKind(mark) >= 0) return objectColour(markedKind(mark));
    return ground;
}

// Produces the picture's rows for the PNG writer: the map row by row, then the legend.
class Painter {
  public:
    Painter(const WorldView& view, const Layout& layout) : view(view), layout(layout) {}

    // Allocates the row and the legend block and finds the start cells; false when the
    // memory is not there.
    bool prepare()
    {
        row = new (std::nothrow) uint8_t[static_cast<size_t>(layout.width) * 3];
        legend = new (std::nothrow) uint8_t[static_cast<size_t>(legendWidth) * legendHeight * 3];
        ground = new (std::nothrow) Rgb[view.cols > 0 ? view.cols : 1];
        if (!row || !legend || !ground) return false;
        for (int x = 0; x < layout.width; ++x) put(row + x * 3, backgroundColour);
        drawLegend(legend, layout, view.rows, view.cols);
        if (layout.cell >= minSymbolCell || view.marks.empty()) return true;
        for (int r = 0; r < view.rows; ++r)
            for (int c = 0; c < view.cols; ++c)
                if (markAt(r, c) & MarkStart) {
                    try {
                        starts.push_back({r, c});
                    } catch (const std::bad_alloc&) {
                        return false;
                    }
                }
        return true;
    }

    ~Painter()
    {
        delete[] row;
        delete[] legend;
        delete[] ground;
    }
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    static const uint8_t* rowOf(void* painter, int y) noexcept
    {
        return static_cast<Painter*>(painter)->rowAt(y);
    }

  private:
    struct CellPlace {
        int row, col;
    };

    size_t indexOf(int r, int c) const
    {
        return static_cast<size_t>(r) * static_cast<size_t>(view.cols) + c;
    }

    // The kind of the object on the cell, an index into objectKinds; -1 for none (or for a
    // record that names no kind).
    int objectAt(int r, int c) const
    {
        const int kind = recordObject(view.cells[indexOf(r, c)]);
        return kind < objectKindCount ? kind : -1;
    }

    // The cell's flags, and the kind + 1 of the object on it in the object bits.
    uint8_t markAt(int r, int c) const
    {
        const uint8_t flags =
            view.marks.empty() ? MarkNone : view.marks[indexOf(r, c)] & ~MarkObject;
        return static_cast<uint8_t>(flags | (objectAt(r, c) + 1));
    }

    float centreAt(int r, int c) const
    {
        return levelHeight(recordLevel(view.cells[indexOf(r, c)]));
    }

    // The ground colour of the cell (r, c) from the heights the load gives it: its edge
    // midpoints stitched to the means of its own and its neighbours' centres, or the whole cell
    // flat under a solid object; an edge on the border of the grid keeps the centre height.
    Rgb groundAt(int r, int c) const
    {
        const float centre = centreAt(r, c);
        const int kind = objectAt(r, c);
        if (kind >= 0 && objectKinds[kind].solid) {
            const float flat = levelHeight(flattenedLevel(centre));
            return groundColour(flat, flat, flat, flat, flat);
        }
        const float north = r > 0 ? seamHeight(centre, centreAt(r - 1, c)) : centre;
        const float south = r + 1 < view.rows ? seamHeight(centre, centreAt(r + 1, c)) : centre;
        const float west = c > 0 ? seamHeight(centre, centreAt(r, c - 1)) : centre;
        const float east = c + 1 < view.cols ? seamHeight(centre, centreAt(r, c + 1)) : centre;
        return groundColour(centre, north, south, east, west);
    }

    const uint8_t* rowAt(int y)
    {
        if (y < layout.mapHeight) {
            drawMapRow(y);
        } else {
            // The map wrote its own pixels right of the legend: clear them once.
            if (y == layout.mapHeight)
                for (int x = 0; x < layout.width; ++x) put(row + x * 3, backgroundColour);
            const int legendRow = y - layout.mapHeight;
            std::memcpy(row, legend + static_cast<size_t>(legendRow) * legendWidth * 3,
                        legendWidth * 3);
        }
        return row;
    }

    void drawMapRow(int y)
    {
        const int size = layout.cell;
        const int r = y / size, inside = y % size;
        // The ground of a row of cells, once for all its pixel rows.
        if (inside == 0)
            for (int c = 0; c < view.cols; ++c) ground[c] = groundAt(r, c);
        for (int c = 0; c < view.cols; ++c)
            drawCellRow(row + static_cast<size_t>(c) * size * 3, size, inside, ground[c],
                        markAt(r, c));
        // The starts are in row order: pass those whose ring lies wholly above this row.
        const auto middle = [size](const CellPlace& s) { return s.row * size + size / 2; };
        while (firstStart < starts.size() && middle(starts[firstStart]) + startHaloRadius < y)
            ++firstStart;
        for (size_t i = firstStart;
             i < starts.size() && middle(starts[i]) - startHaloRadius <= y + 1; ++i)
            drawStartHalo(starts[i], y);
    }

    // The ring around a start cell too small to be seen alone, over its neighbours.
    void drawStartHalo(const CellPlace& start, int y)
    {
        const int size = layout.cell;
        const double cx = start.col * size + size * 0.5, cy = start.row * size + size * 0.5;
        const double dy = y + 0.5 - cy;
        if (std::fabs(dy) > startHaloRadius) return;
        const int left = std::max(0, static_cast<int>(cx) - startHaloRadius - 1);
        const int right = std::min(layout.mapWidth - 1, static_cast<int>(cx) + startHaloRadius);
        for (int x = left; x <= right; ++x)
            if (const Rgb* c = startHaloColour(x + 0.5 - cx, dy))
                put(row + static_cast<size_t>(x) * 3, *c);
    }

    const WorldView& view;
    const Layout layout;
    uint8_t* row = nullptr;        // one picture row, layout.width pixels
    uint8_t* legend = nullptr;     // the legend block, legendWidth x legendHeight pixels
    Rgb* ground = nullptr;         // the ground colours of the current row of cells
    std::vector<CellPlace> starts; // start cells in row order, where cells are small
    size_t firstStart = 0;         // the first start whose ring may reach the current row
};

// Whether the view has its cells and one mark per cell (or none); `error` says why not.
bool viewFits(const WorldView& view, std::string& error)
{
    if (view.rows < 0 || view.cols < 0 || (!view.cells && view.rows > 0 && view.cols > 0)) {
        error = "no world to draw";
        return false;
    }
    const size_t cells = static_cast<size_t>(view.rows) * static_cast<size_t>(view.cols);
    if (!view.marks.empty() && view.marks.size() != cells) {
        error = "the marks are " + std::to_string(view.marks.size()) + " for " +
                std::to_string(cells) + " cells";
        return false;
    }
    return true;
}

} // namespace

int cellPixels(int rows, int cols, int mapSide)
{
    const int longest = std::max(rows, cols);
    return longest > 0 ? std::max(1, mapSide / longest) : 1;
}

Layout pictureLayout(int rows, int cols, int mapSide)
{
    Layout layout;
    layout.cell = cellPixels(rows, cols, mapSide);
    // A world without cells (one row of no columns) has no map, only the legend.
    if (rows > 0 && cols > 0) {
        layout.mapWidth = cols * layout.cell;
        layout.mapHeight = rows * layout.cell;
    }
    layout.width = std::max(layout.mapWidth, legendWidth);
    layout.height = layout.mapHeight + legendHeight;
    return layout;
}

Rgb objectColour(int kind)
{
    const uint8_t* c = objectKinds[kind].colour;
    return {c[0], c[1], c[2]};
}

Rgb groundColour(float centre, float north, float south, float east, float west)
{
    const float* band = bandColour(centre);
    // Rise per unit towards the south (x) and the east (y), from the edge midpoints ten units
    // apart.
    const float gx = (south - north) / 10.0f;
    const float gy = (east - west) / 10.0f;
    float light = 1.0f;
    if (gx != 0 || gy != 0) {
        // Lambert with the light from the north-west, 45 degrees up, as a share of what
        // flat ground gets: up to 1.41 facing the light, 0 turned away.
        light = (gx + gy + std::sqrt(2.0f)) / (std::sqrt(2.0f) * std::sqrt(gx * gx + gy * gy + 1));
    }
    float c[3];
    for (int i = 0; i < 3; ++i) {
        // Lit slopes mix towards white, shaded ones towards black, never so far that the
        // band could be mistaken.
        c[i] = light >= 1.0f ? band[i] + (1.0f - band[i]) * std::min(light - 1.0f, 0.45f)
                             : band[i] * std::max(light, 0.35f);
    }
    return {channel(c[0]), channel(c[1]), channel(c[2])};
}

void drawSolidCellRow(uint8_t* out, int size, int y, Rgb ground, uint8_t mark)
{
    const Rgb c = solidColour(ground, mark);
    // A place for people is a dot with its ground around it, so that a shore full of them
    // still reads as land; a cell of one or two pixels has no room for that.
    const bool dot = (mark & (MarkFinding | MarkStart)) == 0 && (mark & MarkPeople);
    const int margin = dot ? size / 3 : 0;
    const bool dotRow = y >= margin && y < size - margin;
    for (int x = 0; x < size; ++x)
        put(out + x * 3, dotRow && x >= margin && x < size - margin ? c : ground);
}

void drawCellRow(uint8_t* out, int size, int y, Rgb ground, uint8_t mark)
{
    if (size < minSymbolCell) {
        drawSolidCellRow(out, size, y, ground, mark);
        return;
    }
    if (mark == MarkNone) {
        for (int x = 0; x < size; ++x) put(out + x * 3, ground);
        return;
    }
    const float pixel = 1.0f / size;
    const float v = (y + 0.5f) * pixel - 0.5f;
    const float edge = std::max(pixel, 0.03f);
    for (int x = 0; x < size; ++x)
        put(out + x * 3, symbolPixel(size, x, y, (x + 0.5f) * pixel - 0.5f, v, edge, ground, mark));
}

const Rgb* startHaloColour(double dx, double dy)
{
    const double d = std::hypot(dx, dy);
    if (d > startHaloRadius || d < startHaloRadius - 5) return nullptr;
    return d > startHaloRadius - 1 || d < startHaloRadius - 4 ? &symbolEdge : &startColour;
}

bool writeWorldPicture(const WorldView& view, FILE* file, std::string& error)
{
    if (!viewFits(view, error)) return false;
    const Layout layout = pictureLayout(view.rows, view.cols, view.mapSide);
    Painter painter(view, layout);
    if (!painter.prepare()) {
        error = "out of memory for the picture";
        return false;
    }
    char message[256] = "";
    if (!writePngRows(file, layout.width, layout.height, &Painter::rowOf, &painter, message,
                      sizeof message)) {
        error = message;
        return false;
    }
    return true;
}

bool writeWorldPicture(const WorldView& view, const std::string& path, std::string& error)
{
    if (!viewFits(view, error)) return false; // before the file is made
    FILE* file = platform::openFile(path, "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string reason;
    bool ok = writeWorldPicture(view, file, reason);
    // Buffered bytes reach the disk only here: a full disk shows up at the close.
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (!ok) error = "cannot write " + path + ": " + reason;
    return ok;
}

} // namespace picture
