// The generator's command line: parsing the arguments, the usage text, and the whole run.
#include "models/object_kinds.h"
#include "terrain/terrain_file.h"
#include "tools/checker/checker.h"
#include "tools/common/cli.h"
#include "tools/worldgen/worldgen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace worldgen {

namespace {

// Largest side: a square world of this side is the largest the game loads.
const int maxSide = 2048;

// An embedded world keeps digit 1 this far from its block, so the people are never
// placed where the player in the block's middle could see them.
const double embedMargin = 110.0;

bool parseCount(const std::string& text, uint64_t limit, uint64_t& value)
{
    if (text.empty() || text.size() > 20) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

bool parseSide(const std::string& text, const char* name, int& side, std::string& error)
{
    uint64_t value;
    if (!parseCount(text, static_cast<uint64_t>(maxSide), value) || value < minSide) {
        error = std::string(name) + " must be a whole number from " + std::to_string(minSide) +
                " to " + std::to_string(maxSide) + ", not '" + text + "'";
        return false;
    }
    side = static_cast<int>(value);
    return true;
}

const char* const program = "vantora-worldgen";

enum LongOnly {
    AssetsOption = cli::versionOption + 1,
    EmbedOption,
    PeopleAwayOption,
    ForceOption,
    PictureOption
};

const option longOptions[] = {
    {"assets", required_argument, nullptr, AssetsOption},
    {"embed", required_argument, nullptr, EmbedOption},
    {"people-away", required_argument, nullptr, PeopleAwayOption},
    {"force", no_argument, nullptr, ForceOption},
    {"picture", required_argument, nullptr, PictureOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, cli::versionOption},
    {nullptr, 0, nullptr, 0},
};

} // namespace

std::string usageText()
{
    return "Usage: vantora-worldgen ROWS COLS SEED OUTDIR [OPTION...]\n"
           "Writes a new world into OUTDIR (created if needed): terrain.txt and objects.txt\n"
           "of ROWS x COLS cells (each side " +
           std::to_string(minSide) + " to " + std::to_string(maxSide) +
           "), and the models and textures the\n"
           "game needs. The same arguments always give the same bytes; SEED is a whole\n"
           "number from 0 to 18446744073709551615. A folder that already holds one of the\n"
           "world's ten files is left as it is unless --force is given. Exit status: 0 when\n"
           "the world is written, 1 when it is not, 2 for bad arguments.\n"
           "\n"
           "      --assets DIR      take the models and textures from DIR; by default from\n"
           "                        the world installed with the game, found from this\n"
           "                        program's folder (in a build tree, the copy of world/\n"
           "                        beside it)\n"
           "      --embed DIR       put the world in DIR (its terrain.txt and objects.txt)\n"
           "                        in the middle of the new one, at row and column offset\n"
           "                        ((ROWS - rows) / 2, (COLS - cols) / 2); every X outside\n"
           "                        it is removed and no digit 1 is left within 110 units\n"
           "                        of it\n"
           "      --people-away U   no cell of digit 1 closer than U units to the middle\n"
           "                        point (ROWS * 5, COLS * 5), so no person is placed there\n"
           "      --force           overwrite the world's files already in OUTDIR\n"
           "      --picture FILE.png\n"
           "                        also draw the new world as the game loads it, seen\n"
           "                        from above, into FILE.png (as vantora-check does)\n" +
           cli::helpAndVersionLines(24);
}

bool parseOptions(int argc, char** argv, Options& options, std::string& error)
{
    std::vector<std::string> positional;
    cli::startOptions();
    for (int code; (code = cli::nextOption(argc, argv, "h", longOptions)) != -1;) {
        const std::string value = optarg ? optarg : "";
        switch (code) {
        case cli::operand: positional.push_back(value); break;
        case 'h': options.help = true; return true;
        case cli::versionOption: options.version = true; return true;
        case ForceOption: options.force = true; break;
        case PeopleAwayOption: {
            char* end = nullptr;
            const double units = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !std::isfinite(units) || units < 0) {
                error = "--people-away needs a number of units, not '" + value + "'";
                return false;
            }
            options.peopleAway = units;
            break;
        }
        case AssetsOption: options.assetsDir = value; break;
        case EmbedOption: options.embedDir = value; break;
        case PictureOption: options.picture = value; break;
        default: error = cli::optionError(code, argv, longOptions); return false;
        }
    }
    for (int i = optind; i < argc; ++i) positional.push_back(argv[i]); // those after "--"
    if (positional.size() != 4) {
        error = "expected ROWS COLS SEED OUTDIR, got " + std::to_string(positional.size()) +
                " argument" + (positional.size() == 1 ? "" : "s");
        return false;
    }
    if (!parseSide(positional[0], "ROWS", options.rows, error)) return false;
    if (!parseSide(positional[1], "COLS", options.cols, error)) return false;
    if (!parseCount(positional[2], UINT64_MAX, options.seed)) {
        error = "SEED must be a whole number from 0 to 18446744073709551615, not '" +
                positional[2] + "'";
        return false;
    }
    static_assert(static_cast<long long>(maxSide) * maxSide <= maxTerrainCells,
                  "every world written must be one the game loads");
    options.outDir = positional[3];
    return true;
}

