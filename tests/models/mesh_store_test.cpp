// Tests of the model reader, its reading rule, the mesh identifiers and the lookup in the store.
#include "models/mesh_store.h"
#include "models/model_file.h"
#include "tests/support/test_support.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

// The first and last lines that every successful read writes.
std::string countLine(int id, int faceCount)
{
    return "number of faces for idnum: " + std::to_string(id) + " is " + std::to_string(faceCount) +
           "\n";
}
std::string createdLine(int id)
{
    return "created geometry with ID: " + std::to_string(id) + " - " + std::to_string(id) + "\n";
}

void expectNormal(const MeshFace& face, float x, float y, float z)
{
    EXPECT_EQ(x, face.normal[0]);
    EXPECT_EQ(y, face.normal[1]);
    EXPECT_EQ(z, face.normal[2]);
}

const char* const redTriangle = "1\n1.0 0.0 0.0\n3\n0 0 0\n1 0 0\n0 1 0\n";

// A store of the test's own; `printed` keeps the lines of the last read or lookup.
class MeshFile : public ::testing::Test {
  protected:
    // Reads a model of these bytes into the store; returns the id.
    int load(const std::string& bytes)
    {
        InputBytes in(bytes);
        LogStream log;
        const int id = store.loadMesh(in.get(), log.get());
        printed = log.text();
        return id;
    }

    // Looks the id up in the store.
    const Mesh* find(int id)
    {
        LogStream log;
        const Mesh* found = store.findMesh(id, log.get());
        printed = log.text();
        return found;
    }

    // Puts a mesh with the given identifier at the head of the store, as loadMesh would.
    Mesh* pushMesh(int16_t id)
    {
        Mesh* mesh = new Mesh;
        mesh->id = id;
        store.adopt(mesh);
        return mesh;
    }

    const Mesh* head() const { return store.newest(); }

    MeshStore store;
    std::string printed;
};

TEST_F(MeshFile, OneTriangleReadsCornersColourAndNormal)
{
    const int id = load(redTriangle);
    EXPECT_EQ(countLine(id, 1) + "face: 0 vertex:0 = 0.000000, 0.000000, 0.000000\n" +
                  "face: 0 vertex:1 = 1.000000, 0.000000, 0.000000\n" +
                  "face: 0 vertex:2 = 0.000000, 1.000000, 0.000000\n" + createdLine(id),
              printed);
    ASSERT_NE(nullptr, head());
    EXPECT_EQ(id, head()->id);
    EXPECT_EQ(nullptr, head()->next);
    EXPECT_EQ(1, head()->faceCount);
    ASSERT_EQ(1u, head()->faces.size());
    const MeshFace& face = head()->faces[0];
    EXPECT_EQ(3, face.vertexCount);
    ASSERT_EQ(3u, face.vertices.size());
    const float corners[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    for (int v = 0; v < 3; ++v) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(corners[v][k], face.vertices[v].position[k]);
        EXPECT_EQ(1.0f, face.vertices[v].colour[0]);
        EXPECT_EQ(0.0f, face.vertices[v].colour[1]);
        EXPECT_EQ(0.0f, face.vertices[v].colour[2]);
    }
    expectNormal(face, 0, 0, 1);
}

TEST_F(MeshFile, ClockwiseCornersGiveDownwardNormal)
{
    load("1\n1.0 0.0 0.0\n3\n0 0 0\n0 1 0\n1 0 0\n");
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(1u, head()->faces.size());
    expectNormal(head()->faces[0], 0, 0, -1);
}

TEST_F(MeshFile, NormalIsUnitLengthForLargeFaces)
{
    // A right triangle with legs 4 and 3 in the x-z plane: the cross product is (0, -12, 0).
    load("1\n0 1 0\n3\n2 2 2\n6 2 2\n2 2 5\n");
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(1u, head()->faces.size());
    expectNormal(head()->faces[0], 0, -1, 0);
}

TEST_F(MeshFile, EmptyFileGivesMeshWithoutFaces)
{
    const int id = load("");
    EXPECT_EQ(countLine(id, 0) + createdLine(id), printed);
    ASSERT_NE(nullptr, head());
    EXPECT_EQ(id, head()->id);
    EXPECT_EQ(0, head()->faceCount);
    EXPECT_TRUE(head()->faces.empty());
}

