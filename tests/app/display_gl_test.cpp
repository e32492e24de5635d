// One frame in a real GL context: camera and light, fog range, the terrain passes, the
// overhead marker, the HUD, and the GL state a frame leaves behind.
#include "app/display.h"
#include "app/text.h"
#include "tests/support/gl_test_util.h"

#include <GL/glu.h>
#include <cmath>
#include <utility>

namespace {

std::vector<double> matrix(GLenum which)
{
    std::vector<double> m(16);
    glGetDoublev(which, m.data());
    return m;
}

::testing::AssertionResult sameMatrix(const std::vector<double>& a, const std::vector<double>& b)
{
    for (int i = 0; i < 16; ++i)
        if (std::fabs(a[i] - b[i]) > 1e-5 * (1 + std::fabs(b[i])))
            return ::testing::AssertionFailure()
                   << "element " << i << ": " << a[i] << " instead of " << b[i];
    return ::testing::AssertionSuccess();
}

// GL's fog start and end.
std::pair<float, float> fogRangeInGl()
{
    float start = 0, end = 0;
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    return {start, end};
}

// The frame's player and heading; the display reads nothing else of where he is.
void placePlayer(float x, float y, float z, float hx, float hy)
{
    game.playerX = x;
    game.playerY = y;
    game.playerZ = z;
    game.headingX = hx;
    game.headingY = hy;
    game.headingZ = 0;
}

class DisplayFrame : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        placePlayer(15.9f, 25.2f, 10.0f, -1, 0);
    }

    // Draws one frame; checks that it leaves the stacks, the matrix mode and the error
    // flag as it found them.
    void frame()
    {
        const GlMark mark = GlMark::now();
        display();
        EXPECT_TRUE(leftAsFound(mark));
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(GL_MODELVIEW, mode);
    }

    std::vector<FeedbackPrimitive> frameFeedback()
    {
        return feedbackOf([&] { frame(); });
    }

    // A flat 5 x 5 world at height 5 with one person in the middle; the player looks at it.
    Person* smallWorldWithPerson()
    {
        const float up[3] = {0, 0, 1};
        addMesh(51, {{{1, 1, 0}, {{-1, 0, 0}, {1, 0, 0}, {0, 0, 3}}}}, up);
        game.grid = makeLoadedGrid({"11111", "11111", "11111", "11111", "11111"});
        placePlayer(49, 25, 8, -1, 0);
        return addPerson(*game.grid, 0, 51, 25, 25, 5);
    }
};

TEST_F(DisplayFrame, FogRangeFollowsTheCameraAndHeight)
{
    struct Case {
        bool overhead;
        float height, z;
        float start, end;
    };
    const Case cases[] = {
        {false, 10, 29.9f, 65, 80}, {false, 10, 30, 48, 95}, {false, 10, 31.3f, 50, 95},
        {false, 10, 31.6f, 50, 95}, {true, 10, 20, 25, 45},  {true, 10, 20.7f, 25, 45},
        {true, 13, 7.5f, 15, 35},
    };
    game.fog = 1;
    for (const Case& c : cases) {
        game.overhead = c.overhead;
        game.overheadHeight = c.height;
        game.playerZ = c.z;
        frame();
        EXPECT_EQ(std::make_pair(c.start, c.end), fogRangeInGl())
            << "overhead " << c.overhead << " at height " << c.z;
    }
}

TEST_F(DisplayFrame, FogOffLeavesTheRangeAlone)
{
    glFogf(GL_FOG_START, 1);
    glFogf(GL_FOG_END, 2);
    game.playerZ = 40;
    frame();
    EXPECT_EQ(std::make_pair(1.0f, 2.0f), fogRangeInGl());
}

