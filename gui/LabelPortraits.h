#pragma once

#include <cstdint>

// A picture a label copies: width x height 16-bit pixels in the display's layout, rows packed.
struct LabelPicture {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t* pixels = nullptr;
};

// Where labels get portraits: portrait n of the small (size 0) or medium portrait file, or null;
// the caller frees it with FreeLabelPortrait. They read the resource store's portrait files; tests
// put their own in.
extern LabelPicture* (*LoadLabelPortrait)(int size, int n);
extern void (*FreeLabelPortrait)(LabelPicture* picture);
