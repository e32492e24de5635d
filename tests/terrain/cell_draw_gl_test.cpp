// The terrain draw in a real GL context: what one cell emits in the filled, wire-frame and
// hidden-line modes, written out for one cell and checked as properties over many; its walls,
// the distance cull, the normal lines, and the grid draw around the player.
#include "tests/support/gl_test_util.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace {

const float black[4] = {0, 0, 0, 1};
const float white[4] = {1, 1, 1, 1};

// Gives every vertex of the cell its own colour, (slot / 8, 0.25, seed), and a different
// base colour, (0.75, slot / 16, 1 - seed), so that a feedback colour tells which vertex and
// which field it came from; `seed` keeps cells apart.
void paintCell(TerrainCell& cell, float seed)
{
    for (int k = 0; k < 9; ++k) {
        Vertex& v = cell.vertices[k];
        v.colour[0] = k / 8.0f;
        v.colour[1] = 0.25f;
        v.colour[2] = seed;
        v.baseColour[0] = 0.75f;
        v.baseColour[1] = k / 16.0f;
        v.baseColour[2] = 1.0f - seed;
    }
}

// An RGBA colour from an RGB one with alpha 1.
std::vector<float> opaque(const float* rgb)
{
    return {rgb[0], rgb[1], rgb[2], 1.0f};
}

std::vector<float> currentColour()
{
    std::vector<float> c(4);
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

std::vector<float> currentNormal()
{
    std::vector<float> n(3);
    glGetFloatv(GL_CURRENT_NORMAL, n.data());
    return n;
}

std::vector<float> material(GLenum face)
{
    std::vector<float> m(4);
    glGetMaterialfv(face, GL_DIFFUSE, m.data());
    return m;
}

// True when one of the primitive's vertices lies where the world point projects.
bool holds(const FeedbackPrimitive& prim, const float p[3])
{
    for (const FeedbackVertex& v : prim.vertices)
        if (at(v, p)) return true;
    return false;
}

GLint boundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

// Looks at the point (cx, cy, cz) from below and to one side, so that the walls show as
// faces and the tops of the cells face away from the viewer.
void setViewFromBelow(float cx, float cy, float cz)
{
    setSimpleOrtho(-30, 30, -30, 30);
    glRotatef(140.0f, 1.0f, 0.5f, 0.0f);
    glTranslatef(-cx, -cy, -cz);
}

// An oblique view from above of the point (cx, cy, cz), in which walls show as faces.
void setViewFromAbove(float cx, float cy, float cz)
{
    setSimpleOrtho(-30, 30, -30, 30);
    glRotatef(40.0f, 1.0f, 0.5f, 0.0f);
    glTranslatef(-cx, -cy, -cz);
}

// Straight down on the ground from x0 to x0 + size and y0 to y0 + size over the 500 x 500
// window, heights 0 to 100 as depths 0 to 1: window x = (x - x0) * 500 / size, likewise y,
// and window z = height / 100.
void setGroundView(float x0, float y0, float size)
{
    glViewport(0, 0, 500, 500);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(x0, x0 + size, y0, y0 + size, 0, -100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// From the side, looking along x: window x = 20 (y + 5), window y = 20 (z + 5), and window
// z = x / 100. The eye's axes are the world's y, z and x.
void setSideView()
{
    glViewport(0, 0, 500, 500);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-5, 20, -5, 20, 0, -100);
    glMatrixMode(GL_MODELVIEW);
    const float yzx[16] = {0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    glLoadMatrixf(yzx);
}

// The draw params of one mode with the player at (x, y).
TerrainDrawParams filledAt(float x, float y)
{
    return {GL_TRIANGLES, false, false, false, x, y};
}
TerrainDrawParams wireAt(float x, float y)
{
    return {GL_POLYGON, false, false, false, x, y};
}
TerrainDrawParams hiddenAt(float x, float y)
{
    return {GL_POLYGON, true, false, false, x, y};
}

const TerrainDrawParams filledAt15 = filledAt(15, 15);
const TerrainDrawParams wireAt15 = wireAt(15, 15);
const TerrainDrawParams hiddenAt15 = hiddenAt(15, 15);

// What drawing the cell emits, checking that the draw leaves the stacks and errors alone.
std::vector<FeedbackPrimitive> drawn(TerrainCell& cell, const TerrainDrawParams& params)
{
    const GlMark mark = GlMark::now();
    auto prims = feedbackOf([&] { cell.drawCell(params); });
    EXPECT_TRUE(leftAsFound(mark));
    return prims;
}

// The slot of the cell's vertex that lies where the feedback vertex does, or -1.
int slotAt(const TerrainCell& cell, const FeedbackVertex& v)
{
    for (int slot = 0; slot < 9; ++slot)
        if (at(v, cell.vertices[slot].position)) return slot;
    return -1;
}

// One corner as the draw must send it: the vertex in `slot` of the cell drawn, or of its
// neighbour across the side when `across`, with s and t where texturing is on.
struct Corner {
    int slot;
    float s = 0, t = 0;
    bool across = false;
};

// Which colour a corner carries: a field of its own vertex, or one colour for all.
using ColourOf = std::function<const float*(const Vertex&)>;
const ColourOf ownColour = [](const Vertex& v) { return v.colour; };
const ColourOf ownBaseColour = [](const Vertex& v) { return v.baseColour; };

// Success when the feedback vertex lies on the expected vertex and carries its colour (alpha
// 1), and s and t when `texCoords` (the feedback carries them only while texturing is on).
::testing::AssertionResult sends(const FeedbackVertex& v, const Vertex& vertex, const Corner& c,
                                 const ColourOf& colourOf, bool texCoords)
{
    ::testing::AssertionResult where = at(v, vertex.position);
    if (!where) return where;
    ::testing::AssertionResult colour = same(v.rgba, opaque(colourOf(vertex)).data(), 4);
    if (!colour) return colour << " (colour)";
    if (texCoords && !(std::fabs(v.stq[0] - c.s) < 1e-5f && std::fabs(v.stq[1] - c.t) < 1e-5f))
        return ::testing::AssertionFailure() << "s, t (" << v.stq[0] << ", " << v.stq[1]
                                             << "), expected (" << c.s << ", " << c.t << ")";
    return ::testing::AssertionSuccess();
}

// The vertices of each primitive, as `outlines` gives those of line mode.
std::vector<std::vector<FeedbackVertex>> shapesOf(const std::vector<FeedbackPrimitive>& prims)
{
    std::vector<std::vector<FeedbackVertex>> shapes;
    for (const FeedbackPrimitive& p : prims) shapes.push_back(p.vertices);
    return shapes;
}

// Success when the shapes are exactly the expected ones, corner by corner, in the order
// given: corners of `self`, or of `across` where a corner says so.
template <size_t count, size_t corners>
::testing::AssertionResult sendsAll(const std::vector<std::vector<FeedbackVertex>>& shapes,
                                    const Corner (&expected)[count][corners],
                                    const TerrainCell& self, const TerrainCell* across,
                                    const ColourOf& colourOf, bool texCoords)
{
    if (shapes.size() != count)
        return ::testing::AssertionFailure() << shapes.size() << " shapes, expected " << count;
    for (size_t i = 0; i < count; ++i) {
        if (shapes[i].size() != corners)
            return ::testing::AssertionFailure()
                   << "shape " << i << ": " << shapes[i].size() << " corners, expected " << corners;
        for (size_t k = 0; k < corners; ++k) {
            const Corner& c = expected[i][k];
            const TerrainCell& owner = c.across ? *across : self;
            ::testing::AssertionResult r =
                sends(shapes[i][k], owner.vertices[c.slot], c, colourOf, texCoords);
            if (!r) return r << " at shape " << i << " corner " << k;
        }
    }
    return ::testing::AssertionSuccess();
}

// The middle cell of a world whose neighbours all differ, so every vertex of the cell has
// a height of its own: centre 20; edges N 12.5, S 27.5, E 22.5, W 17.5; corners NW 10,
// NE 15, SW 25, SE 30. Painted with seed 0.5. Under the ground view from (0, 0) over 50
// units, window coordinates are ten times the world's and depth is a hundredth of height.
class CellDraw : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        game.grid = makeLoadedGrid({"012", "345", "678"});
        cell = game.grid->cellAt(1, 1);
        paintCell(*cell, 0.5f);
        setGroundView(0, 0, 50);
    }

    TerrainCell* cell = nullptr;
};

TEST_F(CellDraw, FilledEmitsEightTrianglesVertexByVertex)
{
    glEnable(GL_TEXTURE_2D); // without texturing the feedback carries no s, t
    // The corner triangles, then the diamond around the centre; each vertex's own colour,
    // and s, t that belong to the triangle rather than to the vertex.
    const Corner expected[8][3] = {
        {{SlotN, 0, 0}, {SlotE, 0, 1}, {SlotNE, 1, 1}},
        {{SlotE, 1, 0}, {SlotS, 0, 1}, {SlotSE, 1, 1}},
        {{SlotS, 1, 1}, {SlotW, 0, 0}, {SlotSW, 0, 1}},
        {{SlotW, 0, 1}, {SlotN, 1, 0}, {SlotNW, 0, 0}},
        {{SlotN, 0, 0}, {SlotW, 0, 1}, {SlotCentre, 0.5f, 0.5f}},
        {{SlotN, 0, 0}, {SlotCentre, 0.5f, 0.5f}, {SlotE, 1, 0}},
        {{SlotS, 1, 1}, {SlotCentre, 0.5f, 0.5f}, {SlotW, 0, 1}},
        {{SlotS, 1, 1}, {SlotE, 1, 0}, {SlotCentre, 0.5f, 0.5f}},
    };
    const auto prims = drawn(*cell, filledAt15);
    EXPECT_EQ(8, countTokens(prims, GL_POLYGON_TOKEN));
    EXPECT_TRUE(sendsAll(shapesOf(prims), expected, *cell, nullptr, ownColour, true));
    // The last vertex drawn is the centre; its colour stays current for what follows.
    const float centre[4] = {1, .25f, .5f, 1};
    EXPECT_TRUE(same(currentColour().data(), centre, 4));
}

TEST_F(CellDraw, WireFrameEmitsFourSquaresCornerByCorner)
{
    // Each corner with its base colour; in line mode each square comes back as its four
    // edges, listed here by the corner each edge starts from. No diagonal is drawn.
    const Corner expected[4][4] = {
        {{SlotS}, {SlotCentre}, {SlotW}, {SlotSW}},
        {{SlotS}, {SlotSE}, {SlotE}, {SlotCentre}},
        {{SlotN}, {SlotCentre}, {SlotE}, {SlotNE}},
        {{SlotN}, {SlotNW}, {SlotW}, {SlotCentre}},
    };
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto prims = drawn(*cell, wireAt15);
    EXPECT_EQ(16u, prims.size());
    EXPECT_TRUE(sendsAll(outlines(prims), expected, *cell, nullptr, ownBaseColour, false));
}

// A cube's cell at level 1 with one neighbour, to the south at level 3: the cube flattens
// its cell to 5, the neighbour's facing edge stays stitched at 10, and one wall closes the
// gap. The cell is painted with seed 0.5, the neighbour with 0.25.
class OneWall : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        game.grid = makeLoadedGrid({"1", "3"}, [](TerrainGrid& grid) {
            grid.placeModel(newInstance(999, 0), 0, 0, 0, quietLog()); // no mesh: draws nothing
        });
        cell = game.grid->cellAt(0, 0);
        paintCell(*cell, 0.5f);
        paintCell(*game.grid->cellAt(1, 0), 0.25f);
        setSideView();
    }

    // The outlines of the wall's two quads, drawn last, in line mode.
    std::vector<std::vector<FeedbackVertex>> wall(const TerrainDrawParams& params)
    {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        const auto shapes = outlines(drawn(*cell, params));
        if (shapes.size() < 2) return {};
        return {shapes.end() - 2, shapes.end()};
    }

    TerrainCell* cell = nullptr;
};