TEST_F(MeshFile, ZeroOrNegativeFaceCountReadsNoFace)
{
    // The face after the count must not be read.
    const std::string face = "1 0 0\n3\n0 0 0\n1 0 0\n0 1 0\n";
    int id = load("-3\n" + face);
    EXPECT_EQ(countLine(id, -3) + createdLine(id), printed);
    EXPECT_EQ(0, head()->faceCount);
    EXPECT_TRUE(head()->faces.empty());

    id = load("0\n" + face);
    EXPECT_EQ(countLine(id, 0) + createdLine(id), printed);
    EXPECT_EQ(0, head()->faceCount);
    EXPECT_TRUE(head()->faces.empty());
}

TEST_F(MeshFile, FaceWithoutCornersIsKeptAndReadingGoesOn)
{
    const int id = load("3\n1 0 0\n0\n0 1 0\n-2\n0 0 1\n3\n0 0 0\n1 0 0\n0 1 0\n");
    EXPECT_EQ(countLine(id, 3) + "face: 2 vertex:0 = 0.000000, 0.000000, 0.000000\n" +
                  "face: 2 vertex:1 = 1.000000, 0.000000, 0.000000\n" +
                  "face: 2 vertex:2 = 0.000000, 1.000000, 0.000000\n" + createdLine(id),
              printed);
    ASSERT_NE(nullptr, head());
    EXPECT_EQ(3, head()->faceCount);
    ASSERT_EQ(3u, head()->faces.size());
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(0, head()->faces[f].vertexCount);
        EXPECT_TRUE(head()->faces[f].vertices.empty());
        expectNormal(head()->faces[f], 0, 0, 1);
    }
    const MeshFace& last = head()->faces[2];
    EXPECT_EQ(3, last.vertexCount);
    EXPECT_EQ(0.0f, last.vertices[0].colour[0]);
    EXPECT_EQ(1.0f, last.vertices[0].colour[2]);
    expectNormal(last, 0, 0, 1);
}

TEST_F(MeshFile, LayoutAndLineEndsDoNotMatter)
{
    const char* const variants[] = {
        "1 1.0 0.0 0.0 3 0 0 0 1 0 0 0 1 0",
        "1\r\n1.0 0.0 0.0\r\n3\r\n0 0 0\r\n1 0 0\r\n0 1 0\r\n",
        "  1\n\n1.0\t0.0 0.0\n3 0 0 0\n1 0\n0 0 1 0",
    };
    for (const char* bytes : variants) {
        SCOPED_TRACE(bytes);
        load(bytes);
        ASSERT_NE(nullptr, head());
        ASSERT_EQ(1u, head()->faces.size());
        const MeshFace& face = head()->faces[0];
        ASSERT_EQ(3u, face.vertices.size());
        EXPECT_EQ(1.0f, face.vertices[1].position[0]);
        EXPECT_EQ(1.0f, face.vertices[2].position[1]);
        EXPECT_EQ(1.0f, face.vertices[2].colour[0]);
        expectNormal(face, 0, 0, 1);
    }
}

TEST_F(MeshFile, TwoHundredCornerFaceIsReadInFull)
{
    std::string bytes = "2\n0.5 0.5 0.5\n200\n";
    for (int v = 0; v < 200; ++v) bytes += std::to_string(v) + " 0 " + std::to_string(v * v) + "\n";
    bytes += "0 0 1\n3\n0 0 0\n1 0 0\n0 1 0\n";
    const int id = load(bytes);
    ASSERT_NE(nullptr, head());
    EXPECT_EQ(2, head()->faceCount);
    ASSERT_EQ(2u, head()->faces.size());
    const MeshFace& big = head()->faces[0];
    EXPECT_EQ(-56, big.vertexCount);
    ASSERT_EQ(200u, big.vertices.size());
    EXPECT_EQ(199.0f, big.vertices[199].position[0]);
    EXPECT_EQ(39601.0f, big.vertices[199].position[2]);
    expectNormal(big, 0, -1, 0); // from the first three corners only
    // The face after it starts where the 200th corner ended.
    const MeshFace& next = head()->faces[1];
    EXPECT_EQ(3, next.vertexCount);
    EXPECT_EQ(1.0f, next.vertices[0].colour[2]);
    EXPECT_EQ(1.0f, next.vertices[1].position[0]);
    const std::string tail = "face: 0 vertex:199 = 199.000000, 0.000000, 39601.000000\n"
                             "face: 1 vertex:0 = 0.000000, 0.000000, 0.000000\n";
    EXPECT_NE(std::string::npos, printed.find(tail));
    EXPECT_EQ(0u, printed.rfind(countLine(id, 2), 0));
}

