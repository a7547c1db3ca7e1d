#include "engine/AviPlayer.h"

#include "engine/ErrorList.h"
#include "platform/Files.h"
#include "platform/MmTimer.h"

#include <algorithm>
#include <cstring>

using namespace platform;

AviPlayer::AviPlayer(const char* file, DirectDraw* directDraw, int loopFlag) : loop(loopFlag) {
    AVIFileInit();
    if (AVIStreamOpenFromFile(&video, file, streamtypeVIDEO, 0, OF_SHARE_DENY_WRITE, nullptr) != AVIERR_OK) {
        video = nullptr;
        Fail("AVI-File not found", 31);
        return;
    }
    int32_t size = 0;
    AVIStreamInfo(video, &info, sizeof info);
    if (AVIStreamReadFormat(video, 0, nullptr, &size) != AVIERR_OK ||
        size < static_cast<int32_t>(kBitmapInfoHeaderBytes)) {
        Fail("AVI Init failed", 45);
        return;
    }
    inputFormat.assign(static_cast<size_t>(size), 0);
    AVIStreamReadFormat(video, 0, inputFormat.data(), &size);
    int32_t width = static_cast<int32_t>(ReadLe32(inputFormat.data(), kBmiWidth));
    int32_t height = static_cast<int32_t>(ReadLe32(inputFormat.data(), kBmiHeight));
    int32_t streamLength = AVIStreamLength(video);
    length = streamLength > 0 ? static_cast<uint32_t>(streamLength) : 0;
    if (info.dwRate == 0 || info.dwScale == 0 || width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        Fail("AVI Init failed", 45);
        return;
    }
    framePeriod = static_cast<uint32_t>((uint64_t(info.dwScale) * 1000 + info.dwRate / 2) / info.dwRate);

    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<uint32_t>(width);
    desc.dwHeight = static_cast<uint32_t>(height);
    if (!directDraw || directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) {
        surface = nullptr;
        Fail("AVI-Init CreateSurface", 100);
        return;
    }
    DDPIXELFORMAT pf;
    surface->GetPixelFormat(&pf);
    outputFormat.assign(std::max(inputFormat.size(), kBitmapV4HeaderBytes), 0);
    std::memcpy(outputFormat.data(), inputFormat.data(), inputFormat.size());
    WriteLe32(outputFormat.data(), kBmiSize, static_cast<uint32_t>(outputFormat.size()));
    uint16_t bits = pf.dwRGBBitCount == 24 ? 24 : 16;
    WriteLe16(outputFormat.data(), kBmiBitCount, bits);
    WriteLe32(outputFormat.data(), kBmiCompression, bits == 24 ? BI_RGB : BI_BITFIELDS);
    WriteLe32(outputFormat.data(), kBmiClrUsed, 0);
    WriteLe32(outputFormat.data(), kBmiRedMask, pf.dwRBitMask);
    WriteLe32(outputFormat.data(), kBmiGreenMask, pf.dwGBitMask);
    WriteLe32(outputFormat.data(), kBmiBlueMask, pf.dwBBitMask);
    uint32_t stride = (static_cast<uint32_t>(width) * bits / 8 + 3) & ~3u;
    WriteLe32(outputFormat.data(), kBmiSizeImage, stride * static_cast<uint32_t>(height));
    decompressor =
        ICLocate(ICTYPE_VIDEO, info.fccHandler, inputFormat.data(), outputFormat.data(), ICMODE_DECOMPRESS);
    if (!decompressor) {
        Fail("AVI-DecompressOpen Error", 158);
        return;
    }
    ICSendMessage(decompressor, ICM_DECOMPRESS_BEGIN, 0, 0);
    uint32_t inSize = info.dwSuggestedBufferSize;
    if (inSize == 0) inSize = stride * static_cast<uint32_t>(height);
    inputBuffer.assign(std::min(inSize, 16u << 20), 0); // the file's word is not trusted further
    outputBuffer.assign(stride * static_cast<uint32_t>(height), 0);
    usable = true;
}

AviPlayer::~AviPlayer() {
    KillTimer();
    if (decompressor) {
        ICSendMessage(decompressor, ICM_DECOMPRESS_END, 0, 0);
        ICClose(decompressor);
    }
    if (surface) surface->Release();
    if (video) AVIStreamRelease(video);
    AVIFileExit();
}

void AviPlayer::Fail(const char* message, int32_t line) {
    Zu_ErrorList::Global().Add(message, line, 0, 0);
    usable = false;
}

void AviPlayer::StartTimer(uint32_t period) {
    MMRESULT id = timeSetEvent(period ? period : 1, 0, &AviPlayer::TimerProc,
                               reinterpret_cast<uintptr_t>(this), TIME_PERIODIC);
    timerId = id ? static_cast<int32_t>(id) : -1;
}

void AviPlayer::KillTimer() {
    int32_t id = timerId.exchange(-1);
    // The kill waits for a tick at work, which replaces sleeping a frame period.
    if (id != -1) timeKillEvent(static_cast<MMRESULT>(id));
}

