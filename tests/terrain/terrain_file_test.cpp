// Tests of the height map terrain.txt: measuring its size, reading its heights into a
// grid, what its reading rule hands a receiver, and the byte reader under both.
#include "terrain/byte_reader.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

class TerrainFile : public testing::Test {
  protected:
    // Measures the bytes as terrain.txt; what the measure wrote goes to `printed`.
    void measure(const std::string& text)
    {
        InputBytes in(text);
        LogStream log;
        rows = cols = -7;
        measured = measureTerrain(in.get(), log.get(), rows, cols);
        printed = log.text();
    }

    // Measures the bytes, builds a grid of that size and reads them into it; what the
    // reading wrote goes to `printed` (the measure writes nothing when it succeeds).
    void load(const std::string& text)
    {
        measure(text);
        ASSERT_TRUE(measured);
        ASSERT_EQ("", printed);
        grid = std::make_unique<TerrainGrid>(rows, cols, testTextures());
        ASSERT_TRUE(grid->valid());
        InputBytes in(text);
        LogStream log;
        readHeights(in.get(), log.get(), *grid);
        printed = log.text();
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

    int rows = 0, cols = 0;
    bool measured = false;
    std::string printed;
    std::unique_ptr<TerrainGrid> grid;
};

using Levels = std::vector<std::string>;

// Writes down what the height rule hands over, one entry per call.
struct LevelsLog {
    void cell(int c, int level, int row, int col)
    {
        seen.push_back(std::string("'") + static_cast<char>(c) + "' level " +
                       std::to_string(level) + " at " + std::to_string(row) + "," +
                       std::to_string(col));
    }
    void lineEnd(int nextRow) { seen.push_back("line end to row " + std::to_string(nextRow)); }

    std::vector<std::string> seen;
};

// The rule over the bytes with the given bound on the rows: what it handed over, and whether
// it read to the end of the file.
std::pair<std::vector<std::string>, bool> readByRule(const std::string& bytes, int cols,
                                                     int rowBound)
{
    InputBytes in(bytes);
    ByteReader reader(in.get());
    LevelsLog log;
    const bool toTheEnd = readLevels(reader, cols, rowBound, log);
    return {log.seen, toTheEnd};
}

// Every byte the reader hands out, '$' for a line end.
std::string bytesRead(ByteReader& reader)
{
    std::string out;
    for (int c; (c = reader.get()) != EOF;) out += c == '\n' ? '$' : static_cast<char>(c);
    return out;
}

} // namespace

TEST_F(TerrainFile, TrailingNewlineAddsARowOfWater)
{
    load("12\n34\n");
    EXPECT_EQ(3, rows);
    EXPECT_EQ(2, cols);
    EXPECT_EQ(Levels({"12", "34", "00"}), levels());
    EXPECT_EQ("loading", printed);
}

TEST_F(TerrainFile, LastLineWithoutNewlineCountsOnce)
{
    measure("12\n34");
    EXPECT_TRUE(measured);
    EXPECT_EQ(2, rows);
    EXPECT_EQ(2, cols);
    EXPECT_EQ("", printed);
}

TEST_F(TerrainFile, OnlyTheFirstLineSetsTheColumns)
{
    measure("123\n45678\n9\n");
    EXPECT_EQ(4, rows);
    EXPECT_EQ(3, cols);
}

TEST_F(TerrainFile, LeadingNewlineGivesNoColumnsAndStoresNothing)
{
    load("\n12\n");
    EXPECT_EQ(3, rows);
    EXPECT_EQ(0, cols);
    EXPECT_EQ(nullptr, grid->cellAt(0, 0));
    EXPECT_EQ("loading", printed);
}

TEST_F(TerrainFile, FileWithoutNewlineIsOneRow)
{
    load("123");
    EXPECT_EQ(1, rows);
    EXPECT_EQ(3, cols);
    EXPECT_EQ(Levels({"123"}), levels());
}

