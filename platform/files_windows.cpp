// Files and byte streams on Windows: wide-character names, and a temporary file in place of
// fmemopen, which the Windows C library lacks.
#include "platform/files.h"
#include "platform/text.h"

#include <windows.h>

namespace platform {

std::FILE* openFile(const std::string& path, const char* mode)
{
    return _wfopen(widen(path).c_str(), widen(mode).c_str());
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
