// People: construction of the figure and the spinning draw. The virtual table is emitted
// here with `draw`, so this file belongs with the drawing code.
#include "models/model_instance.h"
#include "models/person.h"

#include <GL/gl.h>
#include <new>

Person::Person(const MeshStore& meshes, int meshId, int passable, std::FILE* log)
    : model(new (std::nothrow) ModelInstance(meshes, meshId, passable, log))
{
}

void Person::draw(bool lighting, bool outline, float& playerX, float& playerY)
{
    if (saved) return;
    const float dx = position[0] - playerX, dy = position[1] - playerY;
    if (dx * dx + dy * dy >= 10000.0f) return;
    glPushMatrix();
    {
        glTranslatef(position[0], position[1], position[2]);
        glRotatef(spin, 0.0f, 0.0f, 1.0f);
        spin += 5.0f;
        if (model) model->draw(lighting, outline);
    }
    glPopMatrix();
}
