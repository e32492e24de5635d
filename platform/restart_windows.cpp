// Restarting on Windows: cmd.exe reads "vantora &" as "run vantora, then nothing" and waits
// for it, so the restart names this program's own file and lets start run it on its own.
#include "platform/restart.h"

#include "platform/program.h"
#include "platform/text.h"

#include <cstdlib>
#include <windows.h>

namespace platform {

void startAgain()
{
    const std::string path = programPath();
    if (path.empty()) return;
    // The path reaches cmd.exe through a variable that it expands once, inside quotes, so that
    // a '%' or '&' in a folder's name stays a character of the name. (Wine's cmd expands the
    // value a second time: there a folder named "%PATH%" does not restart.) start returns at
    // once; the new game runs in this working folder, in a console window of its own.
    SetEnvironmentVariableW(L"VANTORA_RESTART_PATH", widen(path).c_str());
    int ignored = _wsystem(L"start \"\" \"%VANTORA_RESTART_PATH%\"");
    (void)ignored;
}

} // namespace platform
