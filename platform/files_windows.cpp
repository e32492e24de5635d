// Files and byte streams on Windows: wide-character names, and a temporary file in place of
// fmemopen, which the Windows C library lacks.
#include "platform/files.h"
#include "platform/text.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace platform {

std::FILE* openFile(const std::string& path, const char* mode)
{
    return _wfopen(widen(path).c_str(), widen(mode).c_str());
}

std::FILE* createFile(const std::string& path)
{
    // The Windows C library takes no "x" in an fopen mode: the exclusive create is _wopen's.
    const int fd = _wopen(widen(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* stream = _fdopen(fd, "wb");
    if (!stream) _close(fd);
    return stream;
}

std::FILE* openBytes(const char* data, std::size_t size)
{
    // A file in the user's temporary folder ("D": deleted when the stream closes), never the
    // drive's root where tmpfile() puts it and an ordinary user may not write.
    wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return nullptr;
    if (GetTempFileNameW(folder, L"vnt", 0, name) == 0) return nullptr;
    std::FILE* stream = _wfopen(name, L"w+bD");
    if (!stream) {
        DeleteFileW(name);
        return nullptr;
    }
    if (std::fwrite(data, 1, size, stream) != size || std::fseek(stream, 0, SEEK_SET) != 0) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

std::FILE* openNullOutput()
{
    return std::fopen("NUL", "wb");
}

} // namespace platform
