// The world's file names and its sources: the game's working folder, a folder by path, and
// bytes in memory.
#include "terrain/world_source.h"

namespace {

const char* const fileNames[worldFileCount] = {
    "terrain.txt", "objects.txt",    "cube.txt", "pyramid.txt", "tree.txt",
    "person.txt",  "water256_2.raw", "dirt.raw", "grass.raw",   "snow.raw",
};

int indexOf(WorldFile file)
{
    return static_cast<int>(file);
}

// The maps are read byte by byte with CR LF folded by hand, the textures as raw bytes; only
// the models go through formatted input in text mode.
const char* openMode(WorldFile file)
{
    return file >= WorldFile::Cube && file <= WorldFile::Person ? "r" : "rb";
}

} // namespace

const char* worldFileName(WorldFile file)
{
    return fileNames[indexOf(file)];
}

std::FILE* WorkingFolder::open(WorldFile file)
{
    return std::fopen(worldFileName(file), openMode(file));
}

std::FILE* FolderWorld::open(WorldFile file)
{
    return std::fopen((folder + "/" + worldFileName(file)).c_str(), openMode(file));
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
    std::string& content = bytes[i];
    // A stream over no bytes at all still needs a buffer to point at.
    if (content.empty()) return fmemopen(const_cast<char*>(""), 0, "r");
    return fmemopen(content.data(), content.size(), "r");
}
