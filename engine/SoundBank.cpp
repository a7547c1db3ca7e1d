#include "engine/SoundBank.h"

#include "engine/ByteReader.h"
#include "engine/ScreenSettings.h"

#include <cstdlib>
#include <cstring>

using namespace platform;

SoundBank* TheSoundBank = nullptr;

SoundBank::SoundBank(void* mainWindow) {
    if (DirectSoundCreate(nullptr, &directSound, nullptr) == DS_OK) {
        ready = 1;
        if (directSound->SetCooperativeLevel(mainWindow, DSSCL_PRIORITY) != DS_OK) ready = 0;
    }
    if (ready) {
        DSCAPS caps;
        caps.dwSize = 96;
        directSound->GetCaps(&caps);
    }
    nextSlot = 0;
}

SoundBank::~SoundBank() {
    FreeAll();
}

int32_t SoundBank::VolumeForLevel(int32_t level) {
    if (level < 1) return DSBVOLUME_MIN;
    if (level > 8) return 0;
    return -2000 + 200 * level;
}

int SoundBank::LoadWave(const char* path) {
    if (!path) return -1;
    HMMIO file = mmioOpen(path, nullptr, MMIO_READ | MMIO_ALLOCBUF);
    if (!file) return -1;
    return LoadWave(file);
}

int SoundBank::LoadWave(HMMIO file) {
    if (!file) return -1;
    auto fail = [&](int slot) {
        if (slot >= 0) DropSamples(slot);
        if (file) mmioClose(file, 0);
        return -1;
    };
    if (!directSound) return fail(-1);

    MMCKINFO riff;
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return fail(-1);

    // The first chunk is taken as the format, whatever its name.
    MMCKINFO fmt;
    if (mmioDescend(file, &fmt, &riff, 0) != MMSYSERR_NOERROR) return fail(-1);
    uint8_t raw[18] = {};
    int32_t got = mmioRead(file, raw, 18);
    // A plain 16-byte format (no extra-size word) is as good as the 18-byte one.
    if (got < 16 || (got < 18 && fmt.cksize < 16)) return fail(-1);
    ByteReader r(raw, sizeof raw);
    WAVEFORMATEX wf;
    wf.wFormatTag = r.u16();
    wf.nChannels = r.u16();
    wf.nSamplesPerSec = r.u32();
    wf.nAvgBytesPerSec = r.u32();
    r.u16(); // the file's block align; ours is worked out below
    wf.wBitsPerSample = r.u16();
    if (wf.wFormatTag != WAVE_FORMAT_PCM) return fail(-1);
    mmioAscend(file, &fmt, 0);

    MMCKINFO data;
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(file, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return fail(-1);

    int slot = nextSlot;
    if (buffers[slot]) FreeSlot(slot);
    DropSamples(slot);
    nextSlot = (nextSlot + 1) % kSlots;

    if (data.cksize == 0 || data.cksize > kMaxSampleBytes) return fail(slot);
    sampleData[slot] = static_cast<uint8_t*>(std::malloc(data.cksize));
    if (!sampleData[slot]) return fail(slot);
    sampleSize[slot] = data.cksize;
    if (mmioRead(file, sampleData[slot], static_cast<int32_t>(data.cksize)) !=
        static_cast<int32_t>(data.cksize))
        return fail(slot);
    mmioClose(file, 0);
    file = nullptr;

    uint32_t blockAlign = static_cast<uint32_t>(wf.nChannels) * wf.wBitsPerSample / 8;
    if (blockAlign == 0 || blockAlign > 0xFFFF) return fail(slot);
    wf.nBlockAlign = static_cast<uint16_t>(blockAlign);
    wf.cbSize = 0;
    DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwFlags =
        DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_LOCSOFTWARE | DSBCAPS_STATIC;
    desc.dwBufferBytes = data.cksize;
    desc.lpwfxFormat = &wf;
    if (directSound->CreateSoundBuffer(&desc, &buffers[slot], nullptr) != DS_OK || !buffers[slot]) {
        buffers[slot] = nullptr;
        return fail(slot);
    }

    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    HRESULT hr = buffers[slot]->Lock(0, data.cksize, &part1, &bytes1, &part2, &bytes2, 0);
    if (hr == DSERR_BUFFERLOST) {
        buffers[slot]->Restore();
        hr = buffers[slot]->Lock(0, data.cksize, &part1, &bytes1, &part2, &bytes2, 0);
    }
    if (hr != DS_OK) {
        FreeSlot(slot);
        return -1;
    }
    std::memcpy(part1, sampleData[slot], bytes1);
    if (part2 && bytes2) std::memcpy(part2, sampleData[slot] + bytes1, bytes2);
    buffers[slot]->Unlock(part1, bytes1, part2, bytes2);

    buffers[slot]->SetVolume(VolumeForLevel(TheScreenSettings ? TheScreenSettings->soundVolume : 9));
    return slot;
}

int SoundBank::Play(int slot, int loop) {
    if (slot < 0 || slot >= kSlots || !buffers[slot]) return 0;
    return buffers[slot]->Play(0, 0, loop == 1 ? DSBPLAY_LOOPING : 0) == DS_OK ? 1 : 0;
}

void SoundBank::Stop(int slot) {
    if (slot < 0 || slot >= kSlots || !buffers[slot]) return;
    buffers[slot]->Stop();
}

void SoundBank::FreeSlot(int slot) {
    if (slot < 0 || slot >= kSlots || !buffers[slot]) return;
    buffers[slot]->Release();
    buffers[slot] = nullptr;
    DropSamples(slot);
}

void SoundBank::DropSamples(int slot) {
    std::free(sampleData[slot]);
    sampleData[slot] = nullptr;
    sampleSize[slot] = 0;
}

void SoundBank::FreeAll() {
    for (int slot = 0; slot < kSlots; ++slot) {
        FreeSlot(slot);
        DropSamples(slot);
    }
    if (directSound) {
        directSound->Release();
        directSound = nullptr;
    }
    ready = 0;
}

void SoundBank::Nop(int) {}
