// World folders on disk: the two maps as text, the bundled models and textures beside them,
// and where those bundled files are found.
#include "tools/worldgen/worldgen.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace worldgen {

const char* const assetFiles[8] = {"cube.txt",       "pyramid.txt", "tree.txt",  "person.txt",
                                   "water256_2.raw", "dirt.raw",    "grass.raw", "snow.raw"};

namespace {

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
        error = "can't read " + path.string();
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
        error = path.string() + ": empty map";
        return false;
    }
    for (size_t row = 0; row < lines.size(); ++row) {
        if (lines[row].size() != lines[0].size()) {
            error = path.string() + ": line " + std::to_string(row + 1) + " has " +
                    std::to_string(lines[row].size()) + " characters, the first has " +
                    std::to_string(lines[0].size());
            return false;
        }
        const size_t bad = lines[row].find_first_not_of(allowed);
        if (bad != std::string::npos) {
            error = path.string() + ": unexpected character at line " + std::to_string(row + 1) +
                    ", column " + std::to_string(bad + 1);
            return false;
        }
    }
    return true;
}

bool writeText(const fs::path& path, const std::string& text, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        error = "can't write " + path.string();
        return false;
    }
    return true;
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
    if (!readMap(fs::path(dir) / "terrain.txt", "0123456789", terrain, error)) return false;
    if (!readMap(fs::path(dir) / "objects.txt", ".CATXcatx", objects, error)) return false;
    if (objects.size() != terrain.size() || objects[0].size() != terrain[0].size()) {
        error = dir + ": objects.txt is " + std::to_string(objects.size()) + " x " +
                std::to_string(objects[0].size()) + ", terrain.txt is " +
                std::to_string(terrain.size()) + " x " + std::to_string(terrain[0].size());
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

bool writeWorld(const std::string& dir, const WorldMaps& maps, const std::string& assetsDir,
                std::string& error)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        error = "can't create " + dir + ": " + ec.message();
        return false;
    }
    if (!writeText(fs::path(dir) / "terrain.txt", terrainText(maps), error)) return false;
    if (!writeText(fs::path(dir) / "objects.txt", objectsText(maps), error)) return false;
    for (const char* name : assetFiles) {
        const fs::path from = fs::path(assetsDir) / name;
        if (!fs::is_regular_file(from, ec)) {
            error = "missing model or texture " + from.string() + " (use --assets DIR)";
            return false;
        }
        fs::copy_file(from, fs::path(dir) / name, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            error = "can't copy " + from.string() + ": " + ec.message();
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
    const fs::path folder = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const fs::path installed = (folder / VANTORA_WORLD_FROM_BINDIR).lexically_normal();
    if (fs::is_regular_file(installed / assetFiles[0], ec)) return installed.string();
    const fs::path staged = folder / "world";
    if (fs::is_regular_file(staged / assetFiles[0], ec)) return staged.string();
    // Neither: the installed place, which the error message then names.
    return installed.string();
}

} // namespace worldgen
