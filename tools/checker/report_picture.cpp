// The picture of a checked world: its cells as the game loads them, the start, the places for
// people and the cells findings name, handed to the world picture.
#include "terrain/cell_rules.h"
#include "tools/checker/checker.h"
#include "tools/picture/world_picture.h"

namespace checker {
namespace {

// The view of a loaded world: its cells and the marks over them. False, with `error` set,
// when the game cannot load the world.
bool viewOf(const WorldReport& report, picture::WorldView& view, std::string& error)
{
    const LoadedWorld& world = report.world;
    if (!world.loaded) {
        error = "the game cannot load this world, so there is no picture of it";
        return false;
    }
    view.rows = world.rows;
    view.cols = world.cols;
    view.cells = world.cells.data();
    view.marks.assign(world.cells.size(), picture::MarkNone);
    auto mark = [&](int row, int col, uint8_t what) {
        if (row >= 0 && row < world.rows && col >= 0 && col < world.cols)
            view.marks[static_cast<size_t>(row) * world.cols + col] |= what;
    };
    for (size_t i = 0; i < world.cells.size(); ++i)
        if (canHoldPerson(levelHeight(picture::recordLevel(world.cells[i])),
                          picture::recordObject(world.cells[i]) >= 0))
            view.marks[i] |= picture::MarkPeople;
    // The start lies 5 units into its cell, which the game keeps as whole units.
    if (world.start.x >= 5 && world.start.y >= 5)
        mark((world.start.x - 5) / 10, (world.start.y - 5) / 10, picture::MarkStart);
    for (const Finding& finding : report.findings)
        if (finding.row >= 0) mark(finding.row, finding.col, picture::MarkFinding);
    return true;
}

} // namespace

bool writePicture(const WorldReport& report, std::FILE* file, int mapSide, std::string& error)
{
    picture::WorldView view;
    view.mapSide = mapSide;
    return viewOf(report, view, error) && picture::writeWorldPicture(view, file, error);
}

bool writePicture(const WorldReport& report, const std::string& path, std::string& error)
{
    picture::WorldView view;
    return viewOf(report, view, error) && picture::writeWorldPicture(view, path, error);
}

} // namespace checker
