// Tests of the world picture, read back from the written PNG with libpng: its size for worlds
// of several shapes, band colours and slopes (those of the game's own surface), objects,
// start, places for people, findings.
#include "models/mesh_store.h"
#include "models/object_kinds.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "terrain/world_source.h"
#include "tests/support/test_support.h"
#include "tools/checker/checker.h"
#include "tools/picture/picture_parts.h"
#include "tools/picture/world_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <png.h>
#include <string>
#include <vector>

using picture::Rgb;

namespace {

// The cells of a world of rows x cols cells as the picture takes them: the given level digits,
// 0 where none is given, and no objects.
struct Cells {
    int rows = 0, cols = 0;
    std::vector<uint8_t> records;
};

Cells levelCells(int rows, int cols, const std::vector<std::string>& levels = {})
{
    Cells cells{rows, cols, std::vector<uint8_t>(size_t(rows) * cols, picture::cellRecord(0, -1))};
    for (size_t r = 0; r < levels.size() && int(r) < rows; ++r)
        for (size_t c = 0; c < levels[r].size() && int(c) < cols; ++c)
            cells.records[r * cols + c] = picture::cellRecord(levels[r][c] - '0', -1);
    return cells;
}

// The kinds of object by their model, as the table numbers them.
const int cube = objectKindWith(WorldFile::Cube), pyramid = objectKindWith(WorldFile::Pyramid),
          tree = objectKindWith(WorldFile::Tree);

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

// Reads the PNG at `path` with libpng; only plain locals live here, across its setjmp.
void readPng(const std::string& path, Decoded* out)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ADD_FAILURE() << "cannot open " << path;
        return;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onReadError, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return;
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
    std::fclose(file);
}

// What one cell shows at (row, col): the mark's flags, and an object (-1 for none).
struct Mark {
    int row, col;
    uint8_t bits;
    int object = -1;
};

// A world drawn and read back, with the side of its cells and the file's bytes.
struct Drawn {
    Decoded image;
    int size = 0;
    std::string bytes;

    Rgb centre(int row, int col) const
    {
        return image.at(col * size + size / 2, row * size + size / 2);
    }
    // Pixels of colour c in the cell, or in its one pixel row at v (-0.5 its north edge).
    int count(int row, int col, Rgb c, double v = NAN) const
    {
        const int top = std::isnan(v) ? row * size : row * size + int((v + 0.5) * size);
        const int bottom = std::isnan(v) ? top + size : top + 1;
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = col * size; x < (col + 1) * size; ++x) n += image.at(x, y) == c;
        return n;
    }
};

// Draws the cells with the marks and their objects and reads the picture back.
Drawn draw(Cells cells, const std::vector<Mark>& marks = {})
{
    picture::WorldView view;
    view.rows = cells.rows;
    view.cols = cells.cols;
    if (!marks.empty()) view.marks.assign(size_t(cells.rows) * cells.cols, picture::MarkNone);
    for (const Mark& m : marks) {
        uint8_t& record = cells.records[size_t(m.row) * cells.cols + m.col];
        if (m.object >= 0) record = picture::cellRecord(picture::recordLevel(record), m.object);
        view.marks[size_t(m.row) * cells.cols + m.col] |= m.bits;
    }
    view.cells = cells.records.data();
    std::string error;
    const ScratchFolder folder;
    EXPECT_TRUE(picture::writeWorldPicture(view, folder / "world.png", error)) << error;
    Drawn drawn;
    readPng(folder / "world.png", &drawn.image);
    drawn.bytes = readFile(folder / "world.png");
    drawn.size = picture::cellPixels(cells.rows, cells.cols);
    return drawn;
}

