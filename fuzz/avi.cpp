// Opens arbitrary bytes as a movie: the AVI header, the decoder, the frames and the sound track.
#include "engine/AviStream.h"
#include "engine/AviSystem.h"
#include "platform/AudioDevice.h"
#include "platform/Surface.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {
std::string moviePath;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::SetAudioBackend(platform::AudioBackend::Null);
    moviePath = "/tmp/kardol-fuzz-avi-" + std::to_string(getpid()) + ".avi";
    TheAviSystem.target.ddpfPixelFormat = platform::PixelFormatFor(platform::kLayout565);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(moviePath.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    static platform::Surface* screen = new platform::Surface(64, 48, platform::kLayout565, 136, 0);
    for (uint32_t mode : {0u, 0x2001u, 2u}) {
        Zu_AviStream stream;
        if (!stream.Open(moviePath.c_str(), &TheAviSystem, mode)) continue;
        stream.Start(0);
        for (int i = 0; i < 6 && stream.playing; ++i)
            stream.Step(-1);
        stream.playing = 1;
        if (mode == 0) stream.Draw16(-3, 5, screen, 565);
        if (mode == 0x2001) stream.Draw24(10, -7, screen, 555);
        stream.Stop();
    }
    platform::TakeAudioCalls();
    std::remove(moviePath.c_str());
    return 0;
}