TEST_F(OneWall, EmitsTwoQuadsFromTheCellsEdgeToItsNeighbours)
{
    ASSERT_EQ(1, cell->sideFlags[SideS]);
    // This cell's south edge, then the neighbour's facing north edge; filled, no colour is
    // sent: every corner keeps the centre colour of the last triangle.
    const Corner corners[2][4] = {
        {{SlotS, 0, 0.5f}, {SlotSW, 0, 0}, {SlotNW, 1, 0, true}, {SlotN, 1, 0.5f, true}},
        {{SlotN, 1, 0.5f, true}, {SlotNE, 1, 1, true}, {SlotSE, 0, 1}, {SlotS, 0, 0.5f}},
    };
    const float* centre = cell->vertices[SlotCentre].colour;
    const ColourOf centreColour = [centre](const Vertex&) { return centre; };
    const TerrainCell* south = game.grid->cellAt(1, 0);
    glEnable(GL_TEXTURE_2D);
    EXPECT_TRUE(sendsAll(wall(filledAt(5, 5)), corners, *cell, south, centreColour, true));
    // The neighbour stands higher: the wall faces this cell, towards -x.
    const float towardsThisCell[3] = {-1, 0, 0};
    EXPECT_TRUE(same(currentNormal().data(), towardsThisCell, 3));

    // In wire-frame each corner takes its own vertex's base colour.
    glDisable(GL_TEXTURE_2D);
    EXPECT_TRUE(sendsAll(wall(wireAt(5, 5)), corners, *cell, south, ownBaseColour, false));
}

