// The keys in a real GL context: switches with their capabilities, fog, the overhead camera,
// moves with their rescue test, unbound keys (restart and quit end the process: never pressed).
#include "app/keyboard.h"
#include "app/player_control.h"
#include "tests/support/gl_test_util.h"

#include <cmath>
#include <cstring>

namespace {

const GLenum watchedCaps[] = {GL_DEPTH_TEST, GL_CULL_FACE,      GL_LIGHTING,  GL_LIGHT0,
                              GL_FOG,        GL_COLOR_MATERIAL, GL_TEXTURE_2D};

// Everything a key may change: the game state, the capabilities, the fog parameters and
// the people; two equal snapshots mean the key did the same.
std::vector<double> snapshot()
{
    const GameState& g = game;
    std::vector<double> s = {g.playerX,
                             g.playerY,
                             g.playerZ,
                             g.headingX,
                             g.headingY,
                             g.headingZ,
                             g.overheadHeight,
                             g.fogDensity,
                             g.markerAngle,
                             double(g.savedCount),
                             double(g.depthTest),
                             double(g.filled),
                             double(g.showNormals),
                             double(g.textures),
                             double(g.lighting),
                             double(g.culling),
                             double(g.overhead),
                             double(g.fog)};
    for (float v : g.cameraUp) s.push_back(v);
    for (float v : g.lightPosition) s.push_back(v);
    for (float v : g.fogColour) s.push_back(v);
    for (float v : g.markerColour) s.push_back(v);
    for (GLenum cap : watchedCaps) s.push_back(glIsEnabled(cap));
    float fog[6];
    glGetFloatv(GL_FOG_DENSITY, &fog[0]);
    glGetFloatv(GL_FOG_COLOR, &fog[1]);
    GLint mode = 0, hint = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    glGetIntegerv(GL_FOG_HINT, &hint);
    s.insert(s.end(), fog, fog + 5);
    s.push_back(mode);
    s.push_back(hint);
    if (g.grid)
        for (const Person* p : g.grid->people)
            if (p) {
                s.push_back(p->saved);
                s.push_back(p->spin);
            }
    return s;
}

float fogDensityInGl()
{
    float density = 0;
    glGetFloatv(GL_FOG_DENSITY, &density);
    return density;
}

// Fog parameters unlike the ones the fog key sets.
void setOtherFog()
{
    const float grey[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    glFogfv(GL_FOG_COLOR, grey);
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, 0.5f);
    glHint(GL_FOG_HINT, GL_NICEST);
}

class Keyboard : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        setOtherFog();
    }

    // Presses the key; the command must leave the matrix stacks and the error flag alone.
    void press(unsigned char key, int times = 1)
    {
        const GlMark mark = GlMark::now();
        for (int i = 0; i < times; ++i) keyboard(key, 0, 0);
        EXPECT_TRUE(leftAsFound(mark)) << "key " << key;
    }

    // A flat 5 x 5 world at height 5 (no objects) and the player over it, facing north.
    void flatWorld()
    {
        game.grid = makeLoadedGrid({"11111", "11111", "11111", "11111", "11111"});
        placePlayer(25, 25, 8);
    }

    // The player at (x, y, z), facing north.
    static void placePlayer(float x, float y, float z)
    {
        game.playerX = x;
        game.playerY = y;
        game.playerZ = z;
        game.headingX = -1;
        game.headingY = 0;
    }

    Person* person(int slot, float x, float y, float z)
    {
        return addPerson(*game.grid, slot, 999, x, y, z); // no mesh: he draws nothing
    }
};

TEST_F(Keyboard, SwitchKeysSetTheSwitchAndTheCapabilityBothWays)
{
    struct SwitchKey {
        unsigned char on, off;
        GLenum capability;
        uint8_t GameState::*flag;
    };
    const SwitchKey keys[] = {
        {'b', 'B', GL_DEPTH_TEST, &GameState::depthTest},
        {'c', 'C', GL_CULL_FACE, &GameState::culling},
        {'p', 'P', GL_COLOR_MATERIAL, &GameState::filled},
        {'t', 'T', GL_TEXTURE_2D, &GameState::textures},
    };
    for (const SwitchKey& k : keys) {
        press(k.on);
        EXPECT_EQ(1, game.*k.flag) << k.on;
        EXPECT_TRUE(glIsEnabled(k.capability)) << k.on;
        press(k.on);
        EXPECT_EQ(1, game.*k.flag) << k.on << " twice";
        EXPECT_TRUE(glIsEnabled(k.capability)) << k.on << " twice";
        press(k.off);
        EXPECT_EQ(0, game.*k.flag) << k.off;
        EXPECT_FALSE(glIsEnabled(k.capability)) << k.off;
        // Each key touches its own switch only.
        game.*k.flag = 1;
        glEnable(k.capability);
    }
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(0, game.lighting);
    EXPECT_EQ(0, game.fog);
}

