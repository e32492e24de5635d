// The terrain draw in a real GL context: what one cell emits in the filled, wire-frame and
// hidden-line modes, its walls, the distance cull, and the grid draw around the player.
#include "tests/support/gl_test_util.h"

#include <cstdio>

namespace {

// One corner of a filled triangle: its vertex slot and its texture coordinate.
struct TexCorner {
    int slot;
    float s, t;
};

// The filled triangles in the order they are drawn.
const TexCorner filledOrder[8][3] = {
    {{SlotN, 0, 0}, {SlotE, 0, 1}, {SlotNE, 1, 1}},
    {{SlotE, 1, 0}, {SlotS, 0, 1}, {SlotSE, 1, 1}},
    {{SlotS, 1, 1}, {SlotW, 0, 0}, {SlotSW, 0, 1}},
    {{SlotW, 0, 1}, {SlotN, 1, 0}, {SlotNW, 0, 0}},
    {{SlotN, 0, 0}, {SlotW, 0, 1}, {SlotCentre, 0.5f, 0.5f}},
    {{SlotN, 0, 0}, {SlotCentre, 0.5f, 0.5f}, {SlotE, 1, 0}},
    {{SlotS, 1, 1}, {SlotCentre, 0.5f, 0.5f}, {SlotW, 0, 1}},
    {{SlotS, 1, 1}, {SlotE, 1, 0}, {SlotCentre, 0.5f, 0.5f}},
};

// The wire-frame squares in the order they are drawn.
const int wireOrder[4][4] = {
    {SlotS, SlotCentre, SlotW, SlotSW},
    {SlotS, SlotSE, SlotE, SlotCentre},
    {SlotN, SlotCentre, SlotE, SlotNE},
    {SlotN, SlotNW, SlotW, SlotCentre},
};

// A wall corner: a slot of the drawn cell, or of its neighbour when `nb` is set.
struct WallCorner {
    bool nb;
    int slot;
};

// The two quads of each side's wall, sides in the order N, S, E, W.
const WallCorner wallOrder[4][2][4] = {
    {{{false, SlotN}, {false, SlotNE}, {true, SlotSE}, {true, SlotS}},
     {{true, SlotS}, {true, SlotSW}, {false, SlotNW}, {false, SlotN}}},
    {{{false, SlotS}, {false, SlotSW}, {true, SlotNW}, {true, SlotN}},
     {{true, SlotN}, {true, SlotNE}, {false, SlotSE}, {false, SlotS}}},
    {{{false, SlotE}, {false, SlotSE}, {true, SlotSW}, {true, SlotW}},
     {{true, SlotW}, {true, SlotNW}, {false, SlotNE}, {false, SlotE}}},
    {{{false, SlotW}, {false, SlotNW}, {true, SlotNE}, {true, SlotE}},
     {{true, SlotE}, {true, SlotSE}, {false, SlotSW}, {false, SlotW}}},
};

const float wallTex[2][4][2] = {
    {{0, 0.5f}, {0, 0}, {1, 0}, {1, 0.5f}},
    {{1, 0.5f}, {1, 1}, {0, 1}, {0, 0.5f}},
};

const float black[4] = {0, 0, 0, 1};
const float white[4] = {1, 1, 1, 1};

// Gives every vertex of the cell its own colour and a different base colour, so that a
// feedback colour tells which field it came from; `seed` keeps cells apart.
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

// A white directional light towards the unit direction (x, y, z) from the viewer's side,
// given in world coordinates under the current modelview, and no ambient light: a lit
// vertex shows its diffuse material times the cosine to its normal, with the material's alpha.
void lightFrom(float x, float y, float z)
{
    const float down[4] = {x, y, z, 0};
    const float whiteLight[4] = {1, 1, 1, 1};
    const float none[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, down);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, whiteLight);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
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

const TerrainDrawParams filledAt15{GL_TRIANGLES, false, false, false, 15.0f, 15.0f};
const TerrainDrawParams wireAt15{GL_POLYGON, false, false, false, 15.0f, 15.0f};
const TerrainDrawParams hiddenAt15{GL_POLYGON, true, false, false, 15.0f, 15.0f};

// One cell in the middle of a 3 x 3 world, with no walls.
class CellDraw : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        game.grid = makeGrid({"121", "232", "121"});
        cell = game.grid->cellAt(1, 1);
        paintCell(*cell, 0.5f);
        setSimpleOrtho(0, 30, 0, 30);
    }

    std::vector<FeedbackPrimitive> draw(const TerrainDrawParams& params)
    {
        const GlMark mark = GlMark::now();
        auto prims = feedbackOf([&] { cell->drawCell(params); });
        EXPECT_TRUE(leftAsFound(mark));
        return prims;
    }

    TerrainCell* cell = nullptr;
};

