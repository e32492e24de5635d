// Start-up and the timer.
#include "app/startup.h"

#include "app/display.h"
#include "app/game_state.h"
#include "app/keyboard.h"
#include "terrain/grid.h"
#include "terrain/world.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <stdio_ext.h>
#include <unistd.h>

void initScene()
{
    GameState& g = game;
    // The load prints several lines for every placed object. On a line-buffered standard
    // output (a terminal, or stdbuf -oL) each would be a write of its own, seconds on a big
    // map: they wait in a full buffer instead and leave together with the player-start line.
    const bool lineBuffered = __flbf(stdout) != 0 || isatty(fileno(stdout));
    if (lineBuffered) setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
    g.grid = loadWorld();
    if (!g.grid) {
        printf("ERROR LOADING MAP! EXITING PROGRAM!\n");
        // A failed load is a failure, not a normal end.
        std::exit(1);
    }
    g.playerX = static_cast<float>(g.grid->startX);
    g.playerY = static_cast<float>(g.grid->startY);
    g.playerZ = static_cast<float>(g.grid->startZ);
    g.headingX = -1.0f;
    g.headingY = 0.0f;
    g.headingZ = 0.0f;
    printf("%f,%f,%f - player start\n", g.playerX, g.playerY, g.playerZ);
    if (lineBuffered) {
        // Line buffering is asked for while the start line still waits in the buffer: the
        // flush that writes it makes the stream flush at every line end again.
        setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
        fflush(stdout);
    }

    const float diffuse[4] = {1.0f, 1.0f, 1.0f, 0.5f};
    const float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glCullFace(GL_BACK);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, g.lightPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glShadeModel(GL_SMOOTH);

    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    g.depthTest = 1;
    g.filled = 0;
}

void timer(int value)
{
    (void)value;
    if (game.grid && game.grid->allPeopleSaved()) game.grid->placePeople();
    glutTimerFunc(50, timer, 1);
}

int runGame(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(500, 500);
    glutCreateWindow("GX 210 - HW 1");
    if (glutGet(GLUT_WINDOW_COLORMAP_SIZE) != 0) {
        printf("FAIL: bad RGBA colormap size\n");
        std::exit(1);
    }
    glutKeyboardFunc(keyboard);
    glutDisplayFunc(display);
    glutIdleFunc(display);
    glutTimerFunc(50, timer, 1);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-200, 200, 200, -200);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    initScene();
    glutMainLoop();

    if (game.grid) releaseWorld(game.grid);
    game.grid = nullptr;
    return 0;
}
