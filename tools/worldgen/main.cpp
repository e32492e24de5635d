// vantora-worldgen: writes a new world folder; all the work is in runWorldgen.
#include "tools/common/cli.h"
#include "tools/worldgen/worldgen.h"

int main(int argc, char** argv)
{
    return cli::runProgram(argc, argv, worldgen::runWorldgen);
}