TEST_F(MeshFile, FaceCountAbove32767IsCutTo16Bits)
{
    std::string bytes = "40000\n";
    for (int f = 0; f < 40000; ++f) bytes += "0 0 0\n0\n";
    const int id = load(bytes);
    EXPECT_EQ(countLine(id, 40000) + createdLine(id), printed);
    ASSERT_NE(nullptr, head());
    EXPECT_EQ(40000u, head()->faces.size());
    EXPECT_EQ(-25536, head()->faceCount);
}

TEST_F(MeshFile, TruncatedFileKeepsWhatWasRead)
{
    const int id = load("2\n0.25 0.5 0.75\n3\n0 0 0\n1 0 0\n");
    EXPECT_EQ(countLine(id, 2) + "face: 0 vertex:0 = 0.000000, 0.000000, 0.000000\n" +
                  "face: 0 vertex:1 = 1.000000, 0.000000, 0.000000\n" + createdLine(id),
              printed);
    ASSERT_NE(nullptr, head());
    EXPECT_EQ(id, head()->id);
    EXPECT_EQ(1, head()->faceCount);
    ASSERT_EQ(1u, head()->faces.size());
    EXPECT_EQ(2, head()->faces[0].vertexCount);
    EXPECT_EQ(2u, head()->faces[0].vertices.size());
    expectNormal(head()->faces[0], 0, 0, 1);
}

TEST_F(MeshFile, NumberThatFailsToConvertEndsTheRead)
{
    const int id = load("1\n1 1 1\n3\n0 0 0\n1 x 0\n0 1 0\n");
    EXPECT_EQ(countLine(id, 1) + "face: 0 vertex:0 = 0.000000, 0.000000, 0.000000\n" +
                  createdLine(id),
              printed);
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(1u, head()->faces.size());
    EXPECT_EQ(1, head()->faces[0].vertexCount);
}

TEST_F(MeshFile, HugeCountsAllocateOnlyWhatArrives)
{
    // why: a count taken at its word allocated gigabytes before a single face was read.
    const int id = load("2000000000\n1 0 0\n3\n0 0 0\n1 0 0\n0 1 0\n");
    EXPECT_EQ(0u, printed.rfind(countLine(id, 2000000000), 0));
    ASSERT_NE(nullptr, head());
    EXPECT_EQ(1, head()->faceCount);
    EXPECT_EQ(1u, head()->faces.size());
    EXPECT_LT(head()->faces.capacity(), 64u);

    load("1\n1 0 0\n2000000000\n0 0 0\n1 0 0\n");
    ASSERT_EQ(1u, head()->faces.size());
    const MeshFace& face = head()->faces[0];
    EXPECT_EQ(2, face.vertexCount);
    EXPECT_EQ(2u, face.vertices.size());
    EXPECT_LT(face.vertices.capacity(), 64u);
}

TEST_F(MeshFile, DegenerateFacesGetUpwardNormal)
{
    // why: a zero-length or NaN cross product divided by its length gave NaN normals.
    load("5\n"
         "1 0 0\n2\n0 0 0\n1 0 0\n"                 // two corners only
         "1 0 0\n3\n0 0 0\n1 1 1\n2 2 2\n"          // collinear
         "1 0 0\n3\n3 3 3\n3 3 3\n3 3 3\n"          // coincident
         "1 0 0\n3\nnan 0 0\n1 0 0\n0 1 0\n"        // not a number
         "1 0 0\n4\n0 0 0\n0 0 0\n1 0 0\n0 1 0\n"); // first two corners coincide
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(5u, head()->faces.size());
    for (int f = 0; f < 5; ++f) {
        SCOPED_TRACE(f);
        expectNormal(head()->faces[f], 0, 0, 1);
    }
}

TEST_F(MeshFile, OverflowingCrossProductGivesFiniteNormal)
{
    // why: a cross product that overflowed to infinity normalised to NaN.
    load("1\n1 0 0\n3\n0 0 0\n0 1e30 0\n1e30 0 0\n");
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(1u, head()->faces.size());
    const float* n = head()->faces[0].normal;
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(std::isfinite(n[k])) << k;
    EXPECT_NEAR(1.0, std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1e-5);
}