TEST_F(CellDraw, FilledCellIsEightTrianglesInDrawOrder)
{
    const auto prims = draw(filledAt15);
    ASSERT_EQ(8u, prims.size());
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(static_cast<GLenum>(GL_POLYGON_TOKEN), prims[i].token);
        ASSERT_EQ(3u, prims[i].vertices.size());
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(at(prims[i].vertices[k], cell->vertices[filledOrder[i][k].slot].position))
                << "triangle " << i << " corner " << k;
    }
}

TEST_F(CellDraw, FilledTextureCoordinatesBelongToTheTriangle)
{
    glEnable(GL_TEXTURE_2D); // without texturing the feedback carries no per-vertex s, t
    const auto prims = draw(filledAt15);
    ASSERT_EQ(8u, prims.size());
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 3; ++k) {
            const float expected[2] = {filledOrder[i][k].s, filledOrder[i][k].t};
            EXPECT_TRUE(same(prims[i].vertices[k].stq, expected, 2))
                << "triangle " << i << " corner " << k;
        }
}

TEST_F(CellDraw, FilledTakesEachVertexColourNotItsBaseColour)
{
    const auto prims = draw(filledAt15);
    ASSERT_EQ(8u, prims.size());
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(same(prims[i].vertices[k].rgba,
                             opaque(cell->vertices[filledOrder[i][k].slot].colour).data(), 4))
                << "triangle " << i << " corner " << k;
    // The last vertex drawn is the centre; its colour stays current for what follows.
    EXPECT_TRUE(same(currentColour().data(), opaque(cell->vertices[SlotCentre].colour).data(), 4));
}

TEST_F(CellDraw, FilledLeavesTextureZeroBoundAndModulates)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    cell->texture = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    draw(filledAt15);
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
    glReadPixels(250, 250, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel); // the cell centre
    EXPECT_EQ(255, pixel[0]);
    EXPECT_EQ(0, pixel[1]);
    EXPECT_EQ(0, pixel[2]);
    glDeleteTextures(1, &name);
}

TEST_F(CellDraw, FilledSurfaceIsLitByNorthColourWithAlphaOne)
{
    lightFrom(0, 0, 1);
    cell->vertices[SlotN].colour[0] = 0.375f;
    const auto prims = draw(filledAt15);
    ASSERT_EQ(8u, prims.size());
    const float* north = cell->vertices[SlotN].colour;
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 3; ++k) {
            const float nz = cell->vertices[filledOrder[i][k].slot].normal[2];
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
        draw(params);
        GLint face = 0, parameter = 0;
        glGetIntegerv(GL_COLOR_MATERIAL_FACE, &face);
        glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &parameter);
        EXPECT_EQ(GL_FRONT, face) << "outline " << params.outline;
        EXPECT_EQ(GL_DIFFUSE, parameter) << "outline " << params.outline;
    }
}

TEST_F(CellDraw, WireFrameIsFourSquaresWithoutDiagonals)
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto prims = draw(wireAt15);
    EXPECT_EQ(16u, prims.size()); // four edges per square, nothing else
    const auto squares = outlines(prims);
    ASSERT_EQ(4u, squares.size());
    for (int q = 0; q < 4; ++q) {
        ASSERT_EQ(4u, squares[q].size()) << "square " << q;
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(at(squares[q][k], cell->vertices[wireOrder[q][k]].position))
                << "square " << q << " corner " << k;
    }
}