// A world of varied heights without objects, each cell painted apart, seen straight down:
// window coordinates are five times the world's, from (-10, -10).
class ManyCells : public GlTest {
  protected:
    static constexpr int rows = 5, cols = 6;

    void SetUp() override
    {
        GlTest::SetUp();
        game.grid = makeLoadedGrid({"091735", "527308", "804619", "362951", "718240"});
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) paintCell(*game.grid->cellAt(r, c), 0.03f * (r * 6 + c));
        setGroundView(-10, -10, 100);
    }

    // The world point where a feedback vertex lies under the ground view.
    static std::vector<float> worldOf(const FeedbackVertex& v)
    {
        return {v.x / 5 - 10, v.y / 5 - 10, v.z * 100};
    }

    // The filled surface of the cell at (r, c), textured so that s, t come back.
    std::vector<FeedbackPrimitive> surface(int r, int c)
    {
        TerrainCell& cell = *game.grid->cellAt(r, c);
        glEnable(GL_TEXTURE_2D);
        const float* centre = cell.vertices[SlotCentre].position;
        return drawn(cell, filledAt(centre[0], centre[1]));
    }
};

// Twice the signed area of the triangle (a, b, c) in the ground plane: positive when it
// winds counter-clockwise seen from above.
float cross(const std::vector<float>& a, const std::vector<float>& b, const std::vector<float>& c)
{
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

TEST_F(ManyCells, FilledTrianglesTileTheirCellOnceCounterClockwise)
{
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            SCOPED_TRACE(testing::Message() << "cell " << r << "," << c);
            const TerrainCell& cell = *game.grid->cellAt(r, c);
            const float x0 = r * 10.0f, y0 = c * 10.0f;
            const auto prims = surface(r, c);
            ASSERT_EQ(8u, prims.size());
            std::vector<std::vector<std::vector<float>>> triangles;
            float area = 0;
            for (const FeedbackPrimitive& p : prims) {
                ASSERT_EQ(3u, p.vertices.size());
                std::vector<std::vector<float>> t;
                for (const FeedbackVertex& v : p.vertices) {
                    t.push_back(worldOf(v));
                    EXPECT_GE(t.back()[0], x0 - 1e-3f);
                    EXPECT_LE(t.back()[0], x0 + 10 + 1e-3f);
                    EXPECT_GE(t.back()[1], y0 - 1e-3f);
                    EXPECT_LE(t.back()[1], y0 + 10 + 1e-3f);
                    for (int i = 0; i < 2; ++i) {
                        EXPECT_GE(v.stq[i], 0.0f);
                        EXPECT_LE(v.stq[i], 1.0f);
                    }
                    // Every corner is one of the cell's vertices, with that vertex's colour.
                    const int slot = slotAt(cell, v);
                    ASSERT_NE(-1, slot);
                    EXPECT_TRUE(same(v.rgba, opaque(cell.vertices[slot].colour).data(), 4));
                }
                EXPECT_GT(cross(t[0], t[1], t[2]), 0.0f) << "clockwise from above";
                area += cross(t[0], t[1], t[2]) / 2;
                triangles.push_back(t);
            }
            EXPECT_NEAR(100.0f, area, 1e-2f);
            // Points off every edge of the split: each lies in exactly one triangle.
            int stray = 0;
            for (int i = 0; i < 20; ++i)
                for (int j = 0; j < 20; ++j) {
                    const std::vector<float> p = {x0 + (i + 0.3f) * 0.5f, y0 + (j + 0.6f) * 0.5f};
                    int inside = 0;
                    for (const auto& t : triangles) {
                        const float a = cross(t[0], t[1], p), b = cross(t[1], t[2], p),
                                    d = cross(t[2], t[0], p);
                        inside += (a > 0 && b > 0 && d > 0) || (a < 0 && b < 0 && d < 0);
                    }
                    stray += inside != 1;
                }
            EXPECT_EQ(0, stray) << "points covered other than once";
        }
}

TEST_F(ManyCells, EdgesOnABorderMatchTheNeighboursEdges)
{
    // The triangle edges of one cell that lie on a border line, as pairs of world points.
    auto borderEdges = [&](int r, int c, int axis, float line) {
        std::vector<std::vector<float>> edges;
        for (const FeedbackPrimitive& p : surface(r, c))
            for (int k = 0; k < 3; ++k) {
                const auto a = worldOf(p.vertices[k]), b = worldOf(p.vertices[(k + 1) % 3]);
                if (std::fabs(a[axis] - line) > 1e-3f || std::fabs(b[axis] - line) > 1e-3f)
                    continue;
                // Each edge as (lower end, higher end) along the border, heights with them.
                const bool swap = a[1 - axis] > b[1 - axis];
                const auto& lo = swap ? b : a;
                const auto& hi = swap ? a : b;
                edges.push_back({lo[1 - axis], lo[2], hi[1 - axis], hi[2]});
            }
        std::sort(edges.begin(), edges.end());
        return edges;
    };
    auto expectSame = [](const std::vector<std::vector<float>>& a,
                         const std::vector<std::vector<float>>& b) {
        ASSERT_EQ(2u, a.size()) << "two edges along each border";
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
            for (int k = 0; k < 4; ++k) EXPECT_NEAR(a[i][k], b[i][k], 1e-3f) << i << " " << k;
    };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            SCOPED_TRACE(testing::Message() << "cell " << r << "," << c);
            const float south = r * 10.0f + 10, east = c * 10.0f + 10;
            if (r + 1 < rows)
                expectSame(borderEdges(r, c, 0, south), borderEdges(r + 1, c, 0, south));
            if (c + 1 < cols)
                expectSame(borderEdges(r, c, 1, east), borderEdges(r, c + 1, 1, east));
        }
}