void AviPlayer::TimerProc(uint32_t id, uint32_t, uintptr_t user, uintptr_t, uintptr_t) {
    auto* player = reinterpret_cast<AviPlayer*>(user);
    if (player->timerId != static_cast<int32_t>(id)) return;
    player->Tick();
}

void AviPlayer::Play(uint32_t speed) {
    if (!usable) return;
    KillTimer();
    {
        std::lock_guard lock(criticalSection);
        currentFrame = 0;
        playing = true;
    }
    StartTimer(framePeriod * (speed ? speed : 1));
    DecodeFrame(0);
}

void AviPlayer::Tick() {
    std::lock_guard lock(criticalSection);
    if (!playing) return;
    if (currentFrame >= length) {
        if (loop) {
            currentFrame = 0;
        } else {
            int32_t id = timerId.exchange(-1);
            if (id != -1) timeKillEvent(static_cast<MMRESULT>(id));
            playing = false;
            return;
        }
    }
    DecodeFrame(currentFrame);
    ++currentFrame;
}

void AviPlayer::Stop() {
    playing = false;
    KillTimer();
}

void AviPlayer::DecodeFrame(uint32_t n) {
    std::lock_guard lock(criticalSection);
    if (!usable || n >= length) return;
    int32_t bytes = 0;
    if (AVIStreamRead(video, static_cast<int32_t>(n), 1, inputBuffer.data(),
                      static_cast<int32_t>(inputBuffer.size()), &bytes, nullptr) != AVIERR_OK)
        bytes = 0;
    WriteLe32(inputFormat.data(), kBmiSizeImage, static_cast<uint32_t>(bytes));
    if (ICDecompress(decompressor, 0, inputFormat.data(), inputBuffer.data(), outputFormat.data(),
                     outputBuffer.data()) != ICERR_OK)
        return;
    DDSURFACEDESC2 desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT) != DD_OK) return;
    uint32_t height = desc.dwHeight;
    uint32_t stride = static_cast<uint32_t>(outputBuffer.size() / height);
    size_t rowBytes = std::min<size_t>(stride, static_cast<size_t>(desc.dwWidth) * 2);
    for (uint32_t y = 0; y < height; ++y) // the decoded frame is bottom-up
        std::memcpy(static_cast<uint8_t*>(desc.lpSurface) + static_cast<size_t>(desc.lPitch) * y,
                    outputBuffer.data() + static_cast<size_t>(stride) * (height - 1 - y), rowBytes);
    surface->Unlock(nullptr);
}

AviSoundPlayer::AviSoundPlayer(const char* file, DirectDraw* directDraw, int loopFlag)
    : AviPlayer(file, directDraw, loopFlag) {
    if (usable && !CreateSoundStuff(file)) Fail("AVI-CreateSoundStuff failed!", 362);
}

bool AviSoundPlayer::CreateSoundStuff(const char* file) {
    if (DirectSoundCreate(nullptr, &directSound, nullptr) != DS_OK) {
        directSound = nullptr;
        Fail("AVI-Direct Sound Create failed", 471);
        return false;
    }
    if (directSound->SetCooperativeLevel(nullptr, DSSCL_NORMAL) != DS_OK) {
        Fail("AVI-SetCooperativeLevel", 480);
        return false;
    }
    DSBUFFERDESC primaryDesc;
    primaryDesc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    if (directSound->CreateSoundBuffer(&primaryDesc, &primary, nullptr) != DS_OK) {
        primary = nullptr;
        Fail("AVI-obtain primary error", 493);
        return false;
    }
    if (AVIStreamOpenFromFile(&sound, file, streamtypeAUDIO, 0, OF_SHARE_DENY_WRITE, nullptr) != AVIERR_OK) {
        sound = nullptr;
        Fail("AVI-Soundstream in Avi-File not found", 378);
        return false;
    }
    // The whole track in one buffer, played from frame 0, keeps its pace whatever the file says.
    uint8_t raw[kWaveFormatExBytes] = {};
    int32_t size = sizeof raw;
    WAVEFORMATEX wf;
    bool ok = AVIStreamReadFormat(sound, 0, raw, &size) == AVIERR_OK;
    wf.wFormatTag = ReadLe16(raw, kWfxFormatTag);
    wf.nChannels = ReadLe16(raw, kWfxChannels);
    wf.nSamplesPerSec = ReadLe32(raw, kWfxSamplesPerSec);
    wf.nAvgBytesPerSec = ReadLe32(raw, kWfxAvgBytesPerSec);
    wf.nBlockAlign = ReadLe16(raw, kWfxBlockAlign);
    wf.wBitsPerSample = ReadLe16(raw, kWfxBitsPerSample);
    int32_t samples = AVIStreamLength(sound);
    uint64_t bytes = ok && wf.nBlockAlign && samples > 0 ? uint64_t(samples) * wf.nBlockAlign : 0;
    bytes = std::min<uint64_t>(bytes, (64u << 20) - (64u << 20) % (wf.nBlockAlign ? wf.nBlockAlign : 1));
    DSBUFFERDESC desc;
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = static_cast<uint32_t>(bytes);
    desc.lpwfxFormat = &wf;
    if (bytes == 0 || directSound->CreateSoundBuffer(&desc, &soundBuffer, nullptr) != DS_OK) {
        soundBuffer = nullptr;
        Fail("AVI-InitSound failed for Avi-File", 389);
        return false;
    }
    void* part1 = nullptr;
    uint32_t bytes1 = 0;
    if (soundBuffer->Lock(0, desc.dwBufferBytes, &part1, &bytes1, nullptr, nullptr, 0) == DS_OK) {
        AVIStreamRead(sound, 0, static_cast<int32_t>(bytes1 / wf.nBlockAlign), part1,
                      static_cast<int32_t>(bytes1), nullptr, nullptr);
        soundBuffer->Unlock(part1, bytes1, nullptr, 0);
    }
    return true;
}