int runWorldgen(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) return cli::badArgument(err, program, error);
    if (options.help) {
        std::fputs(usageText().c_str(), out);
        return 0;
    }
    if (options.version) {
        cli::printVersion(out, program);
        return 0;
    }
    // Before the work of generating: a world in OUTDIR is refused at once.
    if (!mayWriteWorld(options.outDir, options.force, error)) {
        std::fprintf(err, "%s: %s\n", program, error.c_str());
        return 1;
    }
    WorldMaps maps = generateWorld(options.rows, options.cols, options.seed, options.peopleAway);
    if (!options.embedDir.empty()) {
        WorldMaps inner;
        if (!readWorld(options.embedDir, inner, error) ||
            !embedWorld(inner, maps, embedMargin, error)) {
            std::fprintf(err, "%s: %s\n", program, error.c_str());
            return 1;
        }
    }
    const long long places = countPeoplePlaces(maps);
    const long long needed = requiredPeoplePlaces(maps.rows, maps.cols);
    if (places < needed) {
        std::fprintf(err,
                     "%s: only %lld free cells of digit 1 for the people, %lld needed; use a "
                     "smaller --people-away or a larger world\n",
                     program, places, needed);
        return 1;
    }
    const std::string assets = options.assetsDir.empty() ? defaultAssetsDir() : options.assetsDir;
    if (!writeWorld(options.outDir, maps, assets, error, options.force)) {
        std::fprintf(err, "%s: %s\n", program, error.c_str());
        return 1;
    }
    std::fprintf(out, "%d x %d cells, seed %llu: %lld places for people, ", maps.rows, maps.cols,
                 static_cast<unsigned long long>(options.seed), places);
    // The last start read wins in the game, and an embedded map may mark it in lower case.
    const char starts[] = {startLetter, static_cast<char>(startLetter + ('a' - 'A')), '\0'};
    const size_t start = maps.objects.find_last_of(starts);
    if (start == std::string::npos) {
        std::fputs("no start cell", out);
    } else {
        // Named as the checker names places: the file, its line and column from 1.
        const unsigned long long cols = static_cast<unsigned long long>(maps.cols);
        std::fprintf(out, "start at %s:%llu:%llu", worldFileName(WorldFile::Objects),
                     start / cols + 1, start % cols + 1);
    }
    std::fprintf(out, "; written to %s\n", options.outDir.c_str());
    std::fflush(out);
    // The picture of what was written, loaded from the folder by the game's own code.
    if (!options.picture.empty() &&
        !checker::writePicture(checker::checkWorld(options.outDir), options.picture, error)) {
        std::fprintf(err, "%s: %s: %s\n", program, options.picture.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

} // namespace worldgen
