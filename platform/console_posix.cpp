// Standard output on Linux: bytes go out as they are, and the console needs no care.
#include "platform/console.h"

#include <unistd.h>

namespace platform {

void prepareStandardOutput() {}

std::FILE* duplicateStandardOutput()
{
    const int fd = dup(fileno(stdout));
    if (fd < 0) return nullptr;
    std::FILE* stream = fdopen(fd, "w");
    if (!stream) close(fd);
    return stream;
}

void holdConsoleBeforeExit() {}

} // namespace platform
