// The model file reader and the mesh store.
#include "models/mesh_store.h"

#include "models/face_normal.h"
#include "platform/numbers.h"

#include <cstdlib>
#include <new>
#include <type_traits>
#include <utility>

namespace {

// Tells nothing: the game's reading, which the compiler keeps free of any observer call.
struct Unobserved {
    static constexpr bool wantsPlaces = false;
    void number(const ModelNumberRead&) {}
};

// Tells an observer, with the stream offsets around each conversion.
struct Observed {
    static constexpr bool wantsPlaces = true;
    ModelObserver& observer;
    void number(const ModelNumberRead& read) { observer.number(read); }
};

// One number read with formatted input, which skips the white space in front of it; glibc's
// "%d" and "%f" on every system (platform/numbers.h).
template <typename Observer, typename T>
bool readNumber(std::FILE* in, T& value, Observer& seen, ModelNumber what, int face, int corner)
{
    long long before = 0;
    if constexpr (Observer::wantsPlaces) before = std::ftell(in);
    bool converted;
    if constexpr (std::is_same_v<T, int>)
        converted = platform::scanInt(in, value);
    else
        converted = platform::scanFloat(in, value);
    if constexpr (Observer::wantsPlaces)
        seen.number({what, face, corner, before, std::ftell(in), converted,
                     converted ? static_cast<double>(value) : 0.0});
    return converted;
}

// Reads the face count and the faces that follow it. Stops at the end of the file or the
// first number that does not convert, keeping what was read; memory grows only with what
// arrives. Returns the face count as read (0 when it does not convert).
template <typename Observer>
int readFaces(std::FILE* in, std::FILE* log, Mesh& mesh, int16_t id, Observer& seen)
{
    int faceCount = 0;
    if (!readNumber(in, faceCount, seen, ModelNumber::FaceCount, -1, -1)) faceCount = 0;
    std::fprintf(log, "number of faces for idnum: %d is %d\n", id, faceCount);
    const ModelNumber colourParts[3] = {ModelNumber::Red, ModelNumber::Green, ModelNumber::Blue};
    const ModelNumber axes[3] = {ModelNumber::X, ModelNumber::Y, ModelNumber::Z};
    for (int f = 0; f < faceCount; ++f) {
        float colour[3];
        for (int k = 0; k < 3; ++k)
            if (!readNumber(in, colour[k], seen, colourParts[k], f, -1)) return faceCount;
        int cornerCount;
        if (!readNumber(in, cornerCount, seen, ModelNumber::CornerCount, f, -1)) return faceCount;
        mesh.faces.emplace_back();
        mesh.faceCount = static_cast<int16_t>(mesh.faces.size());
        for (int v = 0; v < cornerCount; ++v) {
            float p[3];
            for (int k = 0; k < 3; ++k)
                if (!readNumber(in, p[k], seen, axes[k], f, v)) return faceCount;
            MeshFace& face = mesh.faces.back();
            face.vertices.push_back(
                Vertex{{p[0], p[1], p[2]}, {}, {colour[0], colour[1], colour[2]}, {}});
            face.vertexCount = static_cast<int8_t>(face.vertices.size());
            std::fprintf(log, "face: %d vertex:%d = %s, %s, %s\n", f, v, platform::fixed(p[0]).text,
                         platform::fixed(p[1]).text, platform::fixed(p[2]).text);
            if (v == 2) {
                faceNormal(face.vertices[0].position, face.vertices[1].position,
                           face.vertices[2].position, face.normal);
            }
        }
    }
    return faceCount;
}

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

int MeshStore::loadMesh(std::FILE* in, std::FILE* log, ModelObserver* observer)
{
    // The square is formed unsigned: it wraps modulo 2^32 and only its low 16 bits count.
    const uint32_t r = static_cast<uint32_t>(std::rand());
    const int16_t id = meshIdFor(r * r);
    if (!in) return -1;
    Mesh* mesh = new (std::nothrow) Mesh;
    if (!mesh) return -1;
    try {
        if (observer) {
            Observed seen{*observer};
            readFaces(in, log, *mesh, id, seen);
        } else {
            Unobserved seen;
            readFaces(in, log, *mesh, id, seen);
        }
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
