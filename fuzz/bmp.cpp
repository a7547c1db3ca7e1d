#include "engine/BmpFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BmpFile bmp({data, size});
    if (bmp.ok()) {
        volatile uint8_t last = bmp.Row(bmp.Height() - 1)[bmp.RowSize() - 1];
        (void)last;
        uint8_t rgb[768];
        bmp.Palette(rgb);
    }
    return 0;
}
