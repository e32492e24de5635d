// Drawing model instances and people in a real GL context: faces, colours, materials and
// normals by pass, empty meshes and faces, and the people's reach and spin.
#include "tests/support/gl_test_util.h"

#include <string>

namespace {

const float faceA[3] = {0.25f, 0.5f, 0.75f};
const float faceB[3] = {1.0f, 0.5f, 0.0f};
const float cornersA[4][3] = {{1, 1, 0}, {4, 1, 0}, {4, 4, 1}, {1, 4, 1}};
const float cornersB[3][3] = {{5, 5, 0}, {8, 5, 0}, {5, 8, 2}};
const float normalA[3] = {0, 0.6f, 0.8f};
const float normalB[3] = {0, 0, 1};

std::vector<float> current(GLenum what, int n)
{
    std::vector<float> v(4);
    glGetFloatv(what, v.data());
    v.resize(n);
    return v;
}

std::vector<float> frontDiffuse()
{
    std::vector<float> m(4);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, m.data());
    return m;
}

// A mesh of two faces, a square and a triangle, each with its own colour and normal.
Mesh* addTwoFaceMesh(int16_t id)
{
    Mesh* mesh =
        addMesh(id,
                {{{faceA[0], faceA[1], faceA[2]}, {{1, 1, 0}, {4, 1, 0}, {4, 4, 1}, {1, 4, 1}}},
                 {{faceB[0], faceB[1], faceB[2]}, {{5, 5, 0}, {8, 5, 0}, {5, 8, 2}}}},
                normalA);
    for (int i = 0; i < 3; ++i) mesh->faces[1].normal[i] = normalB[i];
    return mesh;
}

// Sets the colour, normal, texture coordinate and diffuse material that a draw may keep.
struct Sentinels {
    float colour[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    float normal[3] = {0, 1, 0};
    float texCoord[4] = {0.25f, 0.75f, 0, 1};
    float diffuse[4] = {0.1f, 0.3f, 0.5f, 0.7f};

    void set() const
    {
        glColor4fv(colour);
        glNormal3fv(normal);
        glTexCoord4fv(texCoord);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    }
};

class ModelDraw : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        mesh = addTwoFaceMesh(21);
        instance = newInstance(21, 0);
        setSimpleOrtho(0, 30, 0, 30);
        glTranslatef(10, 10, 0);                   // the figure draws in the current frame
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); // polygon corners come back in order
    }

    void TearDown() override
    {
        delete instance;
        GlTest::TearDown();
    }

    std::vector<FeedbackPrimitive> draw(bool lighting, bool outline)
    {
        const GlMark mark = GlMark::now();
        auto prims = feedbackOf([&] { instance->draw(lighting, outline); });
        EXPECT_TRUE(leftAsFound(mark));
        return prims;
    }

    Mesh* mesh = nullptr;
    ModelInstance* instance = nullptr;
};

TEST_F(ModelDraw, EachFaceIsOnePolygonInFaceColour)
{
    const auto shapes = outlines(draw(false, false));
    ASSERT_EQ(2u, shapes.size());
    ASSERT_EQ(4u, shapes[0].size());
    ASSERT_EQ(3u, shapes[1].size());
    const float colourA[4] = {faceA[0], faceA[1], faceA[2], 1};
    const float colourB[4] = {faceB[0], faceB[1], faceB[2], 1};
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(at(shapes[0][k], cornersA[k])) << k;
        EXPECT_TRUE(same(shapes[0][k].rgba, colourA, 4)) << k;
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(at(shapes[1][k], cornersB[k])) << k;
        EXPECT_TRUE(same(shapes[1][k].rgba, colourB, 4)) << k;
    }
}

TEST_F(ModelDraw, OutlinePassWithoutLightingSendsPositionsOnly)
{
    const Sentinels before;
    before.set();
    const auto shapes = outlines(draw(false, true));
    ASSERT_EQ(2u, shapes.size());
    for (const auto& shape : shapes)
        for (const FeedbackVertex& v : shape) EXPECT_TRUE(same(v.rgba, before.colour, 4));
    EXPECT_TRUE(same(current(GL_CURRENT_COLOR, 4).data(), before.colour, 4));
    EXPECT_TRUE(same(current(GL_CURRENT_NORMAL, 3).data(), before.normal, 3));
    EXPECT_TRUE(same(current(GL_CURRENT_TEXTURE_COORDS, 4).data(), before.texCoord, 4));
    EXPECT_TRUE(same(frontDiffuse().data(), before.diffuse, 4));
}

