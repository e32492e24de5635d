// The game's icon: a small height-map landscape (water, grass, a dirt hill with a snowy top)
// seen from above at an angle, drawn as shaded triangles with dark wire-frame edges. Written as
// an SVG, or rasterised here into a PNG of any size, so every size shows the same picture.
//
//   vantora-icon svg FILE          the scalable icon
//   vantora-icon png SIZE FILE     a SIZE x SIZE RGBA picture (needs libpng at build time)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef VANTORA_ICON_PNG
#include <png.h>
#endif

namespace {

// Cell heights in the game's digits: 0 water, 1 to 5 grass, 6 to 8 dirt, 9 snow. Row r runs
// away from the viewer to the right, column c away to the left. One row of the map a line:
// clang-format off
const char* const heightMap[] = {
    "000112",
    "001342",
    "126882",
    "137993",
    "126782",
    "012210",
};
// clang-format on
constexpr int mapSide = 6;
constexpr double heightStep = 0.42; // height of one digit, in cell widths

struct Colour {
    double r, g, b;
};

// The four bands, near the colours the game's textures give them.
const Colour water = {0.16, 0.38, 0.86};
const Colour grass = {0.20, 0.62, 0.18};
const Colour dirt = {0.52, 0.34, 0.16};
const Colour snow = {0.96, 0.97, 1.00};
const Colour edge = {0.06, 0.10, 0.06};

Colour bandColour(char digit)
{
    if (digit == '0') return water;
    if (digit <= '5') return grass;
    if (digit <= '8') return dirt;
    return snow;
}

struct Point {
    double x, y;
};

struct Triangle {
    Point corners[3];
    Colour fill;
    double depth; // larger is further from the viewer
};

double height(int row, int col)
{
    return (heightMap[row][col] - '0') * heightStep;
}

// A cell corner takes the mean height of the cells around it, as the game stitches them.
double cornerHeight(int row, int col)
{
    double sum = 0;
    int count = 0;
    for (int r = row - 1; r <= row; ++r) {
        for (int c = col - 1; c <= col; ++c) {
            if (r < 0 || c < 0 || r >= mapSide || c >= mapSide) continue;
            sum += height(r, c);
            ++count;
        }
    }
    return sum / count;
}

// The landscape as triangles in painting order (furthest first), projected onto a plane with
// the viewer south-west of the map, looking down at 30 degrees; not yet scaled to a picture.
std::vector<Triangle> landscape()
{
    struct Corner {
        double x, y, z;
    };
    const double light[3] = {-0.45, -0.30, 0.84}; // from the upper left, towards the viewer
    std::vector<Triangle> triangles;
    for (int row = 0; row < mapSide; ++row) {
        for (int col = 0; col < mapSide; ++col) {
            const Corner centre = {row + 0.5, col + 0.5, height(row, col)};
            const Corner around[4] = {{double(row), double(col), cornerHeight(row, col)},
                                      {row + 1.0, double(col), cornerHeight(row + 1, col)},
                                      {row + 1.0, col + 1.0, cornerHeight(row + 1, col + 1)},
                                      {double(row), col + 1.0, cornerHeight(row, col + 1)}};
            for (int k = 0; k < 4; ++k) {
                const Corner& a = around[k];
                const Corner& b = around[(k + 1) % 4];
                const double u[3] = {a.x - centre.x, a.y - centre.y, a.z - centre.z};
                const double v[3] = {b.x - centre.x, b.y - centre.y, b.z - centre.z};
                double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
                if (n[2] < 0) n[0] = -n[0], n[1] = -n[1], n[2] = -n[2];
                const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
                const double lit = (n[0] * light[0] + n[1] * light[1] + n[2] * light[2]) / length;
                const double shade = 0.55 + 0.45 * std::max(0.0, lit);
                const Colour base = bandColour(heightMap[row][col]);
                Triangle t;
                const Corner* corners[3] = {&centre, &a, &b};
                for (int i = 0; i < 3; ++i) {
                    const Corner& p = *corners[i];
                    t.corners[i] = {(p.x - p.y) * 0.866, -(p.x + p.y) * 0.5 - p.z};
                }
                t.fill = {std::min(1.0, base.r * shade), std::min(1.0, base.g * shade),
                          std::min(1.0, base.b * shade)};
                // Rows and columns both run away from the viewer.
                t.depth = (centre.x + a.x + b.x) + (centre.y + a.y + b.y);
                triangles.push_back(t);
            }
        }
    }
    std::stable_sort(triangles.begin(), triangles.end(),
                     [](const Triangle& a, const Triangle& b) { return a.depth > b.depth; });
    return triangles;
}

// Scales and moves the triangles so that they fill a side x side picture with a small margin,
// centred; returns the width of the edge lines for that picture.
double fit(std::vector<Triangle>& triangles, double side)
{
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (const Triangle& t : triangles) {
        for (const Point& p : t.corners) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
    }
    const double margin = side / 32;
    const double scale = (side - 2 * margin) / std::max(maxX - minX, maxY - minY);
    const double offsetX = (side - (maxX - minX) * scale) / 2;
    const double offsetY = (side - (maxY - minY) * scale) / 2;
    for (Triangle& t : triangles) {
        for (Point& p : t.corners)
            p = {(p.x - minX) * scale + offsetX, (p.y - minY) * scale + offsetY};
    }
    return side / 220;
}

std::string hex(const Colour& c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", int(std::lround(c.r * 255)),
                  int(std::lround(c.g * 255)), int(std::lround(c.b * 255)));
    return text;
}

