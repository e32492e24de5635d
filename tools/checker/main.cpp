// vantora-check: checks world folders for map authors; the logic lives in checker.cpp.
#include "tools/checker/checker.h"
#include "tools/common/cli.h"

int main(int argc, char** argv)
{
    return cli::runProgram(argc, argv, checker::runChecker);
}
