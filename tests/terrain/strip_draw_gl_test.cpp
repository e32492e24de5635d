// The grid draw on the longest strips the game loads, where cell centres stored in float no
// longer lie at exactly 10 i + 5.
#include "tests/support/gl_test_util.h"

namespace {

// why: the draw chose its rows from the exact centres 10 i + 5, but past about 1,677,722 rows
// the stored centres round, and on a one-column strip of 3,400,000 rows the cell of row
// 3,355,445, 98 units from the player, was left out.
TEST(StripDraw, DrawsTheCellsAndOrderOfAFullScan)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "two gigabytes of cells: arithmetic, not memory, is what this test is about";
#endif
    TerrainGrid strip(3400000, 1, testTextures());
    ASSERT_TRUE(strip.valid());
    resetGlState();
    int compared = 0;
    // Rows where the rounding of the stored centres left a cell out, and two more.
    for (int row : {1677721, 3355445, 3355449}) {
        const float centre = strip.cellAt(row, 0)->vertices[SlotCentre].position[0];
        for (float away : {-99.5f, -98.0f, -95.0f, 95.0f, 98.0f, 99.5f}) {
            SCOPED_TRACE("row " + std::to_string(row) + ", " + std::to_string(away) + " units");
            const TerrainDrawParams params{GL_POLYGON, false, false, false, centre + away, 5.0f};
            setSimpleOrtho(centre - 200, centre + 200, -200, 200);
            const std::vector<float> scan = captureFeedback([&] {
                for (int r = 0; r < strip.rows; ++r) strip.cells[r][0]->drawCell(params);
            });
            const GlMark mark = GlMark::now();
            const std::vector<float> drawn = captureFeedback([&] { strip.drawGrid(params); });
            EXPECT_TRUE(leftAsFound(mark));
            ASSERT_FALSE(scan.empty());
            EXPECT_EQ(scan, drawn);
            ++compared;
        }
    }
    EXPECT_EQ(18, compared);
}

} // namespace
