// Drawing the terrain: the cells near the player in one of three modes (filled, wire-frame,
// hidden-line), with the walls of flattened object cells, then the people.
#include "app/game_state.h"
#include "models/model_instance.h"
#include "models/person.h"
#include "terrain/grid.h"

#include <GL/gl.h>
#include <cmath>

namespace {

const float black[3] = {0.0f, 0.0f, 0.0f};

// Cells farther than this from the player in the ground plane are not drawn.
const float cullRadius = 100.0f;

struct TexturedCorner {
    int slot;
    float s, t;
};

// Filled mode: the four corner triangles, then the diamond, each with its own texture
// coordinates (they belong to the triangle, not to the vertex).
const TexturedCorner filledTriangles[8][3] = {
    {{SlotN, 0, 0}, {SlotE, 0, 1}, {SlotNE, 1, 1}},
    {{SlotE, 1, 0}, {SlotS, 0, 1}, {SlotSE, 1, 1}},
    {{SlotS, 1, 1}, {SlotW, 0, 0}, {SlotSW, 0, 1}},
    {{SlotW, 0, 1}, {SlotN, 1, 0}, {SlotNW, 0, 0}},
    {{SlotN, 0, 0}, {SlotW, 0, 1}, {SlotCentre, 0.5f, 0.5f}},
    {{SlotN, 0, 0}, {SlotCentre, 0.5f, 0.5f}, {SlotE, 1, 0}},
    {{SlotS, 1, 1}, {SlotCentre, 0.5f, 0.5f}, {SlotW, 0, 1}},
    {{SlotS, 1, 1}, {SlotE, 1, 0}, {SlotCentre, 0.5f, 0.5f}},
};

// Wire-frame and hidden-line modes: four 5 x 5 squares, counter-clockwise from above.
const int wireQuads[4][4] = {
    {SlotS, SlotCentre, SlotW, SlotSW},
    {SlotS, SlotSE, SlotE, SlotCentre},
    {SlotN, SlotCentre, SlotE, SlotNE},
    {SlotN, SlotNW, SlotW, SlotCentre},
};

// A wall corner: a vertex of this cell or of the neighbour across the side.
struct WallCorner {
    bool neighbour;
    int slot;
};

struct WallSide {
    WallCorner quads[2][4];
    int middleThis, middleNeighbour;   // facing test: neighbour middle >= this middle
    int endsThis[2], endsNeighbour[2]; // and one neighbour end > the end it meets
    float normalFacingThis[3];         // from the neighbour towards this cell
};

const WallSide wallSides[4] = {
    // N
    {{{{false, SlotN}, {false, SlotNE}, {true, SlotSE}, {true, SlotS}},
      {{true, SlotS}, {true, SlotSW}, {false, SlotNW}, {false, SlotN}}},
     SlotN,
     SlotS,
     {SlotNW, SlotNE},
     {SlotSW, SlotSE},
     {1, 0, 0}},
    // S
    {{{{false, SlotS}, {false, SlotSW}, {true, SlotNW}, {true, SlotN}},
      {{true, SlotN}, {true, SlotNE}, {false, SlotSE}, {false, SlotS}}},
     SlotS,
     SlotN,
     {SlotSW, SlotSE},
     {SlotNW, SlotNE},
     {-1, 0, 0}},
    // E
    {{{{false, SlotE}, {false, SlotSE}, {true, SlotSW}, {true, SlotW}},
      {{true, SlotW}, {true, SlotNW}, {false, SlotNE}, {false, SlotE}}},
     SlotE,
     SlotW,
     {SlotNE, SlotSE},
     {SlotNW, SlotSW},
     {0, -1, 0}},
    // W
    {{{{false, SlotW}, {false, SlotNW}, {true, SlotNE}, {true, SlotE}},
      {{true, SlotE}, {true, SlotSE}, {false, SlotSW}, {false, SlotW}}},
     SlotW,
     SlotE,
     {SlotNW, SlotSW},
     {SlotNE, SlotSE},
     {0, 1, 0}},
};

const float wallTexCoords[2][4][2] = {
    {{0, 0.5f}, {0, 0}, {1, 0}, {1, 0.5f}},
    {{1, 0.5f}, {1, 1}, {0, 1}, {0, 0.5f}},
};

enum class DrawMode { Filled, Wire, Hidden };

float height(const TerrainCell& cell, int slot)
{
    return cell.vertices[slot].position[2];
}

// A wall faces this cell when the neighbour's edge is at least as high in the middle and
// strictly higher at one end: walls face the lower of the two cells.
bool facesThisCell(const WallSide& side, const TerrainCell& self, const TerrainCell& nb)
{
    if (!(height(nb, side.middleNeighbour) >= height(self, side.middleThis))) return false;
    return height(nb, side.endsNeighbour[0]) > height(self, side.endsThis[0]) ||
           height(nb, side.endsNeighbour[1]) > height(self, side.endsThis[1]);
}

// The closing walls on the flagged sides that have a neighbour, in the order N, S, E, W.
void drawWalls(const TerrainCell& self, DrawMode mode)
{
    for (int s = 0; s < 4; ++s) {
        const TerrainCell* nb = self.neighbours[s];
        if (!self.sideFlags[s] || !nb) continue;
        const WallSide& side = wallSides[s];
        float normal[3];
        const float sign = facesThisCell(side, self, *nb) ? 1.0f : -1.0f;
        for (int i = 0; i < 3; ++i) normal[i] = sign * side.normalFacingThis[i];
        for (int q = 0; q < 2; ++q) {
            glBegin(GL_POLYGON);
            for (int k = 0; k < 4; ++k) {
                const WallCorner& corner = side.quads[q][k];
                const Vertex& v = (corner.neighbour ? *nb : self).vertices[corner.slot];
                if (mode == DrawMode::Filled) {
                    glNormal3fv(normal);
                    glTexCoord2fv(wallTexCoords[q][k]);
                } else if (mode == DrawMode::Wire) {
                    glColor3fv(v.baseColour);
                }
                glVertex3fv(v.position);
            }
            glEnd();
        }
    }
}

void drawFilled(const TerrainCell& cell)
{
    glColor3f(1.0f, 1.0f, 1.0f);
    const float* north = cell.vertices[SlotN].colour;
    const float surfaceDiffuse[4] = {north[0], north[1], north[2], 1.0f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, surfaceDiffuse);
    glBindTexture(GL_TEXTURE_2D, cell.texture);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (const auto& triangle : filledTriangles) {
        glBegin(GL_TRIANGLES);
        for (const TexturedCorner& corner : triangle) {
            const Vertex& v = cell.vertices[corner.slot];
            glNormal3fv(v.normal);
            glColor3fv(v.colour);
            glTexCoord2f(corner.s, corner.t);
            glVertex3fv(v.position);
        }
        glEnd();
    }
    // Walls are seen from both sides.
    if (game.culling) glDisable(GL_CULL_FACE);
    const float* centre = cell.vertices[SlotCentre].colour;
    const float wallDiffuse[4] = {centre[0], centre[1], centre[2], 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, wallDiffuse);
    drawWalls(cell, DrawMode::Filled);
    if (game.culling) glEnable(GL_CULL_FACE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void drawQuads(const TerrainCell& cell, DrawMode mode)
{
    if (mode == DrawMode::Hidden) glColor3fv(black);
    for (const auto& quad : wireQuads) {
        glBegin(GL_POLYGON);
        for (int slot : quad) {
            const Vertex& v = cell.vertices[slot];
            if (mode == DrawMode::Wire) glColor3fv(v.baseColour);
            glVertex3fv(v.position);
        }
        glEnd();
    }
    drawWalls(cell, mode);
}

// The cell indices whose centres can lie within the cull radius of p, clamped to
// [0, count). A centre lies near 10 i + 5 but is stored in float, which on a long strip of
// cells rounds it by a few units, so the window reaches one cell further at each end; the
// exact test on the stored centre stays in drawCell.
void reachableRange(float p, int count, int& first, int& last)
{
    first = 0;
    last = count - 1;
    if (!std::isfinite(p)) return;
    const double low = std::floor((p - 5.0 - cullRadius) / 10.0) - 1;
    const double high = std::floor((p - 5.0 + cullRadius) / 10.0) + 1;
    if (low > first) first = low < count ? static_cast<int>(low) : count;
    if (high < last) last = high > -1 ? static_cast<int>(high) : -1;
}

} // namespace

void TerrainCell::drawNormalLines()
{
    glColor3f(1.0f, 1.0f, 1.0f);
    for (const Vertex& v : vertices) {
        glBegin(GL_LINES);
        glVertex3fv(v.position);
        glVertex3f(v.position[0] + v.normal[0], v.position[1] + v.normal[1],
                   v.position[2] + v.normal[2]);
        glEnd();
    }
}

void TerrainCell::drawCell(const TerrainDrawParams& params)
{
    const float* centre = vertices[SlotCentre].position;
    playerDX = params.playerX - centre[0];
    playerDY = params.playerY - centre[1];
    if (playerDX * playerDX + playerDY * playerDY >= cullRadius * cullRadius) return;
    if (params.showNormals) drawNormalLines();
    if (model) {
        glPushMatrix();
        {
            glTranslatef(centre[0], centre[1], centre[2]);
            model->draw(params.lighting, params.outline);
        }
        glPopMatrix();
    }
    glColor3fv(black);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glColor3fv(black);
    if (params.outline)
        drawQuads(*this, DrawMode::Hidden);
    else if (params.primitive == GL_TRIANGLES)
        drawFilled(*this);
    else
        drawQuads(*this, DrawMode::Wire);
}

void TerrainGrid::drawGrid(const TerrainDrawParams& params)
{
    // Only rows and columns that can hold a centre within reach are visited, in the same
    // order as a scan of every cell, so the frame costs the same on any size of world.
    int firstRow, lastRow, firstCol, lastCol;
    reachableRange(params.playerX, rows, firstRow, lastRow);
    reachableRange(params.playerY, cols, firstCol, lastCol);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int col = firstCol; col <= lastCol; ++col)
            if (TerrainCell* cell = cells[row][col]) cell->drawCell(params);
    float playerX = params.playerX, playerY = params.playerY;
    for (Person* person : people)
        if (person) person->draw(params.lighting, params.outline, playerX, playerY);
}
