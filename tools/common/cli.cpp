// The command line shared by the map authors' programs: driving getopt_long, the help and
// version lines, and the report of a bad argument.
#include "tools/common/cli.h"

#include "platform/console.h"
#include "platform/program.h"

#include <vector>

#ifndef VANTORA_VERSION
#define VANTORA_VERSION "unknown"
#endif

namespace cli {

namespace {

// The table entry whose value getopt_long reports in optopt, if any.
const option* findOption(const option* longOptions, int value)
{
    if (value == 0) return nullptr;
    for (const option* o = longOptions; o->name; ++o)
        if (o->val == value && !o->flag) return o;
    return nullptr;
}

std::string shortName(int letter)
{
    return std::string("-") + static_cast<char>(letter);
}

} // namespace

void startOptions()
{
    // glibc starts over, forgetting a half-read group like "-ax", only when optind is 0.
    optind = 0;
}

int nextOption(int argc, char** argv, const char* letters, const option* longOptions)
{
    // "-": operands come back in place as `operand` (no reordering, so POSIXLY_CORRECT
    // cannot stop options after them); ":": no messages of getopt's own, and ':' for a
    // missing value rather than '?'.
    const std::string optionString = std::string("-:") + letters;
    int index = -1;
    const int code = getopt_long(argc, argv, optionString.c_str(), longOptions, &index);
    // An empty value ("--embed=" or "--embed ''") names nothing: as good as none.
    if (index >= 0 && longOptions[index].has_arg == required_argument && optarg && !*optarg) {
        optopt = code;
        return ':';
    }
    return code;
}

std::string optionError(int code, char* const* argv, const option* longOptions)
{
    const option* known = findOption(longOptions, optopt);
    // glibc says '?' for a value given to an option that takes none, MinGW-w64's getopt_long
    // ':', as for a value missing: the table tells which it is.
    if (code == ':' && known && known->has_arg == no_argument)
        return std::string("option '--") + known->name + "' takes no value";
    if (code == ':')
        return "option '" + (known ? std::string("--") + known->name : shortName(optopt)) +
               "' needs a value";
    // getopt_long has stepped past an unknown long option, and set optopt to 0.
    if (optopt == 0) return "unknown option '" + std::string(argv[optind - 1]) + "'";
    // A known option fails with '?' only when it is long and given a value it does not take.
    if (known) return std::string("option '--") + known->name + "' takes no value";
    return "unknown option '" + shortName(optopt) + "'";
}

std::string helpAndVersionLines(int width)
{
    auto line = [width](std::string option, const char* text) {
        if (static_cast<int>(option.size()) < width - 1) option.resize(width - 1, ' ');
        return option + " " + text + "\n";
    };
    return line("  -h, --help", "show this help and exit") +
           line("      --version", "show the version and exit");
}

void printVersion(std::FILE* out, const char* program)
{
    std::fprintf(out, "%s %s\n", program, VANTORA_VERSION);
}

int badArgument(std::FILE* err, const char* program, const std::string& message)
{
    std::fprintf(err, "%s: %s\nTry '%s --help' for more information.\n", program, message.c_str(),
                 program);
    return badArgumentsStatus;
}

int runProgram(int argc, char** argv, int (*run)(int, char**, std::FILE*, std::FILE*))
{
    platform::prepareStandardOutput();
    std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    std::vector<char*> utf8;
    for (std::string& argument : arguments) utf8.push_back(argument.data());
    utf8.push_back(nullptr);
    return run(static_cast<int>(arguments.size()), utf8.data(), stdout, stderr);
}

} // namespace cli