// The next three were found by fuzzing; each failing input is also kept as
// fuzz/corpus/<target>/regression-*.
TEST_F(MeshFile, CrossProductWhoseSquaresOverflowGivesUnitNormal)
{
    // why: corners 1e19 apart give a finite cross product (0, 0, 1e38) whose squared length
    // overflows to infinity; dividing by it left the face normal (0, 0, 0).
    load("1\n1 0 0\n3\n0 0 0\n1e19 0 0\n0 1e19 0\n");
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(1u, head()->faces.size());
    const float* n = head()->faces[0].normal;
    EXPECT_FLOAT_EQ(0.0f, n[0]);
    EXPECT_FLOAT_EQ(0.0f, n[1]);
    EXPECT_FLOAT_EQ(1.0f, n[2]);
}

TEST_F(MeshFile, NormalLengthAboveFloatRangeKeepsTheDirection)
{
    // why: a finite cross product (-2.89e38, 2.89e38, 0) has a length of 4.09e38, beyond the
    // float range; rounded to a float it became infinite and the normal came out (0, 0, 0).
    load("1\n1 0 0\n3\n0 0 0\n0 0 1.7e19\n1.7e19 1.7e19 0\n");
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(1u, head()->faces.size());
    const float* n = head()->faces[0].normal;
    EXPECT_NEAR(-0.70710678, n[0], 1e-6);
    EXPECT_NEAR(0.70710678, n[1], 1e-6);
    EXPECT_NEAR(0.0, n[2], 1e-6);
}

TEST_F(MeshFile, SubnormalCrossProductKeepsAUnitNormal)
{
    // why: a cross product of the smallest floats, (0, -1.4e-45, 1.4e-45), has a length of
    // 1.98e-45 that rounds to the float 1.4e-45, and dividing by it gave (0, -1, 1).
    load("1\n1 0 0\n3\n0 0 0\n1e-45 0 0\n0 1 1\n");
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(1u, head()->faces.size());
    const float* n = head()->faces[0].normal;
    EXPECT_NEAR(1.0, std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1e-6);
}

TEST_F(MeshFile, OrdinaryFaceNormalTakesTheFloatStepsExactly)
{
    // why: every normal was divided by a length taken in double, one unit in the last place
    // off the float steps on faces like this one of the bundled tree.
    load("1\n0.1 0.48 0.14\n3\n2.2 0 2\n1.1 1.9053 2\n0 0 7\n");
    ASSERT_NE(nullptr, head());
    expectNormal(head()->faces[0], 0.80926764f, 0.467220068f, 0.35607776f);

    // Where the float steps fail, the double path still gives the direction: a length that
    // overflows, and a cross product so small that its squares vanish in float.
    load("3\n"
         "1 0 0\n3\n0 0 0\n0 1e10 0\n0 0 1e10\n"
         "1 0 0\n3\n0 0 0\n0 1e-20 0\n0 0 1e-19\n"
         "1 0 0\n3\n0 0 0\n1e-22 0 0\n0 1 1\n");
    ASSERT_EQ(3u, head()->faces.size());
    expectNormal(head()->faces[0], 1, 0, 0);
    expectNormal(head()->faces[1], 1, 0, 0);
    // why: squares that sum to a subnormal number leave a length of few bits, and the float
    // steps gave a normal of length 0.95 (found by fuzzing).
    const float* n = head()->faces[2].normal;
    EXPECT_EQ(0.0f, n[0]);
    EXPECT_NEAR(-0.70710678f, n[1], 1e-7f);
    EXPECT_NEAR(0.70710678f, n[2], 1e-7f);
}

TEST_F(MeshFile, MissingFileReturnsMinusOneAndUsesOneRandomNumber)
{
    srand(5);
    rand();
    const int second = rand();
    srand(5);
    LogStream log;
    EXPECT_EQ(-1, store.loadMesh(nullptr, log.get()));
    EXPECT_EQ("", log.text());
    EXPECT_EQ(nullptr, head());
    EXPECT_EQ(second, rand());
}

