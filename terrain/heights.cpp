// The game's reading of the height map: the map's rule, each character setting its cell. Apart
// from the rule itself, so that a program that reads maps without a grid links no grid.
#include "terrain/grid.h"
#include "terrain/terrain_file.h"

void readHeights(std::FILE* in, std::FILE* log, TerrainGrid& grid)
{
    if (!in) {
        std::fputs("can't open terrain file", log);
        return;
    }
    std::fputs("loading", log);
    // The game's receiver: each character sets its cell; a row past the grid's sets nothing.
    struct GridHeights {
        TerrainGrid& grid;
        void cell(int, int level, int row, int col) { grid.setCellHeight(row, col, level); }
        void lineEnd(int) {}
    } heights{grid};
    ByteReader reader(in);
    readLevels(reader, grid.cols, grid.rows, heights);
}
