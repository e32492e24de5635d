// What a program knows of itself: its arguments as UTF-8 and the folder it was started from.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The program's arguments as UTF-8, argv[0] first. On Windows they are read again from the
// wide-character command line, since argv holds them in the ANSI code page, which loses any
// character outside it; elsewhere they are argv as it stands.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// The full path of the running program's file (UTF-8); empty when the system does not tell.
std::string programPath();

// The folder that holds the running program's file (UTF-8, no trailing separator); empty when
// the system does not tell.
std::string programFolder();

} // namespace platform