// What the model rule hands over, one line a part, with the bytes and value of each number.
struct PartsLog {
    static std::string numbers(const ModelNumberRead* reads, int count)
    {
        std::string text;
        for (int k = 0; k < count; ++k) {
            char value[32];
            std::snprintf(value, sizeof value, "%g", reads[k].value);
            text += " " + std::to_string(reads[k].before) + "-" + std::to_string(reads[k].after) +
                    (reads[k].converted ? std::string("=") + value : std::string(" failed"));
        }
        return text;
    }
    void faceCount(int count, const ModelNumberRead& read)
    {
        lines += "count " + std::to_string(count) + numbers(&read, 1) + "\n";
    }
    void colour(int face, const float* rgb, const ModelNumberRead* reads)
    {
        char values[64];
        std::snprintf(values, sizeof values, " (%g %g %g)", rgb[0], rgb[1], rgb[2]);
        lines += "colour " + std::to_string(face) + values + numbers(reads, 3) + "\n";
    }
    void cornerCount(int face, int count, const ModelNumberRead& read)
    {
        lines += "corners " + std::to_string(face) + " " + std::to_string(count) +
                 numbers(&read, 1) + "\n";
    }
    void corner(int face, int corner, const float* p, const ModelNumberRead* reads)
    {
        char values[64];
        std::snprintf(values, sizeof values, " (%g %g %g)", p[0], p[1], p[2]);
        lines += "corner " + std::to_string(face) + " " + std::to_string(corner) + values +
                 numbers(reads, 3) + "\n";
    }
    void faceEnd(int face) { lines += "end " + std::to_string(face) + "\n"; }
    void stopped(const ModelNumberRead& read)
    {
        static const char* const names[] = {"count",   "red", "green", "blue",
                                            "corners", "x",   "y",     "z"};
        lines += std::string("stopped at ") + names[static_cast<int>(read.what)] + " " +
                 std::to_string(read.face) + " " + std::to_string(read.corner) + numbers(&read, 1) +
                 "\n";
    }
    std::string lines;
};

std::string partsOf(const std::string& bytes)
{
    InputBytes in(bytes);
    PartsLog parts;
    readModel(in.get(), parts);
    return parts.lines;
}

TEST_F(MeshFile, RuleHandsOverEachPartWithTheBytesOfItsNumbersAndWhereItStopped)
{
    const std::string bytes = "1\n0.5 0 1\n3\n7 8 9\n3 x\n";
    EXPECT_EQ("count 1 0-1=1\n"
              "colour 0 (0.5 0 1) 1-5=0.5 5-7=0 7-9=1\n"
              "corners 0 3 9-11=3\n"
              "corner 0 0 (7 8 9) 11-13=7 13-15=8 15-17=9\n"
              "stopped at y 0 1 19-20 failed\n",
              partsOf(bytes));

    // The game's mesh is the same rule's: the lines and the mesh of the parts handed over.
    srand(1);
    InputBytes in(bytes);
    LogStream log;
    const int id = store.loadMesh(in.get(), log.get());
    EXPECT_EQ(countLine(id, 1) + "face: 0 vertex:0 = 7.000000, 8.000000, 9.000000\n" +
                  createdLine(id),
              log.text());
    ASSERT_NE(nullptr, head());
    ASSERT_EQ(1u, head()->faces.size());
    EXPECT_EQ(1, head()->faces[0].vertexCount);
    EXPECT_EQ(0.5f, head()->faces[0].vertices[0].colour[0]);
}

TEST_F(MeshFile, RuleEndsEachWholeFaceAndReadsNothingPastTheCount)
{
    // A face of no corners ends at its count; a face count that does not convert is 0 and
    // nothing more is read; the text after the last face is never read.
    EXPECT_EQ("count 2 0-1=2\n"
              "colour 0 (1 1 1) 1-5=1 5-7=1 7-9=1\n"
              "corners 0 0 9-11=0\n"
              "end 0\n"
              "colour 1 (0 0 0) 11-13=0 13-15=0 15-17=0\n"
              "corners 1 1 17-19=1\n"
              "corner 1 0 (1 2 3) 19-21=1 21-23=2 23-25=3\n"
              "end 1\n",
              partsOf("2\n1.0 1 1\n0\n0 0 0\n1\n1 2 3\n9 9 9\n"));
    EXPECT_EQ("count 0 0-0 failed\n", partsOf("x 1 0 0\n"));
    EXPECT_EQ("count 0 0-0 failed\n", partsOf(""));
}

class MeshId : public MeshFile {};

