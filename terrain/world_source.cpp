// The world's file names and its sources: the game's working folder, a folder by path, and
// bytes in memory.
#include "terrain/world_source.h"

#include "platform/files.h"

namespace {

const char* const fileNames[worldFileCount] = {
    "terrain.txt", "objects.txt",    "cube.txt", "pyramid.txt", "tree.txt",
    "person.txt",  "water256_2.raw", "dirt.raw", "grass.raw",   "snow.raw",
};

int indexOf(WorldFile file)
{
    return static_cast<int>(file);
}

// Every file is opened in binary mode, so that the same bytes make the same world on every
// system: the maps fold CR LF by hand and formatted input takes CR for white space, while a
// text mode would drop CRs on Windows and end the file at a Ctrl-Z byte (0x1A).
const char* const openMode = "rb";

} // namespace

const char* worldFileName(WorldFile file)
{
    return fileNames[indexOf(file)];
}

std::FILE* WorkingFolder::open(WorldFile file)
{
    return platform::openFile(worldFileName(file), openMode);
}

std::FILE* FolderWorld::open(WorldFile file)
{
    return platform::openFile(folder + "/" + worldFileName(file), openMode);
}

void MemoryWorld::set(WorldFile file, std::string content)
{
    bytes[indexOf(file)] = std::move(content);
    present[indexOf(file)] = true;
}

void MemoryWorld::remove(WorldFile file)
{
    bytes[indexOf(file)].clear();
    present[indexOf(file)] = false;
}

std::FILE* MemoryWorld::open(WorldFile file)
{
    const int i = indexOf(file);
    if (!present[i]) return nullptr;
    return platform::openBytes(bytes[i].data(), bytes[i].size());
}
