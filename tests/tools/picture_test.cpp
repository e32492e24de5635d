// Tests of the world picture, read back from the written PNG with libpng: its size for worlds
// of several shapes, band colours and slopes, objects, start, places for people, findings.
#include "terrain/grid.h"
#include "tests/support/test_support.h"

#ifdef VANTORA_HAS_PICTURE
#include "tools/picture/picture_parts.h"
#include "tools/picture/world_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <png.h>
#include <string>
#include <vector>

using picture::Rgb;

namespace {

// The one place that builds a test grid as the game does: level digits row after row
// (missing ones are 0), then every cell stitched.
std::unique_ptr<TerrainGrid> makeGrid(int rows, int cols,
                                      const std::vector<std::string>& levels = {})
{
    auto grid = std::make_unique<TerrainGrid>(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const bool given =
                r < static_cast<int>(levels.size()) && c < static_cast<int>(levels[r].size());
            grid->setCellHeight(r, c, given ? levels[r][c] - '0' : 0);
        }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) grid->stitchCell(r, c);
    return grid;
}

// A picture as libpng reads it back.
struct Decoded {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = -1;
    std::vector<uint8_t> pixels; // width * 3 bytes a row

    Rgb at(long long x, long long y) const
    {
        const uint8_t* p = &pixels[(y * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

[[noreturn]] void onReadError(png_structp png, png_const_charp message)
{
    ADD_FAILURE() << "libpng: " << message;
    png_longjmp(png, 1);
}

// libpng's read; only plain locals live here, across its setjmp.
bool readRows(FILE* file, Decoded* out)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onReadError, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->bitDepth = png_get_bit_depth(png, info);
    out->colourType = png_get_color_type(png, info);
    if (out->bitDepth == 8 && out->colourType == PNG_COLOR_TYPE_RGB) {
        out->pixels.resize(static_cast<size_t>(out->width) * out->height * 3);
        for (png_uint_32 y = 0; y < out->height; ++y)
            png_read_row(png, &out->pixels[static_cast<size_t>(y) * out->width * 3], nullptr);
        png_read_end(png, info);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

Decoded readPng(const std::string& path)
{
    Decoded out;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ADD_FAILURE() << "cannot open " << path;
        return out;
    }
    readRows(file, &out);
    std::fclose(file);
    return out;
}

// Draws the world with its marks and reads the picture back.
Decoded draw(const TerrainGrid& grid, std::vector<uint8_t> marks = {})
{
    picture::WorldView view;
    view.grid = &grid;
    view.marks = std::move(marks);
    std::string error;
    EXPECT_TRUE(picture::writeWorldPicture(view, "world.png", error)) << error;
    return readPng("world.png");
}

// Marks for a grid of rows x cols, with `mark` at each listed cell.
std::vector<uint8_t> marksAt(int rows, int cols, std::vector<std::pair<int, int>> cells,
                             uint8_t mark)
{
    std::vector<uint8_t> marks(static_cast<size_t>(rows) * cols, picture::MarkNone);
    for (auto [r, c] : cells) marks[static_cast<size_t>(r) * cols + c] |= mark;
    return marks;
}

// The game's band colours, as 8-bit channels.
const Rgb water = {0, 128, 255}, grass = {0, 255, 0}, dirt = {102, 64, 0}, snow = {255, 255, 255};

// Whether c is the band colour b shaded towards black or lit towards white, within rounding.
bool inFamily(Rgb c, Rgb b)
{
    const int have[3] = {c.r, c.g, c.b}, band[3] = {b.r, b.g, b.b};
    const int brightest = std::max({band[0], band[1], band[2]});
    const double shade = double(std::max({have[0], have[1], have[2]})) / brightest;
    const int palest = std::min({band[0], band[1], band[2]});
    const double light =
        palest == 255 ? 0 : double(*std::min_element(have, have + 3) - palest) / (255 - palest);
    bool shaded = shade <= 1, lit = light >= 0;
    for (int i = 0; i < 3; ++i) {
        shaded = shaded && std::abs(have[i] - band[i] * shade) <= 2;
        lit = lit && std::abs(have[i] - (band[i] + (255 - band[i]) * light)) <= 2;
    }
    return shaded || lit;
}

bool inAnyBand(Rgb c)
{
    for (Rgb band : {water, grass, dirt, snow})
        if (inFamily(c, band)) return true;
    return false;
}

// How many pixels of one cell's pixel row (v from -0.5 at its north edge) have colour c.
int widthIn(const Decoded& image, int size, int row, int col, double v, Rgb c)
{
    const int y = row * size + static_cast<int>((v + 0.5) * size);
    int count = 0;
    for (int x = col * size; x < (col + 1) * size; ++x) count += image.at(x, y) == c;
    return count;
}

// How many pixels of one cell have colour c.
int countIn(const Decoded& image, int size, int row, int col, Rgb c)
{
    int count = 0;
    for (int y = row * size; y < (row + 1) * size; ++y)
        for (int x = col * size; x < (col + 1) * size; ++x) count += image.at(x, y) == c;
    return count;
}

// The centre pixel of a cell.
Rgb centre(const Decoded& image, int size, int row, int col)
{
    return image.at(col * size + size / 2, row * size + size / 2);
}

// The chunk types of a PNG file in order.
std::vector<std::string> chunkTypes(const std::string& bytes)
{
    std::vector<std::string> types;
    for (size_t at = 8; at + 8 <= bytes.size();) {
        const auto byte = [&](size_t i) { return static_cast<uint32_t>(uint8_t(bytes[at + i])); };
        const uint32_t length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        types.push_back(bytes.substr(at + 4, 4));
        at += 12 + static_cast<size_t>(length);
    }
    return types;
}

TEST(WorldPicture, SizeFollowsTheWorldsShape)
{
    TempWorkDir dir;
    ASSERT_LE(picture::legendHeight, 400);
    struct Case {
        int rows, cols, cell, width, mapHeight;
    } cases[] = {
        {48, 48, 42, 2016, 2016},                 // the bundled world's size
        {200, 300, 6, 1800, 1200},                // wider than tall
        {2, 2048, 1, 2048, 2},                    // 2048 columns: one pixel each
        {2048, 3, 1, picture::legendWidth, 2048}, // tall and narrow: widened to the legend
        {1, 0, 2048, picture::legendWidth, 0},    // no cells: the legend alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + " x " + std::to_string(c.cols));
        EXPECT_EQ(c.cell, picture::cellPixels(c.rows, c.cols));
        const auto grid = makeGrid(c.rows, c.cols);
        const Decoded image = draw(*grid);
        EXPECT_EQ(8, image.bitDepth);
        EXPECT_EQ(PNG_COLOR_TYPE_RGB, image.colourType);
        EXPECT_EQ(png_uint_32(c.width), image.width);
        EXPECT_EQ(png_uint_32(c.mapHeight + picture::legendHeight), image.height);
    }
    // The largest worlds, by layout alone: a strip of 4,194,304 cells is as many pixels wide.
    EXPECT_EQ(4194304, picture::pictureLayout(1, 4194304).width);
    EXPECT_EQ(1, picture::pictureLayout(1, 4194304).cell);
    EXPECT_EQ(2048, picture::pictureLayout(2048, 2048).width);
    EXPECT_EQ(2048 + picture::legendHeight, picture::pictureLayout(2048, 2048).height);
    EXPECT_EQ(2048, picture::cellPixels(1, 1));
}

TEST(WorldPicture, SameWorldGivesSameBytesWithoutATimeChunk)
{
    TempWorkDir dir;
    const auto grid = makeGrid(3, 5, {"01234", "56789", "90000"});
    picture::WorldView view;
    view.grid = grid.get();
    view.marks = marksAt(3, 5, {{1, 1}}, picture::MarkCube | picture::MarkFinding);
    std::string error;
    ASSERT_TRUE(picture::writeWorldPicture(view, "first.png", error)) << error;
    ASSERT_TRUE(picture::writeWorldPicture(view, "second.png", error)) << error;
    const std::string first = readFile("first.png");
    EXPECT_EQ(first, readFile("second.png"));
    std::vector<std::string> types = chunkTypes(first);
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ("IHDR", types.front());
    EXPECT_EQ("IEND", types.back());
    for (size_t i = 1; i + 1 < types.size(); ++i) EXPECT_EQ("IDAT", types[i]);
}

TEST(WorldPicture, FlatCellsShowTheirBandColourAndSlopesStayInTheFamily)
{
    TempWorkDir dir;
    // Blocks of three columns of water, grass, dirt and snow; the middle column of each is
    // flat, the others slope towards the next block.
    const std::string row = "000444777999";
    const auto grid = makeGrid(3, 12, {row, row, row});
    const int size = picture::cellPixels(3, 12);
    const Decoded image = draw(*grid);
    const Rgb bands[4] = {water, grass, dirt, snow};
    for (int col = 0; col < 12; ++col) {
        SCOPED_TRACE("column " + std::to_string(col));
        const Rgb c = centre(image, size, 1, col);
        EXPECT_TRUE(inFamily(c, bands[col / 3])) << int(c.r) << " " << int(c.g) << " " << int(c.b);
        if (col % 3 == 1) {
            EXPECT_EQ(bands[col / 3], c);
        }
    }
}

TEST(WorldPicture, SlopesFacingTheNorthWestAreLighter)
{
    TempWorkDir dir;
    // A grass hill in the middle of a grass plain: light comes from the north-west.
    const auto grid = makeGrid(5, 5, {"44444", "44444", "44544", "44444", "44444"});
    const int size = picture::cellPixels(5, 5);
    const Decoded image = draw(*grid);
    EXPECT_EQ(grass, centre(image, size, 0, 0));
    for (auto [r, c] : {std::pair{1, 2}, {2, 1}}) { // facing north, facing west
        const Rgb lit = centre(image, size, r, c);
        EXPECT_TRUE(inFamily(lit, grass) && lit.r > grass.r) << r << "," << c;
    }
    for (auto [r, c] : {std::pair{3, 2}, {2, 3}}) { // facing south, facing east
        const Rgb shaded = centre(image, size, r, c);
        EXPECT_TRUE(inFamily(shaded, grass) && shaded.g < grass.g) << r << "," << c;
    }
}

TEST(WorldPicture, ObjectsAreDistinctSymbolsOnLargeCells)
{
    TempWorkDir dir;
    const auto grid = makeGrid(2, 8, {"22222222", "22222222"});
    const int size = picture::cellPixels(2, 8);
    ASSERT_GE(size, picture::minSymbolCell);
    std::vector<uint8_t> marks = marksAt(2, 8, {{0, 1}}, picture::MarkCube);
    marks[3] = picture::MarkPyramid;
    marks[5] = picture::MarkTree;
    const Decoded image = draw(*grid, marks);
    struct Symbol {
        int col;
        Rgb colour;
    } symbols[] = {{1, picture::cubeColour}, {3, picture::pyramidColour}, {5, picture::treeColour}};
    int width[3][3]; // per symbol: near the top, across the middle, near the bottom
    for (int i = 0; i < 3; ++i) {
        const Symbol& s = symbols[i];
        SCOPED_TRACE("column " + std::to_string(s.col));
        EXPECT_FALSE(inAnyBand(s.colour));
        EXPECT_EQ(s.colour, centre(image, size, 0, s.col));
        EXPECT_EQ(grass, image.at(s.col * size + 1, 1)); // the ground shows around it
        for (int j = 0; j < 3; ++j)
            width[i][j] = widthIn(image, size, 0, s.col, -0.2 + 0.2 * j, s.colour);
    }
    EXPECT_NE(symbols[0].colour, symbols[1].colour);
    EXPECT_NE(symbols[1].colour, symbols[2].colour);
    EXPECT_NE(symbols[0].colour, symbols[2].colour);
    // A square is as wide everywhere, a triangle widens downwards, a round crown bulges.
    EXPECT_TRUE(width[0][0] > 0 && width[0][0] == width[0][1] && width[0][1] == width[0][2]);
    EXPECT_TRUE(width[1][0] > 0 && width[1][0] < width[1][1] && width[1][1] < width[1][2]);
    EXPECT_TRUE(width[2][0] > 0 && width[2][1] > width[2][0] && width[2][1] > width[2][2]);
    EXPECT_EQ(0, countIn(image, size, 1, 1, picture::cubeColour)); // nothing leaks south
}

TEST(WorldPicture, ObjectsAreSolidColoursOnSmallCells)
{
    TempWorkDir dir;
    const auto grid = makeGrid(2, 300, {std::string(300, '2'), std::string(300, '2')});
    const int size = picture::cellPixels(2, 300);
    ASSERT_LT(size, picture::minSymbolCell);
    std::vector<uint8_t> marks = marksAt(2, 300, {{0, 10}}, picture::MarkCube);
    marks[20] = picture::MarkPyramid;
    marks[30] = picture::MarkTree;
    const Decoded image = draw(*grid, marks);
    const int whole = size * size;
    EXPECT_EQ(whole, countIn(image, size, 0, 10, picture::cubeColour));
    EXPECT_EQ(whole, countIn(image, size, 0, 20, picture::pyramidColour));
    EXPECT_EQ(whole, countIn(image, size, 0, 30, picture::treeColour));
    EXPECT_EQ(whole, countIn(image, size, 0, 11, grass));
}

TEST(WorldPicture, StartAndPlacesForPeopleAreMarkedOnTheirCells)
{
    TempWorkDir dir;
    {
        SCOPED_TRACE("large cells");
        const auto grid = makeGrid(2, 8, {"11111111", "11111111"});
        const int size = picture::cellPixels(2, 8);
        std::vector<uint8_t> marks = marksAt(2, 8, {{0, 2}}, picture::MarkStart);
        marks[5] = picture::MarkPeople;
        const Decoded image = draw(*grid, marks);
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < 8; ++col) {
                const bool start = row == 0 && col == 2, people = row == 0 && col == 5;
                EXPECT_EQ(start, countIn(image, size, row, col, picture::startColour) > 0)
                    << row << "," << col;
                EXPECT_EQ(people, countIn(image, size, row, col, picture::peopleColour) > 0)
                    << row << "," << col;
            }
        // The start's arrowhead points north: narrower above than below.
        const int top = widthIn(image, size, 0, 2, -0.15, picture::startColour);
        EXPECT_GT(top, 0);
        EXPECT_LT(top, widthIn(image, size, 0, 2, 0.1, picture::startColour));
    }
    {
        SCOPED_TRACE("small cells");
        const auto grid = makeGrid(2, 300, {std::string(300, '1'), std::string(300, '1')});
        const int size = picture::cellPixels(2, 300);
        std::vector<uint8_t> marks = marksAt(2, 300, {{1, 150}}, picture::MarkStart);
        marks[10] = picture::MarkPeople;
        const Decoded image = draw(*grid, marks);
        EXPECT_EQ(size * size, countIn(image, size, 1, 150, picture::startColour));
        // A ring around the start cell finds it on a big map; between them the ground.
        const int cx = 150 * size + size / 2, cy = size + size / 2;
        EXPECT_EQ(picture::startColour, image.at(cx + 10, cy)); // ten and a half pixels out
        EXPECT_EQ(picture::startColour, image.at(cx - 11, cy));
        EXPECT_EQ(grass, image.at(cx + size, cy));
        // A place for people is a dot in the middle of its cell, its ground around it.
        EXPECT_EQ(picture::peopleColour, centre(image, size, 0, 10));
        EXPECT_EQ(grass, image.at(10 * size, 0));
        EXPECT_EQ(0, countIn(image, size, 0, 11, picture::peopleColour));
    }
}

TEST(WorldPicture, CellsAFindingNamesAreOutlinedOrFilled)
{
    TempWorkDir dir;
    {
        SCOPED_TRACE("large cells: an outline, the cube inside still shown");
        const auto grid = makeGrid(2, 8, {"22222222", "22222222"});
        const int size = picture::cellPixels(2, 8);
        const Decoded image =
            draw(*grid, marksAt(2, 8, {{1, 3}}, picture::MarkFinding | picture::MarkCube));
        const int left = 3 * size, top = size, right = 4 * size - 1, bottom = 2 * size - 1;
        const int midX = left + size / 2, midY = top + size / 2;
        for (auto [x, y] : {std::pair{left, midY}, {right, midY}, {midX, top}, {midX, bottom}})
            EXPECT_EQ(picture::findingColour, image.at(x, y)) << x << "," << y;
        EXPECT_EQ(picture::cubeColour, image.at(midX, midY));
        EXPECT_EQ(0, countIn(image, size, 1, 2, picture::findingColour));
        EXPECT_EQ(0, countIn(image, size, 1, 4, picture::findingColour));
        EXPECT_EQ(0, countIn(image, size, 0, 3, picture::findingColour));
    }
    {
        SCOPED_TRACE("small cells: the whole cell, over its start and its people");
        const auto grid = makeGrid(2, 300, {std::string(300, '1'), std::string(300, '1')});
        const int size = picture::cellPixels(2, 300);
        const uint8_t all = picture::MarkFinding | picture::MarkStart | picture::MarkPeople;
        const Decoded image = draw(*grid, marksAt(2, 300, {{0, 40}}, all));
        EXPECT_EQ(size * size, countIn(image, size, 0, 40, picture::findingColour));
        EXPECT_EQ(0, countIn(image, size, 0, 41, picture::findingColour));
        EXPECT_EQ(0, countIn(image, size, 1, 40, picture::findingColour));
    }
}

TEST(WorldPicture, FailuresAreReportedWithTheirReason)
{
    TempWorkDir dir;
    const auto grid = makeGrid(48, 48);
    picture::WorldView view;
    view.grid = grid.get();
    std::string error;
    EXPECT_FALSE(picture::writeWorldPicture(view, "no-such-folder/world.png", error));
    EXPECT_EQ("cannot write no-such-folder/world.png: No such file or directory", error);

    // A full disk: libpng's write fails in the middle and jumps back with its message.
    error.clear();
    EXPECT_FALSE(picture::writeWorldPicture(view, "/dev/full", error));
    EXPECT_EQ("cannot write /dev/full: Write Error", error);

    view.marks.assign(48 * 47, picture::MarkNone);
    error.clear();
    EXPECT_FALSE(picture::writeWorldPicture(view, "world.png", error));
    EXPECT_EQ("the marks are 2256 for 2304 cells", error);
}

// why: libpng refuses pictures over a million pixels a side unless told otherwise, and a
// strip world of 4,194,304 cells is that wide.
TEST(PicturePng, RowsWiderThanAMillionPixelsAreWritten)
{
    TempWorkDir dir;
    const int width = 1000001;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i % 251);
    FILE* file = std::fopen("wide.png", "wb");
    ASSERT_NE(nullptr, file);
    char message[256] = "";
    const bool written = picture::writePngRows(
        file, width, 2, [](void* r, int) { return static_cast<const uint8_t*>(r); }, row.data(),
        message, sizeof message);
    std::fclose(file);
    ASSERT_TRUE(written) << message;
    const Decoded image = readPng("wide.png");
    ASSERT_EQ(png_uint_32(width), image.width);
    ASSERT_EQ(2u, image.height);
    EXPECT_EQ(Rgb({0, 1, 2}), image.at(0, 1));
    const size_t last = static_cast<size_t>(width - 1) * 3;
    EXPECT_EQ(Rgb({row[last], row[last + 1], row[last + 2]}), image.at(width - 1, 1));
}

} // namespace

#endif // VANTORA_HAS_PICTURE
