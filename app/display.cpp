// One frame: projection and camera, the light above the player, fog range, the terrain in
// one or two passes, the overhead marker and the two-line HUD.
#include "app/display.h"

#include "app/game_state.h"
#include "app/hud.h"
#include "app/text.h"
#include "terrain/grid.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

namespace {

void setCamera(const GameState& g)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.01, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const double px = g.playerX, py = g.playerY, pz = g.playerZ;
    const double hx = g.headingX, hy = g.headingY, hz = g.headingZ;
    if (g.overhead) {
        gluLookAt(px, py, pz + g.overheadHeight, px + hx, py + hy, pz - 1.0, g.cameraUp[0],
                  g.cameraUp[1], g.cameraUp[2]);
    } else {
        gluLookAt(px, py, pz, px + hx, py + hy, pz + hz, g.cameraUp[0], g.cameraUp[1],
                  g.cameraUp[2]);
    }
}

void drawTerrain(const GameState& g)
{
    glPolygonMode(GL_FRONT_AND_BACK, g.filled ? GL_FILL : GL_LINE);
    glPushMatrix();
    {
        glColor3f(1.0f, 1.0f, 1.0f);
        TerrainDrawParams params{g.filled ? static_cast<unsigned>(GL_TRIANGLES)
                                          : static_cast<unsigned>(GL_POLYGON),
                                 false,
                                 g.showNormals != 0,
                                 g.lighting != 0,
                                 g.playerX,
                                 g.playerY};
        if (g.grid) g.grid->drawGrid(params);
        // Hidden lines: black filled polygons pushed slightly back overwrite every line
        // that lies behind a nearer surface.
        if (!g.filled && g.depthTest) {
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
            glEnable(GL_POLYGON_OFFSET_FILL);
            glPolygonOffset(1.0f, 1.0f);
            glColor3f(0.0f, 0.0f, 0.0f);
            params.outline = true;
            if (g.grid) g.grid->drawGrid(params);
            glDisable(GL_POLYGON_OFFSET_FILL);
        }
    }
    glPopMatrix();
}

// A red arrowhead at the player, tip one unit ahead along the heading, always on top.
void drawMarker(GameState& g)
{
    g.markerAngle = markerAngleFor(g.headingX, g.headingY);
    if (g.depthTest) glDisable(GL_DEPTH_TEST);
    if (g.lighting) glDisable(GL_LIGHTING);
    glPushMatrix();
    {
        glTranslatef(g.playerX, g.playerY, g.playerZ);
        glRotatef(g.markerAngle, 0.0f, 0.0f, 1.0f);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, g.markerColour);
        glColor3fv(g.markerColour);
        glBegin(GL_TRIANGLE_STRIP);
        glNormal3f(0, 0, 1);
        glVertex3f(-0.5f, -0.5f, 0);
        glNormal3f(0, 0, 1);
        glVertex3f(0, 0, 0);
        glNormal3f(0, 0, 1);
        glVertex3f(0, 1, 0);
        glNormal3f(0, 0, 1);
        glVertex3f(0.5f, -0.5f, 0);
        glEnd();
    }
    glPopMatrix();
    if (g.depthTest) glEnable(GL_DEPTH_TEST);
    if (g.lighting) glEnable(GL_LIGHTING);
}

void drawHud(const GameState& g)
{
    if (g.depthTest) glDisable(GL_DEPTH_TEST);
    if (g.lighting) glDisable(GL_LIGHTING);
    if (g.culling) glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(-200, 200, 200, -200);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    {
        glLoadIdentity();
        char position[positionLineSize];
        buildPositionLine(position, g.playerX, g.playerY, g.playerZ);
        glColor3f(1.0f, 1.0f, 1.0f);
        drawText(-200, -186, 0.12f, position, 0);
        char saved[savedLineSize];
        buildSavedLine(saved, g.savedCount);
        drawText(-200, -172, 0.12f, saved, 0);
    }
    glPopMatrix();
    if (g.depthTest) glEnable(GL_DEPTH_TEST);
    if (g.lighting) glEnable(GL_LIGHTING);
    if (g.culling) glEnable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

} // namespace

void display()
{
    GameState& g = game;
    setCamera(g);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    g.lightPosition[0] = g.playerX;
    g.lightPosition[1] = g.playerY;
    g.lightPosition[2] = g.playerZ + 5.0f;
    glLightfv(GL_LIGHT0, GL_POSITION, g.lightPosition);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (g.fog) {
        int start, end;
        fogRange(g.overhead != 0, g.overheadHeight, g.playerZ, start, end);
        glFogi(GL_FOG_START, start);
        glFogi(GL_FOG_END, end);
    }
    drawTerrain(g);
    if (g.overhead) drawMarker(g);
    drawHud(g);
    glutSwapBuffers();
}