// Draws a world of rows x cols cells all of one level digit.
Drawn drawFlat(int rows, int cols, char level, const std::vector<Mark>& marks)
{
    return draw(levelCells(rows, cols, std::vector<std::string>(rows, std::string(cols, level))),
                marks);
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

TEST(WorldPicture, SizeFollowsTheWorldsShape)
{
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
        const Drawn drawn = draw(levelCells(c.rows, c.cols));
        EXPECT_EQ(c.cell, drawn.size);
        EXPECT_EQ(8, drawn.image.bitDepth);
        EXPECT_EQ(PNG_COLOR_TYPE_RGB, drawn.image.colourType);
        EXPECT_EQ(png_uint_32(c.width), drawn.image.width);
        EXPECT_EQ(png_uint_32(c.mapHeight + picture::legendHeight), drawn.image.height);
    }
    // The largest worlds, by layout alone: a strip of 4,194,304 cells is as many pixels wide.
    EXPECT_EQ(4194304, picture::pictureLayout(1, 4194304).width);
    EXPECT_EQ(2048 + picture::legendHeight, picture::pictureLayout(2048, 2048).height);
}

TEST(WorldPicture, SameWorldGivesSameBytesWithoutATimeChunk)
{
    const Cells cells = levelCells(3, 5, {"01234", "56789", "90000"});
    const std::string first = draw(cells, {{1, 1, picture::MarkFinding, cube}}).bytes;
    EXPECT_EQ(first, draw(cells, {{1, 1, picture::MarkFinding, cube}}).bytes);
    EXPECT_EQ(std::string::npos, first.find("tIME"));
}

TEST(WorldPicture, FlatCellsShowTheirBandColourAndSlopesStayInTheFamily)
{
    // Blocks of three columns of water, grass, dirt and snow; the middle column of each is
    // flat, the others slope towards the next block.
    const std::string row = "000444777999";
    const Drawn drawn = draw(levelCells(3, 12, {row, row, row}));
    const Rgb bands[4] = {water, grass, dirt, snow};
    for (int col = 0; col < 12; ++col) {
        SCOPED_TRACE("column " + std::to_string(col));
        const Rgb c = drawn.centre(1, col);
        EXPECT_TRUE(inFamily(c, bands[col / 3])) << int(c.r) << " " << int(c.g) << " " << int(c.b);
        if (col % 3 == 1) {
            EXPECT_EQ(bands[col / 3], c);
        }
    }
}

TEST(WorldPicture, SlopesFacingTheNorthWestAreLighter)
{
    // A grass hill in the middle of a grass plain: light comes from the north-west.
    const Drawn drawn = draw(levelCells(5, 5, {"44444", "44444", "44544", "44444", "44444"}));
    EXPECT_EQ(grass, drawn.centre(0, 0));
    for (auto [r, c] : {std::pair{1, 2}, {2, 1}}) { // facing north, facing west
        const Rgb lit = drawn.centre(r, c);
        EXPECT_TRUE(inFamily(lit, grass) && lit.r > grass.r) << r << "," << c;
    }
    for (auto [r, c] : {std::pair{3, 2}, {2, 3}}) { // facing south, facing east
        const Rgb shaded = drawn.centre(r, c);
        EXPECT_TRUE(inFamily(shaded, grass) && shaded.g < grass.g) << r << "," << c;
    }
}

