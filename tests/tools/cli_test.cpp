// Tests of the map authors' programs on the command line: help, version and bad arguments
// the same way in both, and the options and operands of vantora-check and vantora-worldgen.
#include "tests/support/test_support.h"
#include "tools/checker/checker.h"
#include "tools/worldgen/worldgen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

ProgramRun check(const std::vector<std::string>& args)
{
    return runProgram(checker::runChecker, "vantora-check", args);
}

ProgramRun generate(const std::vector<std::string>& args)
{
    return runProgram(worldgen::runWorldgen, "vantora-worldgen", args);
}

// The words of the line of `text` that holds `part`, however the columns are spaced.
std::vector<std::string> wordsOfLineWith(const std::string& text, const std::string& part)
{
    const size_t at = text.find(part);
    if (at == std::string::npos) return {};
    const size_t begin = text.rfind('\n', at) + 1; // npos + 1 is 0
    std::istringstream line(text.substr(begin, text.find('\n', at) - begin));
    std::vector<std::string> words;
    for (std::string word; line >> word;) words.push_back(word);
    return words;
}

// The options of each program, with the order of words its usage lists them in.
const char* const checkerOptions[] = {"-a, --all", "--picture FILE.png", "-h, --help", "--version"};
const char* const worldgenOptions[] = {"--assets DIR", "--embed DIR",        "--people-away U",
                                       "--force",      "--picture FILE.png", "-h, --help",
                                       "--version"};

} // namespace

TEST(CommandLine, HelpPrintsTheUsageOnStandardOutput)
{
    ScratchFolder folder;
    const std::string out = folder / "out";
    for (const char* option : {"-h", "--help"}) {
        const ProgramRun checkHelp = check({option, folder / "nowhere"});
        EXPECT_EQ(0, checkHelp.status);
        EXPECT_EQ("", checkHelp.err);
        EXPECT_EQ(0u, checkHelp.out.find("Usage: vantora-check [--all] [FOLDER...]\n"));
        // Help wins over operands that would be wrong, wherever it stands.
        const ProgramRun generateHelp = generate({"7", "30", "1", out, option});
        EXPECT_EQ(0, generateHelp.status);
        EXPECT_EQ("", generateHelp.err);
        EXPECT_EQ(worldgen::usageText(), generateHelp.out);
        EXPECT_EQ(0u, generateHelp.out.find("Usage: vantora-worldgen ROWS COLS SEED OUTDIR "));
        EXPECT_FALSE(fs::exists(out));
    }
    // Each option at the start of a line, its words after it on that line or the next.
    const std::string checkUsage = check({"--help"}).out, generateUsage = worldgen::usageText();
    auto listed = [](const std::string& usage, const std::string& option) {
        const size_t at = usage.find("  " + option);
        return at != std::string::npos &&
               std::string(" \n").find(usage[at + 2 + option.size()]) != std::string::npos;
    };
    for (const char* option : checkerOptions) EXPECT_TRUE(listed(checkUsage, option)) << option;
    for (const char* option : worldgenOptions) EXPECT_TRUE(listed(generateUsage, option)) << option;
    // The options both have, in the same words.
    for (const char* option : {"-h, --help", "--version"}) {
        EXPECT_EQ(wordsOfLineWith(checkUsage, option), wordsOfLineWith(generateUsage, option));
        EXPECT_GT(wordsOfLineWith(checkUsage, option).size(), 3u) << option;
    }
}

