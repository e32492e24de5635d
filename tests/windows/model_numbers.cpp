// Reads every model file named on the command line with the game's model reader, in one store
// as the game loads its models, and prints what the game prints while reading, then every
// number the reader stored, exactly: each float as %a and as its bits, so that a difference in
// decimal conversion, a NaN's sign or payload, or the sign of a zero shows. Then it prints the
// results of the maths the game turns and points with, and the %f text of awkward numbers as
// the game prints coordinates. Built for Linux and for Windows, the two outputs are compared
// byte for byte.
//
// Usage: vantora-model-numbers MODEL...
#include "app/hud.h"
#include "models/mesh_store.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/program.h"
#include "player/movement.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

unsigned long long bitsOf(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatFromBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double doubleFromBits(uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// " <%a>/<bits>": %a alone prints every NaN alike, and MinGW-w64's leaves out a NaN's sign,
// so a NaN is "nan" and its bits tell the rest.
void printFloat(float value)
{
    if (std::isnan(value))
        std::printf(" nan");
    else
        std::printf(" %a", static_cast<double>(value));
    std::printf("/%08lx", static_cast<unsigned long>(bitsOf(value)));
}

void printDouble(double value)
{
    if (std::isnan(value))
        std::printf(" nan");
    else
        std::printf(" %a", value);
    std::printf("/%016llx", bitsOf(value));
}

// --- Models --------------------------------------------------------------------------------

// The mesh as stored: the counts the draw uses beside the faces and corners actually kept,
// every face's normal and colour (each corner holds the face's colour) and every position.
void printMesh(const Mesh& mesh)
{
    std::printf("mesh %d faceCount %d faces %zu\n", mesh.id, mesh.faceCount, mesh.faces.size());
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        const MeshFace& face = mesh.faces[f];
        std::printf("face %zu vertexCount %d corners %zu normal", f, face.vertexCount,
                    face.vertices.size());
        for (float component : face.normal) printFloat(component);
        if (!face.vertices.empty()) {
            std::printf(" colour");
            for (float part : face.vertices[0].colour) printFloat(part);
        }
        std::printf("\n");
        for (size_t v = 0; v < face.vertices.size(); ++v) {
            const Vertex& corner = face.vertices[v];
            std::printf("corner %zu.%zu position", f, v);
            for (float axis : corner.position) printFloat(axis);
            // Every corner must carry its face's colour; a corner that does not says so.
            if (std::memcmp(corner.colour, face.vertices[0].colour, sizeof corner.colour) != 0)
                std::printf(" own colour");
            std::printf("\n");
        }
    }
}

void readModels(const std::vector<std::string>& paths)
{
    MeshStore store;
    for (const std::string& path : paths) {
        std::printf("model %s\n", path.c_str());
        std::FILE* in = platform::openFile(path, "rb");
        if (!in) std::printf("cannot open %s\n", path.c_str());
        const int id = store.loadMesh(in, stdout);
        std::printf("loadMesh returned %d\n", id);
        if (in) {
            std::fclose(in);
            printMesh(*store.newest());
        }
    }
}

// --- Maths ---------------------------------------------------------------------------------

// Arguments pass through a volatile so that the compiler cannot work the results out itself:
// the library of each system computes them.
double runtime(double value)
{
    volatile double kept = value;
    return kept;
}

void printCall(const char* name, double argument, double result)
{
    std::printf("%s", name);
    printDouble(argument);
    std::printf(" =");
    printDouble(result);
    std::printf("\n");
}

// cos and sin at the two turn angles, from each system's library. (The compiler may work out
// the turn's own from its two constant angles; the turns below run the game's code as built.)
void printTurnAngles()
{
    const double pi = std::acos(runtime(-1.0));
    printCall("acos", -1.0, pi);
    for (int sign : {1, -1}) {
        const double a = runtime(sign * pi * 0.027777778);
        printCall("cos", a, std::cos(a));
        printCall("sin", a, std::sin(a));
    }
}

// The atan arguments: zeros, infinities, NaN, the limits of double, the points where an atan
// implementation changes method and their neighbours, a sweep of magnitudes from the smallest
// subnormal to the largest double, and a fine sweep around zero.
std::vector<double> atanArguments()
{
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> magnitudes = {0.0,
                                      inf,
                                      std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::denorm_min(),
                                      DBL_MIN,
                                      DBL_MAX,
                                      1e-300,
                                      1e-20,
                                      1e-8,
                                      0.1,
                                      1.0,
                                      1e8,
                                      1e20,
                                      1e300,
                                      std::ldexp(1.0, 53),
                                      std::ldexp(1.0, 66)};
    for (double point : {std::ldexp(1.0, -29), std::ldexp(1.0, -28), std::ldexp(1.0, -27), 7.0 / 16,
                         11.0 / 16, 19.0 / 16, 39.0 / 16, 1.0, 2.0, 0.5, 0.25, std::ldexp(1.0, 26),
                         std::ldexp(1.0, 27), std::ldexp(1.0, 28)}) {
        magnitudes.push_back(std::nextafter(point, 0.0));
        magnitudes.push_back(point);
        magnitudes.push_back(std::nextafter(point, inf));
    }
    for (int exponent = -1074; exponent <= 1023; exponent += 4)
        for (double mantissa : {1.0, 1.1, 1.7})
            magnitudes.push_back(std::ldexp(mantissa, exponent));
    std::vector<double> arguments;
    for (double magnitude : magnitudes) {
        arguments.push_back(magnitude);
        arguments.push_back(-magnitude);
    }
    for (int step = -1024; step <= 1024; ++step) arguments.push_back(step / 64.0);
    // NaNs of either sign and with a payload: atan should hand them on.
    arguments.push_back(doubleFromBits(0xfff8000000000000ull));
    arguments.push_back(doubleFromBits(0x7ff8000000000123ull));
    return arguments;
}

// The marker angle over headings whose quotient is each argument (or its inverse), in every
// quadrant. The raw atan is not compared: the Windows C library's may be one unit in the last
// place off glibc's correctly rounded one, which the angle, rounded to float, does not show.
void printMarkerSweep()
{
    const std::vector<double> arguments = atanArguments();
    std::printf("marker sweep %zu\n", arguments.size());
    for (double x : arguments) {
        const float q = static_cast<float>(runtime(x));
        std::printf("marker");
        printFloat(q);
        for (float hy : {1.0f, -1.0f}) printFloat(markerAngleFor(q, hy));
        for (float hx : {1.0f, -1.0f}) printFloat(markerAngleFor(hx, q));
        std::printf("\n");
    }
}

// A heading as the turns leave it, the quotient the marker angle takes the arctangent of,
// that arctangent, and the game's marker angle.
void printHeading(const char* what, int step, const PlayerPose& pose)
{
    const double quotient = runtime(static_cast<double>(pose.headingX) / pose.headingY);
    std::printf("%s %d heading", what, step);
    printFloat(pose.headingX);
    printFloat(pose.headingY);
    std::printf(" quotient");
    printDouble(quotient);
    std::printf(" marker");
    printFloat(markerAngleFor(pose.headingX, pose.headingY));
    std::printf("\n");
}

// Turns with the game's own turn from the start heading (-1, 0) and from (0, 1): two full
// circles each way, then a long run of left and right turns in a fixed pseudo-random order,
// the drift of a heading that is never renormalised included.
void printTurns()
{
    const float starts[2][2] = {{-1.0f, 0.0f}, {0.0f, 1.0f}};
    for (const auto& start : starts) {
        for (int kind : {TurnLeft, TurnRight}) {
            PlayerPose pose;
            pose.headingX = start[0];
            pose.headingY = start[1];
            const char* name = kind == TurnLeft ? "left" : "right";
            printHeading(name, 0, pose);
            for (int step = 1; step <= 144; ++step) {
                movePlayer(pose, kind, nullptr, stdout);
                printHeading(name, step, pose);
            }
        }
    }
    PlayerPose pose;
    pose.headingX = -1.0f;
    uint32_t state = 12345u;
    for (int step = 1; step <= 3000; ++step) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Mostly one way, so that the heading goes round many times.
        movePlayer(pose, (state % 4 == 0) ? TurnRight : TurnLeft, nullptr, stdout);
        printHeading("mixed", step, pose);
    }
}

