// Test helpers: a fresh temporary working directory with small files written inline, and
// capture of standard output as exact bytes.
#pragma once

#include <string>

// Makes a new temporary directory and makes it the working directory; on destruction
// returns to the old one and removes the directory with everything in it.
class TempWorkDir {
  public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    // Writes the bytes exactly as given (no newline added) to a file in the directory.
    void write(const std::string& name, const std::string& bytes) const;
    const std::string& path() const { return dir; }

  private:
    std::string dir;
    std::string previous;
};

// Redirects standard output (the C stream and file descriptor 1) into a file until
// `text()` or destruction; `text()` returns every byte printed in between.
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

// Reads a whole file; empty when it cannot be opened.
std::string readFile(const std::string& path);

// The source tree's folder of bundled data, e.g. sourcePath("world/terrain.txt").
std::string sourcePath(const std::string& relative);
