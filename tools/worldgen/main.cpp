// vantora-worldgen: writes a new world folder; all the work is in runWorldgen.
#include "platform/console.h"
#include "platform/program.h"
#include "tools/worldgen/worldgen.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // The summary's bytes as they are, and the arguments as UTF-8 whatever the system gave.
    platform::prepareStandardOutput();
    std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    std::vector<char*> utf8;
    for (std::string& argument : arguments) utf8.push_back(argument.data());
    utf8.push_back(nullptr);
    return worldgen::runWorldgen(static_cast<int>(arguments.size()), utf8.data(), stdout, stderr);
}