TEST_F(ManyCells, WireFrameQuadsAreTheFourQuartersOfTheCell)
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            SCOPED_TRACE(testing::Message() << "cell " << r << "," << c);
            TerrainCell& cell = *game.grid->cellAt(r, c);
            const float* centre = cell.vertices[SlotCentre].position;
            const auto prims = drawn(cell, wireAt(centre[0], centre[1]));
            EXPECT_EQ(16u, prims.size()) << "four edges a square, no diagonals";
            const auto squares = outlines(prims);
            ASSERT_EQ(4u, squares.size());
            std::vector<std::vector<float>> quarters;
            for (const auto& square : squares) {
                ASSERT_EQ(4u, square.size());
                std::vector<std::vector<float>> corner;
                for (const FeedbackVertex& v : square) {
                    corner.push_back(worldOf(v));
                    const int slot = slotAt(cell, v);
                    ASSERT_NE(-1, slot);
                    EXPECT_TRUE(same(v.rgba, opaque(cell.vertices[slot].baseColour).data(), 4));
                }
                // An axis-aligned 5 x 5 square, counter-clockwise from above.
                float lowX = corner[0][0], lowY = corner[0][1];
                for (const auto& p : corner) {
                    lowX = std::min(lowX, p[0]);
                    lowY = std::min(lowY, p[1]);
                }
                auto offEdge = [](float d) { return std::min(std::fabs(d), std::fabs(d - 5)); };
                for (const auto& p : corner) {
                    EXPECT_LT(offEdge(p[0] - lowX), 1e-3f);
                    EXPECT_LT(offEdge(p[1] - lowY), 1e-3f);
                }
                const float twiceArea =
                    cross(corner[0], corner[1], corner[2]) + cross(corner[0], corner[2], corner[3]);
                EXPECT_NEAR(50.0f, twiceArea, 1e-2f);
                quarters.push_back({lowX - centre[0], lowY - centre[1]});
            }
            // The four quarters of the cell, each once.
            std::sort(quarters.begin(), quarters.end());
            const std::vector<std::vector<float>> all = {{-5, -5}, {-5, 0}, {0, -5}, {0, 0}};
            for (int q = 0; q < 4; ++q) {
                EXPECT_NEAR(all[q][0], quarters[q][0], 1e-3f) << q;
                EXPECT_NEAR(all[q][1], quarters[q][1], 1e-3f) << q;
            }
        }
}

TEST_F(ManyCells, HiddenLineDrawsTheWireFrameShapesInBlack)
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            TerrainCell& cell = *game.grid->cellAt(r, c);
            const float* centre = cell.vertices[SlotCentre].position;
            glColor3f(0.2f, 0.4f, 0.6f);
            const auto wire = drawn(cell, wireAt(centre[0], centre[1]));
            const auto hidden = drawn(cell, hiddenAt(centre[0], centre[1]));
            ASSERT_EQ(wire.size(), hidden.size()) << r << "," << c;
            for (size_t i = 0; i < wire.size(); ++i)
                for (int k = 0; k < 2; ++k) {
                    const FeedbackVertex &w = wire[i].vertices[k], &h = hidden[i].vertices[k];
                    EXPECT_EQ(wire[i].token, hidden[i].token);
                    EXPECT_NEAR(w.x, h.x, 1e-3f);
                    EXPECT_NEAR(w.y, h.y, 1e-3f);
                    EXPECT_NEAR(w.z, h.z, 1e-5f);
                    EXPECT_TRUE(same(h.rgba, black, 4)) << r << "," << c << " edge " << i;
                }
            EXPECT_TRUE(same(currentColour().data(), black, 4));
        }
}

TEST_F(CellDraw, FilledLeavesTextureZeroBoundAndModulates)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    cell->texture = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    drawn(*cell, filledAt15);
    EXPECT_EQ(0, boundTexture());
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(GL_MODULATE, mode);
    glDeleteTextures(1, &name);
}

TEST_F(CellDraw, FilledSurfaceShowsTheCellTexture)
{
    // A red texture modulating white vertices: the drawn pixels are red only if the draw
    // bound the cell's texture.
    GLuint name = 0;
    glGenTextures(1, &name);
    std::vector<unsigned char> red(4 * 4 * 3, 0);
    for (size_t i = 0; i < red.size(); i += 3) red[i] = 255;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, red.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    for (Vertex& v : cell->vertices)
        for (float& c : v.colour) c = 1.0f;
    cell->texture = name;

    glEnable(GL_TEXTURE_2D);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const GlMark mark = GlMark::now();
    cell->drawCell(filledAt15);
    EXPECT_TRUE(leftAsFound(mark));
    glFinish();
    unsigned char pixel[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(150, 150, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel); // the cell centre
    EXPECT_EQ(255, pixel[0]);
    EXPECT_EQ(0, pixel[1]);
    EXPECT_EQ(0, pixel[2]);
    glDeleteTextures(1, &name);
}

TEST_F(CellDraw, FilledSurfaceIsLitByNorthColourWithAlphaOne)
{
    directionalLight(0, 0, 1);
    cell->vertices[SlotN].colour[0] = 0.375f;
    const auto prims = drawn(*cell, filledAt15);
    ASSERT_EQ(8u, prims.size());
    const float* north = cell->vertices[SlotN].colour;
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 3; ++k) {
            const int slot = slotAt(*cell, prims[i].vertices[k]);
            ASSERT_NE(-1, slot) << "triangle " << i << " corner " << k;
            const float nz = cell->vertices[slot].normal[2];
            const float lit[4] = {north[0] * nz, north[1] * nz, north[2] * nz, 1.0f};
            EXPECT_TRUE(same(prims[i].vertices[k].rgba, lit, 4))
                << "triangle " << i << " corner " << k;
        }
    // The wall material is set whether or not the cell has walls.
    const auto centre = opaque(cell->vertices[SlotCentre].colour);
    EXPECT_TRUE(same(material(GL_FRONT).data(), centre.data(), 4));
    EXPECT_TRUE(same(material(GL_BACK).data(), centre.data(), 4));
}

TEST_F(CellDraw, EveryModeSetsColourMaterialToFrontDiffuse)
{
    for (const TerrainDrawParams& params : {filledAt15, wireAt15, hiddenAt15}) {
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        drawn(*cell, params);
        GLint face = 0, parameter = 0;
        glGetIntegerv(GL_COLOR_MATERIAL_FACE, &face);
        glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &parameter);
        EXPECT_EQ(GL_FRONT, face) << "outline " << params.outline;
        EXPECT_EQ(GL_DIFFUSE, parameter) << "outline " << params.outline;
    }
}

TEST_F(CellDraw, WireAndHiddenSendNoNormalTexCoordTextureOrMaterial)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    cell->texture = name + 1; // a name the draw must not bind
    const float normal[3] = {0, 1, 0};
    const float texCoord[4] = {0.25f, 0.75f, 0, 1};
    const float diffuse[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    for (const TerrainDrawParams& params : {wireAt15, hiddenAt15}) {
        glNormal3fv(normal);
        glTexCoord4fv(texCoord);
        glBindTexture(GL_TEXTURE_2D, name);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
        drawn(*cell, params);
        EXPECT_TRUE(same(currentNormal().data(), normal, 3)) << "outline " << params.outline;
        float tc[4];
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, tc);
        EXPECT_TRUE(same(tc, texCoord, 4)) << "outline " << params.outline;
        EXPECT_EQ(static_cast<GLint>(name), boundTexture()) << "outline " << params.outline;
        EXPECT_TRUE(same(material(GL_FRONT).data(), diffuse, 4)) << "outline " << params.outline;
    }
    glDeleteTextures(1, &name);
}