TEST_F(TerrainFile, EmptyFileIsOneRowWithoutColumns)
{
    load("");
    EXPECT_EQ(1, rows);
    EXPECT_EQ(0, cols);
    EXPECT_EQ("loading", printed);
}

TEST_F(TerrainFile, LongLineSpillsIntoNextRow)
{
    load("12\n345\n67\n");
    EXPECT_EQ(4, rows);
    EXPECT_EQ(2, cols);
    // The 5 wraps to the start of row 2, so the line "67" lands on row 3.
    EXPECT_EQ(Levels({"12", "34", "50", "67"}), levels());
}

TEST_F(TerrainFile, ShortLineLeavesTheRestOfItsRowWater)
{
    load("123\n4\n567");
    EXPECT_EQ(Levels({"123", "400", "567"}), levels());
    EXPECT_EQ(11u, grid->cellAt(1, 2)->texture);
}

TEST_F(TerrainFile, EachDigitSetsItsLevelAndBand)
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

TEST_F(TerrainFile, NonDigitsAreLevelZeroInACellOfTheirOwn)
{
    load("a1 2-3\xC3"
         "4\x7f"
         "5/6:7\n");
    ASSERT_EQ(14, cols);
    EXPECT_EQ(Levels({"01020304050607", "00000000000000"}), levels());
    EXPECT_EQ(11u, grid->cellAt(0, 6)->texture);
}

TEST_F(TerrainFile, NulIsAnOrdinaryCharacter)
{
    // A stream over memory, unlike a C string, carries the NUL into the map.
    load(std::string("1\0"
                     "2\n3",
                     5));
    EXPECT_EQ(2, rows);
    EXPECT_EQ(3, cols);
    EXPECT_EQ(Levels({"102", "300"}), levels());
}

TEST_F(TerrainFile, ByteFFIsAnOrdinaryCharacter)
{
    // why: a byte 0xFF read through a signed char equals EOF and would end the file early.
    load("1\xFF"
         "2\n34");
    EXPECT_EQ(2, rows);
    EXPECT_EQ(3, cols);
    EXPECT_EQ(Levels({"102", "340"}), levels());
}

TEST_F(TerrainFile, CrLfReadsExactlyLikeLf)
{
    load("12\r\n3\r\n456\r\n");
    EXPECT_EQ(4, rows);
    EXPECT_EQ(2, cols);
    EXPECT_EQ(Levels({"12", "30", "45", "60"}), levels());
}

TEST_F(TerrainFile, LoneCrIsAnOrdinaryCharacter)
{
    load("1\r2\n\r\r\n7");
    EXPECT_EQ(3, rows);
    EXPECT_EQ(3, cols);
    // The CR in front of the second line's LF ends that line; the one before it takes a cell.
    EXPECT_EQ(Levels({"102", "000", "700"}), levels());
}

TEST_F(TerrainFile, CrAtTheEndOfTheFileTakesACell)
{
    measure("12\r");
    EXPECT_EQ(1, rows);
    EXPECT_EQ(3, cols);
}

TEST_F(TerrainFile, UnopenedFileLeavesCountsUntouched)
{
    LogStream log;
    rows = cols = -7;
    EXPECT_FALSE(measureTerrain(nullptr, log.get(), rows, cols));
    EXPECT_EQ("can't open terrain file", log.text());
    EXPECT_EQ(-7, rows);
    EXPECT_EQ(-7, cols);
}

TEST_F(TerrainFile, UnopenedFileLeavesTheGridUntouched)
{
    auto unread = makeGrid({"03"}, false);
    LogStream log;
    readHeights(nullptr, log.get(), *unread);
    EXPECT_EQ("can't open terrain file", log.text());
    EXPECT_EQ(0.0f, unread->cellAt(0, 0)->vertices[SlotCentre].position[2]);
    EXPECT_EQ(15.0f, unread->cellAt(0, 1)->vertices[SlotCentre].position[2]);
}

