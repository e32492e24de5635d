// Google benchmarks of the game on generated worlds of 30 x 30, 300 x 300 and 1000 x 1000
// cells that share the neighbourhood around the player, and on the bundled world: the
// whole load, one terrain pass per drawing mode, one display frame, frames of two worlds in
// turn, the collision test, stitching and normals per cell. Run under Xvfb (bench/run.sh).
// Whatever draws is timed by the wall clock and by the whole process's CPU time, which
// includes the rasteriser's threads.
#include "app/display.h"
#include "app/game_state.h"
#include "bench/bench_worlds.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "player/collision.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "terrain/world.h"
#include "terrain/world_source.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <ostream>

using bench::BenchWorld;
using bench::DrawMode;

namespace {

// The whole load, textures included, as start-up runs it; cells per second. Between loads
// the world, its meshes and three of its four texture names are freed (the load forgets the
// snow texture's name: 12 KiB stay behind per load).
void loadWorldBench(benchmark::State& state, const BenchWorld* world)
{
    FolderWorld files(world->dir);
    for (auto _ : state) {
        MeshStore meshes;
        WorldLoad load(files, meshes, quietLog());
        TerrainGrid* grid = loadWorld(load);
        state.PauseTiming();
        if (!grid) {
            state.SkipWithError("the world did not load");
            break;
        }
        const GLuint names[3] = {load.textures.water, load.textures.grass, load.textures.dirt};
        glDeleteTextures(3, names);
        delete grid;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(world->rows) * world->cols);
}

TerrainDrawParams passParams(DrawMode mode)
{
    TerrainDrawParams params{};
    params.primitive = mode == DrawMode::Filled ? GL_TRIANGLES : GL_POLYGON;
    params.outline = mode == DrawMode::HiddenLine;
    params.showNormals = game.showNormals != 0;
    params.lighting = game.lighting != 0;
    params.playerX = game.playerX;
    params.playerY = game.playerY;
    return params;
}

// One drawGrid pass with the GL state the display gives it (camera, polygon mode, for the
// hidden-line pass the offset and black), after a clear and up to glFinish.
void drawGridBench(benchmark::State& state, const BenchWorld* world, DrawMode mode)
{
    bench::standInMiddle(*world);
    bench::setMode(mode == DrawMode::Filled ? DrawMode::Filled : DrawMode::HiddenLine);
    display(); // leaves the camera's projection and model-view matrices in place
    glFinish();
    const TerrainDrawParams params = passParams(mode);
    glPolygonMode(GL_FRONT_AND_BACK, mode == DrawMode::Wire ? GL_LINE : GL_FILL);
    if (mode == DrawMode::HiddenLine) {
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1.0f, 1.0f);
    }
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const float grey = mode == DrawMode::HiddenLine ? 0.0f : 1.0f;
        glColor3f(grey, grey, grey);
        world->grid->drawGrid(params);
        glFinish();
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
}

// One whole display frame (both terrain passes where the mode has two, the HUD and the
// buffer swap) up to glFinish, with the player in the middle of the map.
void frameBench(benchmark::State& state, const BenchWorld* world, DrawMode mode)
{
    bench::standInMiddle(*world);
    bench::setMode(mode);
    display();
    glFinish();
    for (auto _ : state) {
        display();
        glFinish();
    }
    state.SetItemsProcessed(state.iterations());
}

// Frames on the 30 x 30 world and on a big one in turn, the order swapped at every
// iteration, so that both meet the same load on a shared machine: the steadiest comparison
// of the two, which the library cannot make (it times one thing per run). The library times
// the pair; each world's frames are timed here too, by the wall clock and by the process's
// CPU time, and reported per iteration as counters, whose medians over the repetitions the
// library gives as it does for its own times.
void framePairBench(benchmark::State& state, const BenchWorld* small, const BenchWorld* big,
                    DrawMode mode)
{
    bench::setMode(mode);
    for (const BenchWorld* world : {small, big}) {
        bench::standInMiddle(*world);
        display();
        glFinish();
    }
    double wall[2] = {0, 0}, cpu[2] = {0, 0}; // seconds; [0] small, [1] big
    bool bigFirst = false;
    for (auto _ : state) {
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (turn == 0) == bigFirst ? 1 : 0;
            bench::standInMiddle(which ? *big : *small);
            const auto wallStart = std::chrono::steady_clock::now();
            const std::clock_t cpuStart = std::clock(); // the whole process's CPU time
            display();
            glFinish();
            cpu[which] += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
            wall[which] +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        }
        bigFirst = !bigFirst;
    }
    using benchmark::Counter;
    state.counters["small_us"] = Counter(wall[0] * 1e6, Counter::kAvgIterations);
    state.counters["big_us"] = Counter(wall[1] * 1e6, Counter::kAvgIterations);
    state.counters["small_cpu_us"] = Counter(cpu[0] * 1e6, Counter::kAvgIterations);
    state.counters["big_cpu_us"] = Counter(cpu[1] * 1e6, Counter::kAvgIterations);
}

