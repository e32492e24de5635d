// Generating the maps of a world: integer fractal noise, height levels by rank, villages,
// woods and the start cell, and embedding a small world in the middle of a larger one.
#include "tools/worldgen/worldgen.h"

#include "models/object_kinds.h"
#include "terrain/cell_rules.h"
#include "terrain/terrain_file.h"

#include <algorithm>
#include <numeric>

namespace worldgen {

namespace {

// The letters the generator writes: cubes and pyramids make villages, trees woods.
constexpr char cubeLetter = objectKinds[objectKindWith(WorldFile::Cube)].letter;
constexpr char pyramidLetter = objectKinds[objectKindWith(WorldFile::Pyramid)].letter;
constexpr char treeLetter = objectKinds[objectKindWith(WorldFile::Tree)].letter;
constexpr char noObject = '.';

// Cumulative shares of the levels 0..9 in thousandths: 12 % water, 16 % digit 1 (the
// people's ground), 11/10/9/8 % for levels 2 to 5, 10/9/8 % dirt, 7 % snow.
const int cumulativeShare[10] = {120, 280, 390, 490, 580, 660, 760, 850, 930, 1000};

// Each refinement of the noise keeps 9/16 of the last amplitude: hills with some texture.
const int64_t firstAmplitude = int64_t(1) << 30;

// Cells between the independent lattice values of the noise: about the width of a hill.
const int featureSpan = 64;

int lowestPowerOfTwoAtLeast(int n)
{
    int p = 2;
    while (p < n) p *= 2;
    return p;
}

bool inGrid(const WorldMaps& maps, int row, int col)
{
    return row >= 0 && row < maps.rows && col >= 0 && col < maps.cols;
}

// Twice the distance from the middle of the map, per axis, in cells: even sizes give odd
// numbers, so two cells at the same distance tie and reading order decides.
long long middleDistance2(const WorldMaps& maps, int row, int col)
{
    const long long dr = 2LL * row + 1 - maps.rows, dc = 2LL * col + 1 - maps.cols;
    return dr * dr + dc * dc;
}

// A village lot: grass of the village's own level whose four neighbours share it.
bool flat(const WorldMaps& maps, int row, int col)
{
    const char level = maps.level(row, col);
    const int steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& step : steps) {
        const int r = row + step[0], c = col + step[1];
        if (inGrid(maps, r, c) && maps.level(r, c) != level) return false;
    }
    return true;
}

// Draws up to 64 random cells and returns the first that `accept` takes; false if none.
template <typename Accept>
bool drawCell(const WorldMaps& maps, Rng& rng, Accept accept, int& row, int& col)
{
    for (int attempt = 0; attempt < 64; ++attempt) {
        row = static_cast<int>(rng.below(static_cast<uint64_t>(maps.rows)));
        col = static_cast<int>(rng.below(static_cast<uint64_t>(maps.cols)));
        if (accept(row, col)) return true;
    }
    return false;
}

void placeVillages(WorldMaps& maps, Rng& rng)
{
    const long long cells = static_cast<long long>(maps.rows) * maps.cols;
    const long long count = std::max(1LL, cells / 500);
    for (long long v = 0; v < count; ++v) {
        int row, col;
        auto centre = [&](int r, int c) {
            const char level = maps.level(r, c);
            return level >= '2' && level <= '4' && maps.object(r, c) == noObject &&
                   flat(maps, r, c);
        };
        if (!drawCell(maps, rng, centre, row, col)) continue;
        const char level = maps.level(row, col);
        const int radius = 2 + static_cast<int>(rng.below(3));
        for (int dr = -radius; dr <= radius; ++dr) {
            for (int dc = -radius; dc <= radius; ++dc) {
                const int r = row + dr, c = col + dc;
                if (dr * dr + dc * dc > radius * radius || !inGrid(maps, r, c)) continue;
                if (maps.level(r, c) != level || maps.object(r, c) != noObject) continue;
                if (rng.below(100) >= 45) continue; // the gaps between houses are the streets
                maps.object(r, c) = rng.below(100) < 70 ? cubeLetter : pyramidLetter;
            }
        }
    }
}

void placeWoods(WorldMaps& maps, Rng& rng)
{
    const long long cells = static_cast<long long>(maps.rows) * maps.cols;
    const long long count = std::max(1LL, cells / 250);
    for (long long w = 0; w < count; ++w) {
        int row, col;
        auto centre = [&](int r, int c) {
            const char level = maps.level(r, c);
            return level >= '3' && level <= '7' && maps.object(r, c) == noObject;
        };
        if (!drawCell(maps, rng, centre, row, col)) continue;
        const int radius = 2 + static_cast<int>(rng.below(4));
        for (int dr = -radius; dr <= radius; ++dr) {
            for (int dc = -radius; dc <= radius; ++dc) {
                const int r = row + dr, c = col + dc, d2 = dr * dr + dc * dc;
                if (d2 > radius * radius || !inGrid(maps, r, c)) continue;
                const char level = maps.level(r, c);
                if (level < '2' || level > '7' || maps.object(r, c) != noObject) continue;
                // Dense in the middle of the wood, thin at its rim.
                const int chance = 80 - 60 * d2 / (radius * radius);
                if (static_cast<int>(rng.below(100)) < chance) maps.object(r, c) = treeLetter;
            }
        }
    }
}

// No neighbour, diagonals included, stands higher than the cell.
bool hillTop(const WorldMaps& maps, int row, int col)
{
    for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc)
            if (inGrid(maps, row + dr, col + dc) &&
                maps.level(row + dr, col + dc) > maps.level(row, col))
                return false;
    return true;
}

