// main for the GL test binaries: one hidden GLUT window made before the tests run.
#include "tests/support/gl_env.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

namespace {

class GlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override
    {
        int argc = 1;
        char name[] = "vantora-gl-tests";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(500, 500);
        glutCreateWindow("vantora GL tests");
        glutHideWindow();
    }
};

} // namespace

std::vector<float> captureFeedback(const std::function<void()>& draw, int capacity)
{
    std::vector<float> buffer(static_cast<size_t>(capacity));
    glFeedbackBuffer(capacity, GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    buffer.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return buffer;
}

std::vector<FeedbackPrimitive> parseFeedback(const std::vector<float>& tokens)
{
    std::vector<FeedbackPrimitive> out;
    size_t i = 0;
    auto vertex = [&]() {
        FeedbackVertex v{};
        v.x = tokens[i++];
        v.y = tokens[i++];
        v.z = tokens[i++];
        for (float& c : v.rgba) c = tokens[i++];
        for (float& c : v.stq) c = tokens[i++];
        return v;
    };
    while (i < tokens.size()) {
        FeedbackPrimitive p;
        p.token = static_cast<GLenum>(tokens[i++]);
        switch (p.token) {
        case GL_POLYGON_TOKEN: {
            const int n = static_cast<int>(tokens[i++]);
            for (int k = 0; k < n; ++k) p.vertices.push_back(vertex());
            break;
        }
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            p.vertices.push_back(vertex());
            p.vertices.push_back(vertex());
            break;
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN: p.vertices.push_back(vertex()); break;
        case GL_PASS_THROUGH_TOKEN: p.passValue = tokens[i++]; break;
        default: return out; // unknown token: stop rather than misread the rest
        }
        out.push_back(p);
    }
    return out;
}

void setSimpleOrtho(double x0, double x1, double y0, double y1)
{
    glViewport(0, 0, 500, 500);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(x0, x1, y0, y1, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);
    return RUN_ALL_TESTS();
}