// Points spread over the whole world at heights 0 to 50, none under a solid object (that
// test prints a line per call, which would measure the terminal).
std::vector<float> collisionPoints(const BenchWorld& world)
{
    std::vector<float> points;
    uint64_t state = 12345;
    auto next = [&state](float range) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<float>((state >> 40) % 1000000) * 1e-6f * range;
    };
    while (points.size() < 3 * 4096) {
        const float x = next(world.rows * 10.0f), y = next(world.cols * 10.0f), z = next(50.0f);
        const TerrainCell* cell =
            world.grid->cellAt(static_cast<int>(x * 0.1f), static_cast<int>(y * 0.1f));
        if (!cell) continue;
        if (cell->model && cell->model->passable == 0 &&
            z <= cell->vertices[SlotCentre].position[2])
            continue;
        points.insert(points.end(), {x, y, z});
    }
    return points;
}

void isBlockedBench(benchmark::State& state, const BenchWorld* world)
{
    const std::vector<float> points = collisionPoints(*world);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            isBlocked(*world->grid, points[i], points[i + 1], points[i + 2], quietLog()));
        i = (i + 3) % points.size();
    }
    state.SetItemsProcessed(state.iterations());
}

// A GL-free grid with the world's heights, built once per size for the per-cell
// benchmarks (re-stitching a loaded world would undo the flattening of its object cells).
TerrainGrid* heightGrid(const BenchWorld& world)
{
    static std::map<std::string, std::unique_ptr<TerrainGrid>> grids;
    std::unique_ptr<TerrainGrid>& grid = grids[world.name];
    if (!grid) {
        grid = std::make_unique<TerrainGrid>(world.rows, world.cols, BandTextures{1, 2, 3, 4});
        FolderWorld files(world.dir);
        StreamCloser terrain(files.open(WorldFile::Terrain));
        readHeights(terrain.get(), quietLog(), *grid);
        for (int row = 0; row < world.rows; ++row)
            for (int col = 0; col < world.cols; ++col) grid->stitchCell(row, col);
        grid->computeNormals(quietLog());
    }
    return grid.get();
}

// Runs `perCell` on the cells in reading order, round and round; one cell per iteration.
template <typename F> void perCellBench(benchmark::State& state, const BenchWorld* world, F f)
{
    TerrainGrid* grid = heightGrid(*world);
    int row = 0, col = 0;
    for (auto _ : state) {
        f(*grid, row, col);
        if (++col == grid->cols) {
            col = 0;
            if (++row == grid->rows) row = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void stitchBench(benchmark::State& state, const BenchWorld* world)
{
    perCellBench(state, world, [](TerrainGrid& grid, int row, int col) {
        benchmark::DoNotOptimize(grid.stitchCell(row, col));
    });
}

void faceNormalsBench(benchmark::State& state, const BenchWorld* world)
{
    perCellBench(state, world, [](TerrainGrid& grid, int row, int col) {
        grid.cells[row][col]->computeFaceNormals();
        benchmark::ClobberMemory();
    });
}

void vertexNormalsBench(benchmark::State& state, const BenchWorld* world)
{
    perCellBench(state, world, [](TerrainGrid& grid, int row, int col) {
        grid.cells[row][col]->computeVertexNormals(quietLog());
        benchmark::ClobberMemory();
    });
}

// The console output (medians only when there are repetitions), then a summary of the frame
// figures: the pairs, then each world's own frame and terrain pass, the 300 x 300 and
// 1000 x 1000 worlds against the 30 x 30 one.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    SummaryReporter() : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With repetitions the console shows the medians only (the JSON file has them all).
        std::vector<Run> shown;
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            shown.push_back(run);
            if (run.error_occurred) continue;
            Figures& f = figures[run.run_name.function_name];
            f.wall = run.GetAdjustedRealTime();
            f.cpu = run.GetAdjustedCPUTime();
            for (const auto& counter : run.counters)
                f.counters[counter.first] = counter.second.value;
        }
        if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
    }

    void Finalize() override
    {
        std::ostream& out = GetOutputStream();
        char text[160];
        out << "\nFrame pairs (frames of two worlds in turn): frame in microseconds, wall clock / "
               "process CPU\n";
        for (DrawMode mode : bench::allModes) {
            for (const char* size : {"300x300", "1000x1000"}) {
                const std::string name =
                    std::string("FramePair/") + bench::modeName(mode) + "/" + size;
                const auto found = figures.find(name);
                if (found == figures.end()) continue;
                std::map<std::string, double>& v = found->second.counters;
                std::snprintf(text, sizeof text,
                              "%-31s 30x30 %5.0f / %5.0f  %-9s %5.0f / %5.0f  change %+5.1f %% "
                              "/ %+5.1f %%\n",
                              name.c_str(), v["small_us"], v["small_cpu_us"], size, v["big_us"],
                              v["big_cpu_us"], change(v["big_us"], v["small_us"]),
                              change(v["big_cpu_us"], v["small_cpu_us"]));
                out << text;
            }
        }
        out << "\nEach world on its own: frame or pass in microseconds, wall clock / process CPU, "
               "and the change against 30x30\n";
        for (const char* kind : {"Frame", "DrawGrid"}) {
            for (DrawMode mode : bench::allModes) {
                const std::string stem = std::string(kind) + "/" + bench::modeName(mode) + "/";
                const auto small = figures.find(stem + "30x30");
                if (small == figures.end()) continue;
                const Figures& s = small->second;
                std::snprintf(text, sizeof text, "%-22s 30x30 %5.0f / %5.0f", stem.c_str(), s.wall,
                              s.cpu);
                out << text;
                for (const char* size : {"300x300", "1000x1000", "bundled"}) {
                    const auto other = figures.find(stem + size);
                    if (other == figures.end()) continue;
                    const Figures& o = other->second;
                    if (std::string(size) == "bundled") {
                        std::snprintf(text, sizeof text, " | bundled %5.0f / %5.0f", o.wall, o.cpu);
                    } else {
                        std::snprintf(text, sizeof text,
                                      " | %s %5.0f / %5.0f (%+.1f %% / %+.1f %%)", size, o.wall,
                                      o.cpu, change(o.wall, s.wall), change(o.cpu, s.cpu));
                    }
                    out << text;
                }
                out << "\n";
            }
        }
        ConsoleReporter::Finalize();
    }

  private:
    // Per iteration: the times in the benchmark's unit (microseconds for everything that
    // draws), the counters as reported.
    struct Figures {
        double wall = 0, cpu = 0;
        std::map<std::string, double> counters;
    };
    static double change(double value, double base)
    {
        return base > 0 ? 100.0 * (value / base - 1) : 0;
    }
    std::map<std::string, Figures> figures;
};

