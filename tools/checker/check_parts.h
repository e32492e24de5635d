// Shared by the checker's parts: the state of one check, the finding helpers and the four
// checks, each reading its files by the game's rules.
#pragma once

#include "tools/checker/checker.h"

#include <string>
#include <vector>

namespace checker {

// One check of one world folder, passed from part to part in load order.
struct CheckRun {
    std::string folder;
    WorldReport report;
    // Lengths of terrain.txt's lines; a final empty line after the last newline is left out.
    std::vector<long long> terrainLines;
    long long cubes = 0, pyramids = 0, trees = 0; // instances placed
    long long coveredOnes = 0; // cells of height 5 that an object takes from the people

    std::string path(const char* file) const;
    void add(const char* file, long long line, long long column, Severity severity,
             const char* kind, const std::string& message);
};

// printf into a string.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// A byte as a message shows it: 'x', or a name for blanks and control bytes.
std::string describeByte(int c);

// "1 row" / "3 rows".
std::string plural(long long count, const char* one, const char* many);

// "one row" / "3 rows".
std::string rowsText(long long count);

// terrain.txt: size, heights, line shape and characters.
void checkTerrain(CheckRun& run);
// objects.txt: placement, start cell and shape against the terrain (needs the terrain).
void checkObjects(CheckRun& run);
// The free cells at height 5 left for the people (needs terrain and objects).
void checkPeople(CheckRun& run);
// cube.txt, pyramid.txt, tree.txt and person.txt.
void checkModels(CheckRun& run);
// The four raw textures and what the shared buffer makes of short ones.
void checkTextures(CheckRun& run);

} // namespace checker