bool writeSvg(const char* fileName)
{
    std::vector<Triangle> triangles = landscape();
    const double side = 256;
    const double lineWidth = fit(triangles, side);
    std::FILE* out = std::fopen(fileName, "w");
    if (!out) return false;
    std::fprintf(out,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                 "viewBox=\"0 0 256 256\">\n"
                 "<title>vantora</title>\n"
                 "<g stroke=\"%s\" stroke-opacity=\"0.6\" stroke-width=\"%.2f\" "
                 "stroke-linejoin=\"round\">\n",
                 hex(edge).c_str(), lineWidth);
    for (const Triangle& t : triangles) {
        std::fprintf(out, "<polygon fill=\"%s\" points=\"%.2f,%.2f %.2f,%.2f %.2f,%.2f\"/>\n",
                     hex(t.fill).c_str(), t.corners[0].x, t.corners[0].y, t.corners[1].x,
                     t.corners[1].y, t.corners[2].x, t.corners[2].y);
    }
    std::fprintf(out, "</g>\n</svg>\n");
    return std::fclose(out) == 0;
}

#ifdef VANTORA_ICON_PNG

// A picture of premultiplied RGBA in 0..1, painted in order with 4 x 4 samples per pixel.
class Canvas {
  public:
    explicit Canvas(int side) : side(side), pixels(static_cast<size_t>(side) * side * 4, 0.0) {}

    // Paints a convex polygon (either winding) with `colour` at `opacity`.
    void fill(const std::vector<Point>& polygon, const Colour& colour, double opacity)
    {
        double area = 0;
        for (size_t i = 0; i < polygon.size(); ++i) {
            const Point& a = polygon[i];
            const Point& b = polygon[(i + 1) % polygon.size()];
            area += a.x * b.y - b.x * a.y;
        }
        if (area == 0) return;
        const double sign = area > 0 ? 1 : -1;
        double minX = side, minY = side, maxX = 0, maxY = 0;
        for (const Point& p : polygon) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
        const int x0 = std::max(0, int(std::floor(minX))), x1 = std::min(side - 1, int(maxX));
        const int y0 = std::max(0, int(std::floor(minY))), y1 = std::min(side - 1, int(maxY));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                int inside = 0;
                for (int sy = 0; sy < 4; ++sy) {
                    for (int sx = 0; sx < 4; ++sx) {
                        const Point s = {x + (sx + 0.5) / 4, y + (sy + 0.5) / 4};
                        bool in = true;
                        for (size_t i = 0; i < polygon.size() && in; ++i) {
                            const Point& a = polygon[i];
                            const Point& b = polygon[(i + 1) % polygon.size()];
                            in =
                                sign * ((b.x - a.x) * (s.y - a.y) - (b.y - a.y) * (s.x - a.x)) >= 0;
                        }
                        inside += in;
                    }
                }
                if (inside) blend(x, y, colour, opacity * inside / 16.0);
            }
        }
    }

    // Paints the segment from a to b, `width` wide, as a rectangle that reaches half the width
    // past each end so that the lines of a triangle meet at its corners.
    void line(Point a, Point b, double width, const Colour& colour, double opacity)
    {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double length = std::sqrt(dx * dx + dy * dy);
        if (length == 0) return;
        const double ux = dx / length * width / 2, uy = dy / length * width / 2;
        fill({{a.x - ux - uy, a.y - uy + ux},
              {b.x + ux - uy, b.y + uy + ux},
              {b.x + ux + uy, b.y + uy - ux},
              {a.x - ux + uy, a.y - uy - ux}},
             colour, opacity);
    }

    // Writes the canvas as PNG onto `out`, which stays open.
    bool writePng(std::FILE* out) const
    {
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png ? png_create_info_struct(png) : nullptr;
        const size_t width = static_cast<size_t>(side);
        std::vector<unsigned char> rows(width * width * 4);
        std::vector<png_bytep> rowPointers(width);
        for (size_t i = 0; i < rows.size(); i += 4) {
            const double alpha = pixels[i + 3];
            for (int c = 0; c < 3; ++c) {
                const double straight = alpha > 0 ? pixels[i + c] / alpha : 0;
                rows[i + c] = static_cast<unsigned char>(std::lround(straight * 255));
            }
            rows[i + 3] = static_cast<unsigned char>(std::lround(alpha * 255));
        }
        for (size_t y = 0; y < width; ++y) rowPointers[y] = &rows[y * width * 4];
        volatile bool written = false; // set after the last call that may jump
        // libpng reports its errors by jumping back here; nothing below owns C++ objects.
        if (info && !setjmp(png_jmpbuf(png))) {
            png_init_io(png, out);
            png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                         PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_write_info(png, info);
            png_write_image(png, rowPointers.data());
            png_write_end(png, nullptr);
            written = true;
        }
        png_destroy_write_struct(&png, &info);
        return written;
    }

  private:
    void blend(int x, int y, const Colour& colour, double alpha)
    {
        double* p = &pixels[(static_cast<size_t>(y) * side + x) * 4];
        p[0] = colour.r * alpha + p[0] * (1 - alpha);
        p[1] = colour.g * alpha + p[1] * (1 - alpha);
        p[2] = colour.b * alpha + p[2] * (1 - alpha);
        p[3] = alpha + p[3] * (1 - alpha);
    }

    int side;
    std::vector<double> pixels;
};

