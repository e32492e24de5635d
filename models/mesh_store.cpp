// The model file reader and the mesh store.
#include "models/mesh_store.h"

#include "models/face_normal.h"

#include <cstdio>
#include <cstdlib>
#include <new>

Mesh* meshList = nullptr;

namespace {

class File {
  public:
    explicit File(const char* name) : handle(std::fopen(name, "r")) {}
    ~File()
    {
        if (handle) std::fclose(handle);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    std::FILE* handle;
};

// Reads the faces that follow the face count. Stops at the end of the file or the first
// number that does not convert, keeping what was read; memory grows only with what arrives.
void readFaces(std::FILE* file, Mesh& mesh, int faceCount)
{
    for (int f = 0; f < faceCount; ++f) {
        float colour[3];
        int cornerCount;
        if (std::fscanf(file, "%f %f %f\n", &colour[0], &colour[1], &colour[2]) != 3) return;
        if (std::fscanf(file, "%d\n", &cornerCount) != 1) return;
        mesh.faces.emplace_back();
        mesh.faceCount = static_cast<int16_t>(mesh.faces.size());
        for (int v = 0; v < cornerCount; ++v) {
            float x, y, z;
            if (std::fscanf(file, "%f %f %f\n", &x, &y, &z) != 3) return;
            MeshFace& face = mesh.faces.back();
            face.vertices.push_back(Vertex{{x, y, z}, {}, {colour[0], colour[1], colour[2]}, {}});
            face.vertexCount = static_cast<int8_t>(face.vertices.size());
            printf("face: %d vertex:%d = %f, %f, %f\n", f, v, x, y, z);
            if (v == 2) {
                faceNormal(face.vertices[0].position, face.vertices[1].position,
                           face.vertices[2].position, face.normal);
            }
        }
    }
}

} // namespace

int16_t meshIdFor(uint32_t candidate)
{
    for (const Mesh* mesh = meshList; mesh; mesh = mesh->next)
        if (static_cast<int16_t>(candidate & 0xFFFFu) == mesh->id) ++candidate;
    return static_cast<int16_t>(candidate & 0xFFFFu);
}

int loadMesh(const char* fileName)
{
    // The square is formed unsigned: it wraps modulo 2^32 and only its low 16 bits count.
    const uint32_t r = static_cast<uint32_t>(std::rand());
    const int16_t id = meshIdFor(r * r);

    File file(fileName);
    if (!file.handle) return -1;
    Mesh* mesh = new (std::nothrow) Mesh;
    if (!mesh) return -1;
    int faceCount = 0;
    if (std::fscanf(file.handle, "%d\n", &faceCount) != 1) faceCount = 0;
    printf("number of faces for idnum: %d is %d\n", id, faceCount);
    try {
        readFaces(file.handle, *mesh, faceCount);
    } catch (const std::bad_alloc&) {
        // Out of memory mid-file: keep the faces read so far, as for a truncated file.
    }
    mesh->id = id;
    printf("created geometry with ID: %d - %d\n", id, id);
    mesh->next = meshList;
    meshList = mesh;
    return id;
}

Mesh* findMesh(int id)
{
    printf("attempting to retrieve geometry\n");
    for (Mesh* mesh = meshList; mesh; mesh = mesh->next) {
        printf("id: %d\n", mesh->id);
        if (mesh->id == id) return mesh;
    }
    return nullptr;
}

void releaseMeshes()
{
    while (meshList) {
        Mesh* next = meshList->next;
        delete meshList;
        meshList = next;
    }
}
