// World folders on disk: the two maps as text, the bundled models and textures beside them,
// and where those bundled files are found.
#include "tools/worldgen/worldgen.h"

#include "models/object_kinds.h"
#include "platform/files.h"
#include "platform/program.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

// Paths are made from UTF-8 strings by fs::u8path and shown by u8string(): the plain forms
// read and write the ANSI code page on Windows, which loses every name outside it.
namespace fs = std::filesystem;

namespace worldgen {

namespace {

// The path of one of the world's files in the folder `dir`.
fs::path pathOf(const std::string& dir, WorldFile file)
{
    return fs::u8path(dir) / worldFileName(file);
}

// The bytes an object map may hold: '.', and the letters of the objects and of the start in
// either case.
std::string objectMapBytes()
{
    std::string bytes = ".";
    for (const ObjectKind& kind : objectKinds) bytes += kind.letter;
    bytes += startLetter;
    for (size_t i = 1, n = bytes.size(); i < n; ++i)
        bytes += static_cast<char>(bytes[i] + ('a' - 'A'));
    return bytes;
}

std::string mapText(const std::string& cells, int rows, int cols)
{
    std::string text;
    text.reserve(cells.size() + static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        if (row > 0) text += '\n';
        text.append(cells, static_cast<size_t>(row) * cols, static_cast<size_t>(cols));
    }
    return text;
}

bool readText(const fs::path& path, std::string& text, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "can't read " + path.u8string();
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = bytes.str();
    return true;
}

// Splits a map into its lines (CR LF read as LF; a final line end ends the last line) and
// checks that they are all as long as the first and use only `allowed` characters.
bool readMap(const fs::path& path, const std::string& allowed, std::vector<std::string>& lines,
             std::string& error)
{
    std::string text;
    if (!readText(path, text, error)) return false;
    lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    if (lines.empty() || lines[0].empty()) {
        error = path.u8string() + ": empty map";
        return false;
    }
    for (size_t row = 0; row < lines.size(); ++row) {
        if (lines[row].size() != lines[0].size()) {
            error = path.u8string() + ": line " + std::to_string(row + 1) + " has " +
                    std::to_string(lines[row].size()) + " characters, the first has " +
                    std::to_string(lines[0].size());
            return false;
        }
        const size_t bad = lines[row].find_first_not_of(allowed);
        if (bad != std::string::npos) {
            error = path.u8string() + ": unexpected character at line " + std::to_string(row + 1) +
                    ", column " + std::to_string(bad + 1);
            return false;
        }
    }
    return true;
}

bool writeText(const fs::path& path, const std::string& text, bool overwrite, std::string& error)
{
    // A file that appeared after the folder was looked at is refused rather than replaced
    // (anything by that name: writing through a link would replace the file it points to).
    std::FILE* file = overwrite ? platform::openFile(path.u8string(), "wb")
                                : platform::createFile(path.u8string());
    if (!file) {
        error = "can't write " + path.u8string() + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        error = "can't write " + path.u8string();
        return false;
    }
    return true;
}

std::vector<std::string> existingWorldFiles(const std::string& dir)
{
    std::vector<std::string> found;
    for (int i = 0; i < worldFileCount; ++i) {
        const WorldFile file = static_cast<WorldFile>(i);
        std::error_code ec;
        // The link itself: writing through a link would replace the file it points to.
        if (fs::exists(fs::symlink_status(pathOf(dir, file), ec)))
            found.push_back(worldFileName(file));
    }
    return found;
}

} // namespace

std::string terrainText(const WorldMaps& maps)
{
    return mapText(maps.terrain, maps.rows, maps.cols);
}

std::string objectsText(const WorldMaps& maps)
{
    return mapText(maps.objects, maps.rows, maps.cols);
}

bool readWorld(const std::string& dir, WorldMaps& maps, std::string& error)
{
    std::vector<std::string> terrain, objects;
    if (!readMap(pathOf(dir, WorldFile::Terrain), "0123456789", terrain, error)) return false;
    if (!readMap(pathOf(dir, WorldFile::Objects), objectMapBytes(), objects, error)) return false;
    if (objects.size() != terrain.size() || objects[0].size() != terrain[0].size()) {
        error = dir + ": " + worldFileName(WorldFile::Objects) + " is " +
                std::to_string(objects.size()) + " x " + std::to_string(objects[0].size()) + ", " +
                worldFileName(WorldFile::Terrain) + " is " + std::to_string(terrain.size()) +
                " x " + std::to_string(terrain[0].size());
        return false;
    }
    maps.rows = static_cast<int>(terrain.size());
    maps.cols = static_cast<int>(terrain[0].size());
    maps.terrain.clear();
    maps.objects.clear();
    for (const std::string& line : terrain) maps.terrain += line;
    for (const std::string& line : objects) maps.objects += line;
    return true;
}

bool mayWriteWorld(const std::string& dir, bool overwrite, std::string& error)
{
    if (overwrite) return true;
    const std::vector<std::string> found = existingWorldFiles(dir);
    if (found.empty()) return true;
    error = dir + ": already holds ";
    for (size_t i = 0; i < found.size(); ++i) error += (i > 0 ? ", " : "") + found[i];
    error += "; nothing written (use --force to overwrite)";
    return false;
}

bool writeWorld(const std::string& dir, const WorldMaps& maps, const std::string& assetsDir,
                std::string& error, bool overwrite)
{
    if (!mayWriteWorld(dir, overwrite, error)) return false;
    std::error_code ec;
    // All the assets first: a half-written world would make the next try need --force.
    for (WorldFile file : assetFiles) {
        const fs::path from = pathOf(assetsDir, file);
        if (!fs::is_regular_file(from, ec)) {
            error = "missing model or texture " + from.u8string() + " (use --assets DIR)";
            return false;
        }
    }
    fs::create_directories(fs::u8path(dir), ec);
    if (ec) {
        error = "can't create " + dir + ": " + ec.message();
        return false;
    }
    if (!writeText(pathOf(dir, WorldFile::Terrain), terrainText(maps), overwrite, error))
        return false;
    if (!writeText(pathOf(dir, WorldFile::Objects), objectsText(maps), overwrite, error))
        return false;
    const fs::copy_options copy =
        overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    for (WorldFile file : assetFiles) {
        const fs::path from = pathOf(assetsDir, file), to = pathOf(dir, file);
        // --assets naming the folder itself: its models and textures are there already.
        if (overwrite && fs::equivalent(from, to, ec)) continue;
        fs::copy_file(from, to, copy, ec);
        // MinGW-w64's copy_file refuses a file already there even when told to overwrite it:
        // then the old file goes first, and the copy is made afresh.
        if (overwrite && ec == std::errc::file_exists) {
            fs::remove(to, ec);
            if (!ec) fs::copy_file(from, to, ec);
        }
        if (ec) {
            error = "can't copy " + from.u8string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

std::string defaultAssetsDir()
{
    // The program's own folder: an installed program finds the installed world by the path from
    // the install's program folder to its world folder, a program in the build tree finds the
    // copy the build stages beside it. Nothing else, so no stray folder is taken silently.
    std::error_code ec;
    const fs::path folder = fs::u8path(platform::programFolder());
    const fs::path installed = (folder / VANTORA_WORLD_FROM_BINDIR).lexically_normal();
    const char* model = worldFileName(assetFiles[0]);
    if (fs::is_regular_file(installed / model, ec)) return installed.u8string();
    const fs::path staged = folder / "world";
    if (fs::is_regular_file(staged / model, ec)) return staged.u8string();
    // Neither: the installed place, which the error message then names.
    return installed.u8string();
}

} // namespace worldgen
