// Fuzz target: one model file read into the mesh store. Checks that the stored counts match
// what was kept, that normals are unit length, that memory grows only with the bytes that
// arrive, and that the lookup finds the new mesh.
#include "fuzz/fuzz_support.h"
#include "models/mesh_store.h"

#include <cmath>
#include <cstdlib>

namespace {

void checkFace(const MeshFace& face)
{
    FUZZ_CHECK(face.vertexCount == static_cast<int8_t>(face.vertices.size()));
    float length = 0;
    for (float component : face.normal) {
        FUZZ_CHECK(std::isfinite(component));
        length += component * component;
    }
    FUZZ_CHECK(std::fabs(length - 1.0f) < 1e-3f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::srand(1);
    MeshStore store;
    InputBytes in(data, size);
    const int id = store.loadMesh(in.get(), quietLog());
    const Mesh* mesh = store.newest();
    FUZZ_CHECK(mesh != nullptr && mesh->id == id);
    FUZZ_CHECK(store.findMesh(id, quietLog()) == mesh);
    FUZZ_CHECK(mesh->faceCount == static_cast<int16_t>(mesh->faces.size()));
    // Every face kept cost four numbers and every corner three, each at least one byte.
    size_t corners = 0;
    for (const MeshFace& face : mesh->faces) {
        checkFace(face);
        corners += face.vertices.size();
    }
    FUZZ_CHECK(4 * mesh->faces.size() + 3 * corners <= size);
    return 0;
}
