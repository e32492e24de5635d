// Worlds and streams in memory, shared test grids, and standard output capture.
#include "tests/support/test_support.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vantora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void ScratchFolder::write(const std::string& relative, const std::string& bytes) const
{
    const std::filesystem::path file = *this / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

LogStream::LogStream() : stream(open_memstream(&buffer, &size))
{
    if (!stream) throw std::runtime_error("open_memstream failed");
}

LogStream::~LogStream()
{
    std::fclose(stream);
    std::free(buffer);
}

std::string LogStream::text()
{
    std::fflush(stream);
    return std::string(buffer, size);
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

BandTextures testTextures()
{
    return BandTextures{11, 12, 13, 14};
}

std::unique_ptr<TerrainGrid> makeGrid(const std::vector<std::string>& rows, bool stitch)
{
    const int rowCount = static_cast<int>(rows.size());
    const int colCount = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    auto grid = std::make_unique<TerrainGrid>(rowCount, colCount, testTextures());
    for (int r = 0; r < rowCount; ++r)
        for (int c = 0; c < colCount; ++c) grid->setCellHeight(r, c, rows[r][c] - '0');
    if (stitch)
        for (int r = 0; r < rowCount; ++r)
            for (int c = 0; c < colCount; ++c) grid->stitchCell(r, c);
    return grid;
}

std::unique_ptr<TerrainGrid> makeGrid(std::initializer_list<std::string> rows, bool stitch)
{
    return makeGrid(std::vector<std::string>(rows), stitch);
}

ProgramRun runProgram(int (*run)(int, char**, std::FILE*, std::FILE*), const char* name,
                      std::vector<std::string> args)
{
    args.insert(args.begin(), name);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (!out || !err) throw std::runtime_error("tmpfile failed");
    ProgramRun result;
    result.status = run(static_cast<int>(args.size()), argv.data(), out, err);
    result.out = readStream(out);
    result.err = readStream(err);
    return result;
}

std::string readStream(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, count);
    std::fclose(file);
    return text;
}

std::time_t fixedClock(std::time_t* out)
{
    const std::time_t now = 1767225600;
    if (out) *out = now;
    return now;
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

std::string copyBundledWorld(const ScratchFolder& folder, const std::string& into)
{
    const std::string prefix = into.empty() ? "" : into + "/";
    for (const auto& entry : std::filesystem::directory_iterator(sourcePath("world")))
        if (entry.is_regular_file())
            folder.write(prefix + entry.path().filename().string(),
                         readFile(entry.path().string()));
    return into.empty() ? folder.path() : folder / into;
}
