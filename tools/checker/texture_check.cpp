// Checking the four raw textures: their sizes, and what a short one shows, since every load
// reads into one shared buffer that keeps the bytes of the loads before it.
#include "tools/checker/check_parts.h"

#include "terrain/texture.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace checker {

const char* const textureFiles[4] = {"water256_2.raw", "dirt.raw", "grass.raw", "snow.raw"};

namespace {

const char* const bandNames[4] = {"the water band (digit 0 and every non-digit)",
                                  "the dirt band (digits 6 to 8)", "the grass band (digits 1 to 5)",
                                  "the snow band (digit 9)"};

// The buffer after a load of `count` bytes from `source`: its front is the file's, the rest
// keeps what was there.
void overwrite(std::vector<TextureSpan>& spans, int count, int source)
{
    std::vector<TextureSpan> result;
    if (count > 0) result.push_back({0, count, source});
    for (const TextureSpan& span : spans)
        if (span.end > count)
            result.push_back({std::max(span.begin, count), span.end, span.source});
    spans = result;
}

// What the back of an image shows, from the spans past `from`.
std::string leftoverText(const std::vector<TextureSpan>& spans, int from)
{
    std::string parts;
    bool loaded = false;
    for (const TextureSpan& span : spans) {
        if (span.end <= from) continue;
        if (!parts.empty()) parts += ", then ";
        parts += span.source < 0 ? std::string("black zeros")
                                 : format("the bytes of %s", textureFiles[span.source]);
        loaded = loaded || span.source >= 0;
    }
    if (!loaded) return "black: the zeros of the shared buffer, which no earlier load reached";
    return "what earlier loads left in the shared buffer: " + parts;
}

// The side of a square RGB image of `size` bytes, or 0.
long long squareSide(long long size)
{
    if (size % 3 != 0) return 0;
    const long long side = std::llround(std::sqrt(static_cast<double>(size / 3)));
    return side * side * 3 == size ? side : 0;
}

} // namespace

void checkTextures(CheckRun& run)
{
    std::vector<TextureSpan> staging{{0, textureBytes, -1}};
    for (int i = 0; i < 4; ++i) {
        const char* name = textureFiles[i];
        TextureModel& texture = run.report.world.textures[i];
        std::ifstream in(run.path(name), std::ios::binary);
        if (!in) {
            run.add(name, 0, 0, Severity::Error, "missing file",
                    format("cannot open the file: %s shows no texture image when textures are on",
                           bandNames[i]));
            continue;
        }
        char head[2] = {0, 0};
        in.read(head, 2);
        in.clear();
        in.seekg(0, std::ios::end);
        texture.opened = true;
        texture.size = static_cast<long long>(in.tellg());
        const int read = static_cast<int>(std::min<long long>(texture.size, textureBytes));
        overwrite(staging, read, i);
        texture.spans = staging;

        const long long size = texture.size;
        if (head[0] == 'P' && head[1] == '6') {
            run.add(name, 0, 0, Severity::Warning, "not raw",
                    "the file starts like a PPM image ('P6'): the game reads bare bytes, red, "
                    "green and blue for each texel, with no header, so the header's bytes shift "
                    "every texel");
        } else if (size < textureBytes) {
            const long long texel = size / 3;
            run.add(name, 0, 0, Severity::Warning, "short textures",
                    format("the file has %lld bytes, %lld short of a 64 x 64 RGB image (%d "
                           "bytes): from row %lld, column %lld of the image on, %s shows %s",
                           size, textureBytes - size, textureBytes, texel / 64 + 1, texel % 64 + 1,
                           bandNames[i], leftoverText(staging, read).c_str()));
        } else if (size > textureBytes) {
            const long long extra = size - textureBytes;
            const long long side = squareSide(size);
            if (side != 0) {
                run.add(name, 0, 0, Severity::Warning, "long textures",
                        format("the file has %lld bytes, as a %lld x %lld RGB image has: the "
                               "game reads only its first %d bytes as a 64 x 64 image, so the "
                               "picture comes out cut and skewed",
                               size, side, side, textureBytes));
            } else if (extra < 64 * 3) {
                run.add(name, 0, 0, Severity::Note, "long textures",
                        format("the file has %lld bytes, %lld more than a 64 x 64 RGB image: "
                               "the extra bytes at its end are ignored",
                               size, extra));
            } else {
                run.add(name, 0, 0, Severity::Warning, "long textures",
                        format("the file has %lld bytes, %lld more than a 64 x 64 RGB image (%d "
                               "bytes): the game reads only the first %d, and the rest of the "
                               "picture is lost",
                               size, extra, textureBytes, textureBytes));
            }
        }
    }
}

} // namespace checker
