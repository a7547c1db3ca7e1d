// The frame-by-frame ".ani" reader over a file.
#include "engine/AniFrame.h"
#include "engine/AniFrameStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {
bool EnterFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kardol-fuzz-anistream-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return false;
    std::filesystem::current_path(pattern);
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = EnterFolder();
    if (!ready) return 0;
    std::FILE* f = std::fopen("input.ani", "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    AniFrameStream stream("input.ani");
    stream.Skip(size % 3);
    for (int i = 0; i < 4; ++i) {
        AniFrame* frame = stream.Next();
        if (!frame) break;
        if (frame->width <= 0 || frame->height <= 0) __builtin_trap();
        volatile uint16_t last = frame->pixels[size_t(frame->width) * frame->height - 1];
        (void)last;
        FreeAniFrame(frame);
    }
    return 0;
}
