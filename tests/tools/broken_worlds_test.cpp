// Random broken worlds drawn from a seed, and the checker's report, exit status and picture of
// each compared with those recorded in tests/tools/broken_worlds.txt: a guard that a change of
// the checker's inner workings leaves every line it prints and every picture it draws as it was.
//   VANTORA_BROKEN_WORLDS=N          check the first N worlds (default 40)
//   VANTORA_BROKEN_WORLDS_RECORD=F   write what this build prints to F instead of comparing
//   VANTORA_BROKEN_WORLDS_FILE=F     compare with F instead of the committed record
#include "tests/support/test_support.h"
#include "tools/checker/checker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const textFiles[] = {"terrain.txt", "objects.txt", "cube.txt",
                                 "pyramid.txt", "tree.txt",    "person.txt"};
const char* const textureFiles[] = {"water256_2.raw", "dirt.raw", "grass.raw", "snow.raw"};

// Draws from the generator itself: std's distributions differ between standard libraries.
struct Draw {
    std::mt19937 rng;
    explicit Draw(unsigned seed) : rng(seed) {}
    unsigned below(unsigned n) { return static_cast<unsigned>(rng() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }
    char from(const std::string& alphabet) { return alphabet[below(alphabet.size())]; }
};

// Lines of bytes from `alphabet`, most as wide as the first, some shorter or longer, ended by
// LF, CR LF or (rarely) a lone CR; the last line ends with one now and then.
std::string randomMap(Draw& d, const std::string& alphabet, int lines, int width)
{
    std::string text;
    for (int line = 0; line < lines; ++line) {
        int n = width;
        if (line > 0 && d.chance(30)) n = static_cast<int>(d.below(width + 4));
        if (line > 0 && d.chance(3)) n = width * 2 + static_cast<int>(d.below(3));
        for (int i = 0; i < n; ++i) text += d.from(alphabet);
        if (line + 1 < lines || d.chance(30))
            text += d.chance(15) ? "\r\n" : d.chance(3) ? "\r" : "\n";
    }
    return text;
}

// A model that mostly keeps the format, with odd numbers, junk, lines joined and split.
std::string randomModel(Draw& d)
{
    const char* const odd[] = {"x",  "4.5", "+3",   "-",      ".",   "1e",   "nan",   "inf",
                               "-2", "0",   "1e40", "0x1p-3", "300", "-0.5", "2e-45", "3.7"};
    auto number = [&](const std::string& usual) {
        return d.chance(3) ? std::string(odd[d.below(16)]) : usual;
    };
    auto space = [&]() { return d.chance(8) ? std::string(d.chance(50) ? "\n" : "  ") : " "; };
    const int faces = static_cast<int>(d.below(6));
    std::string text = number(std::to_string(faces)) + (d.chance(10) ? " " : "\n");
    const int written = faces + static_cast<int>(d.below(3)) - 1;
    for (int f = 0; f < written; ++f) {
        const int corners =
            d.chance(3) ? 130 + static_cast<int>(d.below(3)) : static_cast<int>(d.below(7));
        text += number("0.5") + space() + number(d.chance(10) ? "2" : "1") + space() +
                number("0.25") + "\n" + number(std::to_string(corners)) + "\n";
        const int present = d.chance(10) ? static_cast<int>(d.below(corners + 1)) : corners;
        for (int v = 0; v < present; ++v)
            text += number(std::to_string(d.below(4))) + space() +
                    number(std::to_string(d.below(3))) + space() +
                    number(d.chance(20) ? "0" : "1") + (d.chance(10) ? " " : "\n");
    }
    if (d.chance(10)) text += "trailing words\n";
    if (d.chance(5)) text += "0.5 0.5";
    return text;
}

// The texture bytes: some short, long, square of another size or with a PPM header.
std::string randomTexture(Draw& d, const std::string& bundled)
{
    switch (d.below(5)) {
    case 0: return bundled.substr(0, d.below(static_cast<unsigned>(bundled.size())));
    case 1: return bundled + std::string(d.chance(50) ? 30 : 3000, '\x20');
    case 2: return std::string(128 * 128 * 3, '\x40');
    case 3: return "P6\n64 64\n255\n" + bundled;
    default: return "";
    }
}

// One world folder for a seed: the bundled world with some files replaced or removed.
void writeBrokenWorld(unsigned seed, const ScratchFolder& folder)
{
    Draw d(seed);
    for (const char* file : textFiles)
        folder.write(file, readFile(sourcePath(std::string("world/") + file)));
    for (const char* file : textureFiles)
        folder.write(file, readFile(sourcePath(std::string("world/") + file)));

    const bool big = d.chance(5);
    const int rows = 1 + static_cast<int>(d.below(big ? 150 : 24));
    const int cols = static_cast<int>(d.below(big ? 160 : 26)) + (d.chance(95) ? 1 : 0);
    const std::string digits = d.chance(50) ? "0111111223456789" : "0111234567891 a.\t\r\xC3\xFF";
    std::string terrain = randomMap(d, digits, rows, cols);
    if (d.chance(4)) terrain.clear();
    if (d.chance(4)) terrain = "\n" + terrain;
    folder.write("terrain.txt", terrain);

    const int objectRows = std::max(1, rows + static_cast<int>(d.below(5)) - 2);
    const std::string letters = d.chance(60) ? "........ACTX" : "....ACTXactxPb?1\r ";
    std::string objects = randomMap(d, letters, objectRows, cols);
    if (d.chance(8)) {
        // A few start cells, which the last one read wins.
        for (int k = 0; k < 7 && !objects.empty(); ++k)
            objects[d.below(static_cast<unsigned>(objects.size()))] = 'X';
    }
    folder.write("objects.txt", objects);

    for (int m = 2; m < 6; ++m)
        if (d.chance(30)) folder.write(textFiles[m], randomModel(d));
    for (const char* file : textureFiles)
        if (d.chance(12)) folder.write(file, randomTexture(d, readFile(folder / file)));

    // Files that are not there at all.
    const unsigned missing = d.below(100);
    if (missing < 4) fs::remove(folder / "terrain.txt");
    if (missing >= 4 && missing < 12) fs::remove(folder / "objects.txt");
    for (int m = 2; m < 6; ++m)
        if (d.chance(4)) fs::remove(folder / textFiles[m]);
    for (const char* file : textureFiles)
        if (d.chance(3)) fs::remove(folder / file);
}

// FNV-1a over the bytes: a short stand-in for a whole picture in the record.
uint64_t fingerprint(const std::string& bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

// What the checker makes of the world of one seed: the report as `vantora-check .` prints it
// in the folder (every finding for odd seeds), its exit status and its picture.
std::string checkedWorld(unsigned seed)
{
    const ScratchFolder folder;
    writeBrokenWorld(seed, folder);
    const checker::WorldReport report = checker::checkWorld(folder.path());
    std::FILE* out = std::tmpfile();
    checker::printReport(out, ".", report, seed % 2 == 1);
    const std::string printed = readStream(out);
    std::string picture, error;
    if (checker::writePicture(report, folder / "world.png", error)) {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx",
                      static_cast<unsigned long long>(fingerprint(readFile(folder / "world.png"))));
        picture = hex;
    } else {
        picture = "none (" + error + ")";
    }
    return "=== world " + std::to_string(seed) + ": status " +
           std::to_string(checker::exitStatus(report)) + ", picture " + picture + "\n" + printed;
}

unsigned worldCount()
{
    const char* count = std::getenv("VANTORA_BROKEN_WORLDS");
    return count ? static_cast<unsigned>(std::strtoul(count, nullptr, 10)) : 40;
}

// The record split into its worlds, each from its "=== world" line on.
std::vector<std::string> recordedWorlds(const std::string& text)
{
    std::vector<std::string> worlds;
    for (size_t at = 0; at < text.size();) {
        size_t next = text.find("\n=== world ", at);
        next = next == std::string::npos ? text.size() : next + 1;
        worlds.push_back(text.substr(at, next - at));
        at = next;
    }
    return worlds;
}

} // namespace

TEST(BrokenWorlds, ReportsAndPicturesAreAsRecorded)
{
    const unsigned count = worldCount();
    if (const char* record = std::getenv("VANTORA_BROKEN_WORLDS_RECORD")) {
        std::ofstream out(record, std::ios::binary);
        for (unsigned seed = 1; seed <= count; ++seed) out << checkedWorld(seed);
        ASSERT_TRUE(out.good()) << record;
        GTEST_SKIP() << "recorded " << count << " worlds in " << record;
    }
    const char* file = std::getenv("VANTORA_BROKEN_WORLDS_FILE");
    const std::vector<std::string> recorded =
        recordedWorlds(readFile(file ? file : sourcePath("tests/tools/broken_worlds.txt")));
    ASSERT_GE(recorded.size(), count) << "the record holds fewer worlds than asked for";
    for (unsigned seed = 1; seed <= count; ++seed)
        EXPECT_EQ(recorded[seed - 1], checkedWorld(seed)) << "world " << seed;
}