TEST_F(CellDraw, WireFrameTakesEachVertexBaseColour)
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto squares = outlines(draw(wireAt15));
    ASSERT_EQ(4u, squares.size());
    for (int q = 0; q < 4; ++q)
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(same(squares[q][k].rgba,
                             opaque(cell->vertices[wireOrder[q][k]].baseColour).data(), 4))
                << "square " << q << " corner " << k;
}

TEST_F(CellDraw, HiddenLineIsTheSameSquaresInBlack)
{
    glColor3f(0.2f, 0.4f, 0.6f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto squares = outlines(draw(hiddenAt15));
    ASSERT_EQ(4u, squares.size());
    for (int q = 0; q < 4; ++q) {
        ASSERT_EQ(4u, squares[q].size()) << "square " << q;
        for (int k = 0; k < 4; ++k) {
            EXPECT_TRUE(at(squares[q][k], cell->vertices[wireOrder[q][k]].position))
                << "square " << q << " corner " << k;
            EXPECT_TRUE(same(squares[q][k].rgba, black, 4)) << "square " << q << " corner " << k;
        }
    }
    EXPECT_TRUE(same(currentColour().data(), black, 4));
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
        draw(params);
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
        EXPECT_TRUE(draw(params).empty()) << "player at " << p[0] << ", " << p[1];
        EXPECT_FLOAT_EQ(p[0] - 15, cell->playerDX);
        EXPECT_FLOAT_EQ(p[1] - 15, cell->playerDY);
    }
    const float inside[][2] = {{114.99f, 15}, {15, -84.99f}, {74.99f, 94.99f}};
    for (const auto& p : inside) {
        const TerrainDrawParams params{GL_TRIANGLES, false, false, false, p[0], p[1]};
        EXPECT_EQ(8u, draw(params).size()) << "player at " << p[0] << ", " << p[1];
    }
}

TEST_F(CellDraw, NormalLinesComeFirstNineWhiteLinesOneUnitLong)
{
    TerrainDrawParams params = filledAt15;
    EXPECT_EQ(0, countTokens(draw(params), GL_LINE_TOKEN) +
                     countTokens(draw(params), GL_LINE_RESET_TOKEN));

    params.showNormals = true;
    const auto prims = draw(params);
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
    draw(filledAt15);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "a cell without walls, culling on";

    game.culling = 0;
    glDisable(GL_CULL_FACE);
    draw(filledAt15);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE)) << "culling off";

    // The wire-frame and hidden-line draws leave culling alone, whatever the switch says.
    game.culling = 1;
    draw(wireAt15);
    draw(hiddenAt15);
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
        game.grid->placeModel(newInstance(41, 1), 1, 1, 1);
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
    const auto prims = draw(params);
    ASSERT_EQ(9u + 1u + 8u, prims.size()); // normal lines, the figure, the surface
    const FeedbackPrimitive& figure = prims[9];
    ASSERT_EQ(3u, figure.vertices.size());
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(holds(figure, corner(k).data())) << k;
    const float faceColour[4] = {0.5f, 0.25f, 1.0f, 1.0f};
    EXPECT_TRUE(same(figure.vertices[0].rgba, faceColour, 4));
}

TEST_F(CellWithModel, CulledCellDrawsNoModel)
{
    const TerrainDrawParams params{GL_TRIANGLES, false, false, false, 115.0f, 15.0f};
    EXPECT_TRUE(draw(params).empty());
}

