// Temporary working directories and standard output capture for the tests.
#include "tests/support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

TempWorkDir::TempWorkDir()
{
    previous = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "vantora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    std::filesystem::current_path(dir);
}

TempWorkDir::~TempWorkDir()
{
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(dir, ignored);
}

void TempWorkDir::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

CapturedStdout::CapturedStdout()
{
    std::fflush(stdout);
    char pattern[] = "/tmp/vantora-stdout-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    file = pattern;
    savedFd = dup(1);
    dup2(fd, 1);
    close(fd);
    active = true;
}

CapturedStdout::~CapturedStdout()
{
    stop();
}

void CapturedStdout::stop()
{
    if (!active) return;
    std::fflush(stdout);
    dup2(savedFd, 1);
    close(savedFd);
    active = false;
    captured = readFile(file);
    std::remove(file.c_str());
}

std::string CapturedStdout::text()
{
    stop();
    return captured;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string sourcePath(const std::string& relative)
{
    return std::string(VANTORA_SOURCE_DIR) + "/" + relative;
}
