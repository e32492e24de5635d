// The one program-wide record: the world, the player, the camera and the render switches.
#pragma once

#include "models/mesh_store.h"

#include <cstdint>

class TerrainGrid;

// Who may write each field is said beside it; everyone else only reads.
struct GameState {
    // The world: the grid (with its cells, instances and people) and the meshes its instances
    // draw. Written by start-up only; read by the display, the keys and the timer.
    TerrainGrid* grid = nullptr;
    MeshStore meshes;

    // Player and camera position; written by start-up and movement.
    float playerX = 0, playerY = 0, playerZ = 0;
    // Unit view direction; headingZ stays 0. Written by start-up and turns.
    float headingX = 0, headingY = 0, headingZ = 0;

    float cameraUp[3] = {0, 0, 1};         // never written
    float lightPosition[4] = {0, 1, 1, 1}; // written by the display every frame
    float overheadHeight = 10.0f;          // written by the keyboard
    float fogDensity = 0.01f;              // written by the keyboard
    float fogColour[4] = {0, 0, 0, 0};     // never written
    float markerColour[4] = {1, 0, 0, 0};  // never written
    float markerAngle = -90.0f;            // written by the display
    int32_t savedCount = 0;                // written by the keyboard; never reset

    // Render switches, 0 or 1, each mirroring its GL capability; written by start-up and keys.
    uint8_t depthTest = 0;
    uint8_t filled = 0;
    uint8_t showNormals = 0;
    uint8_t textures = 0;
    uint8_t lighting = 0;
    uint8_t culling = 0;
    uint8_t overhead = 0;
    uint8_t fog = 0;

    // Mesh identifiers and texture names; written by the world load only.
    int cubeMeshId = 0, pyramidMeshId = 0, treeMeshId = 0, personMeshId = 0;
    unsigned int waterTexture = 0, grassTexture = 0, dirtTexture = 0, snowTexture = 0;
};

// The program-wide state. Tests may reset it with `game = GameState();`.
extern GameState game;
