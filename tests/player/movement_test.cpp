// Tests of moving the player by one key: steps kept only where the collision test allows
// them, and 5-degree turns of the heading.
#include "app/game_state.h"
#include "player/collision.h"
#include "player/movement.h"
#include "terrain/grid.h"
#include "terrain/world.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

const double fiveDegrees = std::acos(-1.0) / 36;

// A 3 x 3 world flat at height 5, the player above the middle cell facing north (-x).
class Movement : public ::testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        grid = new TerrainGrid(3, 3);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) grid->setCellHeight(r, c, 1);
        game.grid = grid;
        setPlayer(15, 15, 10);
        setHeading(-1, 0);
    }
    void TearDown() override
    {
        releaseWorld(grid);
        game = GameState();
    }

    void setPlayer(float x, float y, float z)
    {
        game.playerX = x;
        game.playerY = y;
        game.playerZ = z;
    }
    void setHeading(float x, float y)
    {
        game.headingX = x;
        game.headingY = y;
        game.headingZ = 0;
    }
    void expectPlayer(float x, float y, float z)
    {
        EXPECT_EQ(x, game.playerX);
        EXPECT_EQ(y, game.playerY);
        EXPECT_EQ(z, game.playerZ);
    }

    TerrainGrid* grid = nullptr;
};

TEST_F(Movement, ForwardStepsTwoUnitsAlongTheHeading)
{
    movePlayer(Forward);
    expectPlayer(13, 15, 10);

    setHeading(0.6f, 0.8f);
    movePlayer(Forward);
    EXPECT_FLOAT_EQ(14.2f, game.playerX);
    EXPECT_FLOAT_EQ(16.6f, game.playerY);
    EXPECT_EQ(10.0f, game.playerZ);
}

TEST_F(Movement, UpAndDownStepHalfAUnit)
{
    movePlayer(Up);
    expectPlayer(15, 15, 10.5f);
    movePlayer(Down);
    movePlayer(Down);
    expectPlayer(15, 15, 9.5f);
    EXPECT_EQ(-1.0f, game.headingX);
}

TEST_F(Movement, TurnLeftIsCounterClockwiseFromAbove)
{
    movePlayer(TurnLeft);
    EXPECT_NEAR(-std::cos(fiveDegrees), game.headingX, 1e-6);
    EXPECT_NEAR(-std::sin(fiveDegrees), game.headingY, 1e-6);
    EXPECT_EQ(0.0f, game.headingZ);
    expectPlayer(15, 15, 10);

    setHeading(-1, 0);
    movePlayer(TurnRight);
    EXPECT_NEAR(-std::cos(fiveDegrees), game.headingX, 1e-6);
    EXPECT_NEAR(std::sin(fiveDegrees), game.headingY, 1e-6);

    // Each turn rotates the current heading, using both of its old components.
    setHeading(0, 1);
    movePlayer(TurnLeft);
    EXPECT_NEAR(-std::sin(fiveDegrees), game.headingX, 1e-6);
    EXPECT_NEAR(std::cos(fiveDegrees), game.headingY, 1e-6);
}

TEST_F(Movement, SeventyTwoTurnsComeBackToTheStart)
{
    for (int i = 0; i < 72; ++i) movePlayer(TurnLeft);
    EXPECT_NEAR(-1.0, game.headingX, 1e-5);
    EXPECT_NEAR(0.0, game.headingY, 1e-5);
    for (int i = 0; i < 36; ++i) movePlayer(TurnRight);
    EXPECT_NEAR(1.0, game.headingX, 1e-5);
    EXPECT_NEAR(0.0, game.headingY, 1e-5);
    for (int i = 0; i < 36; ++i) movePlayer(TurnRight);
    EXPECT_NEAR(-1.0, game.headingX, 1e-5);
    EXPECT_NEAR(0.0, game.headingY, 1e-5);
}

TEST_F(Movement, TurnsWorkWhereEveryStepIsRefused)
{
    game.grid = nullptr; // no world: every position is refused
    movePlayer(Forward);
    movePlayer(Up);
    movePlayer(Down);
    expectPlayer(15, 15, 10);
    movePlayer(TurnRight);
    EXPECT_NEAR(std::sin(fiveDegrees), game.headingY, 1e-6);
}

TEST_F(Movement, UpIsRefusedAtTheCeiling)
{
    setPlayer(15, 15, 49.6f);
    movePlayer(Up);
    expectPlayer(15, 15, 49.6f);

    setPlayer(15, 15, 49.4f);
    movePlayer(Up);
    expectPlayer(15, 15, 49.9f);
}

TEST_F(Movement, DownIsRefusedOnAndBelowTheSurface)
{
    setPlayer(15, 15, 5.4f);
    movePlayer(Down);
    expectPlayer(15, 15, 5.4f);

    setPlayer(15, 15, 5.5f); // the candidate lies exactly on the surface
    movePlayer(Down);
    expectPlayer(15, 15, 5.5f);

    setPlayer(15, 15, 5.6f);
    movePlayer(Down);
    EXPECT_FLOAT_EQ(5.1f, game.playerZ);
}

TEST_F(Movement, ForwardIsRefusedAtTheWorldEdge)
{
    setPlayer(1.5f, 15, 10);
    movePlayer(Forward);
    expectPlayer(1.5f, 15, 10);

    setPlayer(28.5f, 15, 10);
    setHeading(1, 0);
    movePlayer(Forward);
    expectPlayer(28.5f, 15, 10);
}

TEST_F(Movement, ForwardTestsOnlyTheEndPoint)
{
    // A peak of height 20 in the middle cell; one unit either side the ground is at 17.
    grid->cellAt(1, 1)->setVertex(15, 15, 20, SlotCentre);
    ASSERT_TRUE(isBlocked(15, 15, 18));
    setPlayer(14, 15, 18);
    setHeading(1, 0);
    movePlayer(Forward);
    expectPlayer(16, 15, 18);
}

TEST_F(Movement, UnknownKindDoesNothing)
{
    movePlayer(5);
    movePlayer(-1);
    expectPlayer(15, 15, 10);
    EXPECT_EQ(-1.0f, game.headingX);
    EXPECT_EQ(0.0f, game.headingY);
}

} // namespace
