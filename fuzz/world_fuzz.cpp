// Fuzz target: a whole world from one input, over the GL-free steps of the load, then a
// short fixed flight through it. The input is split at each "\n====\n" into terrain.txt,
// objects.txt, the four models and the four raw textures, in that order; files the input
// does not reach are missing. Checks the start, the people, the normals and the textures.
#include "app/game_state.h"
#include "fuzz/fuzz_support.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "player/movement.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "terrain/texture.h"
#include "terrain/world.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

// The people are placed after srand(time(nullptr)); a fixed clock makes every run of an
// input place them on the same cells, so that a saved input replays what it found.
extern "C" time_t time(time_t* out)
{
    const time_t frozen = 1767225600;
    if (out) *out = frozen;
    return frozen;
}

namespace {

const char separator[] = "\n====\n";
constexpr size_t separatorLength = sizeof separator - 1;

const char* const fileNames[] = {"terrain.txt", "objects.txt", "cube.txt",       "pyramid.txt",
                                 "tree.txt",    "person.txt",  "water256_2.raw", "dirt.raw",
                                 "grass.raw",   "snow.raw"};
constexpr int fileCount = sizeof fileNames / sizeof fileNames[0];
constexpr int firstTexture = 6;

// Writes the pieces of the input into the scratch directory and removes the files that no
// piece reaches.
void writeFiles(const uint8_t* data, size_t size)
{
    ScratchDir& dir = ScratchDir::instance();
    const uint8_t* end = data + size;
    const uint8_t* piece = data;
    for (int i = 0; i < fileCount; ++i) {
        if (!piece) {
            dir.remove(fileNames[i]);
            continue;
        }
        const uint8_t* next =
            static_cast<const uint8_t*>(memmem(piece, end - piece, separator, separatorLength));
        dir.write(fileNames[i], piece, (next ? next : end) - piece);
        piece = next ? next + separatorLength : nullptr;
    }
}

void setGameState()
{
    game = GameState();
    game.waterTexture = 11;
    game.grassTexture = 12;
    game.dirtTexture = 13;
    game.snowTexture = 14;
}

bool isUnit(const float* n)
{
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return std::isfinite(length) && std::fabs(length - 1.0f) < 1e-3f;
}

void checkWorld(const TerrainGrid& grid)
{
    for (int row = 0; row < grid.rows; ++row) {
        for (int col = 0; col < grid.cols; ++col) {
            const TerrainCell& cell = *grid.cellAt(row, col);
            const float z = cell.vertices[SlotCentre].position[2];
            FUZZ_CHECK(cell.texture == bandTexture(z));
            // Every triangle of a cell faces up, so every vertex normal does too.
            for (const Vertex& v : cell.vertices)
                FUZZ_CHECK(isUnit(v.normal) && v.normal[2] > 0.0f);
        }
    }
    // The start is a cell centre, or the fixed point of a world without a start mark and
    // without a middle cell.
    const TerrainCell* start = grid.cellAt(grid.startX / 10, grid.startY / 10);
    if (start) {
        FUZZ_CHECK(grid.startX % 10 == 5 && grid.startY % 10 == 5);
    } else {
        FUZZ_CHECK(grid.startX == 5 && grid.startY == 5 && grid.startZ == 5);
    }
    // Each person stands alone on a free cell of height 5; the slots fill from the front.
    for (int i = 0; i < 5; ++i) {
        const Person* person = grid.people[i];
        if (!person) {
            for (int k = i; k < 5; ++k) FUZZ_CHECK(grid.people[k] == nullptr);
            break;
        }
        FUZZ_CHECK(person->position[2] == 5.0f);
        const TerrainCell* cell = grid.cellAt(static_cast<int>(person->position[0]) / 10,
                                              static_cast<int>(person->position[1]) / 10);
        FUZZ_CHECK(cell != nullptr && cell->model == nullptr);
        for (int k = 0; k < i; ++k)
            FUZZ_CHECK(grid.people[k]->position[0] != person->position[0] ||
                       grid.people[k]->position[1] != person->position[1]);
    }
}

// What the keys do without GL: a fixed round of moves and turns from the start, with the
// rescue after each move and the timer's re-placement once everyone is saved.
void fly(TerrainGrid& grid)
{
    game.grid = &grid;
    game.playerX = static_cast<float>(grid.startX);
    game.playerY = static_cast<float>(grid.startY);
    game.playerZ = static_cast<float>(grid.startZ);
    game.headingX = -1.0f;
    const MoveKind moves[] = {Forward, Forward, Down,      Down,      Down,    TurnLeft, Forward,
                              Up,      Forward, TurnRight, TurnRight, Forward, Down,     Forward};
    for (int round = 0; round < 4; ++round) {
        for (MoveKind kind : moves) {
            movePlayer(kind);
            game.savedCount += grid.rescueNearby(game.playerX, game.playerY, game.playerZ);
            if (grid.allPeopleSaved()) grid.placePeople();
        }
    }
    game.grid = nullptr;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    quietStdout();
    ScratchDir::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeFiles(data, size);
    ScratchDir::Visit visit;
    setGameState();
    std::srand(1);

    // Within the load's own limit a terrain can still ask for gigabytes; such inputs are
    // skipped before the grid is made. Above the limit the load refuses them itself.
    int rows = 0, cols = 0;
    const bool measured = measureTerrain(rows, cols);
    const long long cells = static_cast<long long>(rows) * cols;
    if (cells > fuzzCellCap && cells <= maxTerrainCells) return 0;

    TerrainGrid* grid = buildWorld();
    FUZZ_CHECK((grid != nullptr) == (measured && cells <= fuzzCellCap));
    if (grid) {
        checkWorld(*grid);
        for (int i = firstTexture; i < fileCount; ++i) readRawTexture(fileNames[i]);
        fly(*grid);
    }
    releaseWorld(grid);
    releaseMeshes();
    return 0;
}