void registerAll(std::vector<BenchWorld>& worlds)
{
    std::vector<BenchWorld*> sizes, all;
    for (BenchWorld& world : worlds) {
        all.push_back(&world);
        if (world.name != "bundled") sizes.push_back(&world);
    }
    auto name = [](const std::string& kind, DrawMode mode, const std::string& world) {
        return kind + "/" + bench::modeName(mode) + "/" + world;
    };
    // What draws is timed by the wall clock (the Time column, which also sets the
    // iterations) and by the CPU time of the whole process (the CPU column).
    for (BenchWorld* world : all)
        benchmark::RegisterBenchmark(("LoadWorld/" + world->name).c_str(), loadWorldBench, world)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    for (DrawMode mode : bench::allModes) {
        for (BenchWorld* big : {sizes[1], sizes[2]})
            benchmark::RegisterBenchmark(name("FramePair", mode, big->name).c_str(), framePairBench,
                                         sizes[0], big, mode)
                ->Unit(benchmark::kMicrosecond)
                ->MeasureProcessCPUTime()
                ->UseRealTime()
                ->MinTime(1.0);
        for (BenchWorld* world : all)
            benchmark::RegisterBenchmark(name("Frame", mode, world->name).c_str(), frameBench,
                                         world, mode)
                ->Unit(benchmark::kMicrosecond)
                ->MeasureProcessCPUTime()
                ->UseRealTime()
                ->MinTime(0.5);
        for (BenchWorld* world : sizes)
            benchmark::RegisterBenchmark(name("DrawGrid", mode, world->name).c_str(), drawGridBench,
                                         world, mode)
                ->Unit(benchmark::kMicrosecond)
                ->MeasureProcessCPUTime()
                ->UseRealTime()
                ->MinTime(0.3);
    }
    for (BenchWorld* world : sizes) {
        benchmark::RegisterBenchmark(("IsBlocked/" + world->name).c_str(), isBlockedBench, world)
            ->MinTime(0.2);
        benchmark::RegisterBenchmark(("StitchCell/" + world->name).c_str(), stitchBench, world)
            ->MinTime(0.2);
        benchmark::RegisterBenchmark(("FaceNormals/" + world->name).c_str(), faceNormalsBench,
                                     world)
            ->MinTime(0.2);
        benchmark::RegisterBenchmark(("VertexNormals/" + world->name).c_str(), vertexNormalsBench,
                                     world)
            ->MinTime(0.2);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // The bytes a cell costs: the cell, its pointer in its row table, and the row table
    // pointer that its row shares (bench/startup.sh reads this for the memory budget).
    if (argc == 2 && std::strcmp(argv[1], "--cell-bytes") == 0) {
        std::printf("%zu %zu %zu\n", sizeof(TerrainCell), sizeof(TerrainCell*),
                    sizeof(TerrainCell**));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    bench::openWindow(argc, argv);
    std::vector<BenchWorld> worlds = bench::makeWorlds();
    for (BenchWorld& world : worlds) {
        if (!bench::loadForFrames(world)) {
            std::fprintf(stderr, "bench: the world %s did not load\n", world.name.c_str());
            bench::removeWorlds();
            return 1;
        }
    }
    benchmark::AddCustomContext("sizeof(TerrainCell)", std::to_string(sizeof(TerrainCell)));
    benchmark::AddCustomContext("GL_RENDERER",
                                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    registerAll(worlds);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    bench::removeWorlds();
    return 0;
}
