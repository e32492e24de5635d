// The scratch working directory of the fuzz targets, quiet standard output and the check
// that aborts.
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

void fuzzCheckFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

void quietStdout()
{
    if (!std::freopen("/dev/null", "w", stdout))
        fuzzCheckFailed("freopen /dev/null", __FILE__, __LINE__);
}

namespace {

ScratchDir* scratch = nullptr;

void fail(const char* what)
{
    std::perror(what);
    std::abort();
}

} // namespace

void removeScratchDir()
{
    if (!scratch) return;
    if (DIR* dir = fdopendir(dup(scratch->dirFd))) {
        while (dirent* entry = readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                unlinkat(scratch->dirFd, entry->d_name, 0);
        closedir(dir);
    }
    rmdir(scratch->path);
}

ScratchDir& ScratchDir::instance()
{
    if (!scratch) {
        scratch = new ScratchDir;
        std::atexit(removeScratchDir);
    }
    return *scratch;
}

ScratchDir::ScratchDir()
{
    // Memory first: on ext4, truncating and rewriting a file starts its write-back at close,
    // so on a disk every run would wait for the disk.
    const char* base = std::getenv("TMPDIR");
    if (access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    else if (!base || !*base)
        base = "/tmp";
    std::snprintf(path, sizeof path, "%s/vantora-fuzz-XXXXXX", base);
    if (!mkdtemp(path)) fail("mkdtemp");
    dirFd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    homeFd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0 || homeFd < 0) fail("open");
}

void ScratchDir::write(const char* name, const uint8_t* data, size_t size)
{
    const int fd = openat(dirFd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) fail("openat");
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) fail("write");
        done += static_cast<size_t>(n);
    }
    close(fd);
}

void ScratchDir::remove(const char* name)
{
    unlinkat(dirFd, name, 0);
}

ScratchDir::Visit::Visit()
{
    if (fchdir(instance().dirFd) != 0) fail("fchdir");
}

ScratchDir::Visit::~Visit()
{
    if (fchdir(instance().homeFd) != 0) fail("fchdir");
}