// The start: the free hill top of level 6 to 8 nearest the middle (the player starts five
// units above it, below the ceiling of 50); failing that the highest free cell below snow.
void placeStart(WorldMaps& maps)
{
    long long bestKey = -1;
    size_t best = 0;
    for (int pass = 0; pass < 2 && bestKey < 0; ++pass) {
        for (int row = 0; row < maps.rows; ++row) {
            for (int col = 0; col < maps.cols; ++col) {
                const char level = maps.level(row, col);
                if (maps.object(row, col) != noObject || level < '1' || level > '8') continue;
                if (pass == 0 && (level < '6' || !hillTop(maps, row, col))) continue;
                // Smaller is better: distance first, then (second pass) height.
                long long key = middleDistance2(maps, row, col);
                if (pass == 1) key += static_cast<long long>('8' - level) << 40;
                if (bestKey < 0 || key < bestKey) {
                    bestKey = key;
                    best = maps.index(row, col);
                }
            }
        }
    }
    if (bestKey >= 0) maps.objects[best] = startLetter;
}

} // namespace

long long requiredPeoplePlaces(int rows, int cols)
{
    return std::max(5LL, static_cast<long long>(rows) * cols / 100);
}

uint64_t Rng::next()
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int64_t Rng::around(int64_t amplitude)
{
    return static_cast<int64_t>(below(static_cast<uint64_t>(2 * amplitude + 1))) - amplitude;
}

std::vector<int64_t> fractalNoise(int rows, int cols, Rng& rng)
{
    // Diamond-square over a lattice of independent values `featureSpan` points apart, so
    // a big map holds many hills of the same size rather than a few huge ones. The points
    // cover the map and a little more; the map is their top-left corner.
    const int span = std::min(featureSpan, lowestPowerOfTwoAtLeast(std::max(rows, cols) - 1));
    const int height = (rows - 1 + span - 1) / span * span;
    const int width = (cols - 1 + span - 1) / span * span;
    const size_t stride = static_cast<size_t>(width) + 1;
    std::vector<int64_t> h((static_cast<size_t>(height) + 1) * stride, 0);
    auto at = [&](int y, int x) -> int64_t& { return h[static_cast<size_t>(y) * stride + x]; };

    int64_t amplitude = firstAmplitude;
    for (int y = 0; y <= height; y += span)
        for (int x = 0; x <= width; x += span) at(y, x) = rng.around(amplitude);
    for (int step = span; step > 1; step /= 2) {
        amplitude = amplitude * 9 / 16;
        const int half = step / 2;
        for (int y = 0; y < height; y += step)
            for (int x = 0; x < width; x += step)
                at(y + half, x + half) =
                    (at(y, x) + at(y, x + step) + at(y + step, x) + at(y + step, x + step)) / 4 +
                    rng.around(amplitude);
        for (int y = 0; y <= height; y += half) {
            for (int x = (y / half) % 2 == 0 ? half : 0; x <= width; x += step) {
                int64_t sum = 0;
                int count = 0;
                if (y >= half) sum += at(y - half, x), ++count;
                if (y + half <= height) sum += at(y + half, x), ++count;
                if (x >= half) sum += at(y, x - half), ++count;
                if (x + half <= width) sum += at(y, x + half), ++count;
                at(y, x) = sum / count + rng.around(amplitude);
            }
        }
    }

    std::vector<int64_t> noise(static_cast<size_t>(rows) * cols);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col)
            noise[static_cast<size_t>(row) * cols + col] = at(row, col);
    return noise;
}

