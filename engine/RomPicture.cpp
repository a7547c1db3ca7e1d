#include "engine/RomPicture.h"

#include "engine/Tools.h"

#include <cstring>

using namespace RomFormat;

bool ReadRomPicture(Zu_Archive& archive, int index, RomPicture& out) {
    out = RomPicture{};
    Entry e;
    if (!archive.GetEntry(index, e) || archive.GetEntrySize(index) == 0) return false;
    if (e.packed()) {
        auto data = archive.ReadEntry(index, 1);
        if (!data || data->size() < kPicturePixels) return false;
        out.packed = true;
        out.unpacked = std::move(*data);
        const uint8_t* d = out.unpacked.data();
        std::memcpy(out.header, d, kPictureHeaderSize);
        out.width = d[16] | (d[17] << 8);
        out.height = d[18] | (d[19] << 8);
        if (kPicturePixels + static_cast<uint64_t>(out.width) * out.height * 2 > out.unpacked.size())
            return false;
    } else {
        if (archive.ReadRaw(index, out.header, kPictureHeaderSize) != kPictureHeaderSize) return false;
        if (!archive.ReadPictureSize(index, &out.width, &out.height)) return false;
    }
    std::memcpy(Zu_Tools::Global().pictureHeader, out.header, kPictureHeaderSize);
    return out.width > 0 && out.height > 0;
}

int ReadRomPictureRows(Zu_Archive& archive, int index, const RomPicture& picture, uint8_t* dest, int pitch,
                       int convert, uint16_t key) {
    if (!dest || picture.width <= 0 || picture.height <= 0) return 0;
    if (!picture.packed)
        return archive.ReadPictureRows(index, dest, picture.width, picture.height, pitch, convert, key);
    CopyRows(picture.unpacked.data() + kPicturePixels, dest, picture.width, picture.height, pitch, convert,
             key);
    return 1;
}
