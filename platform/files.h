// Opening files and byte streams the same way on every system the game is built for.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

// Opens the file at `path` (UTF-8) with fopen's `mode`; null when it cannot be opened.
// Windows gets the path as wide characters, so a folder such as C:\Users\José works.
std::FILE* openFile(const std::string& path, const char* mode);

// Creates the file at `path` (UTF-8) and opens it for writing in binary mode, only if nothing
// by that name exists yet (a dangling link included); null with errno EEXIST if something
// does, so that a file appearing after a look at the folder is never written over.
std::FILE* createFile(const std::string& path);

// A read-only stream over `size` bytes at `data`, which must outlive it; null on failure.
std::FILE* openBytes(const char* data, std::size_t size);

// A stream that takes every write and keeps none of it; null on failure.
std::FILE* openNullOutput();

} // namespace platform
