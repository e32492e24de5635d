// vantora-check: checks world folders for map authors; the logic lives in checker.cpp.
#include "tools/checker/checker.h"

#include <cstdio>

int main(int argc, char** argv)
{
    return checker::runChecker(argc, argv, stdout, stderr);
}
