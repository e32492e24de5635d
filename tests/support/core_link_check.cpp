// Links the GL-free game logic on its own; these stand-ins take the place of the members
// that are defined with the drawing code.
#include "models/model_instance.h"
#include "models/person.h"

ModelInstance::ModelInstance(const MeshStore&, int, int, std::FILE*) {}
void ModelInstance::draw(bool, bool) {}
Person::Person(const MeshStore&, int, int, std::FILE*) {}
void Person::draw(bool, bool, float&, float&) {}

int main()
{
    return 0;
}
