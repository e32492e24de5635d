// Fuzz target: the world checker on a whole world from one input (splitWorld), held in memory:
// the check, the printed report and the picture drawn into memory. Checks that the report is
// whole and its status follows its counts, that every finding names a place, and that the
// checker sees the world cell for cell as the game's own load builds it.
#include "fuzz/fuzz_support.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/object_kinds.h"
#include "models/person.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "terrain/world.h"
#include "terrain/world_source.h"
#include "tools/checker/checker.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Everything written to a stream in memory, kept until the next write or the end.
class MemoryOutput {
  public:
    MemoryOutput() : stream(open_memstream(&buffer, &size))
    {
        if (!stream) fuzzCheckFailed("open_memstream", __FILE__, __LINE__);
    }
    ~MemoryOutput()
    {
        std::fclose(stream);
        std::free(buffer);
    }
    MemoryOutput(const MemoryOutput&) = delete;
    MemoryOutput& operator=(const MemoryOutput&) = delete;
    std::FILE* get() const { return stream; }
    std::string text()
    {
        std::fflush(stream);
        return std::string(buffer, size);
    }

  private:
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* stream;
};

void checkReport(const checker::WorldReport& report)
{
    MemoryOutput out;
    checker::printReport(out.get(), ".", report, true);
    const std::string printed = out.text();
    // The last line is the summary, whatever came before it.
    FUZZ_CHECK(!printed.empty() && printed.back() == '\n');
    const size_t last = printed.rfind('\n', printed.size() - 2);
    FUZZ_CHECK(printed.compare(last == std::string::npos ? 0 : last + 1, 10, "checked .:") == 0);
    const long long problems =
        report.count(checker::Severity::Error) + report.count(checker::Severity::Warning);
    FUZZ_CHECK(checker::exitStatus(report) == (problems > 0 ? 1 : 0));
    long long listed = 0;
    for (const checker::KindTotal& total : report.totals)
        listed += std::min(total.total, checker::listedPerKind);
    FUZZ_CHECK(listed == static_cast<long long>(report.findings.size()));
    for (const checker::Finding& finding : report.findings) {
        FUZZ_CHECK(!finding.message.empty());
        FUZZ_CHECK(finding.line >= 0 && (finding.line == 0) == (finding.column == 0));
        FUZZ_CHECK(finding.column >= 0);
    }
}

// The game's own load of the same files: the same size, start, places for people and the same
// level and object on every cell.
void checkAgainstTheGame(const checker::LoadedWorld& world, MemoryWorld& files)
{
    std::srand(1);
    MeshStore meshes;
    WorldLoad load(files, meshes, quietLog());
    load.clock = frozenClock;
    const std::unique_ptr<TerrainGrid> grid(buildWorld(load));
    FUZZ_CHECK((grid != nullptr) == world.loaded);
    if (!grid) return;
    FUZZ_CHECK(grid->rows == world.rows && grid->cols == world.cols);
    FUZZ_CHECK(grid->startX == world.start.x && grid->startY == world.start.y &&
               grid->startZ == world.start.z);
    FUZZ_CHECK(countPeoplePlaces(*grid) == world.peoplePlaces);
    for (int row = 0; row < grid->rows; ++row) {
        for (int col = 0; col < grid->cols; ++col) {
            const TerrainCell& cell = *grid->cellAt(row, col);
            FUZZ_CHECK(cell.vertices[SlotCentre].position[2] == world.level(row, col) * 5.0f);
            const int kind = world.object(row, col);
            FUZZ_CHECK((cell.model != nullptr) == (kind >= 0));
            if (kind >= 0) FUZZ_CHECK(cell.model->passable == (objectKinds[kind].solid ? 0 : 1));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryWorld files;
    splitWorld(data, size, files);

    // The checker keeps a byte a cell and takes any map the game takes; the game's own load to
    // compare with, and the picture, only of small ones (the picture of a strip of a million
    // cells is a million pixels wide).
    int rows = 0, cols = 0;
    std::FILE* terrain = files.open(WorldFile::Terrain);
    measureTerrain(terrain, quietLog(), rows, cols);
    if (terrain) std::fclose(terrain);
    const long long cells = static_cast<long long>(rows) * cols;

    const checker::WorldReport report = checker::checkWorld(files);
    checkReport(report);
    if (cells > fuzzCellCap && terrainFits(rows, cols)) return 0;
    checkAgainstTheGame(report.world, files);

    // A map of 256 pixels a side: the same drawing as the command's, symbols on cells of up to
    // 32 a side, solid colours on smaller ones, in a thirtieth of the pixels.
    MemoryOutput picture;
    std::string error;
    const bool drawn = checker::writePicture(report, picture.get(), 256, error);
    FUZZ_CHECK(drawn == report.world.loaded);
    if (drawn) FUZZ_CHECK(picture.text().compare(1, 3, "PNG") == 0);
    return 0;
}
