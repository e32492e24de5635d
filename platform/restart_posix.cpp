// Restarting on Linux: the shell gets "vantora &" and finds the program through PATH.
#include "platform/restart.h"

#include <cstdlib>

namespace platform {

void startAgain()
{
    int ignored = std::system("vantora &");
    (void)ignored;
}

} // namespace platform
