// The GL test binaries' one hidden GLUT window (a real Mesa context under Xvfb), made
// once before the first test, and GL feedback capture of what a draw emits.
#pragma once

#include <GL/gl.h>
#include <functional>
#include <vector>

// Draws `draw` in GL_FEEDBACK mode with GL_3D_COLOR_TEXTURE and returns the tokens
// (each a float); asserts nothing itself. The buffer holds up to `capacity` floats.
std::vector<float> captureFeedback(const std::function<void()>& draw, int capacity = 1 << 20);

// One vertex of a feedback polygon or line: window x, y, z, RGBA and s, t, r, q.
struct FeedbackVertex {
    float x, y, z;
    float rgba[4];
    float stq[4];
};

// One primitive from the feedback tokens: GL_POLYGON_TOKEN, GL_LINE_TOKEN,
// GL_LINE_RESET_TOKEN, GL_POINT_TOKEN or GL_PASS_THROUGH_TOKEN (value in `passValue`).
struct FeedbackPrimitive {
    GLenum token;
    float passValue = 0;
    std::vector<FeedbackVertex> vertices;
};

std::vector<FeedbackPrimitive> parseFeedback(const std::vector<float>& tokens);

// Sets identity projection and modelview, a 500 x 500 viewport and an orthographic
// projection mapping world x in [x0, x1], y in [y0, y1], z in [-1000, 1000].
void setSimpleOrtho(double x0, double x1, double y0, double y1);
