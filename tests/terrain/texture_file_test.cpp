// Tests of reading a raw texture into the caller's staging buffer: how much it reads, what
// it leaves of the buffer's old bytes, and a stream that could not be opened.
#include "terrain/texture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The staging buffer as a string, to compare whole.
std::string bytesOf(const TextureStaging& staging)
{
    return std::string(reinterpret_cast<const char*>(staging), textureBytes);
}

// A staging buffer that holds `fill` in every byte.
struct Staging {
    explicit Staging(char fill) { std::memset(buffer, fill, sizeof buffer); }
    TextureStaging buffer;
};

} // namespace

TEST(TextureFile, WholeImageFillsTheBufferAndTheRestIsIgnored)
{
    std::string image(textureBytes, '\0');
    for (int i = 0; i < textureBytes; ++i) image[i] = static_cast<char>(i % 253);
    Staging staging('x');
    InputBytes exact(image);
    EXPECT_EQ(textureBytes, readRawTexture(exact.get(), staging.buffer));
    EXPECT_TRUE(bytesOf(staging.buffer) == image);

    Staging other('x');
    InputBytes longer(image + std::string(500, 'y'));
    EXPECT_EQ(textureBytes, readRawTexture(longer.get(), other.buffer));
    EXPECT_TRUE(bytesOf(other.buffer) == image);
}

TEST(TextureFile, ShortFileFillsTheFrontAndKeepsTheOldTail)
{
    Staging staging('o');
    InputBytes part(std::string("\0\r\n\xff", 4) + std::string(996, 'p'));
    EXPECT_EQ(1000, readRawTexture(part.get(), staging.buffer));
    const std::string got = bytesOf(staging.buffer);
    EXPECT_TRUE(got.substr(0, 4) == std::string("\0\r\n\xff", 4));
    EXPECT_TRUE(got.substr(4, 996) == std::string(996, 'p'));
    EXPECT_TRUE(got.substr(1000) == std::string(textureBytes - 1000, 'o'));

    InputBytes empty("");
    EXPECT_EQ(0, readRawTexture(empty.get(), staging.buffer));
    EXPECT_TRUE(bytesOf(staging.buffer) == got);
}

TEST(TextureFile, UnopenedFileLeavesTheBufferUntouched)
{
    Staging staging('o');
    EXPECT_EQ(-1, readRawTexture(nullptr, staging.buffer));
    EXPECT_TRUE(bytesOf(staging.buffer) == std::string(textureBytes, 'o'));
}
