// Fuzz target: a whole world from one input (splitWorld), over the GL-free steps of the
// load, then a short fixed flight through it. Checks the start, the people, the normals and
// the textures.
#include "fuzz/fuzz_support.h"
#include "models/mesh_store.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "player/movement.h"
#include "terrain/grid.h"
#include "terrain/terrain_file.h"
#include "terrain/texture.h"
#include "terrain/world.h"
#include "terrain/world_source.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const BandTextures names{11, 12, 13, 14};

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
            FUZZ_CHECK(cell.texture == bandTexture(names, z));
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
void fly(TerrainGrid& grid, const MeshStore& meshes, int personMeshId)
{
    PlayerPose pose{static_cast<float>(grid.startX),
                    static_cast<float>(grid.startY),
                    static_cast<float>(grid.startZ),
                    -1.0f,
                    0.0f,
                    0.0f};
    const MoveKind moves[] = {Forward, Forward, Down,      Down,      Down,    TurnLeft, Forward,
                              Up,      Forward, TurnRight, TurnRight, Forward, Down,     Forward};
    for (int round = 0; round < 4; ++round) {
        for (MoveKind kind : moves) {
            movePlayer(pose, kind, &grid, quietLog());
            grid.rescueNearby(pose.x, pose.y, pose.z);
            if (grid.allPeopleSaved())
                grid.placePeople(meshes, personMeshId, quietLog(), frozenClock);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryWorld files;
    splitWorld(data, size, files);
    std::srand(1);

    // Within the load's own limit a terrain can still ask for gigabytes; such inputs are
    // skipped before the grid is made. Above the limit the load refuses them itself.
    int rows = 0, cols = 0;
    std::FILE* terrain = files.open(WorldFile::Terrain);
    const bool measured = measureTerrain(terrain, quietLog(), rows, cols);
    if (terrain) std::fclose(terrain);
    const long long cells = static_cast<long long>(rows) * cols;
    if (cells > fuzzCellCap && cells <= maxTerrainCells) return 0;

    MeshStore meshes;
    WorldLoad load(files, meshes, quietLog());
    load.textures = names;
    load.clock = frozenClock;
    TerrainGrid* grid = buildWorld(load);
    FUZZ_CHECK((grid != nullptr) == (measured && cells <= fuzzCellCap));
    if (grid) {
        checkWorld(*grid);
        TextureStaging staging = {};
        for (WorldFile texture : textureLoadOrder) {
            StreamCloser in(files.open(texture));
            readRawTexture(in.get(), staging);
        }
        fly(*grid, meshes, load.meshIds.person);
    }
    delete grid;
    return 0;
}
