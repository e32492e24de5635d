// Shared pieces of the GL tests: the check that a draw leaves the matrix stacks and the
// error flag as it found them, a reset of the GL state between tests, and worlds built in code.
#pragma once

#include "app/game_state.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "tests/support/gl_env.h"
#include "tests/support/test_support.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

// The matrix stack depths before a draw; compare with leftAsFound() after it.
struct GlMark {
    GLint modelview = 0;
    GLint projection = 0;

    static GlMark now()
    {
        GlMark mark;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &mark.modelview);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &mark.projection);
        return mark;
    }
};

// Success when both stack depths match the mark and no GL error is pending.
inline ::testing::AssertionResult leftAsFound(const GlMark& before)
{
    const GlMark after = GlMark::now();
    const GLenum error = glGetError();
    if (after.modelview != before.modelview)
        return ::testing::AssertionFailure()
               << "modelview stack depth " << before.modelview << " became " << after.modelview;
    if (after.projection != before.projection)
        return ::testing::AssertionFailure()
               << "projection stack depth " << before.projection << " became " << after.projection;
    if (error != GL_NO_ERROR)
        return ::testing::AssertionFailure() << "GL error 0x" << std::hex << error;
    return ::testing::AssertionSuccess();
}

// Puts back every piece of GL state that the game code or a test may change.
inline void resetGlState()
{
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_CULL_FACE, GL_DEPTH_TEST, GL_FOG, GL_TEXTURE_2D,
                       GL_COLOR_MATERIAL, GL_POLYGON_OFFSET_FILL})
        glDisable(cap);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPolygonOffset(0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    const float defaultFront[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, defaultFront);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord4f(0.0f, 0.0f, 0.0f, 1.0f);
    const float one[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1}, zero[4] = {0, 0, 0, 0};
    const float overhead[4] = {0, 0, 1, 0}, dim[4] = {0.2f, 0.2f, 0.2f, 1};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity(); // the light position is taken in the current eye coordinates
    glLightfv(GL_LIGHT0, GL_POSITION, overhead);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, one);
    glLightfv(GL_LIGHT0, GL_SPECULAR, one);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, dim);
    glFogfv(GL_FOG_COLOR, zero);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glClearColor(0, 0, 0, 0);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 1.0f);
    glFogf(GL_FOG_DENSITY, 1.0f);
    glFogi(GL_FOG_MODE, GL_EXP);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    while (glGetError() != GL_NO_ERROR) {
    }
}

// A fresh game state and GL state before each test; the world and meshes freed after it.
class GlTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        resetGlState();
    }

    void TearDown() override
    {
        delete game.grid;
        game = GameState(); // frees the meshes
        resetGlState();
    }
};

// A grid of levels given as digit rows ("0123" is one row of four cells, heights level x 5),
// stitched and with normals, as the world load leaves it; `place` runs between the stitching
// and the normals, where the world load places its objects. The caller owns it.
inline TerrainGrid* makeLoadedGrid(const std::vector<std::string>& levels,
                                   const std::function<void(TerrainGrid&)>& place = nullptr)
{
    TerrainGrid* grid = makeGrid(levels).release();
    if (place) place(*grid);
    grid->computeNormals(quietLog());
    return grid;
}

// One face of an inline mesh: its colour and corners.
struct FaceData {
    float colour[3];
    std::vector<std::vector<float>> corners;
};

// Adds a mesh with the given faces to the store under `id`, laid out as the model reader
// leaves one (every corner carries the face colour); each face gets the given normal.
inline Mesh* addMesh(int16_t id, const std::vector<FaceData>& faces, const float normal[3])
{
    Mesh* mesh = new Mesh;
    for (const FaceData& data : faces) {
        MeshFace face;
        for (const auto& p : data.corners)
            face.vertices.push_back(Vertex{
                {p[0], p[1], p[2]}, {}, {data.colour[0], data.colour[1], data.colour[2]}, {}});
        face.vertexCount = static_cast<int8_t>(face.vertices.size());
        for (int i = 0; i < 3; ++i) face.normal[i] = normal[i];
        mesh->faces.push_back(face);
    }
    mesh->faceCount = static_cast<int16_t>(mesh->faces.size());
    mesh->id = id;
    game.meshes.adopt(mesh);
    return mesh;
}

