#pragma once

#include <cstdint>

// A picture a label copies: width x height 16-bit pixels in the display's layout, rows packed.
struct LabelPicture {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t* pixels = nullptr;
};

// Where labels get portraits: portrait n of the small (size 0) or medium portrait file, or null;
// the caller frees it with FreeLabelPortrait. Start-up points these at the resource store; unset,
// there are no portraits.
extern LabelPicture* (*LoadLabelPortrait)(int size, int n);
extern void (*FreeLabelPortrait)(LabelPicture* picture);