TEST_F(CellDraw, CentreExactly100UnitsAwayIsNotDrawn)
{
    // Player positions whose ground distance to the centre (15, 15) is exactly 100.
    const float boundary[][2] = {{115, 15}, {15, -85}, {-85, 15}, {75, 95}, {-45, -65}};
    for (const auto& p : boundary) {
        const TerrainDrawParams params{GL_TRIANGLES, false, true, false, p[0], p[1]};
        EXPECT_TRUE(drawn(*cell, params).empty()) << "player at " << p[0] << ", " << p[1];
        EXPECT_FLOAT_EQ(p[0] - 15, cell->playerDX);
        EXPECT_FLOAT_EQ(p[1] - 15, cell->playerDY);
    }
    const float inside[][2] = {{114.99f, 15}, {15, -84.99f}, {74.99f, 94.99f}};
    for (const auto& p : inside)
        EXPECT_EQ(8u, drawn(*cell, filledAt(p[0], p[1])).size())
            << "player at " << p[0] << ", " << p[1];
}

TEST_F(CellDraw, NormalLinesComeFirstNineWhiteLinesOneUnitLong)
{
    TerrainDrawParams params = filledAt15;
    EXPECT_EQ(0, countTokens(drawn(*cell, params), GL_LINE_TOKEN) +
                     countTokens(drawn(*cell, params), GL_LINE_RESET_TOKEN));

    params.showNormals = true;
    const auto prims = drawn(*cell, params);
    ASSERT_EQ(17u, prims.size());
    for (int k = 0; k < 9; ++k) {
        const FeedbackPrimitive& line = prims[k];
        ASSERT_TRUE(line.token == GL_LINE_TOKEN || line.token == GL_LINE_RESET_TOKEN) << k;
        const Vertex& v = cell->vertices[k];
        const float tip[3] = {v.position[0] + v.normal[0], v.position[1] + v.normal[1],
                              v.position[2] + v.normal[2]};
        EXPECT_TRUE(at(line.vertices[0], v.position)) << "slot " << k;
        EXPECT_TRUE(at(line.vertices[1], tip)) << "slot " << k;
        EXPECT_TRUE(same(line.vertices[0].rgba, white, 4)) << "slot " << k;
        EXPECT_TRUE(same(line.vertices[1].rgba, white, 4)) << "slot " << k;
    }
    for (size_t i = 9; i < prims.size(); ++i)
        EXPECT_EQ(static_cast<GLenum>(GL_POLYGON_TOKEN), prims[i].token) << i;
}

TEST_F(CellDraw, CullFaceEndsAsTheSwitchSays)
{
    game.culling = 1;
    glEnable(GL_CULL_FACE);
    drawn(*cell, filledAt15);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "a cell without walls, culling on";

    game.culling = 0;
    glDisable(GL_CULL_FACE);
    drawn(*cell, filledAt15);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE)) << "culling off";

    // The wire-frame and hidden-line draws leave culling alone, whatever the switch says.
    game.culling = 1;
    drawn(*cell, wireAt15);
    drawn(*cell, hiddenAt15);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE)) << "wire-frame";
}

// A cell with a figure on it: a tree (it keeps the cell's shape) of one triangle.
class CellWithModel : public CellDraw {
  protected:
    void SetUp() override
    {
        CellDraw::SetUp();
        const float up[3] = {0, 0, 1};
        addMesh(41, {{{0.5f, 0.25f, 1.0f}, {{-1, -1, 0}, {1, -1, 0}, {0, 1, 2}}}}, up);
        game.grid->placeModel(newInstance(41, 1), 1, 1, 1, quietLog());
    }

    // The figure's corner k, where the draw puts it: on the cell's centre vertex.
    std::vector<float> corner(int k) const
    {
        const float local[3][3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 2}};
        const float* c = cell->vertices[SlotCentre].position;
        return {c[0] + local[k][0], c[1] + local[k][1], c[2] + local[k][2]};
    }
};

TEST_F(CellWithModel, ModelStandsOnTheCentreBeforeTheSurface)
{
    TerrainDrawParams params = filledAt15;
    params.showNormals = true;
    const auto prims = drawn(*cell, params);
    ASSERT_EQ(9u + 1u + 8u, prims.size()); // normal lines, the figure, the surface
    const FeedbackPrimitive& figure = prims[9];
    ASSERT_EQ(3u, figure.vertices.size());
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(holds(figure, corner(k).data())) << k;
    const float faceColour[4] = {0.5f, 0.25f, 1.0f, 1.0f};
    EXPECT_TRUE(same(figure.vertices[0].rgba, faceColour, 4));
}

TEST_F(CellWithModel, CulledCellDrawsNoModel)
{
    EXPECT_TRUE(drawn(*cell, filledAt(115, 15)).empty());
}

