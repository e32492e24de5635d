// Model instances: construction (the mesh lookup) and drawing. The virtual table is
// emitted here with `draw`, so this file belongs with the drawing code.
#include "models/mesh_store.h"
#include "models/model_instance.h"

#include <GL/gl.h>
#include <cstdio>

ModelInstance::ModelInstance(const MeshStore& meshes, int meshId, int passableFlag, std::FILE* log)
{
    spareFlag = false;
    mesh = meshes.findMesh(meshId, log);
    next = nullptr;
    passable = passableFlag;
    if (!mesh) std::fputs("\ngeometry not found!!\n", log);
}

void ModelInstance::draw(bool lighting, bool outline)
{
    if (!mesh || mesh->faceCount <= 0) return;
    for (int f = 0; f < mesh->faceCount; ++f) {
        const MeshFace& face = mesh->faces[f];
        if (face.vertices.empty()) continue; // no corner to take the colour from
        const float* colour = face.vertices[0].colour;
        // The outline pass keeps the colour that the frame display set.
        if (!outline) glColor3fv(colour);
        if (lighting) {
            const float diffuse[4] = {colour[0], colour[1], colour[2], 1.0f};
            glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
        }
        glBegin(GL_POLYGON);
        for (int v = 0; v < face.vertexCount; ++v) {
            if (lighting) glNormal3fv(face.normal);
            const float* p = face.vertices[v].position;
            glVertex3f(p[0], p[1], p[2]);
        }
        glEnd();
    }
}
