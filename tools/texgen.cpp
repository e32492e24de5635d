// Generator of the four 64 x 64 terrain textures (water, grass, dirt, snow), written as headerless
// RGB raw files into the folder named on the command line. Integer-only maths keeps output exact.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Size = 64; // texels per side; every pattern below repeats after Size texels

// xorshift32 with a fixed seed, so every machine writes the same bytes.
class Rng {
  public:
    explicit Rng(std::uint32_t seed) : state(seed) {}
    std::uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

  private:
    std::uint32_t state;
};

// Sine-like wave made of two parabolas: phase 0..255 is one period, result about -128..128.
int wave(int phase)
{
    const int q = phase & 127;
    const int v = q * (128 - q) / 32;
    return (phase & 128) ? -v : v;
}

// Value noise on a periodic lattice of n x n points (n divides Size), result 0..255.
class Noise {
  public:
    Noise(int n, Rng& rng) : n(n), values(n * n)
    {
        for (int& v : values)
            v = rng.below(256);
    }
    int at(int x, int y) const
    {
        const int step = Size / n;
        const int ix = x / step, iy = y / step;
        const int wx = smooth((x % step) * 256 / step), wy = smooth((y % step) * 256 / step);
        const int top = lerp(get(ix, iy), get(ix + 1, iy), wx);
        const int bottom = lerp(get(ix, iy + 1), get(ix + 1, iy + 1), wx);
        return lerp(top, bottom, wy);
    }

  private:
    int get(int x, int y) const { return values[(y % n) * n + (x % n)]; }
    static int smooth(int t) { return t * t * (768 - 2 * t) / 65536; } // 3t^2 - 2t^3 on 0..256
    static int lerp(int a, int b, int t) { return a + (b - a) * t / 256; }

    int n;
    std::vector<int> values;
};

struct Image {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(Size * Size * 3);

    void set(int x, int y, int r, int g, int b)
    {
        unsigned char* p = &bytes[((y & (Size - 1)) * Size + (x & (Size - 1))) * 3];
        p[0] = static_cast<unsigned char>(clamp(r));
        p[1] = static_cast<unsigned char>(clamp(g));
        p[2] = static_cast<unsigned char>(clamp(b));
    }
    static int clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
};

// Deep blue water crossed by two sets of wavy ripples with pale crests.
Image makeWater(Rng& rng)
{
    Image img;
    const Noise noise(8, rng);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const int n = noise.at(x, y);
            const int a = wave(4 * x + 8 * y + wave(12 * x) / 5 + n / 3); // main swell
            const int b = wave(12 * x - 4 * y + n / 2) / 3;               // cross chop
            const int ripple = a + b + (n - 128) / 6;                     // about -190..190
            const int crest = ripple > 100 ? (ripple - 100) * 3 / 2 : 0;
            img.set(x, y, 20 + ripple / 8 + crest, 80 + ripple / 5 + crest,
                    170 + ripple / 6 + crest);
        }
    return img;
}

// Speckled greens: soft patches of light and dark turf with single bright and dark blades.
Image makeGrass(Rng& rng)
{
    Image img;
    const Noise patches(8, rng);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const int shade = (patches.at(x, y) - 128) / 4 + rng.below(31) - 15;
            int r = 50 + shade / 2, g = 140 + shade, b = 35 + shade / 3;
            const int blade = rng.below(100);
            if (blade < 8)
                r -= 25, g -= 50, b -= 15; // dark blade
            else if (blade < 14)
                r += 30, g += 50, b += 10; // sunlit blade
            img.set(x, y, r, g, b);
        }
    return img;
}

// Mottled browns scattered with small grey-brown pebbles that wrap across the edges.
Image makeDirt(Rng& rng)
{
    Image img;
    const Noise mottle(16, rng);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const int shade = (mottle.at(x, y) - 128) / 3 + rng.below(25) - 12;
            img.set(x, y, 125 + shade, 85 + shade * 3 / 4, 50 + shade / 2);
        }
    for (int i = 0; i < 40; ++i) {
        const int cx = rng.below(Size), cy = rng.below(Size), radius = 1 + rng.below(2);
        const int tone = 140 + rng.below(60);
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (dx * dx + dy * dy <= radius * radius + 1) {
                    const int light = (dx + dy < 0) ? 20 : -10; // lit from the top left
                    img.set(cx + dx, cy + dy, tone + light, tone - 15 + light, tone - 35 + light);
                }
    }
    return img;
}

// Near-white snow with gentle drifts and a faint blue-grey speckle.
Image makeSnow(Rng& rng)
{
    Image img;
    const Noise drifts(8, rng);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const int shade = (drifts.at(x, y) - 128) / 16 + rng.below(7) - 3;
            int r = 238 + shade, g = 242 + shade, b = 250 + shade;
            if (rng.below(100) < 6)
                r -= 30, g -= 25, b -= 12; // blue-grey speck
            img.set(x, y, r, g, b);
        }
    return img;
}

bool writeRaw(const std::string& path, const Image& img)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool wrote = std::fwrite(img.bytes.data(), 1, img.bytes.size(), file) == img.bytes.size();
    return std::fclose(file) == 0 && wrote;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 1;
    }
    Rng rng(0x5eed1234u);
    const std::string dir = std::string(argv[1]) + "/";
    const struct {
        const char* name;
        Image img;
    } textures[] = {{"water256_2.raw", makeWater(rng)},
                    {"grass.raw", makeGrass(rng)},
                    {"dirt.raw", makeDirt(rng)},
                    {"snow.raw", makeSnow(rng)}};
    for (const auto& t : textures) {
        if (!writeRaw(dir + t.name, t.img)) {
            std::fprintf(stderr, "texgen: cannot write %s%s\n", dir.c_str(), t.name);
            return 1;
        }
    }
    return 0;
}