TEST(CommandLine, VersionIsTheProjectVersion)
{
    // project(vantora ... VERSION x.y.z ...), over one line or several.
    const std::string cmake = readFile(sourcePath("CMakeLists.txt"));
    const size_t at = cmake.find("VERSION", cmake.find("project(vantora"));
    ASSERT_NE(std::string::npos, at);
    const size_t begin = cmake.find_first_not_of(" \n", at + 7);
    const std::string version = cmake.substr(begin, cmake.find_first_of(" \n)", begin) - begin);
    ASSERT_FALSE(version.empty());

    ScratchFolder folder;
    const std::string out = folder / "out";
    const ProgramRun checkVersion = check({"--version", folder.path()});
    EXPECT_EQ(0, checkVersion.status);
    EXPECT_EQ("vantora-check " + version + "\n", checkVersion.out);
    EXPECT_EQ("", checkVersion.err);
    const ProgramRun generateVersion = generate({"30", "30", "1", out, "--version"});
    EXPECT_EQ(0, generateVersion.status);
    EXPECT_EQ("vantora-worldgen " + version + "\n", generateVersion.out);
    EXPECT_EQ("", generateVersion.err);
    EXPECT_FALSE(fs::exists(out));
}

TEST(CommandLine, BadArgumentsGetOneLineAndThePointerToHelp)
{
    // The folders named lie in a scratch folder, so a run that went on reads and writes only there.
    ScratchFolder folder;
    const std::string world = folder.path(), out = folder / "out";
    struct Case {
        bool checker;
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {true, {"--fast", world}, "unknown option '--fast'"},
        {true, {"--fast=1"}, "unknown option '--fast=1'"},
        {true, {world, "-x"}, "unknown option '-x'"},
        {true, {"-ax"}, "unknown option '-x'"},
        {true, {"--all=yes"}, "option '--all' takes no value"},
        {true, {"--version=2"}, "option '--version' takes no value"},
        {false, {"30", "30", "1", out, "--colour", "red"}, "unknown option '--colour'"},
        {false, {"-v", "30", "30", "1", out}, "unknown option '-v'"},
        {false, {"30", "30", "1", out, "--embed"}, "option '--embed' needs a value"},
        {false, {"30", "30", "1", out, "--assets="}, "option '--assets' needs a value"},
        {false, {"30", "30", "1", out, "--embed", ""}, "option '--embed' needs a value"},
        {false, {"30", "30", "1", out, "--force=yes"}, "option '--force' takes no value"},
        {false,
         {"30", "30", "1", out, "--people-away", "-3"},
         "--people-away needs a number of units, not '-3'"},
        {false,
         {"30", "30", "1", out, "--people-away=1e999"},
         "--people-away needs a number of units, not '1e999'"},
        {false,
         {"30", "30", "1", out, "--people-away", "12 "},
         "--people-away needs a number of units, not '12 '"},
        {false, {"7", "30", "1", out}, "ROWS must be a whole number from 8 to 2048, not '7'"},
        {false, {"30", "2049", "1", out}, "COLS must be a whole number from 8 to 2048, not '2049'"},
        {false,
         {"30", "30", "1x", out},
         "SEED must be a whole number from 0 to 18446744073709551615, not '1x'"},
        {false,
         {"30", "30", "18446744073709551616", out},
         "SEED must be a whole number from 0 to 18446744073709551615, not "
         "'18446744073709551616'"},
        {false, {}, "expected ROWS COLS SEED OUTDIR, got 0 arguments"},
        {false, {"30", "30", "1"}, "expected ROWS COLS SEED OUTDIR, got 3 arguments"},
        {false, {"30", "30", "1", out, "x"}, "expected ROWS COLS SEED OUTDIR, got 5 arguments"},
        {false, {"30", "--", "30", "1"}, "expected ROWS COLS SEED OUTDIR, got 3 arguments"},
    };
    for (const Case& c : cases) {
        const std::string program = c.checker ? "vantora-check" : "vantora-worldgen";
        SCOPED_TRACE(program + " " + c.message);
        const ProgramRun run = c.checker ? check(c.args) : generate(c.args);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ("", run.out);
        EXPECT_EQ(program + ": " + c.message + "\nTry '" + program +
                      " --help' for more information.\n",
                  run.err);
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST(CommandLine, EachRunReadsItsArgumentsFromTheFirst)
{
    // why: getopt_long keeps its place in globals; a second run in one process began where
    // the first had stopped and read nothing of its own arguments.
    ScratchFolder folder;
    EXPECT_EQ(2, check({"-a", "-a", "-a", "-a", folder / "nowhere"}).status);
    EXPECT_EQ(0u, check({"--version"}).out.find("vantora-check "));
    EXPECT_EQ(2, generate({"30", "30", "1", folder / "out", "--force", "--bad"}).status);
    EXPECT_EQ(0u, generate({"--version"}).out.find("vantora-worldgen "));
}

TEST(WorldgenCommandLine, ValuesAttachedOrApartAndOptionsAnywhere)
{
    auto parse = [](std::vector<std::string> args, worldgen::Options& options) {
        args.insert(args.begin(), "vantora-worldgen");
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        std::string error;
        const bool parsed =
            worldgen::parseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
        EXPECT_EQ("", error);
        return parsed;
    };
    worldgen::Options options;
    ASSERT_TRUE(parse({"--people-away=12.5", "2048", "--embed", "in", "8", "--assets=a b",
                       "18446744073709551615", "--force", "dir"},
                      options));
    EXPECT_EQ(2048, options.rows);
    EXPECT_EQ(8, options.cols);
    EXPECT_EQ(18446744073709551615ULL, options.seed);
    EXPECT_EQ("dir", options.outDir);
    EXPECT_EQ(12.5, options.peopleAway);
    EXPECT_EQ("in", options.embedDir);
    EXPECT_EQ("a b", options.assetsDir);
    EXPECT_TRUE(options.force);

    // After "--" a folder's name may start with a dash.
    worldgen::Options plain;
    ASSERT_TRUE(parse({"8", "--people-away", "7", "9", "--", "0", "-odd"}, plain));
    EXPECT_EQ(8, plain.rows);
    EXPECT_EQ(9, plain.cols);
    EXPECT_EQ(0u, plain.seed);
    EXPECT_EQ("-odd", plain.outDir);
    EXPECT_EQ(7.0, plain.peopleAway);
    EXPECT_EQ("", plain.assetsDir);
    EXPECT_FALSE(plain.force);
}

TEST(CheckerCommandLine, AllListsEveryFindingWhereverItStands)
{
    ScratchFolder folder;
    const std::string world = copyBundledWorld(folder, "w");
    std::string terrain = "111";
    for (int i = 0; i < 25; ++i) terrain += "\n1";
    folder.write("w/terrain.txt", terrain);
    const ProgramRun all = check({"--all", world});
    EXPECT_EQ(1, all.status);
    EXPECT_EQ(std::string::npos, all.out.find("not shown")) << all.out;
    EXPECT_NE(check({world}).out, all.out);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-a", world}, {world, "-a"}, {"--al", world}}) {
        const ProgramRun same = check(args);
        EXPECT_EQ(1, same.status) << args[0];
        EXPECT_EQ(all.out, same.out) << args[0];
        EXPECT_EQ("", same.err) << args[0];
    }
    // Alone it applies to the working folder, checked when no folder is given; whatever that
    // folder holds, the report is the one "." gets.
    const ProgramRun here = check({"--all", "."});
    EXPECT_NE(std::string::npos, here.out.find("checked .: ")) << here.out;
    for (const char* option : {"-a", "--al"}) {
        const ProgramRun alone = check({option});
        EXPECT_EQ(here.status, alone.status) << option;
        EXPECT_EQ(here.out, alone.out) << option;
        EXPECT_EQ(here.err, alone.err) << option;
    }
}

TEST(CheckerCommandLine, ExitStatusTellsCleanFromBrokenFromBadArguments)
{
    ScratchFolder folder;
    const std::string world = copyBundledWorld(folder, "w");
    EXPECT_EQ(0, check({world}).status);
    folder.write("w/terrain.txt", readFile(folder / "w/terrain.txt") + "\n");
    EXPECT_EQ(0, check({world}).status) << "a note alone";
    folder.write("w/snow.raw", "");
    EXPECT_EQ(1, check({world}).status) << "a warning";
    fs::remove(folder / "w/snow.raw");
    EXPECT_EQ(1, check({world}).status) << "an error";
    // why: the status is the worst of all the folders, not the last one's.
    const std::string clean = copyBundledWorld(folder, "clean");
    EXPECT_EQ(1, check({world, clean}).status) << "a broken folder before a clean one";

    const ProgramRun unknown = check({"--fast", world});
    EXPECT_EQ(2, unknown.status);
    EXPECT_EQ("vantora-check: unknown option '--fast'\n"
              "Try 'vantora-check --help' for more information.\n",
              unknown.err);
    EXPECT_EQ("", unknown.out);
    const std::string nowhere = folder / "nowhere";
    const ProgramRun missing = check({nowhere});
    EXPECT_EQ(2, missing.status);
    EXPECT_EQ("vantora-check: " + nowhere + ": not a folder\n", missing.err);
}

TEST(CheckerCommandLine, AFolderThatIsNoneLeavesTheOthersChecked)
{
    ScratchFolder folder;
    const std::string world = copyBundledWorld(folder, "w");
    const ProgramRun alone = check({world});
    ASSERT_EQ(0, alone.status);
    const std::string nowhere = folder / "nowhere", file = folder / "w/terrain.txt";
    const ProgramRun mixed = check({nowhere, world, file});
    EXPECT_EQ(2, mixed.status);
    EXPECT_EQ(alone.out, mixed.out);
    EXPECT_EQ("vantora-check: " + nowhere + ": not a folder\nvantora-check: " + file +
                  ": not a folder\n",
              mixed.err);
    // After "--" everything is a folder, even a word that looks like an option.
    const ProgramRun dashed = check({"--", "-a"});
    EXPECT_EQ(2, dashed.status);
    EXPECT_EQ("", dashed.out);
    EXPECT_EQ("vantora-check: -a: not a folder\n", dashed.err);
}

TEST(PictureCommandLine, OneFolderThatLoadsGetsItsPictureAndNothingElseDoes)
{
    ScratchFolder folder;
    const std::string world = copyBundledWorld(folder, "w");
    const std::string png = folder / "w.png";
    const ProgramRun drawn = check({"--picture", png, world});
    EXPECT_EQ(0, drawn.status);
    EXPECT_EQ(check({world}).out, drawn.out) << "the report is the same with a picture";
    EXPECT_EQ("\x89PNG", readFile(png).substr(0, 4));

    // Not exactly one folder: a bad command line, and no picture.
    const std::string none = folder / "none.png";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--picture", none, world, world}, {"--picture", none}}) {
        const ProgramRun bad = check(args);
        EXPECT_EQ(2, bad.status);
        EXPECT_EQ("vantora-check: --picture draws exactly one FOLDER, not " +
                      std::to_string(args.size() - 2) +
                      "\nTry 'vantora-check --help' for more information.\n",
                  bad.err);
    }
    // A world that does not load: its findings as ever, status 1, and no picture.
    fs::remove(folder / "w/terrain.txt");
    const ProgramRun unloaded = check({"--picture", none, world});
    EXPECT_EQ(1, unloaded.status);
    EXPECT_NE(std::string::npos, unloaded.out.find("the game cannot load this world"));
    EXPECT_EQ("", unloaded.err);
    EXPECT_FALSE(fs::exists(none));

    // The generator draws the world it wrote, the same picture the checker draws of it.
    const std::string made = folder / "made", madePng = folder / "made.png";
    EXPECT_EQ(0, generate({"12", "16", "3", made, "--picture", madePng}).status);
    EXPECT_EQ(0, check({"--picture", png, made}).status);
    EXPECT_EQ(readFile(png), readFile(madePng));
    const ProgramRun unwritable =
        generate({"12", "16", "3", folder / "other", "--picture", folder / "no-such-folder/p.png"});
    EXPECT_EQ(1, unwritable.status);
    EXPECT_NE(std::string::npos, unwritable.err.find("no-such-folder/p.png: cannot write"))
        << unwritable.err;
}
