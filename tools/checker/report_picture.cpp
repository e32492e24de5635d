// The picture of a checked world: what the game put on each cell, the start, the places for
// people and the cells findings name, handed to the world picture.
#include "models/person.h"
#include "terrain/grid.h"
#include "tools/checker/checker.h"
#include "tools/picture/world_picture.h"

namespace checker {

bool writePicture(const WorldReport& report, const std::string& path, std::string& error)
{
    const LoadedWorld& world = report.world;
    if (!world.grid) {
        error = "the game cannot load this world, so there is no picture of it";
        return false;
    }
    const TerrainGrid& grid = *world.grid;
    picture::WorldView view;
    view.grid = &grid;
    view.marks.assign(static_cast<size_t>(grid.rows) * grid.cols, picture::MarkNone);
    auto mark = [&](int row, int col, uint8_t what) {
        if (grid.cellAt(row, col)) view.marks[static_cast<size_t>(row) * grid.cols + col] |= what;
    };
    for (int row = 0; row < grid.rows; ++row) {
        for (int col = 0; col < grid.cols; ++col) {
            const ObjectByte object = world.objects[static_cast<size_t>(row) * grid.cols + col];
            if (object == ObjectByte::Pyramid) mark(row, col, picture::MarkPyramid);
            if (object == ObjectByte::Cube) mark(row, col, picture::MarkCube);
            if (object == ObjectByte::Tree) mark(row, col, picture::MarkTree);
            if (holdsPerson(*grid.cells[row][col])) mark(row, col, picture::MarkPeople);
        }
    }
    // The start lies 5 units into its cell, which the grid keeps as whole units.
    if (grid.startX >= 5 && grid.startY >= 5)
        mark((grid.startX - 5) / 10, (grid.startY - 5) / 10, picture::MarkStart);
    for (const Finding& finding : report.findings)
        if (finding.row >= 0) mark(finding.row, finding.col, picture::MarkFinding);
    return picture::writeWorldPicture(view, path, error);
}

} // namespace checker
