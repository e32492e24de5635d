// vantora-check's command line: its options, the folders it checks, and its exit status;
// the checks themselves live in checker.cpp.
#include "tools/common/cli.h"
#include "tools/checker/checker.h"

#include <algorithm>
#include <filesystem>

namespace checker {

namespace {

const char* const program = "vantora-check";

enum LongOnly { PictureOption = cli::versionOption + 1 };

const option longOptions[] = {
    {"all", no_argument, nullptr, 'a'},
    {"picture", required_argument, nullptr, PictureOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, cli::versionOption},
    {nullptr, 0, nullptr, 0},
};

const char* const usageHead =
    "Usage: vantora-check [--all] [FOLDER...]\n"
    "       vantora-check [--all] --picture FILE.png FOLDER\n"
    "Reads the world in each FOLDER (default: the current folder) the way the game loads it,\n"
    "and reports what loads differently from what its author likely meant, one finding a\n"
    "line, then a summary:\n"
    "  FILE:LINE:COLUMN: error|warning|note: MESSAGE\n"
    "Lines, columns, rows and cells count from 1. Exit status: 0 when there are notes at\n"
    "most, 1 when there is an error or a warning, 2 for bad arguments.\n"
    "\n"
    "  -a, --all      list every finding (else at most 10 of a kind in each file)\n"
    "      --picture FILE.png\n"
    "                 also draw the world as the game loads it, seen from above, into\n"
    "                 FILE.png, the cells that findings name outlined (one FOLDER only)\n";

} // namespace

int runChecker(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    bool all = false;
    std::string picture;
    std::vector<std::string> folders;
    cli::startOptions();
    for (int code; (code = cli::nextOption(argc, argv, "ah", longOptions)) != -1;) {
        switch (code) {
        case cli::operand: folders.push_back(optarg); break;
        case 'a': all = true; break;
        case PictureOption: picture = optarg; break;
        case 'h':
            std::fprintf(out, "%s%s", usageHead, cli::helpAndVersionLines(17).c_str());
            return 0;
        case cli::versionOption: cli::printVersion(out, program); return 0;
        default: return cli::badArgument(err, program, cli::optionError(code, argv, longOptions));
        }
    }
    for (int i = optind; i < argc; ++i) folders.push_back(argv[i]); // those after "--"
    if (!picture.empty() && folders.size() != 1)
        return cli::badArgument(err, program,
                                "--picture draws exactly one FOLDER, not " +
                                    std::to_string(folders.size()));
    if (folders.empty()) folders.push_back(".");
    int status = 0;
    for (const std::string& folder : folders) {
        std::error_code error;
        if (!std::filesystem::is_directory(std::filesystem::u8path(folder), error)) {
            std::fprintf(err, "%s: %s: not a folder\n", program, folder.c_str());
            status = cli::badArgumentsStatus;
            continue;
        }
        const WorldReport report = checkWorld(folder);
        printReport(out, folder, report, all);
        status = std::max(status, exitStatus(report));
        std::string why;
        if (!picture.empty() && report.world.loaded && !writePicture(report, picture, why)) {
            std::fprintf(err, "%s: %s: %s\n", program, picture.c_str(), why.c_str());
            status = std::max(status, 1);
        }
    }
    std::fflush(out);
    return status;
}

} // namespace checker