// why: the picture takes its slopes from the levels and objects alone, by the stitching and
// flattening arithmetic of the load; every cell must show the surface the game itself builds,
// its edges stitched to the neighbours' centres and flat under cubes and pyramids.
TEST(WorldPicture, GroundIsTheSurfaceOfTheGamesOwnLoad)
{
    const std::string terrain = "1290\n4444\n5a97\n0819\n3333\n";
    const std::string objects = "CA.T\n.CCA\nT.A.\nAT.C\n....\n";
    MemoryWorld files;
    files.set(WorldFile::Terrain, terrain);
    files.set(WorldFile::Objects, objects);
    MeshStore meshes;
    LogStream log;
    WorldLoad load(files, meshes, log.get());
    load.clock = fixedClock;
    const std::unique_ptr<TerrainGrid> grid(buildWorld(load));
    ASSERT_NE(nullptr, grid);
    ASSERT_EQ(6, grid->rows);

    std::vector<std::string> levels;
    for (size_t at = 0; at < terrain.size(); at = terrain.find('\n', at) + 1)
        levels.push_back(terrain.substr(at, terrain.find('\n', at) - at));
    for (std::string& line : levels)
        for (char& c : line) c = c >= '0' && c <= '9' ? c : '0';
    std::vector<Mark> marks;
    for (int row = 0, at = 0; row < 4; ++row, ++at)
        for (int col = 0; col < 4; ++col, ++at)
            if (objectKindOf(objects[at]) >= 0)
                marks.push_back({row, col, 0, objectKindOf(objects[at])});
    const Drawn drawn = draw(levelCells(6, 4, levels), marks);

    int flat = 0, sloped = 0;
    for (int row = 0; row < 6; ++row) {
        for (int col = 0; col < 4; ++col) {
            const Vertex* v = grid->cellAt(row, col)->vertices;
            const Rgb expected = picture::groundColour(v[SlotCentre].position[2],
                                                       v[SlotN].position[2], v[SlotS].position[2],
                                                       v[SlotE].position[2], v[SlotW].position[2]);
            // A pixel near the north-west corner, off every object's symbol.
            EXPECT_EQ(expected, drawn.image.at(col * drawn.size + 1, row * drawn.size + 1))
                << row << "," << col;
            const bool isFlat = v[SlotN].position[2] == v[SlotS].position[2] &&
                                v[SlotE].position[2] == v[SlotW].position[2];
            flat += isFlat;
            sloped += !isFlat;
        }
    }
    EXPECT_GT(flat, 6);   // among them the cells under cubes and pyramids
    EXPECT_GT(sloped, 6); // and stitched slopes
}

TEST(WorldPicture, ObjectsAreSymbolsOnLargeCellsAndColoursOnSmallOnes)
{
    const Rgb colours[3] = {picture::objectColour(cube), picture::objectColour(pyramid),
                            picture::objectColour(tree)};
    const std::vector<Mark> objects = {{0, 1, 0, cube}, {0, 3, 0, pyramid}, {0, 5, 0, tree}};
    EXPECT_FALSE(inAnyBand(colours[0]) || inAnyBand(colours[1]) || inAnyBand(colours[2]));
    EXPECT_TRUE(colours[0] != colours[1] && colours[1] != colours[2] && colours[0] != colours[2]);
    {
        SCOPED_TRACE("large cells");
        const Drawn drawn = drawFlat(2, 8, '2', objects);
        ASSERT_GE(drawn.size, picture::minSymbolCell);
        int width[3][3]; // per symbol: near the top, across the middle, near the bottom
        for (int i = 0; i < 3; ++i) {
            const int col = objects[i].col;
            EXPECT_EQ(colours[i], drawn.centre(0, col)) << col;
            EXPECT_EQ(grass, drawn.image.at(col * drawn.size + 1, 1)) << col; // ground around
            EXPECT_EQ(0, drawn.count(1, col, colours[i])) << col;             // nothing south
            for (int j = 0; j < 3; ++j)
                width[i][j] = drawn.count(0, col, colours[i], 0.2 * j - 0.2);
        }
        // A square is as wide everywhere, a triangle widens downwards, a round crown bulges.
        EXPECT_TRUE(width[0][0] > 0 && width[0][0] == width[0][1] && width[0][1] == width[0][2]);
        EXPECT_TRUE(width[1][0] > 0 && width[1][0] < width[1][1] && width[1][1] < width[1][2]);
        EXPECT_TRUE(width[2][0] > 0 && width[2][1] > width[2][0] && width[2][1] > width[2][2]);
    }
    {
        SCOPED_TRACE("small cells");
        const Drawn drawn = drawFlat(2, 300, '2', objects);
        ASSERT_LT(drawn.size, picture::minSymbolCell);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(drawn.size * drawn.size, drawn.count(0, objects[i].col, colours[i])) << i;
        EXPECT_EQ(drawn.size * drawn.size, drawn.count(0, 2, grass));
    }
}

