#include "engine/AviFile.h"

#include "engine/AviSystem.h"
#include "platform/MmTimer.h"

#include <cstdio>

using namespace platform;

Zu_AviFile::~Zu_AviFile() {
    Close();
}

int Zu_AviFile::Open(int32_t, int32_t, const char* colourFile, const char* companionFile,
                     Zu_AviSystem* system, uint32_t colourMode, uint32_t companionMode, uint16_t ax,
                     uint16_t ay) {
    std::lock_guard lock(lock_);
    if (colour) {
        anchorX = ax;
        anchorY = ay;
        return 1;
    }
    colour = new Zu_AviStream;
    if (!colour->Open(colourFile, system, colourMode)) {
        delete colour;
        colour = nullptr;
        return 0;
    }
    if (companionFile) {
        companion = new Zu_AviStream;
        // The matte is read at the colour clip's coordinates, so it must have the same size.
        if (!companion->Open(companionFile, system, companionMode) || companion->Width() != colour->Width() ||
            companion->Height() != colour->Height()) {
            delete companion;
            delete colour;
            companion = nullptr;
            colour = nullptr;
            return 1;
        }
    }
    anchorX = ax;
    anchorY = ay;
    return 1;
}

void Zu_AviFile::Play(int32_t x, int32_t y) {
    bool failed = false;
    {
        std::lock_guard lock(lock_);
        if (colour) {
            colour->Start(volume);
            if (companion) companion->Start(volume);
            busy = 0;
            idleTicks = 0;
            if (timerId == -1) {
                MMRESULT id = timeSetEvent(colour->framePeriod, 0, &Zu_AviFile::TimerProc,
                                           reinterpret_cast<uintptr_t>(this), TIME_PERIODIC);
                if (id == 0)
                    failed = true;
                else
                    timerId = static_cast<int32_t>(id);
            }
        }
        lastDrawnFrame = -1;
        positionX = x;
        positionY = y;
    }
    if (failed) Stop();
}

void Zu_AviFile::SetPosition(int32_t x, int32_t y) {
    positionX = x;
    positionY = y;
}

void Zu_AviFile::SetVolume(int32_t v) {
    volume = v;
}

void Zu_AviFile::StopStreams() {
    if (colour) colour->Stop();
    if (companion) companion->Stop();
}

void Zu_AviFile::Stop() {
    int32_t id;
    {
        std::lock_guard lock(lock_);
        id = timerId.exchange(-1);
    }
    // Killing waits for a callback that is running, so none is at work past this point.
    if (id != -1) timeKillEvent(static_cast<MMRESULT>(id));
    std::lock_guard lock(lock_);
    busy = 0;
    StopStreams();
}

void Zu_AviFile::Close() {
    Stop();
    std::lock_guard lock(lock_);
    delete colour;
    delete companion;
    colour = nullptr;
    companion = nullptr;
}

void Zu_AviFile::TimerProc(uint32_t id, uint32_t, uintptr_t user, uintptr_t, uintptr_t) {
    auto* clip = reinterpret_cast<Zu_AviFile*>(user);
    std::lock_guard lock(clip->lock_);
    // A tick of a timer that was stopped or replaced meanwhile does nothing.
    if (clip->timerId != static_cast<int32_t>(id)) return;
    clip->busy = 1;
    if (!clip->colour) {
        clip->busy = 0;
        return;
    }
    if (clip->colour->playing) {
        clip->idleTicks = 0;
        uint32_t frame = clip->colour->currentFrame;
        clip->colour->Step(-1);
        if (clip->companion) clip->companion->Step(static_cast<int32_t>(frame));
        clip->busy = 0;
        return;
    }
    clip->busy = 0;
    if (++clip->idleTicks >= kIdleTicksToStop) {
        timeKillEvent(id);
        clip->timerId = -1;
        clip->StopStreams();
    }
}

uint8_t Zu_AviFile::GetProgress(int32_t* percent) {
    std::lock_guard lock(lock_);
    if (!colour || colour->currentFrame >= colour->length) return 0;
    if (percent)
        *percent = static_cast<int32_t>(static_cast<uint64_t>(colour->currentFrame) * 100 / colour->length);
    return colour->playing;
}

bool Zu_AviFile::HasNewFrame() {
    std::lock_guard lock(lock_);
    if (!colour) return false;
    int32_t frame = static_cast<int32_t>(colour->currentFrame);
    if (frame == lastDrawnFrame) return false;
    lastDrawnFrame = frame;
    return true;
}

int Zu_AviFile::DrawFrame(int32_t viewX, int32_t viewY, Surface* surface, int32_t pixelFormat) {
    std::lock_guard lock(lock_);
    if (!colour) return 1;
    int32_t x = positionX - viewX * 40 - anchorX;
    int32_t y = positionY - viewY * 10 - anchorY;
    uint32_t c = colour->formatMode;
    if (!companion) {
        if (c == 1) colour->Draw24(x, y, surface, pixelFormat);
        if (c == 0) colour->Draw16(x, y, surface, pixelFormat);
        return 1;
    }
    uint32_t m = companion->formatMode;
    if (c == 0 && m == 0) Compose16x16(x, y, surface, pixelFormat);
    if (c == 0 && m == 1) Compose16x24(x, y, surface, pixelFormat);
    if (c == 1 && m == 2) Compose24x8(x, y, surface, pixelFormat);
    if (c == 1 && m == 1) Compose24x24(x, y, surface, pixelFormat);
    return 1;
}

int Zu_AviFile::InfoMessage(const char* text) {
    std::fprintf(stderr, "Message: %s\n", text ? text : "");
    return 0;
}