TEST_F(ModelDraw, WithoutLightingNoNormalOrMaterial)
{
    const Sentinels before;
    before.set();
    draw(false, false);
    EXPECT_TRUE(same(current(GL_CURRENT_NORMAL, 3).data(), before.normal, 3));
    EXPECT_TRUE(same(frontDiffuse().data(), before.diffuse, 4));
    const float lastFace[4] = {faceB[0], faceB[1], faceB[2], 1};
    EXPECT_TRUE(same(current(GL_CURRENT_COLOR, 4).data(), lastFace, 4));
}

TEST_F(ModelDraw, LightingGivesEachFaceItsColourAsOpaqueMaterialAndItsNormal)
{
    // A white light from straight above and no ambient term (the light's own is none, and the
    // material reflects no specular light): each lit corner shows its face's diffuse material
    // times the z of the face normal, with the material's alpha.
    const float up[4] = {0, 0, 1, 0}, white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, up);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const auto shapes = outlines(draw(true, false));
    ASSERT_EQ(2u, shapes.size());
    const float litA[4] = {faceA[0] * normalA[2], faceA[1] * normalA[2], faceA[2] * normalA[2], 1};
    const float litB[4] = {faceB[0], faceB[1], faceB[2], 1};
    for (const FeedbackVertex& v : shapes[0]) EXPECT_TRUE(same(v.rgba, litA, 4));
    for (const FeedbackVertex& v : shapes[1]) EXPECT_TRUE(same(v.rgba, litB, 4));
    EXPECT_TRUE(same(current(GL_CURRENT_NORMAL, 3).data(), normalB, 3));
}

TEST_F(ModelDraw, OutlinePassWithLightingSetsMaterialButKeepsTheColour)
{
    const Sentinels before;
    before.set();
    const auto shapes = outlines(draw(true, true));
    ASSERT_EQ(2u, shapes.size());
    EXPECT_TRUE(same(shapes[0][0].rgba, before.colour, 4)); // lighting is off in GL itself
    EXPECT_TRUE(same(current(GL_CURRENT_COLOR, 4).data(), before.colour, 4));
    const float lastFace[4] = {faceB[0], faceB[1], faceB[2], 1};
    EXPECT_TRUE(same(frontDiffuse().data(), lastFace, 4));
}

TEST_F(ModelDraw, MissingMeshIsReportedAndDrawsNothing)
{
    game.meshes = MeshStore();
    LogStream log;
    ModelInstance lost(game.meshes, 21, 1, log.get());
    EXPECT_EQ("attempting to retrieve geometry\n\ngeometry not found!!\n", log.text());
    EXPECT_EQ(nullptr, lost.mesh);
    const Sentinels before;
    before.set();
    const GlMark mark = GlMark::now();
    EXPECT_TRUE(feedbackOf([&] { lost.draw(true, false); }).empty());
    EXPECT_TRUE(leftAsFound(mark));
    EXPECT_TRUE(same(current(GL_CURRENT_COLOR, 4).data(), before.colour, 4));
    EXPECT_TRUE(same(frontDiffuse().data(), before.diffuse, 4));
    mesh = nullptr;
}

TEST_F(ModelDraw, FaceCountOfZeroOrLessDrawsNothing)
{
    for (int16_t count : {0, -3}) {
        mesh->faceCount = count; // the count cut to 16 bits governs, not the faces held
        EXPECT_TRUE(draw(true, false).empty()) << count;
    }
}

TEST_F(ModelDraw, FaceWithoutCornersIsSkipped)
{
    // why: a face with no corners has no colour to read; the draw must pass over it.
    mesh->faces.insert(mesh->faces.begin(), MeshFace());
    mesh->faces.push_back(MeshFace());
    mesh->faceCount = 4;
    const auto shapes = outlines(draw(true, false));
    ASSERT_EQ(2u, shapes.size());
    EXPECT_EQ(4u, shapes[0].size());
    EXPECT_EQ(3u, shapes[1].size());
    const float lastFace[4] = {faceB[0], faceB[1], faceB[2], 1};
    EXPECT_TRUE(same(current(GL_CURRENT_COLOR, 4).data(), lastFace, 4));
}

