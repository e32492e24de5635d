// Test helpers: worlds and streams in memory, the texture names and small grids every test
// shares, and capture of standard output as exact bytes.
#pragma once

#include "terrain/grid.h"
#include "tests/support/streams.h"

#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// A new temporary folder for files a program writes or reads by path, removed with all it
// holds at the end. The working folder never changes.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return dir; }
    // The path of a file or folder in it, e.g. folder / "w/terrain.txt".
    std::string operator/(const std::string& relative) const { return dir + "/" + relative; }
    // Writes the bytes exactly as given, making the folders on the way.
    void write(const std::string& relative, const std::string& bytes) const;

  private:
    std::string dir;
};

// A stream that keeps every byte written to it (open_memstream), for the diagnostic lines.
class LogStream {
  public:
    LogStream();
    ~LogStream();
    LogStream(const LogStream&) = delete;
    LogStream& operator=(const LogStream&) = delete;
    std::FILE* get() const { return stream; }
    // Every byte written so far.
    std::string text();

  private:
    std::FILE* stream;
    char* buffer = nullptr;
    size_t size = 0;
};

// Redirects standard output (the C stream and file descriptor 1) into a file until
// `text()` or destruction; for the shell's own lines, which go to standard output.
class CapturedStdout {
  public:
    CapturedStdout();
    ~CapturedStdout();
    CapturedStdout(const CapturedStdout&) = delete;
    CapturedStdout& operator=(const CapturedStdout&) = delete;

    // Stops capturing (if still on) and returns what was printed.
    std::string text();

  private:
    void stop();
    int savedFd = -1;
    std::string file;
    std::string captured;
    bool active = false;
};

// The band texture names of every test grid: water 11, grass 12, dirt 13, snow 14.
BandTextures testTextures();

// A grid with one digit (the level, as terrain.txt gives it) per cell, one string per row;
// stitched as the world load stitches unless `stitch` is false.
std::unique_ptr<TerrainGrid> makeGrid(std::initializer_list<std::string> rows, bool stitch = true);
std::unique_ptr<TerrainGrid> makeGrid(const std::vector<std::string>& rows, bool stitch = true);

// What a program's run function printed on its two streams and returned.
struct ProgramRun {
    int status = -1;
    std::string out, err;
};

// Runs a program's whole run function (argc, argv, out, err) for the arguments after its
// name, catching what it prints.
ProgramRun runProgram(int (*run)(int, char**, std::FILE*, std::FILE*), const char* name,
                      std::vector<std::string> args);

// Everything written to a stream opened for reading and writing (tmpfile), which it closes.
std::string readStream(std::FILE* file);

// A clock stopped at one second, for placing the people: 1767225600 (2026-01-01 00:00 UTC).
std::time_t fixedClock(std::time_t* out);

// Reads a whole file; empty when it cannot be opened.
std::string readFile(const std::string& path);

// The source tree's folder of bundled data, e.g. sourcePath("world/terrain.txt").
std::string sourcePath(const std::string& relative);

// Copies the files of the bundled world into `folder` / `into` ("" for the folder itself)
// and returns the path of that folder.
std::string copyBundledWorld(const ScratchFolder& folder, const std::string& into = "");
