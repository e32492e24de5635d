// Tests of the height map terrain.txt: measuring its size, reading its heights into a
// grid, and the byte reader under both.
#include "app/game_state.h"
#include "terrain/byte_reader.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class TerrainFileTest : public testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        game.waterTexture = 11;
        game.grassTexture = 12;
        game.dirtTexture = 13;
        game.snowTexture = 14;
    }

    // Writes terrain.txt and measures it; the output of the measure goes to `printed`.
    void measure(const std::string& text)
    {
        dir.write("terrain.txt", text);
        rows = cols = -7;
        CapturedStdout out;
        measured = measureTerrain(rows, cols);
        printed = out.text();
    }

    // Writes terrain.txt, measures it and reads it into `grid`; reading's output goes to
    // `printed`.
    void load(const std::string& text)
    {
        measure(text);
        ASSERT_TRUE(measured);
        grid.reset(new TerrainGrid(rows, cols));
        ASSERT_TRUE(grid->valid());
        CapturedStdout out;
        readHeights(*grid);
        printed = out.text();
    }

    // The centre heights of the grid, one string of levels per row ('?' off the bands).
    std::vector<std::string> levels() const
    {
        std::vector<std::string> result;
        if (!grid) return result;
        for (int row = 0; row < grid->rows; ++row) {
            std::string line;
            for (int col = 0; col < grid->cols; ++col) {
                const float z = grid->cellAt(row, col)->vertices[SlotCentre].position[2];
                const int level = static_cast<int>(z / 5);
                line += (level * 5.0f == z && level >= 0 && level <= 9) ? '0' + level : '?';
            }
            result.push_back(line);
        }
        return result;
    }

    TempWorkDir dir;
    int rows = 0, cols = 0;
    bool measured = false;
    std::string printed;
    std::unique_ptr<TerrainGrid> grid;
};

using Levels = std::vector<std::string>;

} // namespace

TEST_F(TerrainFileTest, TrailingNewlineAddsARowOfWater)
{
    load("12\n34\n");
    EXPECT_EQ(3, rows);
    EXPECT_EQ(2, cols);
    EXPECT_EQ(Levels({"12", "34", "00"}), levels());
    EXPECT_EQ("loading", printed);
}

TEST_F(TerrainFileTest, LastLineWithoutNewlineCountsOnce)
{
    measure("12\n34");
    EXPECT_TRUE(measured);
    EXPECT_EQ(2, rows);
    EXPECT_EQ(2, cols);
    EXPECT_EQ("", printed);
}

TEST_F(TerrainFileTest, OnlyTheFirstLineSetsTheColumns)
{
    measure("123\n45678\n9\n");
    EXPECT_EQ(4, rows);
    EXPECT_EQ(3, cols);
}

TEST_F(TerrainFileTest, LeadingNewlineGivesNoColumnsAndStoresNothing)
{
    load("\n12\n");
    EXPECT_EQ(3, rows);
    EXPECT_EQ(0, cols);
    EXPECT_EQ(nullptr, grid->cellAt(0, 0));
    EXPECT_EQ("loading", printed);
}

TEST_F(TerrainFileTest, FileWithoutNewlineIsOneRow)
{
    load("123");
    EXPECT_EQ(1, rows);
    EXPECT_EQ(3, cols);
    EXPECT_EQ(Levels({"123"}), levels());
}

TEST_F(TerrainFileTest, EmptyFileIsOneRowWithoutColumns)
{
    load("");
    EXPECT_EQ(1, rows);
    EXPECT_EQ(0, cols);
    EXPECT_EQ("loading", printed);
}

TEST_F(TerrainFileTest, LongLineSpillsIntoNextRow)
{
    load("12\n345\n67\n");
    EXPECT_EQ(4, rows);
    EXPECT_EQ(2, cols);
    // The 5 wraps to the start of row 2, so the line "67" lands on row 3.
    EXPECT_EQ(Levels({"12", "34", "50", "67"}), levels());
}

TEST_F(TerrainFileTest, ShortLineLeavesTheRestOfItsRowWater)
{
    load("123\n4\n567");
    EXPECT_EQ(Levels({"123", "400", "567"}), levels());
    EXPECT_EQ(11u, grid->cellAt(1, 2)->texture);
}

TEST_F(TerrainFileTest, EachDigitSetsItsLevelAndBand)
{
    load("0123456789");
    ASSERT_EQ(10, cols);
    const unsigned int bands[10] = {11, 12, 12, 12, 12, 12, 13, 13, 13, 14};
    for (int col = 0; col < 10; ++col) {
        const TerrainCell* cell = grid->cellAt(0, col);
        for (const Vertex& v : cell->vertices) EXPECT_EQ(col * 5.0f, v.position[2]) << col;
        EXPECT_EQ(bands[col], cell->texture) << col;
    }
}

