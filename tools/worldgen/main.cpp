// vantora-worldgen: writes a new world folder; all the work is in runWorldgen.
#include "tools/worldgen/worldgen.h"

#include <cstdio>

int main(int argc, char** argv)
{
    return worldgen::runWorldgen(argc, argv, stdout, stderr);
}