// --- Printing ------------------------------------------------------------------------------

// As the game prints a coordinate, through the same function.
void printFixed(float value)
{
    std::printf("%%f float");
    printFloat(value);
    std::printf(" = %s\n", platform::fixed(value).text);
}

// A double as the game prints one (the player start); the game prints no double that can be
// a NaN.
void printFixed(double value)
{
    std::printf("%%f double");
    printDouble(value);
    std::printf(" = %f\n", value);
}

// %f of numbers whose text is easy to get wrong: exact ties at the sixth decimal (1/128 is
// 0.0078125), values that round up across a digit, the smallest and largest of each type,
// subnormals, values that round to a signed zero, both zeros, infinities and NaNs.
void printFixedSweep()
{
    const float floatInf = std::numeric_limits<float>::infinity();
    const float floats[] = {0.5f,
                            1.0f / 128,
                            3.0f / 128,
                            5.0f / 128,
                            1.0078125f,
                            -1.0f / 128,
                            0.9999995f,
                            9.9999995f,
                            999999.94f,
                            0.1f,
                            1e-7f,
                            -1e-7f,
                            5e-7f,
                            5.0000006e-7f,
                            1e38f,
                            -1e38f,
                            FLT_MAX,
                            -FLT_MAX,
                            FLT_MIN,
                            std::numeric_limits<float>::denorm_min(),
                            -std::numeric_limits<float>::denorm_min(),
                            1e-40f,
                            16777217.0f,
                            123456.789f,
                            0.0f,
                            -0.0f,
                            floatInf,
                            -floatInf,
                            std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::quiet_NaN(),
                            floatFromBits(0x7fc00123u),
                            floatFromBits(0x7f800001u),
                            floatFromBits(0xff800001u)};
    for (float value : floats) printFixed(value);
    const double doubleInf = std::numeric_limits<double>::infinity();
    const double doubles[] = {0.0000005,
                              0.0000015,
                              0.0000025,
                              -0.0000005,
                              1.0 / 128,
                              3.0 / 128,
                              1.0 / 1048576,
                              2.5,
                              0.5,
                              1.0000005,
                              0.9999995,
                              1e15 + 0.5,
                              1e22,
                              1e23,
                              std::ldexp(1.0, 64),
                              std::ldexp(1.0, 100),
                              1e300,
                              DBL_MAX,
                              -DBL_MAX,
                              DBL_MIN,
                              std::numeric_limits<double>::denorm_min(),
                              -std::numeric_limits<double>::denorm_min(),
                              0.0,
                              -0.0,
                              doubleInf,
                              -doubleInf};
    for (double value : doubles) printFixed(value);
    // The integers the game prints with %d.
    for (long long value : {0LL, -1LL, 1681LL, 32767LL, -32768LL, 2147483647LL, -2147483648LL})
        std::printf("%%d %d\n", static_cast<int>(value));
}

} // namespace

int main(int argc, char** argv)
{
    platform::prepareStandardOutput();
    const std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: vantora-model-numbers MODEL...\n");
        return 2;
    }
    readModels(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    printTurnAngles();
    printMarkerSweep();
    printTurns();
    printFixedSweep();
    return std::fflush(stdout) == 0 ? 0 : 1;
}