AviSoundPlayer::~AviSoundPlayer() {
    KillTimer();
    if (soundBuffer) soundBuffer->Release();
    if (primary) primary->Release();
    if (sound) AVIStreamRelease(sound);
    if (directSound) directSound->Release();
}

void AviSoundPlayer::Play(uint32_t speed) {
    if (!usable) return;
    AviPlayer::Play(speed);
    if (soundBuffer) {
        soundBuffer->SetCurrentPosition(0);
        soundBuffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
    }
}

void AviSoundPlayer::Stop() {
    AviPlayer::Stop();
    if (soundBuffer) soundBuffer->Stop();
}

void AviSoundPlayer::DecodeFrame(uint32_t n) {
    AviPlayer::DecodeFrame(n);
}

void AviSoundPlayer::Tick() {
    std::lock_guard lock(criticalSection);
    bool wrapped = playing && loop && currentFrame >= length;
    AviPlayer::Tick();
    // A looping movie starts its sound again with its first frame.
    if (wrapped && soundBuffer) {
        soundBuffer->SetCurrentPosition(0);
        soundBuffer->Play(0, 0, 0);
    }
}

AviBlendPair::AviBlendPair(AviPlayer* c, AviPlayer* m, int32_t px, int32_t py)
    : colour(c), mask(m), x(px), y(py) {}

AviBlendPair::~AviBlendPair() {
    delete colour;
    delete mask;
}

void AviBlendPair::Draw(Surface* target) {
    if (!colour || !mask || !target) return;
    if (!colour->Playing()) {
        delete colour;
        delete mask;
        colour = nullptr;
        mask = nullptr;
        return;
    }
    Surface* cs = colour->GetSurface();
    Surface* ms = mask->GetSurface();
    if (!cs || !ms) return;
    std::lock_guard colourLock(colour->Lock());
    std::lock_guard maskLock(mask->Lock());
    DDSURFACEDESC2 cd, md, td;
    if (cs->Lock(nullptr, &cd, DDLOCK_WAIT) != DD_OK) return;
    if (ms->Lock(nullptr, &md, DDLOCK_WAIT) != DD_OK) {
        cs->Unlock(nullptr);
        return;
    }
    if (target->Lock(nullptr, &td, DDLOCK_WAIT) == DD_OK) {
        const bool is555 = td.ddpfPixelFormat.dwGBitMask == 0x03E0;
        const uint32_t red = is555 ? 0x7C00 : 0xF800, green = is555 ? 0x03E0 : 0x07E0, blue = 0x1F;
        int32_t w = static_cast<int32_t>(std::min(cd.dwWidth, md.dwWidth));
        int32_t h = static_cast<int32_t>(std::min(cd.dwHeight, md.dwHeight));
        for (int32_t r = std::max(0, -y); r < h && y + r < static_cast<int32_t>(td.dwHeight); ++r) {
            auto* c = reinterpret_cast<const uint16_t*>(static_cast<uint8_t*>(cd.lpSurface) + cd.lPitch * r);
            auto* m = reinterpret_cast<const uint16_t*>(static_cast<uint8_t*>(md.lpSurface) + md.lPitch * r);
            auto* d = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(td.lpSurface) + td.lPitch * (y + r));
            for (int32_t col = std::max(0, -x); col < w && x + col < static_cast<int32_t>(td.dwWidth);
                 ++col) {
                // The mask's grey level from its green channel, widened to 8 bits.
                uint32_t g = (m[col] & green) >> 5;
                uint32_t a = is555 ? (g << 3) | (g >> 2) : (g << 2) | (g >> 4);
                uint32_t p = c[col], t = d[x + col];
                if (a == 0) continue;
                if (a == 255) {
                    d[x + col] = static_cast<uint16_t>(p);
                    continue;
                }
                auto mix = [&](uint32_t mask) {
                    return (((p & mask) * a + (t & mask) * (256 - a)) >> 8) & mask;
                };
                d[x + col] = static_cast<uint16_t>(mix(red) | mix(green) | mix(blue));
            }
        }
        target->Unlock(nullptr);
    }
    ms->Unlock(nullptr);
    cs->Unlock(nullptr);
}