// A new instance of mesh `id` of the game state's store, its lookup lines kept quiet.
inline ModelInstance* newInstance(int id, int passable)
{
    return new ModelInstance(game.meshes, id, passable, quietLog());
}

// Puts a new person of mesh `id` into the grid's slot at (x, y, z).
inline Person* addPerson(TerrainGrid& grid, int slot, int id, float x, float y, float z)
{
    Person* person = new Person(game.meshes, id, 1, quietLog());
    person->position[0] = x;
    person->position[1] = y;
    person->position[2] = z;
    grid.people[slot] = person;
    return person;
}

// A white directional light towards the unit direction (x, y, z) from the viewer's side,
// given in world coordinates under the current modelview, with no ambient light and no
// highlights: a lit vertex shows its diffuse material times the cosine to its normal, with
// the material's alpha. Turns lighting on.
inline void directionalLight(float x, float y, float z)
{
    const float towards[4] = {x, y, z, 0};
    const float whiteLight[4] = {1, 1, 1, 1};
    const float none[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, towards);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, whiteLight);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

// The primitives of one feedback capture, parsed.
inline std::vector<FeedbackPrimitive> feedbackOf(const std::function<void()>& draw)
{
    return parseFeedback(captureFeedback(draw));
}

// How many primitives carry the given token.
inline int countTokens(const std::vector<FeedbackPrimitive>& prims, GLenum token)
{
    int n = 0;
    for (const FeedbackPrimitive& p : prims) n += p.token == token;
    return n;
}

// The polygons of a capture taken in line polygon mode: each begins at a line-reset token
// and lists the first vertex of each of its edges, in the order they were drawn.
inline std::vector<std::vector<FeedbackVertex>>
outlines(const std::vector<FeedbackPrimitive>& prims)
{
    std::vector<std::vector<FeedbackVertex>> out;
    for (const FeedbackPrimitive& p : prims) {
        if (p.token == GL_LINE_RESET_TOKEN) out.emplace_back();
        if ((p.token == GL_LINE_RESET_TOKEN || p.token == GL_LINE_TOKEN) && !out.empty())
            out.back().push_back(p.vertices[0]);
    }
    return out;
}

// Where a world point lands in window coordinates under the current matrices.
struct WindowPoint {
    double x, y, z;
};

inline WindowPoint project(const float p[3])
{
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    WindowPoint w{};
    gluProject(p[0], p[1], p[2], modelview, projection, viewport, &w.x, &w.y, &w.z);
    return w;
}

// Success when the feedback vertex lies where the world point projects.
inline ::testing::AssertionResult at(const FeedbackVertex& v, const float p[3])
{
    const WindowPoint w = project(p);
    if (std::fabs(v.x - w.x) < 1e-3 && std::fabs(v.y - w.y) < 1e-3 && std::fabs(v.z - w.z) < 1e-5)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "vertex at window (" << v.x << ", " << v.y << ", " << v.z << "), expected world ("
           << p[0] << ", " << p[1] << ", " << p[2] << ") at (" << w.x << ", " << w.y << ", " << w.z
           << ")";
}

// Success when the first `n` components agree within 1e-5.
inline ::testing::AssertionResult same(const float* actual, const float* expected, int n)
{
    for (int i = 0; i < n; ++i)
        if (!(std::fabs(actual[i] - expected[i]) < 1e-5)) {
            ::testing::AssertionResult r = ::testing::AssertionFailure();
            r << "got (";
            for (int k = 0; k < n; ++k) r << (k ? ", " : "") << actual[k];
            r << "), expected (";
            for (int k = 0; k < n; ++k) r << (k ? ", " : "") << expected[k];
            return r << ")";
        }
    return ::testing::AssertionSuccess();
}
