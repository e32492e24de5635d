// Raw terrain textures in a real GL context: what a load uploads and prints, short, long and
// missing files, and which image each height band's cells draw with after the world load.
#include "terrain/texture.h"
#include "tests/support/gl_test_util.h"

#include <cstdio>
#include <string>

namespace {

// A 64 x 64 RGB image whose bytes follow from their index and `seed`, so that two images
// made with different seeds differ in every byte.
std::string image(int seed, size_t length = textureBytes)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 192 + seed * 101) % 251);
    return bytes;
}

// The level-0 image of a texture name, read back as 64 x 64 RGB bytes.
std::string texels(GLuint name)
{
    std::string bytes(textureBytes, '\0');
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, &bytes[0]);
    glBindTexture(GL_TEXTURE_2D, 0);
    return bytes;
}

GLint levelWidth(GLuint name)
{
    GLint width = -1;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glBindTexture(GL_TEXTURE_2D, 0);
    return width;
}

std::string loadLines(GLuint name)
{
    return "returning3\ntexture name: " + std::to_string(name) + "\nreturning2\nreturning3\n";
}

// Texture names made for each test and deleted after it, in a fresh working directory.
class RawTexture : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glGenTextures(3, names);
    }

    void TearDown() override
    {
        glDeleteTextures(3, names);
        GlTest::TearDown();
    }

    // Loads the file into the name, checking that the load leaves the stacks and the
    // error flag alone; returns the loader's result and what it printed.
    bool load(const char* file, GLuint name, std::string& printed)
    {
        const GlMark mark = GlMark::now();
        CapturedStdout out;
        const bool result = loadRawTexture(file, name);
        printed = out.text();
        EXPECT_TRUE(leftAsFound(mark));
        return result;
    }

    TempWorkDir dir;
    GLuint names[3] = {0, 0, 0};
};

TEST_F(RawTexture, UploadsTheFileAsRowsOfRgbTexels)
{
    std::string bytes = image(1);
    bytes[0] = static_cast<char>(255);
    bytes[1] = 0;
    bytes[2] = 0;
    dir.write("red.raw", bytes);
    std::string printed;
    EXPECT_TRUE(load("red.raw", names[0], printed));
    EXPECT_EQ(loadLines(names[0]), printed);
    EXPECT_EQ(64, levelWidth(names[0]));
    const std::string got = texels(names[0]);
    EXPECT_EQ(255, static_cast<unsigned char>(got[0])); // texel (0, 0) is pure red
    EXPECT_EQ(0, got[1]);
    EXPECT_EQ(0, got[2]);
    EXPECT_TRUE(got == bytes) << "the file's first row is the texture's first row";
}