TEST_F(MeshId, FreshProcessGivesTheSameFourIds)
{
    // glibc's generator before any srand is the one that srand(1) gives.
    srand(1);
    const int cube = load("");
    const int pyramid = load("");
    const int tree = load("");
    const int person = load("");
    EXPECT_EQ(-20623, cube);
    EXPECT_EQ(-17116, pyramid);
    EXPECT_EQ(-9455, tree);
    EXPECT_EQ(-7255, person);
}

TEST_F(MeshId, EmptyStoreTakesLowSixteenBitsOfTheSquare)
{
    EXPECT_EQ(-19255, store.meshIdFor(18467u * 18467u));
    EXPECT_EQ(0x5678, store.meshIdFor(0x12345678u));
    EXPECT_EQ(-1, store.meshIdFor(0xABCDFFFFu));
}

TEST_F(MeshId, ClashesAreWalkedOnceFromTheNewest)
{
    pushMesh(101);
    pushMesh(100); // head: 100, then 101
    EXPECT_EQ(102, store.meshIdFor(100));
    store = MeshStore();

    // An increase is not checked again against the meshes already passed.
    pushMesh(100);
    pushMesh(101); // head: 101, then 100
    EXPECT_EQ(101, store.meshIdFor(100));
    EXPECT_EQ(102, store.meshIdFor(101 + 0x30000u));
}

TEST_F(MeshId, ClashAtTheTopWrapsToZero)
{
    pushMesh(-1);
    EXPECT_EQ(0, store.meshIdFor(0xFFFFu));
    EXPECT_EQ(0, store.meshIdFor(0x7FFFFFFFu));
    EXPECT_EQ(-2, store.meshIdFor(0xFFFEu));
}

TEST_F(MeshId, LoadedMeshAvoidsTheIdsInTheStore)
{
    // -20623 is what the first number after srand(1) gives an empty store.
    const int expected = -20622;
    pushMesh(-20623);
    srand(1);
    EXPECT_EQ(expected, load(""));
    EXPECT_EQ(countLine(expected, 0) + createdLine(expected), printed);
}

class MeshLookup : public MeshFile {};

TEST_F(MeshLookup, EmptyStoreWritesOnlyTheHeader)
{
    EXPECT_EQ(nullptr, find(0));
    EXPECT_EQ("attempting to retrieve geometry\n", printed);
}

TEST_F(MeshLookup, WalksFromNewestAndStopsAtFirstMatch)
{
    Mesh* oldest = pushMesh(7);
    Mesh* minusOne = pushMesh(-1);
    Mesh* newest = pushMesh(7);
    EXPECT_EQ(newest, find(7));
    EXPECT_EQ("attempting to retrieve geometry\nid: 7\n", printed);
    EXPECT_EQ(minusOne, find(-1));
    EXPECT_EQ("attempting to retrieve geometry\nid: 7\nid: -1\n", printed);
    // The key is compared with the sign-widened id: 65535 is not -1.
    EXPECT_EQ(nullptr, find(65535));
    EXPECT_EQ("attempting to retrieve geometry\nid: 7\nid: -1\nid: 7\n", printed);
    EXPECT_EQ(oldest, newest->next->next);
}

TEST_F(MeshLookup, FindsEachOfFourLoadedModels)
{
    srand(1);
    const int cube = load(redTriangle);
    const int others[3] = {load(""), load(redTriangle), load("")};
    const Mesh* found = find(cube);
    EXPECT_EQ("attempting to retrieve geometry\nid: " + std::to_string(others[2]) +
                  "\nid: " + std::to_string(others[1]) + "\nid: " + std::to_string(others[0]) +
                  "\nid: " + std::to_string(cube) + "\n",
              printed);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(nullptr, found->next);
    EXPECT_EQ(1u, found->faces.size());
    for (int id : others) {
        found = find(id);
        ASSERT_NE(nullptr, found);
        EXPECT_EQ(id, found->id);
    }
}

TEST(MeshStore, MovingHandsTheMeshesOver)
{
    MeshStore first;
    Mesh* mesh = new Mesh;
    mesh->id = 3;
    first.adopt(mesh);
    MeshStore second(std::move(first));
    EXPECT_EQ(nullptr, first.newest());
    EXPECT_EQ(mesh, second.newest());

    // Assigning frees what the store held and takes the other's meshes.
    MeshStore third;
    third.adopt(new Mesh);
    third = std::move(second);
    EXPECT_EQ(nullptr, second.newest());
    EXPECT_EQ(mesh, third.newest());
    EXPECT_EQ(nullptr, mesh->next);
}

} // namespace
