// The world's file names, the game's by-name source and the in-memory source.
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

} // namespace

const char* worldFileName(WorldFile file)
{
    return fileNames[indexOf(file)];
}

std::FILE* WorkingFolder::open(WorldFile file)
{
    // The maps are read byte by byte with CR LF folded by hand, the textures as raw bytes;
    // only the models go through formatted input in text mode.
    const bool model = file >= WorldFile::Cube && file <= WorldFile::Person;
    return std::fopen(worldFileName(file), model ? "r" : "rb");
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
