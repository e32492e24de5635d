// Tests of the frame display's arithmetic: number text, the two HUD lines, the fog range
// and the angle of the overhead marker.
#include "app/hud.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

// The text intToText writes, checking its length result and terminating zero.
std::string text(int32_t value)
{
    char out[16];
    std::memset(out, 'x', sizeof out);
    const int length = intToText(value, out);
    EXPECT_GE(length, 1);
    EXPECT_LE(length, 11);
    EXPECT_EQ('\0', out[length]) << value;
    EXPECT_EQ(std::strlen(out), static_cast<size_t>(length)) << value;
    return out;
}

TEST(IntToText, WritesDecimalDigitsWithoutLeadingZeros)
{
    EXPECT_EQ("0", text(0));
    EXPECT_EQ("7", text(7));
    EXPECT_EQ("10", text(10));
    EXPECT_EQ("1200", text(1200));
    EXPECT_EQ("2147483647", text(INT32_MAX));
}

TEST(IntToText, NegativeNumbersGetAMinusSign)
{
    // why: negating the most negative value overflowed.
    EXPECT_EQ("-1", text(-1));
    EXPECT_EQ("-10", text(-10));
    EXPECT_EQ("-2147483647", text(-INT32_MAX));
    EXPECT_EQ("-2147483648", text(INT32_MIN));
}

std::string positionLine(float x, float y, float z)
{
    char line[positionLineSize];
    std::memset(line, 'x', sizeof line);
    buildPositionLine(line, x, y, z);
    return line;
}

std::string savedLine(int32_t count)
{
    char line[savedLineSize];
    std::memset(line, 'x', sizeof line);
    buildSavedLine(line, count);
    return line;
}

TEST(HudLines, PositionTruncatesTowardsZero)
{
    EXPECT_EQ("Position: 15, 25, 10", positionLine(15.9f, 25.2f, 10.0f));
    EXPECT_EQ("Position: -1, 0, 49", positionLine(-1.7f, -0.9f, 49.99f));
    EXPECT_EQ("Position: 1000000, 3, 0", positionLine(1e6f, 3.999f, 0.5f));
}

TEST(HudLines, PositionLineFitsTheWidestNumbers)
{
    EXPECT_EQ("Position: -2147483648, -2147483648, 2147483520",
              positionLine(-2147483648.0f, -2147483648.0f, 2147483520.0f));
}

TEST(HudLines, SavedLineShowsTheCount)
{
    EXPECT_EQ("People Saved: 0", savedLine(0));
    EXPECT_EQ("People Saved: 7", savedLine(7));
    EXPECT_EQ("People Saved: 2147483647", savedLine(INT32_MAX));
}

struct Fog {
    int start = -1, end = -1;
};

Fog fog(bool overhead, float overheadHeight, float playerZ)
{
    Fog f;
    fogRange(overhead, overheadHeight, playerZ, f.start, f.end);
    return f;
}

TEST(FogRange, FirstPersonBelowThirtyIsFixed)
{
    for (float z : {0.0f, 12.0f, 29.9f}) {
        EXPECT_EQ(65, fog(false, 10, z).start) << z;
        EXPECT_EQ(80, fog(false, 10, z).end) << z;
    }
}

TEST(FogRange, FirstPersonFromThirtyStartsAtHeightTimesOnePointSix)
{
    EXPECT_EQ(48, fog(false, 10, 30).start);
    EXPECT_EQ(95, fog(false, 10, 30).end);
    EXPECT_EQ(79, fog(false, 10, 49.9f).start); // 79.84
    EXPECT_EQ(95, fog(false, 10, 49.9f).end);
}

TEST(FogRange, OverheadFollowsCameraAndPlayerHeight)
{
    EXPECT_EQ(25, fog(true, 10, 20).start);
    EXPECT_EQ(45, fog(true, 10, 20).end);
    EXPECT_EQ(25, fog(true, 10, 20.7f).start);
    EXPECT_EQ(45, fog(true, 10, 20.7f).end);
    // Above 30 the overhead camera still uses its own rule.
    EXPECT_EQ(42, fog(true, 12.5f, 35).start);
    EXPECT_EQ(62, fog(true, 12.5f, 35).end);
}

TEST(MarkerAngle, TurnsPlusYOntoTheHeading)
{
    EXPECT_NEAR(90.0, markerAngleFor(-1, 0), 1e-4);
    EXPECT_NEAR(0.0, markerAngleFor(0, 1), 1e-4);
    EXPECT_NEAR(180.0, markerAngleFor(0, -1), 1e-4);
    EXPECT_NEAR(-90.0, markerAngleFor(1, 0), 1e-4);
}

TEST(MarkerAngle, DiagonalHeadingsLieBetween)
{
    const float s = static_cast<float>(std::sqrt(0.5));
    EXPECT_NEAR(45.0, markerAngleFor(-s, s), 1e-4);
    EXPECT_NEAR(-45.0, markerAngleFor(s, s), 1e-4);
    EXPECT_NEAR(135.0, markerAngleFor(-s, -s), 1e-4);
    EXPECT_NEAR(225.0, markerAngleFor(s, -s), 1e-4);
}

} // namespace