TEST_F(ModelDraw, CornerCountCutTo8BitsSaysHowManyCornersDraw)
{
    // A face of 260 corners counts as 4 (260 - 256); one of 200 counts as -56 and draws none.
    std::string text = "2\n1 0 0\n260\n0 0 0\n2 0 0\n2 2 0\n0 2 0\n";
    for (int k = 4; k < 260; ++k) text += "1 1 5\n";
    text += "0 1 0\n200\n";
    for (int k = 0; k < 200; ++k) text += "3 3 0\n";
    InputBytes in(text);
    const int id = game.meshes.loadMesh(in.get(), quietLog());
    ModelInstance* big = newInstance(id, 0);
    const GlMark mark = GlMark::now();
    const auto shapes = outlines(feedbackOf([&] { big->draw(false, false); }));
    EXPECT_TRUE(leftAsFound(mark));
    ASSERT_EQ(1u, shapes.size());
    ASSERT_EQ(4u, shapes[0].size());
    const float square[4][3] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(at(shapes[0][k], square[k])) << k;
    delete big;
}

// One person of a small triangular figure standing at (15, 15, 5).
class PersonDraw : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        const float up[3] = {0, 0, 1};
        addMesh(31, {{{0.5f, 1, 0.5f}, {{2, 0, 0}, {2, 1, 0}, {2, 0, 1}}}}, up);
        person = new Person(game.meshes, 31, 1, quietLog());
        person->position[0] = 15;
        person->position[1] = 15;
        person->position[2] = 5;
        setSimpleOrtho(0, 30, 0, 30);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }

    void TearDown() override
    {
        delete person;
        GlTest::TearDown();
    }

    std::vector<FeedbackPrimitive> draw(float x, float y, bool lighting = false,
                                        bool outline = false)
    {
        const GlMark mark = GlMark::now();
        auto prims = feedbackOf([&] { person->draw(lighting, outline, x, y); });
        EXPECT_TRUE(leftAsFound(mark));
        return prims;
    }

    Person* person = nullptr;
};

TEST_F(PersonDraw, SavedPersonDrawsNothing)
{
    person->saved = true;
    person->spin = 20;
    EXPECT_TRUE(draw(15, 15).empty());
    EXPECT_EQ(20.0f, person->spin);
}

TEST_F(PersonDraw, DrawnOnlyWithin100UnitsOnTheGround)
{
    const float boundary[][2] = {{115, 15}, {15, -85}, {75, 95}, {-45, -65}};
    for (const auto& p : boundary) {
        EXPECT_TRUE(draw(p[0], p[1]).empty()) << p[0] << ", " << p[1];
        EXPECT_EQ(0.0f, person->spin) << p[0] << ", " << p[1];
    }
    EXPECT_EQ(1u, outlines(draw(114.9f, 15)).size());
    EXPECT_EQ(5.0f, person->spin);
    EXPECT_EQ(1u, outlines(draw(15, -84.9f)).size());
    EXPECT_EQ(10.0f, person->spin);
}

TEST_F(PersonDraw, TurnsByTheSpinBeforeItGrowsBy5)
{
    person->spin = 90;
    auto shapes = outlines(draw(15, 15));
    ASSERT_EQ(1u, shapes.size());
    ASSERT_EQ(3u, shapes[0].size());
    // A quarter turn about z takes the figure's (2, 0) to (0, 2) and (2, 1) to (-1, 2).
    const float turned[3][3] = {{15, 17, 5}, {14, 17, 5}, {15, 17, 6}};
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(at(shapes[0][k], turned[k])) << k;
    EXPECT_EQ(95.0f, person->spin);

    person->spin = 720; // never wrapped: a whole number of turns draws as none
    shapes = outlines(draw(15, 15));
    ASSERT_EQ(1u, shapes.size());
    const float upright[3] = {17, 15, 5};
    EXPECT_TRUE(at(shapes[0][0], upright));
    EXPECT_EQ(725.0f, person->spin);
}

TEST_F(PersonDraw, FigureTakesTheLightingAndOutlineFlags)
{
    glColor3f(0.2f, 0.4f, 0.6f);
    const auto shapes = outlines(draw(15, 15, true, true));
    ASSERT_EQ(1u, shapes.size());
    const float frameColour[4] = {0.2f, 0.4f, 0.6f, 1};
    EXPECT_TRUE(same(shapes[0][0].rgba, frameColour, 4));
    const float faceDiffuse[4] = {0.5f, 1, 0.5f, 1};
    EXPECT_TRUE(same(frontDiffuse().data(), faceDiffuse, 4));
}

} // namespace