TEST_F(TerrainFile, CharactersBeyondTheGridAreDropped)
{
    auto small = makeGrid({"00", "00"}, false);
    InputBytes in("123\n456\n789\n");
    LogStream log;
    readHeights(in.get(), log.get(), *small);
    EXPECT_EQ("loading", log.text());
    EXPECT_EQ(5.0f, small->cellAt(0, 0)->vertices[SlotCentre].position[2]);
    EXPECT_EQ(10.0f, small->cellAt(0, 1)->vertices[SlotCentre].position[2]);
    EXPECT_EQ(15.0f, small->cellAt(1, 0)->vertices[SlotCentre].position[2]); // the spilled 3
    EXPECT_EQ(0.0f, small->cellAt(1, 1)->vertices[SlotCentre].position[2]);
}

TEST(TerrainRule, HandsEachByteItsCellAndLevelAndEachLineEndItsRow)
{
    // A CR LF pair is one line end; a lone letter is level 0 in a cell of its own; the line
    // one too long spills its last character onto the next row.
    const auto [seen, toTheEnd] = readByRule("1a\r\n345\r\n", 2, noRowBound);
    const std::vector<std::string> expected = {
        "'1' level 1 at 0,0", "'a' level 0 at 0,1", "line end to row 1", "'3' level 3 at 1,0",
        "'4' level 4 at 1,1", "'5' level 5 at 2,0", "line end to row 3",
    };
    EXPECT_EQ(expected, seen);
    EXPECT_TRUE(toTheEnd);
}

TEST(TerrainRule, RowBoundStopsTheReadingWhereTheGameStops)
{
    // why: the game stops once the rows are used up; without a bound the same rule goes on
    // and tells where each later byte would land, and with one it must stop at the same byte.
    const std::string bytes = "12\n345\n6\n7";
    const auto [unbound, toTheEnd] = readByRule(bytes, 2, noRowBound);
    ASSERT_FALSE(unbound.empty());
    EXPECT_EQ("'7' level 7 at 4,0", unbound.back());
    EXPECT_TRUE(toTheEnd);
    const auto [bounded, stoppedEarly] = readByRule(bytes, 2, 3);
    EXPECT_FALSE(stoppedEarly);
    ASSERT_FALSE(bounded.empty());
    EXPECT_EQ("line end to row 3", bounded.back());
    EXPECT_EQ(std::vector<std::string>(unbound.begin(), unbound.begin() + bounded.size()), bounded);
    // A bound of no rows reads nothing at all.
    EXPECT_EQ(std::vector<std::string>(), readByRule(bytes, 2, 0).first);
}

TEST(ByteReader, CrLfPairIsOneLineEndALoneCrIsAByte)
{
    InputBytes in("12\r\n3\r4\n\r\n\r");
    ByteReader reader(in.get());
    EXPECT_EQ("12$3\r4$$\r", bytesRead(reader));
    EXPECT_EQ(EOF, reader.get());
}

TEST(ByteReader, ReadsFromWhereTheStreamStands)
{
    InputBytes in("ab\r\n5\r\n6");
    ASSERT_EQ('a', std::fgetc(in.get()));
    ASSERT_EQ('b', std::fgetc(in.get()));
    ByteReader reader(in.get());
    EXPECT_EQ("$5$6", bytesRead(reader));
}

TEST(ByteReader, CrLfSplitAcrossBufferFillsIsOneLineEnd)
{
    // why: the CR is the last byte of one buffer fill and its LF the first of the next.
    const size_t fill = 1 << 16;
    InputBytes in(std::string(fill - 1, '5') + "\r\n7");
    ByteReader reader(in.get());
    size_t fives = 0;
    int c;
    while ((c = reader.get()) == '5') ++fives;
    EXPECT_EQ(fill - 1, fives);
    EXPECT_EQ('\n', c);
    EXPECT_EQ('7', reader.get());
    EXPECT_EQ(EOF, reader.get());
    EXPECT_EQ(EOF, reader.get());
}

TEST(ByteReader, NullStreamReadsAsEmpty)
{
    ByteReader reader(nullptr);
    EXPECT_EQ(EOF, reader.get());
    EXPECT_EQ(EOF, reader.get());
}