TEST_F(DisplayFrame, HiddenLinePassOnlyInWireFrameWithDepthTest)
{
    Person* person = smallWorldWithPerson();
    struct Case {
        uint8_t filled, depthTest;
        float spinAfter; // the person turns 5 degrees per grid pass
        GLint polygonMode;
    };
    const Case cases[] = {
        {0, 1, 10, GL_FILL},
        {0, 0, 5, GL_LINE},
        {1, 1, 5, GL_FILL},
        {1, 0, 5, GL_FILL},
    };
    for (const Case& c : cases) {
        game.filled = c.filled;
        game.depthTest = c.depthTest;
        person->spin = 0;
        glPolygonOffset(0, 0);
        frame();
        EXPECT_EQ(c.spinAfter, person->spin)
            << "filled " << int(c.filled) << ", depth test " << int(c.depthTest);
        GLint mode[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, mode);
        EXPECT_EQ(c.polygonMode, mode[0]);
        EXPECT_EQ(c.polygonMode, mode[1]);
        EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
        if (c.spinAfter == 10) {
            float factor = 0, units = 0;
            glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
            glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
            EXPECT_EQ(1.0f, factor);
            EXPECT_EQ(1.0f, units);
        }
    }
}

TEST_F(DisplayFrame, WireFrameDrawsPolygonsOnlyForItsBlackHiddenLinePass)
{
    smallWorldWithPerson();
    game.filled = 0;
    game.depthTest = 1;
    const auto prims = frameFeedback();
    size_t firstPolygon = prims.size();
    for (size_t i = 0; i < prims.size() && firstPolygon == prims.size(); ++i)
        if (prims[i].token == GL_POLYGON_TOKEN) firstPolygon = i;
    ASSERT_LT(firstPolygon, prims.size()) << "no filled polygons";
    ASSERT_GT(firstPolygon, 0u) << "no lines before them";
    const float black[4] = {0, 0, 0, 1};
    int polygons = 0;
    for (const FeedbackPrimitive& p : prims)
        if (p.token == GL_POLYGON_TOKEN) {
            ++polygons;
            for (const FeedbackVertex& v : p.vertices) EXPECT_TRUE(same(v.rgba, black, 4));
        }
    EXPECT_GT(polygons, 8);

    game.depthTest = 0;
    EXPECT_EQ(0, countTokens(frameFeedback(), GL_POLYGON_TOKEN)) << "all edges stay visible";
    game.filled = 1;
    EXPECT_GT(countTokens(frameFeedback(), GL_POLYGON_TOKEN), 8) << "a filled frame has its own";
}

TEST_F(DisplayFrame, CameraFollowsThePlayer)
{
    placePlayer(15, 25, 10, 0.6f, 0.8f);
    for (uint8_t overhead : {0, 1}) {
        game.overhead = overhead;
        game.overheadHeight = 12;
        frame();
        const auto projection = matrix(GL_PROJECTION_MATRIX);
        const auto modelview = matrix(GL_MODELVIEW_MATRIX);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60, 1, 0.01, 10000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (overhead)
            gluLookAt(15, 25, 22, 15.6, 25.8, 9, 0, 0, 1); // from above, down past the player
        else
            gluLookAt(15, 25, 10, 15.6, 25.8, 10, 0, 0, 1);
        EXPECT_TRUE(sameMatrix(projection, matrix(GL_PROJECTION_MATRIX)));
        EXPECT_TRUE(sameMatrix(modelview, matrix(GL_MODELVIEW_MATRIX))) << "overhead " << +overhead;
    }
}

TEST_F(DisplayFrame, LightStandsFiveUnitsAboveThePlayer)
{
    placePlayer(15, 25, 10, -1, 0);
    frame();
    const float expected[4] = {15, 25, 15, 1};
    EXPECT_TRUE(same(game.lightPosition, expected, 4));
    // GL keeps the position in eye coordinates: the camera's transform of the world point.
    const auto m = matrix(GL_MODELVIEW_MATRIX);
    float eye[4];
    for (int row = 0; row < 4; ++row)
        eye[row] =
            static_cast<float>(m[row] * 15 + m[4 + row] * 25 + m[8 + row] * 15 + m[12 + row]);
    float light[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, light);
    EXPECT_TRUE(same(light, eye, 4));
}

TEST_F(DisplayFrame, MarkerAngleTurnsPlusYOntoTheHeading)
{
    const float headings[][3] = {{-1, 0, 90}, {0, 1, 0}, {0, -1, 180}, {1, 0, -90}};
    game.overhead = 1;
    for (const auto& h : headings) {
        game.headingX = h[0];
        game.headingY = h[1];
        frame();
        EXPECT_FLOAT_EQ(h[2], game.markerAngle) << "heading " << h[0] << ", " << h[1];
    }
    game.overhead = 0;
    game.markerAngle = 12.5f;
    game.headingX = 0;
    game.headingY = 1;
    frame();
    EXPECT_EQ(12.5f, game.markerAngle) << "first-person frames leave the angle alone";
}