TEST_F(CellWithModel, CellHandsLightingAndOutlineToItsModel)
{
    // In the hidden-line pass the figure keeps the colour the frame set; with lighting it
    // sets its material, which the hidden-line surface leaves alone.
    glColor3f(0.2f, 0.4f, 0.6f);
    const TerrainDrawParams params{GL_POLYGON, true, false, true, 15.0f, 15.0f};
    const auto prims = draw(params);
    ASSERT_FALSE(prims.empty());
    const float frameColour[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    EXPECT_TRUE(same(prims[0].vertices[0].rgba, frameColour, 4));
    const float faceDiffuse[4] = {0.5f, 0.25f, 1.0f, 1.0f};
    EXPECT_TRUE(same(material(GL_FRONT).data(), faceDiffuse, 4));
}

// A flattened object cell in the middle of a 3 x 3 world, with walls on all four sides.
class CellWalls : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        game.grid = makeGrid({"121", "232", "121"}, [](TerrainGrid& grid) {
            grid.placeModel(newInstance(999, 0), 1, 1, 0); // no mesh: it draws nothing
        });
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) paintCell(*game.grid->cellAt(r, c), 0.1f * (3 * r + c));
        cell = game.grid->cellAt(1, 1);
    }

    // The position of a wall corner.
    const float* position(int side, const WallCorner& corner) const
    {
        const TerrainCell* owner = corner.nb ? cell->neighbours[side] : cell;
        return owner->vertices[corner.slot].position;
    }

    std::vector<FeedbackPrimitive> draw(const TerrainDrawParams& params)
    {
        const GlMark mark = GlMark::now();
        auto prims = feedbackOf([&] { cell->drawCell(params); });
        EXPECT_TRUE(leftAsFound(mark));
        return prims;
    }

    TerrainCell* cell = nullptr;
};

TEST_F(CellWalls, ObjectCellHasWallFlagsOnEverySide)
{
    for (int side = 0; side < 4; ++side) ASSERT_EQ(1, cell->sideFlags[side]) << side;
}

TEST_F(CellWalls, FilledWallsFollowTheSurfaceSideBySide)
{
    setViewFromAbove(15, 15, 15);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_TEXTURE_2D);
    const auto shapes = outlines(draw(filledAt15));
    ASSERT_EQ(8u + 8u, shapes.size());
    const auto wallColour = opaque(cell->vertices[SlotCentre].colour);
    for (int side = 0; side < 4; ++side)
        for (int q = 0; q < 2; ++q) {
            const auto& quad = shapes[8 + 2 * side + q];
            ASSERT_EQ(4u, quad.size()) << "side " << side << " quad " << q;
            for (int k = 0; k < 4; ++k) {
                EXPECT_TRUE(at(quad[k], position(side, wallOrder[side][q][k])))
                    << "side " << side << " quad " << q << " corner " << k;
                EXPECT_TRUE(same(quad[k].stq, wallTex[q][k], 2))
                    << "side " << side << " quad " << q << " corner " << k;
                // No colour calls: the walls keep the centre colour of the last triangle.
                EXPECT_TRUE(same(quad[k].rgba, wallColour.data(), 4))
                    << "side " << side << " quad " << q << " corner " << k;
            }
        }
}

TEST_F(CellWalls, WireWallsTakeEachCornerBaseColour)
{
    setViewFromAbove(15, 15, 15);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto shapes = outlines(draw(wireAt15));
    ASSERT_EQ(4u + 8u, shapes.size());
    for (int side = 0; side < 4; ++side)
        for (int q = 0; q < 2; ++q) {
            const auto& quad = shapes[4 + 2 * side + q];
            ASSERT_EQ(4u, quad.size()) << "side " << side << " quad " << q;
            for (int k = 0; k < 4; ++k) {
                const WallCorner& corner = wallOrder[side][q][k];
                const TerrainCell* owner = corner.nb ? cell->neighbours[side] : cell;
                EXPECT_TRUE(at(quad[k], position(side, corner)))
                    << "side " << side << " quad " << q << " corner " << k;
                EXPECT_TRUE(
                    same(quad[k].rgba, opaque(owner->vertices[corner.slot].baseColour).data(), 4))
                    << "side " << side << " quad " << q << " corner " << k;
            }
        }
}

TEST_F(CellWalls, HiddenLineWallsAreBlack)
{
    setViewFromAbove(15, 15, 15);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto shapes = outlines(draw(hiddenAt15));
    ASSERT_EQ(4u + 8u, shapes.size());
    for (int side = 0; side < 4; ++side)
        for (int q = 0; q < 2; ++q)
            for (int k = 0; k < 4; ++k) {
                const auto& v = shapes[4 + 2 * side + q][k];
                EXPECT_TRUE(at(v, position(side, wallOrder[side][q][k])));
                EXPECT_TRUE(same(v.rgba, black, 4));
            }
}