std::string levelsByRank(const std::vector<int64_t>& noise)
{
    const size_t count = noise.size();
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return noise[a] != noise[b] ? noise[a] < noise[b] : a < b;
    });
    std::string levels(count, '0');
    size_t rank = 0;
    for (int level = 0; level < 10; ++level) {
        const size_t end = count * static_cast<size_t>(cumulativeShare[level]) / 1000;
        for (; rank < end; ++rank) levels[order[rank]] = static_cast<char>('0' + level);
    }
    return levels;
}

WorldMaps generateWorld(int rows, int cols, uint64_t seed, double peopleAway)
{
    WorldMaps maps;
    maps.rows = rows;
    maps.cols = cols;
    // One stream per step, so that the heights do not depend on how the objects use theirs.
    Rng noiseRng(seed ^ 0x6E6F697365000000ULL);
    Rng villageRng(seed ^ 0x76696C6C61676500ULL);
    Rng woodRng(seed ^ 0x776F6F6473000000ULL);
    maps.terrain = levelsByRank(fractalNoise(rows, cols, noiseRng));
    maps.objects.assign(maps.terrain.size(), noObject);

    if (peopleAway > 0) {
        for (int row = 0; row < rows; ++row) {
            for (int col = 0; col < cols; ++col) {
                // Cell centres relative to the middle point (5 rows, 5 cols), in units.
                const double dx = 10.0 * row + 5 - 5.0 * rows, dy = 10.0 * col + 5 - 5.0 * cols;
                if (maps.level(row, col) == '1' && dx * dx + dy * dy < peopleAway * peopleAway)
                    maps.level(row, col) = '2';
            }
        }
    }
    placeVillages(maps, villageRng);
    placeWoods(maps, woodRng);
    placeStart(maps);
    return maps;
}

bool embedWorld(const WorldMaps& inner, WorldMaps& outer, double margin, std::string& error)
{
    if (inner.rows > outer.rows || inner.cols > outer.cols) {
        error = "the embedded world (" + std::to_string(inner.rows) + " x " +
                std::to_string(inner.cols) + ") is larger than the world (" +
                std::to_string(outer.rows) + " x " + std::to_string(outer.cols) + ")";
        return false;
    }
    const int top = (outer.rows - inner.rows) / 2, left = (outer.cols - inner.cols) / 2;
    std::replace(outer.objects.begin(), outer.objects.end(), startLetter, noObject);
    for (int row = 0; row < inner.rows; ++row) {
        for (int col = 0; col < inner.cols; ++col) {
            outer.level(top + row, left + col) = inner.level(row, col);
            outer.object(top + row, left + col) = inner.object(row, col);
        }
    }
    // Cells within the margin lie at most margin / 10 rows or columns off the block.
    const int reach = static_cast<int>(margin / 10.0);
    const int bottom = top + inner.rows - 1, right = left + inner.cols - 1;
    for (int row = std::max(0, top - reach); row <= std::min(outer.rows - 1, bottom + reach);
         ++row) {
        for (int col = std::max(0, left - reach); col <= std::min(outer.cols - 1, right + reach);
             ++col) {
            const int dr = std::max({0, top - row, row - bottom});
            const int dc = std::max({0, left - col, col - right});
            if (dr == 0 && dc == 0) continue; // inside the block
            const double d2 = 100.0 * (dr * dr + dc * dc);
            if (d2 <= margin * margin && outer.level(row, col) == '1') outer.level(row, col) = '2';
        }
    }
    return true;
}

long long countPeoplePlaces(const WorldMaps& maps)
{
    long long count = 0;
    for (size_t i = 0; i < maps.terrain.size(); ++i)
        count += canHoldPerson(levelHeight(digitLevel(maps.terrain[i])),
                               objectKindOf(maps.objects[i]) >= 0);
    return count;
}

} // namespace worldgen