TEST(WorldPicture, StartAndPlacesForPeopleAreMarkedOnTheirCells)
{
    const Rgb start = picture::startColour, people = picture::peopleColour;
    {
        SCOPED_TRACE("large cells");
        const Drawn drawn =
            drawFlat(2, 8, '1', {{0, 2, picture::MarkStart}, {0, 5, picture::MarkPeople}});
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < 8; ++col) {
                EXPECT_EQ(row == 0 && col == 2, drawn.count(row, col, start) > 0) << row << col;
                EXPECT_EQ(row == 0 && col == 5, drawn.count(row, col, people) > 0) << row << col;
            }
        // The start's arrowhead points north: narrower above than below.
        EXPECT_GT(drawn.count(0, 2, start, -0.15), 0);
        EXPECT_LT(drawn.count(0, 2, start, -0.15), drawn.count(0, 2, start, 0.1));
    }
    {
        SCOPED_TRACE("small cells");
        const Drawn drawn =
            drawFlat(2, 300, '1', {{1, 150, picture::MarkStart}, {0, 10, picture::MarkPeople}});
        const int size = drawn.size;
        EXPECT_EQ(size * size, drawn.count(1, 150, start));
        // A ring around the start cell finds it on a big map; between them the ground.
        const int cx = 150 * size + size / 2, cy = size + size / 2;
        EXPECT_EQ(start, drawn.image.at(cx + 10, cy)); // ten and a half pixels out
        EXPECT_EQ(start, drawn.image.at(cx - 11, cy));
        EXPECT_EQ(grass, drawn.image.at(cx + size, cy));
        // A place for people is a dot in the middle of its cell, its ground around it.
        EXPECT_EQ(people, drawn.centre(0, 10));
        EXPECT_EQ(grass, drawn.image.at(10 * size, 0));
        EXPECT_EQ(0, drawn.count(0, 11, people));
    }
}

TEST(WorldPicture, CellsAFindingNamesAreOutlinedOrFilled)
{
    const Rgb finding = picture::findingColour;
    {
        SCOPED_TRACE("large cells: an outline, the cube inside still shown");
        const Drawn drawn = drawFlat(2, 8, '2', {{1, 3, picture::MarkFinding, cube}});
        const int size = drawn.size, left = 3 * size, top = size;
        const int right = left + size - 1, bottom = top + size - 1;
        const int midX = left + size / 2, midY = top + size / 2;
        for (auto [x, y] : {std::pair{left, midY}, {right, midY}, {midX, top}, {midX, bottom}})
            EXPECT_EQ(finding, drawn.image.at(x, y)) << x << "," << y;
        EXPECT_EQ(picture::objectColour(cube), drawn.image.at(midX, midY));
        EXPECT_EQ(0, drawn.count(1, 2, finding) + drawn.count(1, 4, finding) +
                         drawn.count(0, 3, finding));
    }
    {
        SCOPED_TRACE("small cells: the whole cell, over its start and its people");
        const uint8_t all = picture::MarkFinding | picture::MarkStart | picture::MarkPeople;
        const Drawn drawn = drawFlat(2, 300, '1', {{0, 40, all}});
        EXPECT_EQ(drawn.size * drawn.size, drawn.count(0, 40, finding));
        EXPECT_EQ(0, drawn.count(0, 41, finding) + drawn.count(1, 40, finding));
    }
}

TEST(WorldPicture, FailuresAreReportedWithTheirReason)
{
    const ScratchFolder folder;
    const Cells cells = levelCells(48, 48);
    picture::WorldView view;
    view.rows = view.cols = 48;
    std::string error;
    EXPECT_FALSE(picture::writeWorldPicture(view, folder / "world.png", error));
    EXPECT_EQ("no world to draw", error);
    view.cells = cells.records.data();
    EXPECT_FALSE(picture::writeWorldPicture(view, folder / "no-such-folder/world.png", error));
    EXPECT_EQ("cannot write " + folder / "no-such-folder/world.png: No such file or directory",
              error);
    // A full disk: libpng's write fails in the middle and jumps back with its message.
    EXPECT_FALSE(picture::writeWorldPicture(view, "/dev/full", error));
    EXPECT_EQ("cannot write /dev/full: Write Error", error);
    view.marks.assign(48 * 47, picture::MarkNone);
    EXPECT_FALSE(picture::writeWorldPicture(view, folder / "world.png", error));
    EXPECT_EQ("the marks are 2256 for 2304 cells", error);
}