TEST_F(Keyboard, LightingKeysSwitchLightingAndLightZero)
{
    press('k');
    EXPECT_EQ(1, game.lighting);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    press('K');
    EXPECT_EQ(0, game.lighting);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
}

TEST_F(Keyboard, NormalKeysChangeOnlyTheSwitch)
{
    auto before = snapshot();
    press('n');
    EXPECT_EQ(1, game.showNormals);
    game.showNormals = 0;
    EXPECT_EQ(before, snapshot());
    game.showNormals = 1;
    before = snapshot();
    press('N');
    EXPECT_EQ(0, game.showNormals);
    game.showNormals = 1;
    EXPECT_EQ(before, snapshot());
}

TEST_F(Keyboard, FogKeyTogglesLinearBlackFog)
{
    game.fogDensity = 0.02f;
    press('f');
    EXPECT_EQ(1, game.fog);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    float colour[4] = {1, 1, 1, 1};
    glGetFloatv(GL_FOG_COLOR, colour);
    const float none[4] = {0, 0, 0, 0};
    EXPECT_TRUE(same(colour, none, 4));
    GLint mode = 0, hint = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    glGetIntegerv(GL_FOG_HINT, &hint);
    EXPECT_EQ(GL_LINEAR, mode);
    EXPECT_EQ(GL_DONT_CARE, hint);
    EXPECT_FLOAT_EQ(0.02f, fogDensityInGl());

    press('f');
    EXPECT_EQ(0, game.fog);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(Keyboard, OverheadWithFogSwitchesTheDensity)
{
    press('f');
    press('o');
    EXPECT_EQ(1, game.overhead);
    EXPECT_FLOAT_EQ(0.003f, game.fogDensity);
    EXPECT_FLOAT_EQ(0.003f, fogDensityInGl());
    EXPECT_EQ(10.0f, game.overheadHeight) << "entering keeps the height";
    press('u', 2);
    EXPECT_EQ(12.0f, game.overheadHeight);
    press('o');
    EXPECT_EQ(0, game.overhead);
    EXPECT_FLOAT_EQ(0.01f, game.fogDensity);
    EXPECT_FLOAT_EQ(0.01f, fogDensityInGl());
    EXPECT_EQ(10.0f, game.overheadHeight);
}

TEST_F(Keyboard, OverheadWithoutFogKeepsTheDensity)
{
    game.fogDensity = 0.05f;
    press('o');
    EXPECT_EQ(1, game.overhead);
    EXPECT_FLOAT_EQ(0.05f, game.fogDensity);
    EXPECT_FLOAT_EQ(0.5f, fogDensityInGl());
    press('U', 3);
    press('o');
    EXPECT_EQ(0, game.overhead);
    EXPECT_EQ(10.0f, game.overheadHeight) << "leaving restores the height, fog or not";
    EXPECT_FLOAT_EQ(0.05f, game.fogDensity);
    press('f');
    EXPECT_FLOAT_EQ(0.05f, fogDensityInGl()) << "fog takes the density it finds";
}

TEST_F(Keyboard, CameraHeightStaysWithin0And27)
{
    press('u', 20);
    EXPECT_EQ(27.0f, game.overheadHeight);
    game.overheadHeight = 10;
    press('U', 15);
    EXPECT_EQ(0.0f, game.overheadHeight);
    press('u');
    EXPECT_EQ(1.0f, game.overheadHeight);
    EXPECT_EQ(0, game.overhead) << "the height keys work in either camera";
}

TEST_F(Keyboard, UpperCaseTwinsActLikeTheirLowerCaseKeys)
{
    flatWorld();
    Person* standing = person(0, 25, 19, 5);
    TerrainGrid* world = game.grid;
    const char* pairs[] = {"iI", "aA", "zZ", "jJ", "lL", "fF", "oO"};
    for (const char* pair : pairs) {
        std::vector<double> after[2];
        for (int k = 0; k < 2; ++k) {
            // The state flatWorld left, with its world and person.
            game = GameState();
            game.grid = world;
            placePlayer(25, 25, 8);
            standing->saved = false;
            glDisable(GL_FOG);
            setOtherFog();
            const auto before = snapshot();
            press(static_cast<unsigned char>(pair[k]));
            after[k] = snapshot();
            EXPECT_NE(before, after[k]) << pair[k] << " did nothing";
        }
        EXPECT_EQ(after[0], after[1]) << pair;
    }
}

TEST_F(Keyboard, UnboundKeysChangeNothing)
{
    flatWorld();
    person(0, 25, 25, 5);
    const std::string bound = "iIaAzZjJlLbBcCkKnNpPtTfFoOuUrqQ";
    int tried = 0;
    for (int key = 0; key < 256; ++key) {
        if (bound.find(static_cast<char>(key)) != std::string::npos) continue;
        const auto before = snapshot();
        press(static_cast<unsigned char>(key));
        EXPECT_EQ(before, snapshot()) << "key " << key;
        ++tried;
    }
    EXPECT_EQ(256 - 31, tried);
}

TEST_F(Keyboard, RefusedMovesStillRescue)
{
    flatWorld();
    struct Case {
        unsigned char key;
        float player[3];   // where the move is refused
        float standing[3]; // a person within 7 units of it
    };
    const Case cases[] = {
        {'i', {1, 25, 8}, {5, 25, 5}},        // forward would leave the world
        {'a', {25, 25, 49.8f}, {25, 25, 44}}, // up would reach the ceiling
        {'z', {25, 25, 5.3f}, {25, 25, 5}},   // down would go below the ground
    };
    int expectedCount = 0;
    for (const Case& c : cases) {
        Person* p = person(0, c.standing[0], c.standing[1], c.standing[2]);
        game.playerX = c.player[0];
        game.playerY = c.player[1];
        game.playerZ = c.player[2];
        CapturedStdout out;
        press(c.key);
        EXPECT_EQ("", out.text()) << "the edge, the ceiling and the ground refuse silently";
        EXPECT_TRUE(p->saved) << c.key;
        EXPECT_EQ(++expectedCount, game.savedCount) << c.key;
        EXPECT_EQ(c.player[0], game.playerX) << c.key;
        EXPECT_EQ(c.player[1], game.playerY) << c.key;
        EXPECT_EQ(c.player[2], game.playerZ) << c.key;
        delete p;
        game.grid->people[0] = nullptr;
    }
}

TEST_F(Keyboard, MovesAskTheGameStateWorldAndReportSolidObjects)
{
    // A cube of level 2 (its top at 10) on the cell north of the player.
    game.grid = makeLoadedGrid({"11111", "11211", "11111"}, [](TerrainGrid& grid) {
        grid.placeModel(newInstance(999, 0), 1, 2, 0, quietLog());
    });
    placePlayer(21, 25, 8);
    const char* const underModel = "terrain has model & user flying under TERRAIN!!!\n";
    {
        CapturedStdout out;
        press('i');
        EXPECT_EQ(21.0f, game.playerX);
        EXPECT_TRUE(isBlocked(19, 25, 8));
        EXPECT_FALSE(isBlocked(19, 25, 10.5f));
        EXPECT_EQ(std::string(underModel) + underModel, out.text());
    }
    game.playerZ = 10.5f;
    press('i');
    EXPECT_EQ(19.0f, game.playerX);

    // Without a world every position is refused, silently; turns still turn.
    delete game.grid;
    game.grid = nullptr;
    CapturedStdout out;
    EXPECT_TRUE(isBlocked(19, 25, 20));
    press('i');
    press('a');
    press('z');
    EXPECT_EQ(19.0f, game.playerX);
    EXPECT_EQ(10.5f, game.playerZ);
    press('l');
    EXPECT_NEAR(std::sin(5 * std::acos(-1.0) / 180), game.headingY, 1e-6);
    EXPECT_EQ("", out.text());
}

TEST_F(Keyboard, ForwardRescuesFromTheNewPosition)
{
    flatWorld();
    game.playerX = 33;
    Person* first = person(0, 25, 25, 5);  // 8 units ahead, 3 below: out of reach
    Person* second = person(1, 25, 27, 5); // just as near once the player moved
    press('i');
    EXPECT_EQ(31.0f, game.playerX);
    EXPECT_TRUE(first->saved);
    EXPECT_TRUE(second->saved);
    EXPECT_EQ(2, game.savedCount);
    press('a');
    EXPECT_EQ(2, game.savedCount) << "each person counts once";
}

TEST_F(Keyboard, TurnKeysDoNotRescue)
{
    flatWorld();
    Person* p = person(0, 25, 25, 5);
    const double degrees5 = 5 * std::acos(-1.0) / 180;
    press('j');
    EXPECT_NEAR(-std::cos(degrees5), game.headingX, 1e-6);
    EXPECT_NEAR(-std::sin(degrees5), game.headingY, 1e-6); // counter-clockwise from above
    press('l', 2);
    EXPECT_NEAR(-std::cos(degrees5), game.headingX, 1e-6);
    EXPECT_NEAR(std::sin(degrees5), game.headingY, 1e-6);
    EXPECT_FALSE(p->saved);
    EXPECT_EQ(0, game.savedCount);
}

} // namespace
