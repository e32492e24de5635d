// The command line shared by the map authors' programs: getopt_long driven the same way,
// the help and version options, and one way to report a bad argument.
#pragma once

#include <cstdio>
#include <getopt.h>
#include <string>

namespace cli {

// Exit status for a bad command line.
constexpr int badArgumentsStatus = 2;

// What nextOption returns for an operand (an argument that is no option); optarg holds it.
constexpr int operand = 1;

// The getopt_long value of --version, which has no short form.
constexpr int versionOption = 0x100;

// Makes the next call of nextOption start at argv[1]: getopt_long keeps its place in
// globals, so a program run twice in one process needs this before its first option.
void startOptions();

// The next option's value (its short letter or its table's val), operand for an operand,
// '?' or ':' (a value missing or empty) for a bad option (see optionError), or -1 after the
// last argument. `letters` are the short options in getopt's notation. Options and operands
// come in the order given, whatever POSIXLY_CORRECT says; the arguments after "--" are
// operands left from argv[optind] on.
int nextOption(int argc, char** argv, const char* letters, const option* longOptions);

// What is wrong, after nextOption returned '?' or ':', e.g. "unknown option '--fast'".
std::string optionError(int code, char* const* argv, const option* longOptions);

// The usage lines of -h, --help and --version, each description after `width` characters.
std::string helpAndVersionLines(int width);

// Prints "PROGRAM VERSION".
void printVersion(std::FILE* out, const char* program);

// Prints "PROGRAM: MESSAGE" and the line that points to --help; returns badArgumentsStatus.
int badArgument(std::FILE* err, const char* program, const std::string& message);

// A program's whole run, as its main hands it over: standard output writes its bytes as they
// are, and `run` gets the arguments as UTF-8 whatever form the system gave them in, with
// standard output and standard error. Returns what `run` returns.
int runProgram(int argc, char** argv, int (*run)(int, char**, std::FILE*, std::FILE*));

} // namespace cli
