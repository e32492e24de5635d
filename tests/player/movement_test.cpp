// Tests of moving the player by one key: steps kept only where the collision test allows
// them, and 5-degree turns of the heading.
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "player/collision.h"
#include "player/movement.h"
#include "terrain/grid.h"
#include "tests/support/test_support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

const double fiveDegrees = std::acos(-1.0) / 36;

// A 3 x 3 world flat at height 5, the player above the middle cell facing north (-x).
class Movement : public ::testing::Test {
  protected:
    // One key press in the world given; keeps what the move wrote.
    void move(int kind, const TerrainGrid* world)
    {
        LogStream log;
        movePlayer(pose, kind, world, log.get());
        printed = log.text();
    }
    void move(int kind) { move(kind, grid.get()); }

    void setPlayer(float x, float y, float z)
    {
        pose.x = x;
        pose.y = y;
        pose.z = z;
    }
    void setHeading(float x, float y)
    {
        pose.headingX = x;
        pose.headingY = y;
        pose.headingZ = 0;
    }
    void expectPlayer(float x, float y, float z)
    {
        EXPECT_EQ(x, pose.x);
        EXPECT_EQ(y, pose.y);
        EXPECT_EQ(z, pose.z);
    }

    MeshStore meshes; // empty: instances have no mesh
    LogStream quiet;
    std::unique_ptr<TerrainGrid> grid = makeGrid({"111", "111", "111"});
    PlayerPose pose{15, 15, 10, -1, 0, 0};
    std::string printed;
};

TEST_F(Movement, ForwardStepsTwoUnitsAlongTheHeading)
{
    move(Forward);
    expectPlayer(13, 15, 10);

    setHeading(0.6f, 0.8f);
    move(Forward);
    EXPECT_FLOAT_EQ(14.2f, pose.x);
    EXPECT_FLOAT_EQ(16.6f, pose.y);
    EXPECT_EQ(10.0f, pose.z);
}

TEST_F(Movement, UpAndDownStepHalfAUnit)
{
    move(Up);
    expectPlayer(15, 15, 10.5f);
    move(Down);
    move(Down);
    expectPlayer(15, 15, 9.5f);
    EXPECT_EQ(-1.0f, pose.headingX);
}

TEST_F(Movement, TurnLeftIsCounterClockwiseFromAbove)
{
    move(TurnLeft);
    EXPECT_NEAR(-std::cos(fiveDegrees), pose.headingX, 1e-6);
    EXPECT_NEAR(-std::sin(fiveDegrees), pose.headingY, 1e-6);
    EXPECT_EQ(0.0f, pose.headingZ);
    expectPlayer(15, 15, 10);

    setHeading(-1, 0);
    move(TurnRight);
    EXPECT_NEAR(-std::cos(fiveDegrees), pose.headingX, 1e-6);
    EXPECT_NEAR(std::sin(fiveDegrees), pose.headingY, 1e-6);

    // Each turn rotates the current heading, using both of its old components.
    setHeading(0, 1);
    move(TurnLeft);
    EXPECT_NEAR(-std::sin(fiveDegrees), pose.headingX, 1e-6);
    EXPECT_NEAR(std::cos(fiveDegrees), pose.headingY, 1e-6);
}

TEST_F(Movement, SeventyTwoTurnsComeBackToTheStart)
{
    for (int i = 0; i < 72; ++i) move(TurnLeft);
    EXPECT_NEAR(-1.0, pose.headingX, 1e-5);
    EXPECT_NEAR(0.0, pose.headingY, 1e-5);
    for (int i = 0; i < 36; ++i) move(TurnRight);
    EXPECT_NEAR(1.0, pose.headingX, 1e-5);
    EXPECT_NEAR(0.0, pose.headingY, 1e-5);
    for (int i = 0; i < 36; ++i) move(TurnRight);
    EXPECT_NEAR(-1.0, pose.headingX, 1e-5);
    EXPECT_NEAR(0.0, pose.headingY, 1e-5);
}

TEST_F(Movement, TurnsWorkWhereEveryStepIsRefused)
{
    // No world: every position is refused.
    for (int kind : {Forward, Up, Down}) move(kind, nullptr);
    expectPlayer(15, 15, 10);
    move(TurnRight, nullptr);
    EXPECT_NEAR(std::sin(fiveDegrees), pose.headingY, 1e-6);
}

TEST_F(Movement, UpIsRefusedAtTheCeiling)
{
    setPlayer(15, 15, 49.6f);
    move(Up);
    expectPlayer(15, 15, 49.6f);

    setPlayer(15, 15, 49.4f);
    move(Up);
    expectPlayer(15, 15, 49.9f);
}

TEST_F(Movement, DownIsRefusedOnAndBelowTheSurface)
{
    setPlayer(15, 15, 5.4f);
    move(Down);
    expectPlayer(15, 15, 5.4f);

    setPlayer(15, 15, 5.5f); // the candidate lies exactly on the surface
    move(Down);
    expectPlayer(15, 15, 5.5f);
    EXPECT_EQ("", printed) << "the ground refuses without a line";

    setPlayer(15, 15, 5.6f);
    move(Down);
    EXPECT_FLOAT_EQ(5.1f, pose.z);
}

TEST_F(Movement, ForwardIsRefusedAtTheWorldEdge)
{
    setPlayer(1.5f, 15, 10);
    move(Forward);
    expectPlayer(1.5f, 15, 10);

    setPlayer(28.5f, 15, 10);
    setHeading(1, 0);
    move(Forward);
    expectPlayer(28.5f, 15, 10);
}

TEST_F(Movement, ForwardTestsOnlyTheEndPoint)
{
    // A peak of height 20 in the middle cell; one unit either side the ground is at 17.
    grid->cellAt(1, 1)->setVertex(15, 15, 20, SlotCentre, grid->textures);
    ASSERT_TRUE(isBlocked(*grid, 15, 15, 18, quiet.get()));
    setPlayer(14, 15, 18);
    setHeading(1, 0);
    move(Forward);
    expectPlayer(16, 15, 18);
}

TEST_F(Movement, StepIntoASolidObjectIsRefusedWithTheLine)
{
    // A cube on the cell north of the player, flattened at level 2 (height 10).
    grid = makeGrid({"121", "111", "111"});
    grid->placeModel(new ModelInstance(meshes, 1, 0, quiet.get()), 0, 1, 0, quiet.get());
    setPlayer(11, 15, 8);
    move(Forward);
    expectPlayer(11, 15, 8);
    EXPECT_EQ("terrain has model & user flying under TERRAIN!!!\n", printed);

    setPlayer(11, 15, 10.5f); // above the cube's top
    move(Forward);
    expectPlayer(9, 15, 10.5f);
    EXPECT_EQ("", printed);
}

TEST_F(Movement, UnknownKindDoesNothing)
{
    move(5);
    move(-1);
    expectPlayer(15, 15, 10);
    EXPECT_EQ(-1.0f, pose.headingX);
    EXPECT_EQ(0.0f, pose.headingY);
}

} // namespace
