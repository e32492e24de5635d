// Regression tests for faults the fuzz targets found in the readers of the world's files;
// each failing input is also kept as fuzz/corpus/<target>/regression-*.
#include "models/mesh_store.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class MeshFileRegression : public testing::Test {
  protected:
    // Reads the text as a model file and returns the mesh it made; the reader's lines, which
    // the mesh store's own tests check, go to a log nobody reads.
    const Mesh* load(const char* text)
    {
        InputBytes in(text);
        LogStream log;
        meshes.loadMesh(in.get(), log.get());
        return meshes.newest();
    }

    MeshStore meshes;
};

} // namespace

TEST_F(MeshFileRegression, CrossProductWhoseSquaresOverflowGivesUnitNormal)
{
    // why: corners 1e19 apart give a finite cross product (0, 0, 1e38) whose squared length
    // overflows to infinity; dividing by it left the face normal (0, 0, 0).
    const Mesh* mesh = load("1\n1 0 0\n3\n0 0 0\n1e19 0 0\n0 1e19 0\n");
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(1u, mesh->faces.size());
    const float* n = mesh->faces[0].normal;
    EXPECT_FLOAT_EQ(0.0f, n[0]);
    EXPECT_FLOAT_EQ(0.0f, n[1]);
    EXPECT_FLOAT_EQ(1.0f, n[2]);
}

TEST_F(MeshFileRegression, NormalLengthAboveFloatRangeKeepsTheDirection)
{
    // why: a finite cross product (-2.89e38, 2.89e38, 0) has a length of 4.09e38, beyond the
    // float range; rounded to a float it became infinite and the normal came out (0, 0, 0).
    const Mesh* mesh = load("1\n1 0 0\n3\n0 0 0\n0 0 1.7e19\n1.7e19 1.7e19 0\n");
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(1u, mesh->faces.size());
    const float* n = mesh->faces[0].normal;
    EXPECT_NEAR(-0.70710678, n[0], 1e-6);
    EXPECT_NEAR(0.70710678, n[1], 1e-6);
    EXPECT_NEAR(0.0, n[2], 1e-6);
}

TEST_F(MeshFileRegression, SubnormalCrossProductKeepsAUnitNormal)
{
    // why: a cross product of the smallest floats, (0, -1.4e-45, 1.4e-45), has a length of
    // 1.98e-45 that rounds to the float 1.4e-45, and dividing by it gave (0, -1, 1).
    const Mesh* mesh = load("1\n1 0 0\n3\n0 0 0\n1e-45 0 0\n0 1 1\n");
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(1u, mesh->faces.size());
    const float* n = mesh->faces[0].normal;
    EXPECT_NEAR(1.0, std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1e-6);
}