namespace {

struct Channels {
    uint32_t red, green, blue;
};

Channels MasksFor(int32_t pixelFormat) {
    if (pixelFormat == 555) return {0x7C00, 0x03E0, 0x001F};
    return {0xF800, 0x07E0, 0x001F};
}

// One channel mixed in place: (p * w + d * (scale - w)) >> shift, kept to the channel's bits.
inline uint32_t Mix(uint32_t p, uint32_t d, uint32_t mask, int32_t w, int32_t scale, int shift) {
    int32_t v = static_cast<int32_t>(p & mask) * w + static_cast<int32_t>(d & mask) * (scale - w);
    return static_cast<uint32_t>(v >> shift) & mask;
}

} // namespace

template <class Blend>
void Zu_AviFile::Compose(int32_t x, int32_t y, Surface* surface, Blend blend) {
    if (!colour || !companion) return;
    LockedTarget target;
    if (!LockTarget(surface, target)) return;
    int32_t width = colour->Width(), height = colour->Height();
    ClipBox box = ClipToTarget(x, y, width, height, target);
    {
        std::lock_guard colourLock(colour->frameLock);
        std::lock_guard companionLock(companion->frameLock);
        if (!box.empty() && colour->outputBuffer && companion->outputBuffer) {
            const uint32_t pBytes = colour->formatMode == 1 ? 3 : 2;
            const uint32_t mBytes = companion->formatMode == 1 ? 3 : companion->formatMode == 2 ? 1 : 2;
            for (int32_t r = 0; r < box.height; ++r) {
                int32_t row = height - 1 - box.skipY - r;
                const uint8_t* p = colour->outputBuffer + static_cast<size_t>(colour->outputStride) * row +
                                   static_cast<size_t>(box.skipX) * pBytes;
                const uint8_t* m = companion->outputBuffer +
                                   static_cast<size_t>(companion->outputStride) * row +
                                   static_cast<size_t>(box.skipX) * mBytes;
                auto* d = reinterpret_cast<uint16_t*>(target.bits +
                                                      static_cast<size_t>(target.pitch) * (box.y + r)) +
                          box.x;
                for (int32_t c = 0; c < box.width; ++c)
                    d[c] = blend(p + c * pBytes, m + c * mBytes, d[c]);
            }
        }
        surface->Unlock(nullptr);
    }
}

void Zu_AviFile::Compose16x16(int32_t x, int32_t y, Surface* surface, int32_t pixelFormat) {
    const Channels k = MasksFor(pixelFormat);
    const bool is555 = pixelFormat == 555;
    Compose(x, y, surface, [&](const uint8_t* p8, const uint8_t* m8, uint16_t d) -> uint16_t {
        uint32_t p = p8[0] | (p8[1] << 8), m = m8[0] | (m8[1] << 8);
        int32_t wr = is555 ? (m >> 10) & 31 : m >> 11;
        int32_t wg = is555 ? (m >> 5) & 31 : (m & 0x7E0) >> 6;
        int32_t wb = m & 31;
        if (wr + wg + wb <= 3) return d;
        return static_cast<uint16_t>(Mix(p, d, k.red, wr, 32, 5) | Mix(p, d, k.green, wg, 32, 5) |
                                     Mix(p, d, k.blue, wb, 32, 5));
    });
}

void Zu_AviFile::Compose16x24(int32_t x, int32_t y, Surface* surface, int32_t pixelFormat) {
    const Channels k = MasksFor(pixelFormat);
    Compose(x, y, surface, [&](const uint8_t* p8, const uint8_t* m8, uint16_t d) -> uint16_t {
        uint32_t p = p8[0] | (p8[1] << 8);
        int32_t wr = static_cast<int8_t>(m8[0]), wg = static_cast<int8_t>(m8[1]),
                wb = static_cast<int8_t>(m8[2]);
        uint32_t sum = static_cast<uint32_t>(wr + wg + wb);
        if (sum <= 12) return d;
        if (sum >= 84) return static_cast<uint16_t>(p);
        return static_cast<uint16_t>(Mix(p, d, k.red, wr, 32, 5) | Mix(p, d, k.green, wg, 32, 5) |
                                     Mix(p, d, k.blue, wb, 32, 5));
    });
}

void Zu_AviFile::Compose24x8(int32_t x, int32_t y, Surface* surface, int32_t pixelFormat) {
    const Channels k = MasksFor(pixelFormat);
    Compose(x, y, surface, [&](const uint8_t* p8, const uint8_t* m8, uint16_t d) -> uint16_t {
        uint32_t a = m8[0];
        uint16_t p = Pack16(p8[2], p8[1], p8[0], pixelFormat);
        if (a == 0) return d;
        if (a == 255) return p;
        int32_t w = static_cast<int32_t>(a);
        return static_cast<uint16_t>(Mix(p, d, k.red, w, 256, 8) | Mix(p, d, k.green, w, 256, 8) |
                                     Mix(p, d, k.blue, w, 256, 8));
    });
}

void Zu_AviFile::Compose24x24(int32_t x, int32_t y, Surface* surface, int32_t pixelFormat) {
    const Channels k = MasksFor(pixelFormat);
    Compose(x, y, surface, [&](const uint8_t* p8, const uint8_t* m8, uint16_t d) -> uint16_t {
        if (m8[0] == 0 && m8[1] == 0 && m8[2] == 0) return d;
        uint16_t p = Pack16(p8[2], p8[1], p8[0], pixelFormat);
        return static_cast<uint16_t>(Mix(p, d, k.red, m8[0], 256, 8) | Mix(p, d, k.green, m8[1], 256, 8) |
                                     Mix(p, d, k.blue, m8[2], 256, 8));
    });
}
