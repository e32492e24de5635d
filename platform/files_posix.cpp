// Files and byte streams on Linux and other POSIX systems: fopen, fmemopen and /dev/null.
#include "platform/files.h"

namespace platform {

std::FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

std::FILE* createFile(const std::string& path)
{
    return std::fopen(path.c_str(), "wbx");
}

std::FILE* openBytes(const char* data, std::size_t size)
{
    // fmemopen wants a buffer even for no bytes at all.
    if (size == 0) return fmemopen(const_cast<char*>(""), 0, "r");
    return fmemopen(const_cast<char*>(data), size, "r");
}

std::FILE* openNullOutput()
{
    return std::fopen("/dev/null", "w");
}

} // namespace platform
