// A preload for the Linux game that gives it what the Windows game gets from Windows, so that
// the two builds can be compared byte for byte and pixel for pixel:
// - rand and srand of the Windows C library (state = state * 214013 + 2531011, result = bits
//   16 to 30 of the state; the state starts at 1), for the same mesh identifiers and people;
// - a 24-bit depth buffer, which freeglut always asks for on Windows, where on Linux Mesa's
//   software renderer offers 32 bits first.
#include <GL/glx.h>
#include <algorithm>
#include <dlfcn.h>

namespace {

unsigned int windowsRandState = 1;

} // namespace

extern "C" {

void srand(unsigned int seed)
{
    windowsRandState = seed;
}

int rand(void)
{
    windowsRandState = windowsRandState * 214013u + 2531011u;
    return static_cast<int>((windowsRandState >> 16) & 0x7FFFu);
}

// The configurations with a 24-bit depth buffer come first, in their own order.
GLXFBConfig* glXChooseFBConfig(Display* display, int screen, const int* attributes, int* count)
{
    using Choose = GLXFBConfig* (*)(Display*, int, const int*, int*);
    static const Choose choose = reinterpret_cast<Choose>(dlsym(RTLD_NEXT, "glXChooseFBConfig"));
    GLXFBConfig* configs = choose ? choose(display, screen, attributes, count) : nullptr;
    if (!configs) return nullptr;
    std::stable_partition(configs, configs + *count, [display](GLXFBConfig config) {
        int depth = 0;
        glXGetFBConfigAttrib(display, config, GLX_DEPTH_SIZE, &depth);
        return depth == 24;
    });
    return configs;
}

} // extern "C"
