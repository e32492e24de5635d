// vantora-check: checks world folders for map authors; the logic lives in checker.cpp.
#include "platform/console.h"
#include "platform/program.h"
#include "tools/checker/checker.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // The report's bytes as they are, and the arguments as UTF-8 whatever the system gave.
    platform::prepareStandardOutput();
    std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    std::vector<char*> utf8;
    for (std::string& argument : arguments) utf8.push_back(argument.data());
    utf8.push_back(nullptr);
    return checker::runChecker(static_cast<int>(arguments.size()), utf8.data(), stdout, stderr);
}