// The picture of a world folder as the checker draws it, read back.
Drawn drawChecked(const std::string& folder)
{
    const checker::WorldReport report = checker::checkWorld(folder);
    const ScratchFolder out;
    std::string error;
    EXPECT_TRUE(checker::writePicture(report, out / "world.png", error)) << error;
    Drawn drawn;
    readPng(out / "world.png", &drawn.image);
    drawn.size = picture::cellPixels(report.world.rows, report.world.cols);
    return drawn;
}

TEST(CheckedPicture, ShowsWhereTheGamePutsWhatTheFilesSay)
{
    const ScratchFolder world;
    for (const char* file : {"cube.txt", "pyramid.txt", "tree.txt", "person.txt"})
        world.write(file, readFile(sourcePath(std::string("world/") + file)));
    // The second line is one character too long: its 9 lands at the start of the next row,
    // which the long line's finding names, and the rest of that row stays water. The cube of the
    // second map line, past the last column, is dropped and moves the tree down a row.
    world.write("terrain.txt", "11111\n111119\n11111\n11111");
    world.write("objects.txt", "X....\n.....C\n..T..\n.....");
    const Drawn drawn = drawChecked(world.path());
    EXPECT_TRUE(inFamily(drawn.centre(2, 0), snow)) << "the spilled 9";
    EXPECT_GT(drawn.count(2, 0, picture::findingColour), 0) << "outlined: a finding names it";
    EXPECT_TRUE(inFamily(drawn.centre(2, 2), water));
    const Rgb cubeColour = picture::objectColour(cube), treeColour = picture::objectColour(tree);
    EXPECT_EQ(0, drawn.count(1, 4, cubeColour) + drawn.count(2, 0, cubeColour));
    EXPECT_GT(drawn.count(3, 2, treeColour), 0) << "the tree of the third map line";
    EXPECT_GT(drawn.count(0, 0, picture::startColour), 0);
    EXPECT_GT(drawn.count(0, 1, picture::peopleColour), 0) << "a place for people";
}

// why: the README shows the picture of the bundled world; made again from today's world and
// code it must be the same picture (scripts/screenshots.sh makes it anew).
TEST(CheckedPicture, ReadmePictureOfTheBundledWorldIsUpToDate)
{
    Decoded committed;
    readPng(sourcePath("docs/world-picture.png"), &committed);
    const Drawn fresh = drawChecked(sourcePath("world"));
    ASSERT_EQ(fresh.image.width, committed.width);
    ASSERT_EQ(fresh.image.height, committed.height);
    EXPECT_TRUE(fresh.image.pixels == committed.pixels)
        << "docs/world-picture.png is stale: run scripts/screenshots.sh";
}

// why: libpng refuses pictures over a million pixels a side unless told otherwise, and a
// strip world of 4,194,304 cells is that wide.
TEST(PicturePng, RowsWiderThanAMillionPixelsAreWritten)
{
    const ScratchFolder folder;
    const int width = 1000001;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i % 251);
    FILE* file = std::fopen((folder / "wide.png").c_str(), "wb");
    ASSERT_NE(nullptr, file);
    char message[256] = "";
    const bool written = picture::writePngRows(
        file, width, 2, [](void* r, int) { return static_cast<const uint8_t*>(r); }, row.data(),
        message, sizeof message);
    std::fclose(file);
    ASSERT_TRUE(written) << message;
    Decoded image;
    readPng(folder / "wide.png", &image);
    ASSERT_EQ(png_uint_32(width), image.width);
    ASSERT_EQ(2u, image.height);
    EXPECT_EQ(Rgb({0, 1, 2}), image.at(0, 1));
    const size_t last = static_cast<size_t>(width - 1) * 3;
    EXPECT_EQ(Rgb({row[last], row[last + 1], row[last + 2]}), image.at(width - 1, 1));
}

} // namespace
