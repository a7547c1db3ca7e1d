// Feeds arbitrary bytes to the ".m" map file reader and its load fixes.
#include "world/MapFiles.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MapGrid grid;
    if (ParseMapFile({data, size}, grid)) {
        ApplyMapLoadFixes(grid, (size & 1) != 0);
        (void)WriteMapFile(grid.width, grid.rows, grid.cells.get());
    }
    return 0;
}