TEST_F(CellWithModel, CellHandsLightingAndOutlineToItsModel)
{
    // In the hidden-line pass the figure keeps the colour the frame set; with lighting it
    // sets its material, which the hidden-line surface leaves alone.
    glColor3f(0.2f, 0.4f, 0.6f);
    const TerrainDrawParams params{GL_POLYGON, true, false, true, 15.0f, 15.0f};
    const auto prims = drawn(*cell, params);
    ASSERT_FALSE(prims.empty());
    const float frameColour[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    EXPECT_TRUE(same(prims[0].vertices[0].rgba, frameColour, 4));
    const float faceDiffuse[4] = {0.5f, 0.25f, 1.0f, 1.0f};
    EXPECT_TRUE(same(material(GL_FRONT).data(), faceDiffuse, 4));
}

// The vertices of a cell on a border line, from one end to the other along the line; for
// the cell across that line the same points in the same order.
std::vector<Vertex*> edgeOn(TerrainCell& cell, int axis, float line)
{
    std::vector<Vertex*> edge;
    for (Vertex& v : cell.vertices)
        if (v.position[axis] == line) edge.push_back(&v);
    std::sort(edge.begin(), edge.end(), [axis](const Vertex* a, const Vertex* b) {
        return a->position[1 - axis] < b->position[1 - axis];
    });
    return edge;
}

// The border line of a side: which axis it fixes, and where.
void borderOf(const TerrainCell& cell, int side, int& axis, float& line)
{
    const float* c = cell.vertices[SlotCentre].position;
    axis = side == SideN || side == SideS ? 0 : 1;
    line = c[axis] + (side == SideS || side == SideE ? 5.0f : -5.0f);
}

// One corner of a wall quad: where it was drawn, the vertex it is, whether that vertex
// is the neighbour's, which quad, and whether it is the middle of the side.
using WallCorner = std::function<void(const FeedbackVertex& drawnAt, const Vertex& vertex,
                                      bool neighbours, int quad, bool middle)>;

// Checks that the two quads of the side's wall span exactly the gap between the cell's
// edge and the neighbour's facing edge: each quad joins the middle of the side to one
// end, with two corners on each edge, matched in pairs, and goes round without crossing
// itself. Hands every corner to `corner`.
void expectWallSpansTheGap(TerrainCell& cell, int side, const std::vector<FeedbackVertex>* quads,
                           const WallCorner& corner)
{
    int axis;
    float line;
    borderOf(cell, side, axis, line);
    const auto own = edgeOn(cell, axis, line);
    const auto facing = edgeOn(*cell.neighbours[side], axis, line);
    ASSERT_EQ(3u, own.size());
    ASSERT_EQ(3u, facing.size());
    int endsSeen = 0;
    for (int q = 0; q < 2; ++q) {
        SCOPED_TRACE(testing::Message() << "side " << side << " quad " << q);
        ASSERT_EQ(4u, quads[q].size());
        int hits[3][2] = {};
        int point[4] = {}; // the corner's place along the side, 0 to 2
        bool onNeighbour[4] = {};
        for (int k = 0; k < 4; ++k) {
            int found = 0;
            for (int i = 0; i < 3; ++i)
                for (int n = 0; n < 2; ++n) {
                    const Vertex& candidate = n ? *facing[i] : *own[i];
                    if (!at(quads[q][k], candidate.position)) continue;
                    ++hits[i][n];
                    ++found;
                    point[k] = i;
                    onNeighbour[k] = n;
                    corner(quads[q][k], candidate, n, q, i == 1);
                }
            EXPECT_EQ(1, found) << "corner " << k << " on one edge or the other";
        }
        const int end = hits[0][0] ? 0 : 2;
        endsSeen |= 1 << end;
        for (int i = 0; i < 3; ++i)
            for (int n = 0; n < 2; ++n)
                EXPECT_EQ(i == 1 || i == end ? 1 : 0, hits[i][n])
                    << "point " << i << (n ? " of the neighbour" : " of this cell");
        // Round the quad: along one edge, straight across, back along the other, across.
        int crossings = 0;
        for (int k = 0; k < 4; ++k) {
            const int next = (k + 1) % 4;
            if (onNeighbour[k] == onNeighbour[next]) continue;
            ++crossings;
            EXPECT_EQ(point[k], point[next]) << "corners " << k << " and " << next;
        }
        EXPECT_EQ(2, crossings);
    }
    EXPECT_EQ(5, endsSeen) << "the two quads meet in the middle and reach both ends";
}

// A flattened object cell in the middle of a 3 x 3 world, with walls on all four sides;
// every cell painted apart.
class CellWalls : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        game.grid = makeLoadedGrid({"121", "232", "121"}, [](TerrainGrid& grid) {
            grid.placeModel(newInstance(999, 0), 1, 1, 0, quietLog()); // no mesh: draws nothing
        });
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) paintCell(*game.grid->cellAt(r, c), 0.1f * (3 * r + c));
        cell = game.grid->cellAt(1, 1);
        setViewFromAbove(15, 15, 15);
    }

    // The shapes of a draw in line mode: the surface's, then the walls' quads.
    std::vector<std::vector<FeedbackVertex>> shapes(const TerrainDrawParams& params)
    {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        return outlines(drawn(*cell, params));
    }

    TerrainCell* cell = nullptr;
};

TEST_F(CellWalls, ObjectCellHasWallFlagsOnEverySide)
{
    for (int side = 0; side < 4; ++side) ASSERT_EQ(1, cell->sideFlags[side]) << side;
}

TEST_F(CellWalls, FilledWallsSpanEachGapSideBySide)
{
    glEnable(GL_TEXTURE_2D);
    const auto drawnShapes = shapes(filledAt15);
    ASSERT_EQ(8u + 8u, drawnShapes.size());
    const auto wallColour = opaque(cell->vertices[SlotCentre].colour);
    // On every side alike: s is 0 along this cell's edge and 1 along the neighbour's; t is
    // 0.5 in the middle, 0 at the first quad's end and 1 at the second's. No colour calls:
    // the walls keep the centre colour of the last triangle.
    for (int side = 0; side < 4; ++side)
        expectWallSpansTheGap(
            *cell, side, &drawnShapes[8 + 2 * side],
            [&](const FeedbackVertex& v, const Vertex&, bool neighbours, int quad, bool middle) {
                const float st[2] = {neighbours ? 1.0f : 0.0f, middle ? 0.5f : quad * 1.0f};
                EXPECT_TRUE(same(v.stq, st, 2));
                EXPECT_TRUE(same(v.rgba, wallColour.data(), 4));
            });
}

TEST_F(CellWalls, WireWallsTakeEachCornerBaseColour)
{
    const auto drawnShapes = shapes(wireAt15);
    ASSERT_EQ(4u + 8u, drawnShapes.size());
    for (int side = 0; side < 4; ++side)
        expectWallSpansTheGap(*cell, side, &drawnShapes[4 + 2 * side],
                              [](const FeedbackVertex& v, const Vertex& vertex, bool, int, bool) {
                                  EXPECT_TRUE(same(v.rgba, opaque(vertex.baseColour).data(), 4));
                              });
}

TEST_F(CellWalls, HiddenLineWallsAreBlack)
{
    const auto drawnShapes = shapes(hiddenAt15);
    ASSERT_EQ(4u + 8u, drawnShapes.size());
    for (int side = 0; side < 4; ++side)
        expectWallSpansTheGap(*cell, side, &drawnShapes[4 + 2 * side],
                              [](const FeedbackVertex& v, const Vertex&, bool, int, bool) {
                                  EXPECT_TRUE(same(v.rgba, black, 4));
                              });
}

TEST_F(CellWalls, EveryFlaggedSideWithANeighbourHasItsWallAcrossAWorld)
{
    // Objects on a corner, on a border, inside, and side by side, where only the later of
    // two neighbours keeps the flag between them.
    std::unique_ptr<TerrainGrid> world(
        makeLoadedGrid({"31415", "92653", "58979", "32384"}, [](TerrainGrid& grid) {
            const int at[5][2] = {{0, 0}, {2, 0}, {1, 2}, {1, 3}, {3, 4}};
            for (const auto& p : at)
                grid.placeModel(newInstance(999, 0), p[0], p[1], 0, quietLog());
        }));
    int walls = 0;
    for (int r = 0; r < world->rows; ++r)
        for (int c = 0; c < world->cols; ++c) {
            SCOPED_TRACE(testing::Message() << "cell " << r << "," << c);
            TerrainCell& here = *world->cellAt(r, c);
            const float* centre = here.vertices[SlotCentre].position;
            setViewFromAbove(centre[0], centre[1], centre[2]);
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            const auto drawnShapes = outlines(drawn(here, wireAt(centre[0], centre[1])));
            size_t next = 4; // after the four squares of the surface, sides N, S, E, W
            for (int side = 0; side < 4; ++side) {
                if (!here.sideFlags[side] || !here.neighbours[side]) continue;
                ASSERT_GE(drawnShapes.size(), next + 2) << "side " << side;
                expectWallSpansTheGap(here, side, &drawnShapes[next],
                                      [](const FeedbackVertex&, const Vertex&, bool, int, bool) {});
                next += 2;
                ++walls;
            }
            EXPECT_EQ(next, drawnShapes.size()) << "no other wall";
        }
    // (0, 0) two, (2, 0) three, (1, 2) three (its east went to (1, 3)), (1, 3) four, (3, 4) two.
    EXPECT_EQ(14, walls);
}

