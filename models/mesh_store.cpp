// The model file reader and the mesh store.
#include "models/mesh_store.h"

#include "models/face_normal.h"
#include "models/model_file.h"
#include "platform/numbers.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace {

// The game's receiver of a model file: a mesh of the faces and corners read, each corner with
// its face's colour, a line for the face count and for every corner, and each face's normal
// from its first three corners. Memory grows only with what arrives.
struct MeshBuilder {
    Mesh& mesh;
    int16_t id;
    std::FILE* log;
    float colourRead[3] = {0, 0, 0};

    void faceCount(int count, const ModelNumberRead&)
    {
        std::fprintf(log, "number of faces for idnum: %d is %d\n", id, count);
    }
    void colour(int, const float rgb[3], const ModelNumberRead*)
    {
        for (int k = 0; k < 3; ++k) colourRead[k] = rgb[k];
    }
    void cornerCount(int, int, const ModelNumberRead&)
    {
        mesh.faces.emplace_back();
        mesh.faceCount = static_cast<int16_t>(mesh.faces.size());
    }
    void corner(int f, int v, const float p[3], const ModelNumberRead*)
    {
        MeshFace& face = mesh.faces.back();
        face.vertices.push_back(
            Vertex{{p[0], p[1], p[2]}, {}, {colourRead[0], colourRead[1], colourRead[2]}, {}});
        face.vertexCount = static_cast<int8_t>(face.vertices.size());
        std::fprintf(log, "face: %d vertex:%d = %s, %s, %s\n", f, v, platform::fixed(p[0]).text,
                     platform::fixed(p[1]).text, platform::fixed(p[2]).text);
        if (v == 2) {
            faceNormal(face.vertices[0].position, face.vertices[1].position,
                       face.vertices[2].position, face.normal);
        }
    }
    void faceEnd(int) {}
    void stopped(const ModelNumberRead&) {}
};

} // namespace

MeshStore::~MeshStore()
{
    while (Mesh* mesh = meshList) {
        meshList = mesh->next;
        delete mesh;
    }
}

MeshStore::MeshStore(MeshStore&& other) noexcept : meshList(std::exchange(other.meshList, nullptr))
{
}

MeshStore& MeshStore::operator=(MeshStore&& other) noexcept
{
    if (this != &other) {
        MeshStore old(std::move(*this));
        meshList = std::exchange(other.meshList, nullptr);
    }
    return *this;
}

int16_t MeshStore::meshIdFor(uint32_t candidate) const
{
    for (const Mesh* mesh = meshList; mesh; mesh = mesh->next)
        if (static_cast<int16_t>(candidate & 0xFFFFu) == mesh->id) ++candidate;
    return static_cast<int16_t>(candidate & 0xFFFFu);
}

int MeshStore::loadMesh(std::FILE* in, std::FILE* log)
{
    // The square is formed unsigned: it wraps modulo 2^32 and only its low 16 bits count.
    const uint32_t r = static_cast<uint32_t>(std::rand());
    const int16_t id = meshIdFor(r * r);
    if (!in) return -1;
    Mesh* mesh = new (std::nothrow) Mesh;
    if (!mesh) return -1;
    try {
        MeshBuilder builder{*mesh, id, log};
        readModel(in, builder);
    } catch (const std::bad_alloc&) {
        // Out of memory mid-file: keep the faces read so far, as for a truncated file.
    }
    mesh->id = id;
    std::fprintf(log, "created geometry with ID: %d - %d\n", id, id);
    adopt(mesh);
    return id;
}

void MeshStore::adopt(Mesh* mesh)
{
    mesh->next = meshList;
    meshList = mesh;
}

Mesh* MeshStore::findMesh(int id, std::FILE* log) const
{
    std::fputs("attempting to retrieve geometry\n", log);
    for (Mesh* mesh = meshList; mesh; mesh = mesh->next) {
        std::fprintf(log, "id: %d\n", mesh->id);
        if (mesh->id == id) return mesh;
    }
    return nullptr;
}
