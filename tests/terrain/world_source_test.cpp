// Tests of where a world's files come from: the game's by-name source in the working folder
// (the one test file that changes the working folder) and the in-memory source.
#include "terrain/world_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Reads a stream to its end and closes it; "(null)" for no stream.
std::string readAll(std::FILE* stream)
{
    if (!stream) return "(null)";
    std::string bytes;
    for (int c; (c = std::fgetc(stream)) != EOF;) bytes += static_cast<char>(c);
    std::fclose(stream);
    return bytes;
}

// The ten files by their names in a world folder, each with bytes of its own: the maps with
// CR LF line ends, the textures with NULs and line-end bytes among them.
struct NamedFile {
    WorldFile file;
    const char* name;
    std::string bytes;
};

const NamedFile namedFiles[worldFileCount] = {
    {WorldFile::Terrain, "terrain.txt", "0123\r\n4567\r\n"},
    {WorldFile::Objects, "objects.txt", "C.A\r\n.TX\r\n"},
    {WorldFile::Cube, "cube.txt", "1\n0.5 0.5 0.5\n3\n0 0 0\n1 0 0\n0 1 0\n"},
    {WorldFile::Pyramid, "pyramid.txt", "0\n"},
    {WorldFile::Tree, "tree.txt", "2\n"},
    {WorldFile::Person, "person.txt", "3\n"},
    {WorldFile::Water, "water256_2.raw", std::string("\0\r\n\x1a\xff water", 11)},
    {WorldFile::Dirt, "dirt.raw", std::string("\r\n\0dirt\0", 8)},
    {WorldFile::Grass, "grass.raw", std::string("grass\0\n\r", 8)},
    {WorldFile::Snow, "snow.raw", std::string("\xff\xfe\0snow", 7)},
};

// A fresh folder made the working folder for the suite, and the old one restored after it.
class WorkingFolderTest : public testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        previous = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "vantora-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(pattern.data()));
        folder = pattern;
        std::filesystem::current_path(folder);
    }

    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
        std::filesystem::remove_all(folder, ignored);
    }

    void SetUp() override
    {
        for (const NamedFile& f : namedFiles) {
            std::ofstream out(f.name, std::ios::binary);
            out.write(f.bytes.data(), static_cast<std::streamsize>(f.bytes.size()));
        }
    }

    static std::filesystem::path previous, folder;
};

std::filesystem::path WorkingFolderTest::previous, WorkingFolderTest::folder;

} // namespace

TEST_F(WorkingFolderTest, OpensEachFileByItsNameAndReadsItsBytesUnchanged)
{
    WorkingFolder source;
    for (const NamedFile& f : namedFiles) {
        EXPECT_STREQ(f.name, worldFileName(f.file));
        EXPECT_TRUE(readAll(source.open(f.file)) == f.bytes) << f.name;
    }
}

TEST_F(WorkingFolderTest, EachOpenIsANewStreamAtTheStart)
{
    WorkingFolder source;
    std::FILE* first = source.open(WorldFile::Terrain);
    ASSERT_NE(nullptr, first);
    ASSERT_EQ('0', std::fgetc(first));
    EXPECT_EQ(namedFiles[0].bytes, readAll(source.open(WorldFile::Terrain)));
    std::fclose(first);
}

TEST_F(WorkingFolderTest, MissingFileGivesNoStream)
{
    WorkingFolder source;
    for (const NamedFile& f : namedFiles) {
        std::remove(f.name);
        EXPECT_EQ(nullptr, source.open(f.file)) << f.name;
    }
}

TEST(MemoryWorld, GivesBackTheBytesItWasGivenWhole)
{
    MemoryWorld world;
    const std::string binary("\0\r\n\0\xff\0", 6);
    world.set(WorldFile::Snow, binary);
    world.set(WorldFile::Terrain, "12\r\n34");
    EXPECT_TRUE(readAll(world.open(WorldFile::Snow)) == binary);
    EXPECT_EQ("12\r\n34", readAll(world.open(WorldFile::Terrain)));
    // Every open starts again at the first byte, as the terrain's two passes need.
    EXPECT_EQ("12\r\n34", readAll(world.open(WorldFile::Terrain)));

    world.set(WorldFile::Terrain, "5");
    EXPECT_EQ("5", readAll(world.open(WorldFile::Terrain)));
}

TEST(MemoryWorld, EmptyFileOpensAndReadsAsEmpty)
{
    MemoryWorld world;
    world.set(WorldFile::Objects, "");
    std::FILE* stream = world.open(WorldFile::Objects);
    ASSERT_NE(nullptr, stream);
    EXPECT_EQ(EOF, std::fgetc(stream));
    EXPECT_TRUE(std::feof(stream));
    std::fclose(stream);
}

TEST(MemoryWorld, FileNeverSetOrRemovedCannotBeOpened)
{
    MemoryWorld world;
    for (int i = 0; i < worldFileCount; ++i)
        EXPECT_EQ(nullptr, world.open(static_cast<WorldFile>(i))) << i;

    world.set(WorldFile::Dirt, "dirt");
    world.set(WorldFile::Grass, "grass");
    world.remove(WorldFile::Dirt);
    EXPECT_EQ(nullptr, world.open(WorldFile::Dirt));
    EXPECT_EQ("grass", readAll(world.open(WorldFile::Grass)));
}