TEST_F(CellWalls, WallsAreLitByCentreColourWithAlphaOne)
{
    setViewFromAbove(15, 15, 15);
    lightFrom(0.6f, 0.8f, 0);
    cell->vertices[SlotCentre].colour[1] = 0.625f;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto shapes = outlines(draw(filledAt15));
    ASSERT_EQ(8u + 8u, shapes.size());
    // The object cell stands above its neighbours, so each wall faces away from it:
    // N (-1, 0, 0), S (1, 0, 0), E (0, 1, 0), W (0, -1, 0); the cosines to the light follow.
    const float cosine[4] = {0, 0.6f, 0.8f, 0};
    const float* centre = cell->vertices[SlotCentre].colour;
    for (int side = 0; side < 4; ++side) {
        const float lit[4] = {centre[0] * cosine[side], centre[1] * cosine[side],
                              centre[2] * cosine[side], 1.0f};
        for (int q = 0; q < 2; ++q)
            for (int k = 0; k < 4; ++k)
                EXPECT_TRUE(same(shapes[8 + 2 * side + q][k].rgba, lit, 4))
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
    const int wallsKeptOn = countTokens(draw(filledAt15), GL_POLYGON_TOKEN);
    ASSERT_GT(wallsKeptOn, 0);
    ASSERT_LT(wallsKeptOn, 16);

    game.culling = 1;
    const auto prims = draw(filledAt15);
    EXPECT_EQ(16, countTokens(prims, GL_POLYGON_TOKEN)) << "every wall quad, as two triangles";
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

// A flat 3 x 3 world at level 1 whose middle cell has a wall flag on one side only.
struct WallCase {
    const char* name;
    // Heights given to the neighbour's middle and its two end vertices on the wall side.
    float middle, endA, endB;
    // Heights given to this cell's two end vertices that meet them (its middle stays at 5).
    float thisEndA, thisEndB;
    bool facesThisCell;
};

class CellWallNormal : public GlTest {};

TEST_F(CellWallNormal, WallFacesTheLowerCell)
{
    // The neighbour's slots on each side: middle, then the two ends.
    const int nbSlots[4][3] = {{SlotS, SlotSW, SlotSE},
                               {SlotN, SlotNW, SlotNE},
                               {SlotW, SlotNW, SlotSW},
                               {SlotE, SlotNE, SlotSE}};
    // This cell's ends that meet the neighbour's, in the same order.
    const int thisSlots[4][2] = {
        {SlotNW, SlotNE}, {SlotSW, SlotSE}, {SlotNE, SlotSE}, {SlotNW, SlotSW}};
    const float towardsThis[4][3] = {{1, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 1, 0}};
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
        {"second end higher than the end it meets", 5, 4, 7, 5, 6, true},
    };
    for (int side = 0; side < 4; ++side)
        for (const WallCase& c : cases) {
            TerrainGrid* grid = makeGrid({"111", "111", "111"});
            TerrainCell* cell = grid->cellAt(1, 1);
            cell->sideFlags[side] = 1;
            TerrainCell* nb = cell->neighbours[side];
            const float heights[3] = {c.middle, c.endA, c.endB};
            for (int k = 0; k < 3; ++k) nb->vertices[nbSlots[side][k]].position[2] = heights[k];
            cell->vertices[thisSlots[side][0]].position[2] = c.thisEndA;
            cell->vertices[thisSlots[side][1]].position[2] = c.thisEndB;
            glNormal3f(0, 0, 0);
            const GlMark mark = GlMark::now();
            cell->drawCell(filledAt15);
            EXPECT_TRUE(leftAsFound(mark));
            // The wall is the last thing drawn, one normal for all its corners.
            float expected[3];
            for (int i = 0; i < 3; ++i)
                expected[i] = c.facesThisCell ? towardsThis[side][i] : -towardsThis[side][i];
            EXPECT_TRUE(same(currentNormal().data(), expected, 3))
                << "side " << side << ": " << c.name;
            releaseWorld(grid);
        }
}

TEST_F(CellWallNormal, FlagWithoutNeighbourDrawsNoWall)
{
    setSimpleOrtho(0, 30, 0, 30);
    game.grid = makeGrid({"111", "111"});
    TerrainCell* top = game.grid->cellAt(0, 1);
    top->sideFlags[SideN] = 1; // the border: no neighbour there
    const TerrainDrawParams params{GL_TRIANGLES, false, false, false, 5.0f, 15.0f};
    const GlMark mark = GlMark::now();
    EXPECT_EQ(8u, feedbackOf([&] { top->drawCell(params); }).size());
    top->sideFlags[SideS] = 1;
    EXPECT_EQ(8u + 4u, feedbackOf([&] { top->drawCell(params); }).size())
        << "the south wall, two quads of two triangles";
    EXPECT_TRUE(leftAsFound(mark));
}

// A large world with varied heights, walls, figures and people, for the grid draw.
// A large world with varied heights, walls, figures and people, built once for the suite.
class GridDraw : public ::testing::Test {
  protected:
    // Fewer rows than columns: a column range clamped by the row count would miss cells.
    static constexpr int rows = 240, cols = 300;
    static TerrainGrid* world;

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
        world = makeGrid(levels, [](TerrainGrid& grid) {
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c) {
                    if ((r * 31 + c * 17) % 23 == 0) grid.placeModel(newInstance(7, 0), r, c, 0);
                    if ((r * 11 + c * 29) % 37 == 0) grid.placeModel(newInstance(8, 1), r, c, 1);
                }
        });
        const float people[5][3] = {
            {1195, 1505, 5}, {15, 15, 5}, {2385, 2995, 5}, {1200, 1600, 5}, {1005, 1405, 5}};
        for (int i = 0; i < 5; ++i)
            addPerson(*world, i, 9, people[i][0], people[i][1], people[i][2]);
    }

    static void TearDownTestSuite()
    {
        releaseWorld(world);
        world = nullptr;
        releaseMeshes();
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

TEST_F(GridDraw, VisitsAtMost21By21Cells)
{
    TerrainGrid& grid = *game.grid;
    const float positions[][2] = {{1200, 1500}, {1205, 1505}, {1200.1f, 1509.9f}, {2398, 2}};
    for (const auto& p : positions) {
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) grid.cells[r][c]->playerDX = -12345.0f;
        gridDraw({GL_POLYGON, true, false, false, p[0], p[1]});
        int visited = 0, missed = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                const bool seen = grid.cells[r][c]->playerDX != -12345.0f;
                visited += seen;
                const float dx = p[0] - (10 * r + 5), dy = p[1] - (10 * c + 5);
                missed += !seen && dx * dx + dy * dy < 10000;
            }
        EXPECT_LE(visited, 21 * 21) << "player at " << p[0] << ", " << p[1];
        EXPECT_EQ(0, missed) << "player at " << p[0] << ", " << p[1];
    }
}

TEST_F(GridDraw, PeopleFollowTheCellsOnEveryCall)
{
    Person* near = game.grid->people[0]; // (1195, 1505)
    Person* far = game.grid->people[1];  // (15, 15)
    near->spin = far->spin = 0;
    const TerrainDrawParams params{GL_TRIANGLES, false, false, false, 1200, 1500};
    const auto prims = parseFeedback(captureFeedback([&] { game.grid->drawGrid(params); }));
    game.grid->drawGrid({GL_POLYGON, true, false, false, 1200, 1500});
    EXPECT_EQ(10.0f, near->spin);
    EXPECT_EQ(0.0f, far->spin);
    // The person's figure (face colour 0.75, 0.75, 0) comes after every cell.
    ASSERT_FALSE(prims.empty());
    const float figure[4] = {0.75f, 0.75f, 0, 1};
    EXPECT_TRUE(same(prims.back().vertices[0].rgba, figure, 4));
}

} // namespace