TEST_F(RawTexture, LoadSetsRepeatNearestModulateAndLeavesTextureZeroBound)
{
    dir.write("grass.raw", image(2));
    glBindTexture(GL_TEXTURE_2D, names[1]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    std::string printed;
    ASSERT_TRUE(load("grass.raw", names[0], printed));

    GLint bound = -1, alignment = 0, envMode = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(0, bound);
    EXPECT_EQ(1, alignment);
    EXPECT_EQ(GL_MODULATE, envMode);

    glBindTexture(GL_TEXTURE_2D, names[0]);
    GLint wrapS = 0, wrapT = 0, magFilter = 0, minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(GL_REPEAT, wrapS);
    EXPECT_EQ(GL_REPEAT, wrapT);
    EXPECT_EQ(GL_NEAREST, magFilter);
    EXPECT_EQ(GL_NEAREST, minFilter); // no mipmaps: the texture is complete as it is
}

TEST_F(RawTexture, LongerFileUploadsItsFirst12288Bytes)
{
    const std::string bytes = image(3, textureBytes + 500);
    dir.write("long.raw", bytes);
    std::string printed;
    EXPECT_TRUE(load("long.raw", names[0], printed));
    EXPECT_EQ(loadLines(names[0]), printed);
    EXPECT_TRUE(texels(names[0]) == bytes.substr(0, textureBytes));
}

TEST_F(RawTexture, ShortFileKeepsThePreviousLoadsBytesInTheRest)
{
    const std::string first = image(4);
    const std::string part = image(5, 1000);
    dir.write("full.raw", first);
    dir.write("short.raw", part);
    std::string printed;
    ASSERT_TRUE(load("full.raw", names[0], printed));
    EXPECT_TRUE(load("short.raw", names[1], printed));
    EXPECT_EQ(loadLines(names[1]), printed);
    EXPECT_TRUE(texels(names[1]) == part + first.substr(part.size()));
    EXPECT_TRUE(texels(names[0]) == first) << "the first texture keeps its own image";
}

TEST_F(RawTexture, MissingFileIsReportedAndUploadsNothing)
{
    dir.write("full.raw", image(6));
    dir.write("short.raw", image(7, 10));
    std::string printed;
    ASSERT_TRUE(load("full.raw", names[0], printed));
    glBindTexture(GL_TEXTURE_2D, names[2]);
    EXPECT_FALSE(load("nosuch.raw", names[1], printed));
    EXPECT_EQ("can't open texture file nosuch.raw\n", printed);
    EXPECT_EQ(0, levelWidth(names[1]));
    // The staging bytes are untouched: a short file after it still shows the full one's rest.
    ASSERT_TRUE(load("short.raw", names[1], printed));
    EXPECT_TRUE(texels(names[1]).substr(10) == image(6).substr(10));
}

// A world of one row: water, grass, dirt and snow cells, loaded with its textures.
class WorldTextures : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        dir.write("terrain.txt", "0169");
        dir.write("objects.txt", "...X");
        dir.write("water256_2.raw", image(10));
        dir.write("grass.raw", image(11));
        dir.write("dirt.raw", image(12));
        dir.write("snow.raw", image(13));
    }

    void TearDown() override
    {
        if (game.grid) {
            const GLuint names[4] = {game.waterTexture, game.grassTexture, game.dirtTexture,
                                     game.grid->cellAt(0, 3)->texture};
            glDeleteTextures(4, names);
        }
        GlTest::TearDown();
    }

    // Loads the world; returns what the load printed.
    std::string loadTheWorld()
    {
        const GlMark mark = GlMark::now();
        CapturedStdout out;
        game.grid = loadWorld();
        std::string printed = out.text();
        EXPECT_TRUE(leftAsFound(mark));
        return printed;
    }

    TempWorkDir dir;
};

TEST_F(WorldTextures, EachBandDrawsWithItsOwnFile)
{
    loadTheWorld();
    ASSERT_NE(nullptr, game.grid);
    const char* files[4] = {"water256_2.raw", "grass.raw", "dirt.raw", "snow.raw"};
    for (int col = 0; col < 4; ++col) {
        const GLuint name = game.grid->cellAt(0, col)->texture;
        EXPECT_NE(0u, name) << files[col];
        EXPECT_TRUE(texels(name) == readFile(files[col])) << files[col];
    }
    EXPECT_EQ(game.waterTexture, game.grid->cellAt(0, 0)->texture);
    EXPECT_EQ(game.grassTexture, game.grid->cellAt(0, 1)->texture);
    EXPECT_EQ(game.dirtTexture, game.grid->cellAt(0, 2)->texture);
    // The snow cell keeps the name it copied while the game state lets go of it.
    EXPECT_EQ(0u, game.snowTexture);
}

TEST_F(WorldTextures, TexturesLoadLastInFileOrderAndAMissingOneIsSkipped)
{
    std::remove("dirt.raw");
    const std::string printed = loadTheWorld();
    ASSERT_NE(nullptr, game.grid);
    const GLuint water = game.grid->cellAt(0, 0)->texture;
    const GLuint grass = game.grid->cellAt(0, 1)->texture;
    const GLuint dirt = game.grid->cellAt(0, 2)->texture;
    const GLuint snow = game.grid->cellAt(0, 3)->texture;
    const std::string tail = loadLines(water) + "can't open texture file dirt.raw\n" +
                             loadLines(grass) + loadLines(snow);
    ASSERT_GE(printed.size(), tail.size());
    EXPECT_EQ(tail, printed.substr(printed.size() - tail.size()));
    EXPECT_EQ(0, levelWidth(dirt));
    EXPECT_TRUE(texels(snow) == readFile("snow.raw"));
}

} // namespace
