// Packed archive files: open whatever arrives and use every operation on every entry, through the
// file reader and through the in-memory image.
#include "engine/Archive.h"
#include "engine/ErrorList.h"
#include "engine/RomImage.h"
#include "engine/RomPicture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Game names resolve in the working folder: work in a private one.
const std::string& FuzzFile() {
    static const std::string name = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kardol-fuzz-archive-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        std::filesystem::current_path(pattern);
        return std::string("input.rom");
    }();
    return name;
}

void Exercise(Zu_Archive& a) {
    const int count = a.GetCount() < 64 ? a.GetCount() : 64;
    bool small = a.GetCount() <= 64;
    for (int i = -1; i <= count; ++i) {
        // Huge unpacked sizes only slow the search down.
        const uint32_t size = a.GetEntrySize(i);
        if (size > (1u << 12)) {
            small = false;
            continue;
        }
        const auto data = a.ReadEntry(i, 1);
        if (data && data->size() != size && !data->empty()) std::abort();
        a.ReadEntry(i, 0);
        uint16_t f[4];
        a.GetEntryInfo(i, &f[0], &f[1], &f[2], &f[3]);
        uint8_t raw[24];
        a.ReadRaw(i, raw, sizeof raw);
        int w = 0, h = 0;
        if (a.ReadPictureSize(i, &w, &h) && int64_t{w} * h <= 4096) {
            std::vector<uint8_t> rows((static_cast<size_t>(w) * 2 + 2) * static_cast<size_t>(h + 1));
            a.ReadPictureRows(i, rows.data(), w, h + 1, w * 2 + 2, 1, 0);
        }
        RomPicture p;
        if (ReadRomPicture(a, i, p) && int64_t{p.width} * p.height <= 4096) {
            std::vector<uint8_t> rows(static_cast<size_t>(p.width) * 2 * p.height);
            ReadRomPictureRows(a, i, p, rows.data(), p.width * 2, 0, 0);
        }
    }
    uint32_t size = 0;
    if (small) a.FindByName("x", &size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = FuzzFile();
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    Zu_Archive a;
    if (a.Open(name.c_str(), platform::OF_READ, platform::OF_SHARE_DENY_NONE, 0, -1, nullptr)) Exercise(a);
    Zu_ErrorList::Global().Clear();

    RomImage image;
    if (image.Attach(std::vector<uint8_t>(data, data + size))) {
        const int count = image.GetCount() < 64 ? image.GetCount() : 64;
        for (int i = -1; i <= count; ++i) {
            if (image.GetEntrySize(i) <= (1u << 12)) image.CopyEntry(i, 1);
            uint8_t first[8];
            image.CopyFirst(i, first, sizeof first);
            int w = 0, h = 0;
            if (image.ReadPictureSize(i, &w, &h) && int64_t{w} * h <= 4096) {
                std::vector<uint8_t> rows(static_cast<size_t>(w) * 2 * (h + 1));
                image.ReadPictureRows(i, rows.data(), w, h + 1, w * 2, 1, 0);
            }
        }
    }
    return 0;
}
