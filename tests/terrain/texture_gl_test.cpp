// Raw terrain textures in a real GL context: what a load uploads and writes, short, long and
// unopened files, and which image each height band's cells draw with after the world load.
#include "terrain/texture.h"
#include "terrain/world_source.h"
#include "tests/support/gl_test_util.h"

#include <memory>
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

// Texture names made for each test and deleted after it, and one staging buffer that the
// loads of a test share, as the world load's four do.
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

    // Loads the bytes (null: a file that could not be opened) into the name, checking that
    // the load leaves the stacks and the error flag alone; returns the loader's result and
    // what it wrote.
    bool load(const std::string* bytes, const char* file, GLuint name, std::string& printed)
    {
        const GlMark mark = GlMark::now();
        std::unique_ptr<InputBytes> in(bytes ? new InputBytes(*bytes) : nullptr);
        LogStream log;
        const bool result =
            loadRawTexture(in ? in->get() : nullptr, file, name, staging, log.get());
        printed = log.text();
        EXPECT_TRUE(leftAsFound(mark));
        return result;
    }

    GLuint names[3] = {0, 0, 0};
    TextureStaging staging = {};
};

TEST_F(RawTexture, UploadsTheFileAsRowsOfRgbTexels)
{
    std::string bytes = image(1);
    bytes[0] = static_cast<char>(255);
    bytes[1] = 0;
    bytes[2] = 0;
    std::string printed;
    EXPECT_TRUE(load(&bytes, "red.raw", names[0], printed));
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
    const std::string bytes = image(2);
    glBindTexture(GL_TEXTURE_2D, names[1]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    std::string printed;
    ASSERT_TRUE(load(&bytes, "grass.raw", names[0], printed));

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
    std::string printed;
    EXPECT_TRUE(load(&bytes, "long.raw", names[0], printed));
    EXPECT_EQ(loadLines(names[0]), printed);
    EXPECT_TRUE(texels(names[0]) == bytes.substr(0, textureBytes));
}

TEST_F(RawTexture, ShortFileKeepsThePreviousLoadsBytesInTheRest)
{
    const std::string first = image(4);
    const std::string part = image(5, 1000);
    std::string printed;
    ASSERT_TRUE(load(&first, "full.raw", names[0], printed));
    EXPECT_TRUE(load(&part, "short.raw", names[1], printed));
    EXPECT_EQ(loadLines(names[1]), printed);
    EXPECT_TRUE(texels(names[1]) == part + first.substr(part.size()));
    EXPECT_TRUE(texels(names[0]) == first) << "the first texture keeps its own image";

    // The buffer is the caller's: a load through a buffer of its own sees none of it.
    TextureStaging fresh = {};
    InputBytes in(part);
    LogStream log;
    ASSERT_TRUE(loadRawTexture(in.get(), "short.raw", names[2], fresh, log.get()));
    EXPECT_TRUE(texels(names[2]) == part + std::string(textureBytes - part.size(), '\0'));
}

TEST_F(RawTexture, UnopenedFileIsReportedAndUploadsNothing)
{
    const std::string full = image(6), part = image(7, 10);
    std::string printed;
    ASSERT_TRUE(load(&full, "full.raw", names[0], printed));
    glBindTexture(GL_TEXTURE_2D, names[2]);
    EXPECT_FALSE(load(nullptr, "nosuch.raw", names[1], printed));
    EXPECT_EQ("can't open texture file nosuch.raw\n", printed);
    EXPECT_EQ(0, levelWidth(names[1]));
    // The staging bytes are untouched: a short file after it still shows the full one's rest.
    ASSERT_TRUE(load(&part, "short.raw", names[1], printed));
    EXPECT_TRUE(texels(names[1]).substr(10) == full.substr(10));
}

// A world of one row in memory, water, grass, dirt and snow cells, loaded with its textures.
class WorldTextures : public GlTest {
  protected:
    void SetUp() override
    {
        GlTest::SetUp();
        files.set(WorldFile::Terrain, "0169");
        files.set(WorldFile::Objects, "...X");
        for (int i = 0; i < 4; ++i) files.set(textureFiles[i], images[i]);
    }

    void TearDown() override
    {
        if (world) {
            GLuint made[4];
            for (int col = 0; col < 4; ++col) made[col] = world->cellAt(0, col)->texture;
            glDeleteTextures(4, made);
        }
        world.reset();
        GlTest::TearDown();
    }

    // Loads the world once; returns what the load wrote.
    std::string loadTheWorld()
    {
        const GlMark mark = GlMark::now();
        world.reset(loadWorld(load));
        EXPECT_TRUE(leftAsFound(mark));
        return log.text();
    }

    // The texture files in the order of the bands, and an image of their own for each.
    const WorldFile textureFiles[4] = {WorldFile::Water, WorldFile::Grass, WorldFile::Dirt,
                                       WorldFile::Snow};
    std::string images[4] = {image(10), image(11), image(12), image(13)};
    MemoryWorld files;
    MeshStore meshes;
    LogStream log;
    WorldLoad load{files, meshes, log.get()};
    std::unique_ptr<TerrainGrid> world;
};

TEST_F(WorldTextures, EachBandDrawsWithItsOwnFile)
{
    loadTheWorld();
    ASSERT_NE(nullptr, world);
    for (int col = 0; col < 4; ++col) {
        const GLuint name = world->cellAt(0, col)->texture;
        EXPECT_NE(0u, name) << col;
        EXPECT_TRUE(texels(name) == images[col]) << col;
    }
    EXPECT_EQ(load.textures.water, world->cellAt(0, 0)->texture);
    EXPECT_EQ(load.textures.grass, world->cellAt(0, 1)->texture);
    EXPECT_EQ(load.textures.dirt, world->cellAt(0, 2)->texture);
    // The snow cell keeps the name it copied while the load lets go of it.
    EXPECT_EQ(0u, load.textures.snow);
}

TEST_F(WorldTextures, TexturesLoadLastInFileOrderAndAMissingOneIsSkipped)
{
    files.remove(WorldFile::Dirt);
    const std::string printed = loadTheWorld();
    ASSERT_NE(nullptr, world);
    const GLuint water = world->cellAt(0, 0)->texture;
    const GLuint grass = world->cellAt(0, 1)->texture;
    const GLuint dirt = world->cellAt(0, 2)->texture;
    const GLuint snow = world->cellAt(0, 3)->texture;
    const std::string tail = loadLines(water) + "can't open texture file dirt.raw\n" +
                             loadLines(grass) + loadLines(snow);
    ASSERT_GE(printed.size(), tail.size());
    EXPECT_EQ(tail, printed.substr(printed.size() - tail.size()));
    EXPECT_EQ(0, levelWidth(dirt));
    EXPECT_TRUE(texels(snow) == images[3]);
}

TEST_F(WorldTextures, ShortFileShowsTheTailOfTheFileLoadedBeforeIt)
{
    // The load zeroes its one buffer once: the first file, water, shows zeros behind it, and
    // grass, loaded after dirt, shows dirt's bytes.
    files.set(WorldFile::Water, images[0].substr(0, 100));
    files.set(WorldFile::Grass, images[1].substr(0, 1000));
    loadTheWorld();
    ASSERT_NE(nullptr, world);
    EXPECT_TRUE(texels(world->cellAt(0, 0)->texture) ==
                images[0].substr(0, 100) + std::string(textureBytes - 100, '\0'));
    EXPECT_TRUE(texels(world->cellAt(0, 1)->texture) ==
                images[1].substr(0, 1000) + images[2].substr(1000));
}

} // namespace