TEST_F(CellWalls, WallsAreLitByCentreColourWithAlphaOne)
{
    directionalLight(0.6f, 0.8f, 0);
    cell->vertices[SlotCentre].colour[1] = 0.625f;
    const auto drawnShapes = shapes(filledAt15);
    ASSERT_EQ(8u + 8u, drawnShapes.size());
    // The object cell stands above its neighbours, so each wall faces away from it:
    // N (-1, 0, 0), S (1, 0, 0), E (0, 1, 0), W (0, -1, 0); the cosines to the light follow.
    const float cosine[4] = {0, 0.6f, 0.8f, 0};
    const float* centre = cell->vertices[SlotCentre].colour;
    for (int side = 0; side < 4; ++side) {
        const float lit[4] = {centre[0] * cosine[side], centre[1] * cosine[side],
                              centre[2] * cosine[side], 1.0f};
        for (int q = 0; q < 2; ++q)
            for (int k = 0; k < 4; ++k)
                EXPECT_TRUE(same(drawnShapes[8 + 2 * side + q][k].rgba, lit, 4))
                    << "side " << side << " quad " << q << " corner " << k;
    }
    const auto expected = opaque(centre);
    EXPECT_TRUE(same(material(GL_FRONT).data(), expected.data(), 4));
    EXPECT_TRUE(same(material(GL_BACK).data(), expected.data(), 4));
}

TEST_F(CellWalls, CullingIsOffOnlyWhileTheWallsAreDrawn)
{
    // From below the surface faces away and is culled; of the walls, some face away too.
    setViewFromBelow(15, 15, 15);
    glEnable(GL_CULL_FACE);
    game.culling = 0; // the draw leaves culling on throughout: the view culls some walls
    const int wallsKeptOn = countTokens(drawn(*cell, filledAt15), GL_POLYGON_TOKEN);
    ASSERT_GT(wallsKeptOn, 0);
    ASSERT_LT(wallsKeptOn, 16);

    game.culling = 1;
    const auto prims = drawn(*cell, filledAt15);
    EXPECT_EQ(16, countTokens(prims, GL_POLYGON_TOKEN)) << "every wall quad, as two triangles";
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

// Heights around one wall of a flat 3 x 3 world at level 1 whose middle cell has a wall
// flag on one side only.
struct WallCase {
    const char* name;
    // Heights given to the neighbour's middle and its two end vertices on the wall side,
    // the ends in the order of the other ground axis.
    float middle, endA, endB;
    // Heights given to this cell's two end vertices that meet them (its middle stays at 5).
    float thisEndA, thisEndB;
    bool facesThisCell;
};

class CellWallNormal : public GlTest {};

TEST_F(CellWallNormal, WallFacesTheLowerCell)
{
    const WallCase cases[] = {
        {"neighbour higher everywhere", 10, 10, 10, 5, 5, true},
        {"same height", 5, 5, 5, 5, 5, false},
        {"middle level, first end higher", 5, 6, 5, 5, 5, true},
        {"middle level, second end higher", 5, 5, 6, 5, 5, true},
        {"middle higher, ends level", 9, 5, 5, 5, 5, false},
        {"middle lower, ends higher", 4.5f, 9, 9, 5, 5, false},
        {"neighbour lower everywhere", 0, 0, 0, 5, 5, false},
        // Each neighbour end is lower than the end it meets, though higher than the other.
        {"each end lower than the end it meets", 5, 7, 4, 8, 5, false},
        {"each end lower than the end it meets, mirrored", 5, 4, 7, 5, 8, false},
        {"second end higher than the end it meets", 5, 4, 7, 5, 6, true},
    };
    for (int side = 0; side < 4; ++side)
        for (const WallCase& c : cases) {
            std::unique_ptr<TerrainGrid> grid(makeLoadedGrid({"111", "111", "111"}));
            TerrainCell* cell = grid->cellAt(1, 1);
            cell->sideFlags[side] = 1;
            TerrainCell* nb = cell->neighbours[side];
            int axis;
            float line;
            borderOf(*cell, side, axis, line);
            auto own = edgeOn(*cell, axis, line);
            auto facing = edgeOn(*nb, axis, line);
            const float nbHeights[3] = {c.endA, c.middle, c.endB};
            for (int i = 0; i < 3; ++i) facing[i]->position[2] = nbHeights[i];
            own[0]->position[2] = c.thisEndA;
            own[2]->position[2] = c.thisEndB;
            glNormal3f(0, 0, 0);
            const GlMark mark = GlMark::now();
            cell->drawCell(filledAt15);
            EXPECT_TRUE(leftAsFound(mark));
            // The wall is the last thing drawn, one normal for all its corners: along the
            // ground from the neighbour's centre towards this one's, or the other way.
            float expected[3] = {0, 0, 0};
            const float sign = c.facesThisCell ? 1.0f : -1.0f;
            for (int i = 0; i < 2; ++i)
                expected[i] = sign *
                              (cell->vertices[SlotCentre].position[i] -
                               nb->vertices[SlotCentre].position[i]) /
                              10.0f;
            EXPECT_TRUE(same(currentNormal().data(), expected, 3))
                << "side " << side << ": " << c.name;
        }
}

TEST_F(CellWallNormal, FlagWithoutNeighbourDrawsNoWall)
{
    setSimpleOrtho(0, 30, 0, 30);
    game.grid = makeLoadedGrid({"111", "111"});
    TerrainCell* top = game.grid->cellAt(0, 1);
    top->sideFlags[SideN] = 1; // the border: no neighbour there
    EXPECT_EQ(8u, drawn(*top, filledAt(5, 15)).size());
    top->sideFlags[SideS] = 1;
    EXPECT_EQ(8u + 4u, drawn(*top, filledAt(5, 15)).size())
        << "the south wall, two quads of two triangles";
}

// A large world with varied heights, walls, figures and people, built once for the suite.
class GridDraw : public ::testing::Test {
  protected:
    // Fewer rows than columns: a column range clamped by the row count would miss cells.
    static constexpr int rows = 240, cols = 300;
    static TerrainGrid* world;
    static MeshStore* meshes; // what the figures and the people draw, kept past each test

    static void SetUpTestSuite()
    {
        game = GameState();
        const float up[3] = {0, 0, 1};
        addMesh(7, {{{1, 0.5f, 0}, {{-2, -2, 0}, {2, -2, 0}, {2, 2, 3}, {-2, 2, 3}}}}, up);
        addMesh(8, {{{0, 0.5f, 0.25f}, {{-1, 0, 0}, {1, 0, 0}, {0, 0, 6}}}}, up);
        addMesh(9, {{{0.75f, 0.75f, 0}, {{0, 0, 0}, {1, 0, 1}, {0, 1, 2}}}}, up);
        std::vector<std::string> levels(rows, std::string(cols, '0'));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                levels[r][c] = static_cast<char>('0' + (r * 7 + c * 13 + (r * c) % 5) % 10);
        world = makeLoadedGrid(levels, [](TerrainGrid& grid) {
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c) {
                    if ((r * 31 + c * 17) % 23 == 0)
                        grid.placeModel(newInstance(7, 0), r, c, 0, quietLog());
                    if ((r * 11 + c * 29) % 37 == 0)
                        grid.placeModel(newInstance(8, 1), r, c, 1, quietLog());
                }
        });
        const float people[5][3] = {
            {1195, 1505, 5}, {15, 15, 5}, {2385, 2995, 5}, {1200, 1600, 5}, {1005, 1405, 5}};
        for (int i = 0; i < 5; ++i)
            addPerson(*world, i, 9, people[i][0], people[i][1], people[i][2]);
        meshes = new MeshStore(std::move(game.meshes));
    }

    static void TearDownTestSuite()
    {
        delete world;
        world = nullptr;
        delete meshes;
        meshes = nullptr;
    }

    void SetUp() override
    {
        game = GameState();
        game.grid = world;
        resetGlState();
        setSimpleOrtho(-150, 2550, -150, 3150);
    }

    void TearDown() override
    {
        game = GameState();
        resetGlState();
    }

    // Puts back what a draw changes and a capture shows: the spins and the current values.
    void resetBetweenCaptures()
    {
        for (Person* person : game.grid->people) person->spin = 30.0f;
        glColor4f(1, 1, 1, 1);
        glNormal3f(0, 0, 1);
        glTexCoord4f(0, 0, 0, 1);
    }

    // What a scan of every cell in row-major order, then the people, emits.
    std::vector<float> fullScan(const TerrainDrawParams& params)
    {
        resetBetweenCaptures();
        return captureFeedback([&] {
            TerrainGrid& grid = *game.grid;
            for (int r = 0; r < grid.rows; ++r)
                for (int c = 0; c < grid.cols; ++c) grid.cells[r][c]->drawCell(params);
            float x = params.playerX, y = params.playerY;
            for (Person* person : grid.people) person->draw(params.lighting, params.outline, x, y);
        });
    }

    std::vector<float> gridDraw(const TerrainDrawParams& params)
    {
        resetBetweenCaptures();
        const GlMark mark = GlMark::now();
        auto tokens = captureFeedback([&] { game.grid->drawGrid(params); });
        EXPECT_TRUE(leftAsFound(mark));
        return tokens;
    }
};