TEST_F(TerrainFileTest, NonDigitsAreLevelZeroInACellOfTheirOwn)
{
    load("a1 2-3\xC3"
         "4\x7f"
         "5/6:7\n");
    ASSERT_EQ(14, cols);
    EXPECT_EQ(Levels({"01020304050607", "00000000000000"}), levels());
    EXPECT_EQ(11u, grid->cellAt(0, 6)->texture);
}

TEST_F(TerrainFileTest, ByteFFIsAnOrdinaryCharacter)
{
    // why: a byte 0xFF read through a signed char equals EOF and would end the file early.
    load("1\xFF"
         "2\n34");
    EXPECT_EQ(2, rows);
    EXPECT_EQ(3, cols);
    EXPECT_EQ(Levels({"102", "340"}), levels());
}

TEST_F(TerrainFileTest, CrLfReadsExactlyLikeLf)
{
    load("12\r\n3\r\n456\r\n");
    EXPECT_EQ(4, rows);
    EXPECT_EQ(2, cols);
    EXPECT_EQ(Levels({"12", "30", "45", "60"}), levels());
}

TEST_F(TerrainFileTest, LoneCrIsAnOrdinaryCharacter)
{
    load("1\r2\n\r\r\n7");
    EXPECT_EQ(3, rows);
    EXPECT_EQ(3, cols);
    // The CR in front of the second line's LF ends that line; the one before it takes a cell.
    EXPECT_EQ(Levels({"102", "000", "700"}), levels());
}

TEST_F(TerrainFileTest, CrAtTheEndOfTheFileTakesACell)
{
    measure("12\r");
    EXPECT_EQ(1, rows);
    EXPECT_EQ(3, cols);
}

TEST_F(TerrainFileTest, MissingFileLeavesCountsUntouched)
{
    rows = cols = -7;
    CapturedStdout out;
    EXPECT_FALSE(measureTerrain(rows, cols));
    EXPECT_EQ("can't open terrain file", out.text());
    EXPECT_EQ(-7, rows);
    EXPECT_EQ(-7, cols);
}

TEST_F(TerrainFileTest, MissingFileLeavesTheGridUntouched)
{
    TerrainGrid unread(1, 2);
    ASSERT_TRUE(unread.valid());
    unread.setCellHeight(0, 1, 3);
    CapturedStdout out;
    readHeights(unread);
    EXPECT_EQ("can't open terrain file", out.text());
    EXPECT_EQ(0.0f, unread.cellAt(0, 0)->vertices[SlotCentre].position[2]);
    EXPECT_EQ(15.0f, unread.cellAt(0, 1)->vertices[SlotCentre].position[2]);
}

TEST_F(TerrainFileTest, CharactersBeyondTheGridAreDropped)
{
    dir.write("terrain.txt", "123\n456\n789\n");
    TerrainGrid small(2, 2);
    ASSERT_TRUE(small.valid());
    CapturedStdout out;
    readHeights(small);
    EXPECT_EQ("loading", out.text());
    EXPECT_EQ(5.0f, small.cellAt(0, 0)->vertices[SlotCentre].position[2]);
    EXPECT_EQ(10.0f, small.cellAt(0, 1)->vertices[SlotCentre].position[2]);
    EXPECT_EQ(15.0f, small.cellAt(1, 0)->vertices[SlotCentre].position[2]); // the spilled 3
    EXPECT_EQ(0.0f, small.cellAt(1, 1)->vertices[SlotCentre].position[2]);
}

TEST(ByteReader, CrLfSplitAcrossBufferFillsIsOneLineEnd)
{
    // why: the CR is the last byte of one buffer fill and its LF the first of the next.
    TempWorkDir dir;
    const size_t fill = 1 << 16;
    dir.write("split.txt", std::string(fill - 1, '5') + "\r\n7");
    ByteReader reader("split.txt");
    ASSERT_TRUE(reader.isOpen());
    size_t fives = 0;
    int c;
    while ((c = reader.get()) == '5') ++fives;
    EXPECT_EQ(fill - 1, fives);
    EXPECT_EQ('\n', c);
    EXPECT_EQ('7', reader.get());
    EXPECT_EQ(EOF, reader.get());
    EXPECT_EQ(EOF, reader.get());
}

TEST(ByteReader, MissingFileIsClosedAndEmpty)
{
    TempWorkDir dir;
    ByteReader reader("absent.txt");
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(EOF, reader.get());
}
