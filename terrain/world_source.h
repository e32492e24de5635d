// Where the files of a world come from: the game opens them by name in its working folder;
// tests, fuzz targets and the world checker hand over bytes they hold in memory.
#pragma once

#include <cstdio>
#include <string>

// The ten files of a world, in the order the load reads them.
enum class WorldFile { Terrain, Objects, Cube, Pyramid, Tree, Person, Water, Dirt, Grass, Snow };
constexpr int worldFileCount = 10;

// The file's name in a world folder ("terrain.txt", ..., "snow.raw").
const char* worldFileName(WorldFile file);

// The four models in the order the load reads them (and the mesh store numbers them).
inline constexpr WorldFile modelLoadOrder[4] = {WorldFile::Cube, WorldFile::Pyramid,
                                                WorldFile::Tree, WorldFile::Person};

// The raw textures in the order the load reads them into its one staging buffer.
inline constexpr WorldFile textureLoadOrder[4] = {WorldFile::Water, WorldFile::Dirt,
                                                  WorldFile::Grass, WorldFile::Snow};

class WorldSource {
  public:
    virtual ~WorldSource() = default;
    // A new stream at the file's start, which the caller closes; null when it cannot be
    // opened. The terrain is opened twice: once to measure it, once to read it.
    virtual std::FILE* open(WorldFile file) = 0;
};

// The game's source: the files by name in the working folder, opened as the game always
// has (the maps and models as text, the textures as binary).
class WorkingFolder final : public WorldSource {
  public:
    std::FILE* open(WorldFile file) override;
};

// The files of a world folder given by its path, opened the way the game opens its own.
class FolderWorld final : public WorldSource {
  public:
    explicit FolderWorld(std::string folder) : folder(std::move(folder)) {}
    std::FILE* open(WorldFile file) override;

  private:
    std::string folder;
};

// A world held in memory, file by file; a file never given cannot be opened.
class MemoryWorld final : public WorldSource {
  public:
    // Sets the bytes of one file (any bytes, NULs included).
    void set(WorldFile file, std::string bytes);
    // Makes the file one that cannot be opened again.
    void remove(WorldFile file);
    std::FILE* open(WorldFile file) override;

  private:
    std::string bytes[worldFileCount];
    bool present[worldFileCount] = {};
};

// Closes a stream when it goes out of scope.
class StreamCloser {
  public:
    explicit StreamCloser(std::FILE* stream) : stream(stream) {}
    ~StreamCloser()
    {
        if (stream) std::fclose(stream);
    }
    StreamCloser(const StreamCloser&) = delete;
    StreamCloser& operator=(const StreamCloser&) = delete;
    std::FILE* get() const { return stream; }

  private:
    std::FILE* stream;
};
