// Standard output and the console: the lines the game prints, and what happens to the console
// window when the game ends early.
#pragma once

#include <cstdio>

namespace platform {

// Called first thing: makes standard output write its bytes as they are. Windows would turn
// each "\n" into CR LF, so that the same world printed different bytes there.
void prepareStandardOutput();

// A new stream onto a duplicate of standard output's descriptor, for writing, unbuffered
// until the caller sets its buffer; null on failure. It writes the same bytes standard
// output does.
std::FILE* duplicateStandardOutput();

// Called before the process ends on a failed load. Where the console window was opened for
// this program alone (a double-click on Windows) it waits for a key, so that the lines can be
// read before the window closes; started from a console or with output redirected, it
// returns at once.
void holdConsoleBeforeExit();

} // namespace platform