TEST_F(DisplayFrame, MarkerIsARedArrowheadPointingAlongTheHeading)
{
    game.overhead = 1;
    game.filled = 1;   // polygons come back as polygons, not as their edges
    game.lighting = 1; // the marker is drawn unlit all the same
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const float headings[][2] = {{-1, 0}, {0, 1}, {0.6f, 0.8f}, {0.8f, -0.6f}};
    for (const auto& h : headings) {
        placePlayer(15, 25, 10, h[0], h[1]);
        const auto prims = frameFeedback();
        ASSERT_EQ(2, countTokens(prims, GL_POLYGON_TOKEN)) << "a strip of two triangles";
        // The frame ends with the camera's matrices current: project the expected corners.
        const float tip[3] = {15 + h[0], 25 + h[1], 10};
        const float notch[3] = {15, 25, 10};
        bool tipFound = false, notchFound = false;
        const float red[4] = {1, 0, 0, 1};
        for (const FeedbackPrimitive& p : prims) {
            if (p.token != GL_POLYGON_TOKEN) continue;
            for (const FeedbackVertex& v : p.vertices) {
                EXPECT_TRUE(same(v.rgba, red, 4));
                tipFound = tipFound || at(v, tip);
                notchFound = notchFound || at(v, notch);
            }
        }
        EXPECT_TRUE(tipFound) << "heading " << h[0] << ", " << h[1];
        EXPECT_TRUE(notchFound) << "heading " << h[0] << ", " << h[1];
    }
    game.overhead = 0;
    EXPECT_EQ(0, countTokens(frameFeedback(), GL_POLYGON_TOKEN)) << "no marker first-person";
}

TEST_F(DisplayFrame, CapabilitiesEndAsTheSwitchesSay)
{
    smallWorldWithPerson();
    game.overhead = 1;
    game.filled = 1;
    for (uint8_t on : {1, 0}) {
        game.depthTest = game.lighting = game.culling = on;
        for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_CULL_FACE, GL_LIGHT0})
            on ? glEnable(cap) : glDisable(cap);
        // Fog and texturing are the frame's to keep as they are.
        glEnable(GL_FOG);
        glEnable(GL_TEXTURE_2D);
        frame();
        EXPECT_EQ(on, glIsEnabled(GL_DEPTH_TEST)) << "switches " << +on;
        EXPECT_EQ(on, glIsEnabled(GL_LIGHTING)) << "switches " << +on;
        EXPECT_EQ(on, glIsEnabled(GL_CULL_FACE)) << "switches " << +on;
        EXPECT_EQ(on, glIsEnabled(GL_LIGHT0)) << "switches " << +on;
        EXPECT_TRUE(glIsEnabled(GL_FOG));
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    }
}

TEST_F(DisplayFrame, HudIsTwoWhiteLinesAtTheTopLeft)
{
    game.savedCount = 7;
    // What the two lines draw on their own, in the HUD's projection.
    const auto expected = captureFeedback([] {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(-200, 200, 200, -200);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(1, 1, 1);
        drawText(-200, -186, 0.12f, "Position: 15, 25, 10", 0);
        drawText(-200, -172, 0.12f, "People Saved: 7", 0);
    });
    ASSERT_FALSE(expected.empty());
    // Without a world and with the camera first-person, the HUD is all a frame draws; it
    // is the same with lighting, depth test and culling on.
    EXPECT_TRUE(captureFeedback([&] { frame(); }) == expected);
    game.lighting = game.depthTest = game.culling = 1;
    for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_CULL_FACE, GL_LIGHT0}) glEnable(cap);
    glColor3f(0.5f, 0.5f, 0.5f);
    const auto lit = captureFeedback([&] { frame(); });
    EXPECT_TRUE(lit == expected);
    for (const FeedbackPrimitive& p : parseFeedback(lit))
        for (const FeedbackVertex& v : p.vertices) {
            EXPECT_LT(v.x, 250.0f); // the left half
            EXPECT_GT(v.y, 440.0f); // the top 60 of 500 rows
        }
}

} // namespace
