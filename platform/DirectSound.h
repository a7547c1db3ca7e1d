#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

// Sound buffers in the DirectSound manner, mixed by the shared mixer device.
namespace platform {

using HRESULT = int32_t;

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);

constexpr uint16_t WAVE_FORMAT_PCM = 1;

constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;

constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr uint32_t DSBCAPS_STATIC = 0x00000002;
constexpr uint32_t DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x00000040;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x00000080;

constexpr uint32_t DSBPLAY_LOOPING = 0x00000001;
constexpr uint32_t DSBSTATUS_PLAYING = 0x00000001;
constexpr uint32_t DSBSTATUS_LOOPING = 0x00000004;
constexpr uint32_t DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;

struct WAVEFORMATEX {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

struct DSBUFFERDESC {
    uint32_t dwSize = 36;
    uint32_t dwFlags = 0;
    uint32_t dwBufferBytes = 0;
    uint32_t dwReserved = 0;
    const WAVEFORMATEX* lpwfxFormat = nullptr;
};

struct DSCAPS {
    uint32_t dwSize = 96;
    uint32_t dwFlags = 0;
    uint32_t dwMinSecondarySampleRate = 0;
    uint32_t dwMaxSecondarySampleRate = 0;
    uint32_t dwMaxHwMixingAllBuffers = 0;
};

// A sound buffer: PCM bytes in their own format, played once or looping from a position.
class DirectSoundBuffer {
public:
    HRESULT Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                 uint32_t* bytes2, uint32_t flags);
    HRESULT Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);
    HRESULT Play(uint32_t reserved, uint32_t priority, uint32_t flags);
    HRESULT Stop();
    HRESULT GetCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor);
    HRESULT SetCurrentPosition(uint32_t position);
    // Hundredths of a decibel, -10000 (silent) to 0 (full).
    HRESULT SetVolume(int32_t volume);
    HRESULT GetVolume(int32_t* volume);
    HRESULT GetStatus(uint32_t* status);
    HRESULT Restore();
    uint32_t Release();

    struct Impl;

private:
    friend class DirectSound;
    DirectSoundBuffer() = default;
    ~DirectSoundBuffer();
    Impl* impl_ = nullptr;
};

class DirectSound {
public:
    HRESULT SetCooperativeLevel(void* window, uint32_t level);
    HRESULT GetCaps(DSCAPS* caps);
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, DirectSoundBuffer** buffer, void* outer);
    uint32_t Release();

private:
    friend HRESULT DirectSoundCreate(const void*, DirectSound**, void*);
    DirectSound() = default;
    ~DirectSound() = default;
};

// Fails with DSERR_NODRIVER when there is no sound device; the game then runs silent.
HRESULT DirectSoundCreate(const void* device, DirectSound** out, void* outer);

// Linear gain 0..1 of a volume in hundredths of a decibel.
double VolumeToGain(int32_t volume);

} // namespace platform