TerrainGrid* GridDraw::world = nullptr;
MeshStore* GridDraw::meshes = nullptr;

::testing::AssertionResult sameTokens(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.empty() || b.empty())
        return ::testing::AssertionFailure() << "empty capture: " << a.size() << ", " << b.size();
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return ::testing::AssertionFailure()
                   << "token " << i << " differs: " << a[i] << " vs " << b[i];
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << "lengths " << a.size() << " vs " << b.size();
    return ::testing::AssertionSuccess();
}

TEST_F(GridDraw, EmitsWhatAFullScanEmits)
{
    struct Place {
        float x, y;
        const char* what;
    };
    const Place places[] = {
        {1200, 1500, "a cell corner"},
        {1205, 1505, "a cell centre"},
        {1210, 1503.5f, "on a border between rows"},
        {1203.5f, 1510, "on a border between columns"},
        {1205.5f, 1499.25f, "off the grid lines"},
        {1305, 1505, "a centre exactly 100 away along x"},
        {1205, 1605, "a centre exactly 100 away along y"},
        {1265, 1585, "a centre exactly 100 away diagonally"},
        {1145, 1425, "a centre exactly 100 away the other way"},
        {105, 105, "the first cells exactly 100 away"},
        {3, 1500, "near the north edge"},
        {2397, 1500, "near the south edge"},
        {1200, 2, "near the west edge"},
        {1200, 2999.5f, "near the east edge"},
        {1, 1, "near the north-west corner"},
        {2399, 2999, "near the south-east corner"},
        {1, 2999, "near the north-east corner"},
        {2399, 1, "near the south-west corner"},
        {-50, 1500, "north of the world"},
        {2450, 3050, "beyond the south-east corner"},
        {1200, -94.5f, "west of the world"},
        {-94.5f, 1500, "north of the world, the first row in reach"},
    };
    const TerrainDrawParams modes[] = {
        {GL_TRIANGLES, false, true, true, 0, 0},
        {GL_POLYGON, false, false, false, 0, 0},
        {GL_POLYGON, true, false, false, 0, 0},
    };
    for (const TerrainDrawParams& mode : modes)
        for (const Place& p : places) {
            TerrainDrawParams params = mode;
            params.playerX = p.x;
            params.playerY = p.y;
            EXPECT_TRUE(sameTokens(fullScan(params), gridDraw(params)))
                << p.what << ", outline " << params.outline << ", primitive " << params.primitive;
        }
}

TEST_F(GridDraw, VisitsAtMost23By23Cells)
{
    TerrainGrid& grid = *game.grid;
    const float positions[][2] = {{1200, 1500}, {1205, 1505}, {1200.1f, 1509.9f}, {2398, 2}};
    for (const auto& p : positions) {
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) grid.cells[r][c]->playerDX = -12345.0f;
        gridDraw(hiddenAt(p[0], p[1]));
        int visited = 0, missed = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                const bool seen = grid.cells[r][c]->playerDX != -12345.0f;
                visited += seen;
                const float dx = p[0] - (10 * r + 5), dy = p[1] - (10 * c + 5);
                missed += !seen && dx * dx + dy * dy < 10000;
            }
        EXPECT_LE(visited, 23 * 23) << "player at " << p[0] << ", " << p[1];
        EXPECT_EQ(0, missed) << "player at " << p[0] << ", " << p[1];
    }
}

TEST_F(GridDraw, PeopleFollowTheCellsOnEveryCall)
{
    Person* near = game.grid->people[0]; // (1195, 1505)
    Person* far = game.grid->people[1];  // (15, 15)
    near->spin = far->spin = 0;
    const auto prims = feedbackOf([&] { game.grid->drawGrid(filledAt(1200, 1500)); });
    game.grid->drawGrid(hiddenAt(1200, 1500));
    EXPECT_EQ(10.0f, near->spin);
    EXPECT_EQ(0.0f, far->spin);
    // The person's figure (face colour 0.75, 0.75, 0) comes after every cell.
    ASSERT_FALSE(prims.empty());
    const float figure[4] = {0.75f, 0.75f, 0, 1};
    EXPECT_TRUE(same(prims.back().vertices[0].rgba, figure, 4));
}

} // namespace
