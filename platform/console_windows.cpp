// Standard output and the console window on Windows.
#include "platform/console.h"

#include <conio.h>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

namespace {

UINT consoleCodePage = 0;

void restoreConsoleCodePage()
{
    SetConsoleOutputCP(consoleCodePage);
}

} // namespace

void prepareStandardOutput()
{
    _setmode(_fileno(stdout), _O_BINARY);
    // The programs write UTF-8 (a folder's name, say): the console shows it as such while they
    // run, and gets its own code page back when they end.
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreConsoleCodePage);
}

std::FILE* duplicateStandardOutput()
{
    const int fd = _dup(_fileno(stdout));
    if (fd < 0) return nullptr;
    _setmode(fd, _O_BINARY);
    std::FILE* stream = _fdopen(fd, "wb");
    if (!stream) _close(fd);
    return stream;
}

void holdConsoleBeforeExit()
{
    // The console is this program's alone when it is the only process attached to it: Explorer
    // opened it for a double-click. From Command Prompt or PowerShell the shell is attached too.
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) != 1) return;
    // Only a real console window can show the lines and take a key: not a pipe or a file.
    DWORD mode;
    if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) return;
    if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) return;
    std::fflush(stdout);
    std::fputs("Press any key to close this window.", stderr);
    _getch();
}

} // namespace platform