bool writePng(int side, std::FILE* out)
{
    std::vector<Triangle> triangles = landscape();
    // Lines less than a pixel wide are drawn a pixel wide but fainter, so that they do not
    // cover the small sizes.
    const double width = fit(triangles, side);
    const double lineWidth = std::max(1.0, width);
    const double lineOpacity = 0.6 * std::min(1.0, width);
    Canvas canvas(side);
    for (const Triangle& t : triangles) {
        canvas.fill({t.corners[0], t.corners[1], t.corners[2]}, t.fill, 1.0);
        for (int i = 0; i < 3; ++i)
            canvas.line(t.corners[i], t.corners[(i + 1) % 3], lineWidth, edge, lineOpacity);
    }
    return canvas.writePng(out);
}

bool writePng(int side, const char* fileName)
{
    std::FILE* out = std::fopen(fileName, "wb");
    if (!out) return false;
    const bool written = writePng(side, out);
    return std::fclose(out) == 0 && written;
}

// Appends `value` to `bytes` little-endian in `size` bytes.
void putLittle(std::vector<unsigned char>& bytes, unsigned value, int size)
{
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A Windows icon file holding the icon as PNG at the sizes Explorer and the taskbar use
// (Windows Vista and later read PNG images in icons).
bool writeIco(const char* fileName)
{
    const int sides[] = {16, 24, 32, 48, 64, 256};
    const int count = static_cast<int>(sizeof sides / sizeof sides[0]);
    std::vector<std::vector<unsigned char>> images;
    for (int side : sides) {
        std::FILE* scratch = std::tmpfile();
        if (!scratch) return false;
        bool ok = writePng(side, scratch);
        const long size = std::ftell(scratch);
        std::vector<unsigned char> image(size > 0 ? static_cast<size_t>(size) : 0);
        ok = ok && size > 0 && std::fseek(scratch, 0, SEEK_SET) == 0 &&
             std::fread(image.data(), 1, image.size(), scratch) == image.size();
        std::fclose(scratch);
        if (!ok) return false;
        images.push_back(std::move(image));
    }
    std::vector<unsigned char> ico;
    putLittle(ico, 0, 2);     // reserved
    putLittle(ico, 1, 2);     // an icon, not a cursor
    putLittle(ico, count, 2); // images
    unsigned offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        putLittle(ico, sides[i] == 256 ? 0 : sides[i], 1); // width; 0 stands for 256
        putLittle(ico, sides[i] == 256 ? 0 : sides[i], 1); // height
        putLittle(ico, 0, 1);                              // no palette
        putLittle(ico, 0, 1);                              // reserved
        putLittle(ico, 1, 2);                              // colour planes
        putLittle(ico, 32, 2);                             // bits per pixel
        putLittle(ico, static_cast<unsigned>(images[i].size()), 4);
        putLittle(ico, offset, 4);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images) ico.insert(ico.end(), image.begin(), image.end());
    std::FILE* out = std::fopen(fileName, "wb");
    if (!out) return false;
    const bool written = std::fwrite(ico.data(), 1, ico.size(), out) == ico.size();
    return std::fclose(out) == 0 && written;
}

#endif

int usage()
{
    std::fputs(
        "usage: vantora-icon svg FILE | vantora-icon png SIZE FILE | vantora-icon ico FILE\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && !std::strcmp(argv[1], "svg")) {
        if (writeSvg(argv[2])) return 0;
    } else if (argc == 3 && !std::strcmp(argv[1], "ico")) {
#ifdef VANTORA_ICON_PNG
        if (writeIco(argv[2])) return 0;
#else
        std::fputs("vantora-icon: built without libpng\n", stderr);
        return 1;
#endif
    } else if (argc == 4 && !std::strcmp(argv[1], "png")) {
        char* end = nullptr;
        const long side = std::strtol(argv[2], &end, 10);
        if (*argv[2] == '\0' || *end != '\0' || side < 8 || side > 1024) return usage();
#ifdef VANTORA_ICON_PNG
        if (writePng(int(side), argv[3])) return 0;
#else
        std::fputs("vantora-icon: built without libpng\n", stderr);
        return 1;
#endif
    } else {
        return usage();
    }
    std::fprintf(stderr, "vantora-icon: can't write %s\n", argv[argc - 1]);
    return 1;
}
