// Start-up and the timer.
#include "app/startup.h"

#include "app/display.h"
#include "app/game_state.h"
#include "app/keyboard.h"
#include "platform/console.h"
#include "terrain/grid.h"
#include "terrain/world.h"
#include "terrain/world_source.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// The load writes several lines for every cell and placed object: hundreds of thousands on
// a big map. On a line-buffered standard output (a terminal, or stdbuf -oL) each would be a
// write of its own, seconds in all. So the load writes through a stream of its own on a
// duplicate of standard output's descriptor, fully buffered from its first byte, and that
// stream is flushed and closed before anything else reaches standard output. Standard
// output itself keeps its own buffering, untouched.
class LoadOutput {
  public:
    LoadOutput()
    {
        std::fflush(stdout);
        stream = platform::duplicateStandardOutput();
        if (!stream) {
            stream = stdout;
            return;
        }
        setvbuf(stream, nullptr, _IOFBF, bufferBytes);
    }
    ~LoadOutput() { finish(); }
    LoadOutput(const LoadOutput&) = delete;
    LoadOutput& operator=(const LoadOutput&) = delete;

    std::FILE* get() const { return stream; }

    // Writes out what the load left in the buffer; later lines go to standard output.
    void finish()
    {
        if (stream == stdout)
            std::fflush(stdout);
        else if (stream)
            std::fclose(stream);
        stream = nullptr;
    }

  private:
    static constexpr size_t bufferBytes = 1 << 16;
    std::FILE* stream = nullptr;
};

} // namespace

void initScene()
{
    GameState& g = game;
    WorkingFolder files;
    LoadOutput output;
    WorldLoad load(files, g.meshes, output.get());
    g.grid = loadWorld(load);
    g.cubeMeshId = load.meshIds.cube;
    g.pyramidMeshId = load.meshIds.pyramid;
    g.treeMeshId = load.meshIds.tree;
    g.personMeshId = load.meshIds.person;
    g.waterTexture = load.textures.water;
    g.grassTexture = load.textures.grass;
    g.dirtTexture = load.textures.dirt;
    g.snowTexture = load.textures.snow;
    output.finish();
    if (!g.grid) {
        printf("ERROR LOADING MAP! EXITING PROGRAM!\n");
        platform::holdConsoleBeforeExit();
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
    if (game.grid && game.grid->allPeopleSaved())
        game.grid->placePeople(game.meshes, game.personMeshId, stdout, std::time);
    glutTimerFunc(50, timer, 1);
}

int runGame(int argc, char** argv)
{
    platform::prepareStandardOutput();
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

    delete game.grid;
    game.grid = nullptr;
    return 0;
}
