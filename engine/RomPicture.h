#pragma once

#include "engine/Archive.h"

#include <cstdint>

// A picture entry of a packed archive, read up to the point where a surface is needed: the surface
// loader makes a surface of width x height and hands its locked memory to ReadRomPictureRows.
struct RomPicture {
    uint8_t header[RomFormat::kPictureHeaderSize] = {}; // kept, not interpreted
    int width = 0;
    int height = 0;
    bool packed = false;
    Zu_Archive::Buffer unpacked; // the whole entry, when it is stored packed
};

// Reads the header and the size, unpacking a packed entry first, and copies the header into the
// tools object's picture-header field. False unless the entry holds a whole picture of at least one
// pixel.
bool ReadRomPicture(Zu_Archive& archive, int index, RomPicture& out);

// Writes the picture's rows into dest, pitch bytes apart; convert 1 turns them into 5-5-5 with the
// transparent green as `key`. 1 when every row was there.
int ReadRomPictureRows(Zu_Archive& archive, int index, const RomPicture& picture, uint8_t* dest, int pitch,
                       int convert, uint16_t key);
