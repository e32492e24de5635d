// The program's arguments and folder on Linux: argv as it stands, /proc/self/exe.
#include "platform/program.h"

#include <filesystem>

namespace platform {

std::vector<std::string> utf8Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

std::string programPath()
{
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

std::string programFolder()
{
    return std::filesystem::path(programPath()).parent_path().string();
}

} // namespace platform
