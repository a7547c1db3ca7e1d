#include "platform/DirectSound.h"

#include "platform/AudioDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

namespace platform {

namespace {

// Every buffer operation runs under this lock: the main thread and the movie timers share buffers.
std::mutex bufferMutex;

constexpr uint32_t kMaxBufferBytes = 256u << 20;

using Clock = std::chrono::steady_clock;

SDL_AudioFormat SourceFormat(uint16_t bits) {
    switch (bits) {
    case 8:
        return AUDIO_U8;
    case 16:
        return AUDIO_S16LSB;
    case 32:
        return AUDIO_S32LSB;
    default:
        return 0;
    }
}

} // namespace

struct DirectSoundBuffer::Impl {
    WAVEFORMATEX format;
    bool primary = false;
    std::vector<uint8_t> data;
    int32_t volume = 0;
    uint32_t position = 0;
    bool playing = false;
    bool looping = false;
    Clock::time_point startTime;
    uint32_t startPosition = 0;
    // Mixer voice: the buffer converted to the device format once, and the channel playing it.
    std::vector<uint8_t> converted;
    bool convertedStale = true;
    Mix_Chunk chunk{};
    int channel = -1;

    uint32_t BytesPerSecond() const {
        uint32_t rate = format.nSamplesPerSec * format.nBlockAlign;
        return rate ? rate : 1;
    }

    uint32_t Elapsed() const {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - startTime).count();
        return static_cast<uint32_t>(
            std::min<int64_t>(ms * static_cast<int64_t>(BytesPerSecond()) / 1000, UINT32_MAX));
    }

    bool VoicePlaying() const {
        if (!playing) return false;
        if (GetAudioBackend() != AudioBackend::Mixer)
            return looping || Elapsed() < data.size() - startPosition;
        return channel >= 0 && Mix_Playing(channel) && Mix_GetChunk(channel) == &chunk;
    }

    // Notices a voice that played to its end.
    void Refresh() {
        if (playing && !VoicePlaying()) {
            playing = false;
            channel = -1;
            position = 0;
        }
    }

    uint32_t CurrentPosition() const {
        if (!playing || data.empty()) return position;
        uint64_t at = static_cast<uint64_t>(startPosition) + Elapsed();
        if (looping) return static_cast<uint32_t>(at % data.size());
        return static_cast<uint32_t>(std::min<uint64_t>(at, data.size()));
    }

    bool Convert() {
        if (!convertedStale) return true;
        int rate = 0, channels = 0;
        Uint16 deviceFormat = 0;
        MixerFormat(&rate, &deviceFormat, &channels);
        size_t whole = data.size() - data.size() % format.nBlockAlign;
        SDL_AudioCVT cvt;
        if (SDL_BuildAudioCVT(&cvt, SourceFormat(format.wBitsPerSample), static_cast<Uint8>(format.nChannels),
                              static_cast<int>(format.nSamplesPerSec), deviceFormat,
                              static_cast<Uint8>(channels), rate) < 0)
            return false;
        std::vector<uint8_t> work(whole * static_cast<size_t>(cvt.len_mult) + 16);
        if (whole) std::memcpy(work.data(), data.data(), whole);
        cvt.buf = work.data();
        cvt.len = static_cast<int>(whole);
        if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return false;
        work.resize(cvt.needed ? static_cast<size_t>(cvt.len_cvt) : whole);
        converted.swap(work);
        convertedStale = false;
        return true;
    }

    void ApplyVolume() {
        if (GetAudioBackend() == AudioBackend::Mixer && channel >= 0 && VoicePlaying())
            Mix_Volume(channel, static_cast<int>(std::lround(VolumeToGain(volume) * MIX_MAX_VOLUME)));
    }

    HRESULT StartVoice() {
        startTime = Clock::now();
        startPosition = looping ? 0 : position;
        if (GetAudioBackend() != AudioBackend::Mixer) {
            RecordAudioCall("play " + std::to_string(data.size()) + (looping ? " loop" : " once") +
                            " volume " + std::to_string(volume));
            playing = true;
            return DS_OK;
        }
        if (!Convert()) return DSERR_BADFORMAT;
        // Looping always covers the whole buffer; a single play starts at the current position.
        size_t offset = 0;
        if (!looping && !data.empty())
            offset =
                static_cast<size_t>(static_cast<uint64_t>(converted.size()) * startPosition / data.size()) &
                ~size_t(7);
        if (offset >= converted.size()) return DS_OK;
        chunk = Mix_Chunk{};
        chunk.allocated = 0;
        chunk.abuf = converted.data() + offset;
        chunk.alen = static_cast<Uint32>(converted.size() - offset);
        chunk.volume = MIX_MAX_VOLUME;
        channel = Mix_PlayChannel(-1, &chunk, looping ? -1 : 0);
        if (channel < 0) return DSERR_GENERIC;
        playing = true;
        ApplyVolume();
        return DS_OK;
    }

    void StopVoice() {
        if (!playing) return;
        position = CurrentPosition();
        if (GetAudioBackend() == AudioBackend::Mixer) {
            if (channel >= 0 && Mix_GetChunk(channel) == &chunk) Mix_HaltChannel(channel);
        } else {
            RecordAudioCall("stop");
        }
        playing = false;
        channel = -1;
    }
};

double VolumeToGain(int32_t volume) {
    if (volume <= DSBVOLUME_MIN) return 0.0;
    if (volume >= 0) return 1.0;
    return std::pow(10.0, volume / 2000.0);
}

DirectSoundBuffer::~DirectSoundBuffer() {
    delete impl_;
}

HRESULT DirectSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                                uint32_t* bytes2, uint32_t flags) {
    std::lock_guard lock(bufferMutex);
    Impl& b = *impl_;
    if (!part1 || !bytes1 || b.primary) return DSERR_INVALIDPARAM;
    uint32_t size = static_cast<uint32_t>(b.data.size());
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = size;
    }
    if (flags & DSBLOCK_FROMWRITECURSOR) offset = b.CurrentPosition();
    if (offset >= size || bytes > size || bytes == 0) return DSERR_INVALIDPARAM;
    uint32_t first = std::min(bytes, size - offset);
    *part1 = b.data.data() + offset;
    *bytes1 = first;
    if (part2) *part2 = bytes > first ? b.data.data() : nullptr;
    if (bytes2) *bytes2 = bytes - first;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Unlock(void*, uint32_t, void*, uint32_t) {
    std::lock_guard lock(bufferMutex);
    impl_->convertedStale = true;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Play(uint32_t, uint32_t, uint32_t flags) {
    std::lock_guard lock(bufferMutex);
    Impl& b = *impl_;
    if (b.primary) return DS_OK;
    b.Refresh();
    bool loop = (flags & DSBPLAY_LOOPING) != 0;
    if (b.playing && b.looping == loop) return DS_OK; // already playing: it keeps playing
    b.StopVoice();
    b.looping = loop;
    return b.StartVoice();
}

HRESULT DirectSoundBuffer::Stop() {
    std::lock_guard lock(bufferMutex);
    impl_->Refresh();
    impl_->StopVoice();
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) {
    std::lock_guard lock(bufferMutex);
    impl_->Refresh();
    uint32_t at = impl_->CurrentPosition();
    if (playCursor) *playCursor = at;
    if (writeCursor) *writeCursor = at;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetCurrentPosition(uint32_t position) {
    std::lock_guard lock(bufferMutex);
    Impl& b = *impl_;
    if (position > b.data.size()) return DSERR_INVALIDPARAM;
    b.Refresh();
    bool wasPlaying = b.playing;
    b.StopVoice();
    b.position = position;
    return wasPlaying ? b.StartVoice() : DS_OK;
}

HRESULT DirectSoundBuffer::SetVolume(int32_t volume) {
    std::lock_guard lock(bufferMutex);
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    impl_->volume = volume;
    if (GetAudioBackend() != AudioBackend::Mixer) RecordAudioCall("volume " + std::to_string(volume));
    impl_->ApplyVolume();
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetVolume(int32_t* volume) {
    std::lock_guard lock(bufferMutex);
    if (!volume) return DSERR_INVALIDPARAM;
    *volume = impl_->volume;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetStatus(uint32_t* status) {
    std::lock_guard lock(bufferMutex);
    if (!status) return DSERR_INVALIDPARAM;
    impl_->Refresh();
    *status = impl_->playing ? (DSBSTATUS_PLAYING | (impl_->looping ? DSBSTATUS_LOOPING : 0)) : 0;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Restore() {
    return DS_OK;
}

uint32_t DirectSoundBuffer::Release() {
    {
        std::lock_guard lock(bufferMutex);
        impl_->Refresh();
        impl_->StopVoice();
        if (GetAudioBackend() != AudioBackend::Mixer) RecordAudioCall("release");
    }
    delete this;
    return 0;
}

HRESULT DirectSound::SetCooperativeLevel(void*, uint32_t level) {
    return level == DSSCL_NORMAL || level == DSSCL_PRIORITY || level == 3 || level == 4 ? DS_OK
                                                                                        : DSERR_INVALIDPARAM;
}

HRESULT DirectSound::GetCaps(DSCAPS* caps) {
    if (!caps || caps->dwSize != 96) return DSERR_INVALIDPARAM;
    caps->dwMinSecondarySampleRate = 4000;
    caps->dwMaxSecondarySampleRate = 192000;
    caps->dwMaxHwMixingAllBuffers = 0;
    return DS_OK;
}

HRESULT DirectSound::CreateSoundBuffer(const DSBUFFERDESC* desc, DirectSoundBuffer** out, void*) {
    if (!desc || !out || desc->dwSize < 20) return DSERR_INVALIDPARAM;
    *out = nullptr;
    auto impl = new DirectSoundBuffer::Impl;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        impl->primary = true;
    } else {
        const WAVEFORMATEX* f = desc->lpwfxFormat;
        bool bad = !f || f->wFormatTag != WAVE_FORMAT_PCM || f->nChannels == 0 || f->nSamplesPerSec == 0 ||
                   f->nBlockAlign == 0 || desc->dwBufferBytes == 0 || desc->dwBufferBytes > kMaxBufferBytes ||
                   f->nBlockAlign != f->nChannels * f->wBitsPerSample / 8;
        if (!bad && GetAudioBackend() == AudioBackend::Mixer) {
            int rate = 0, channels = 0;
            Uint16 deviceFormat = 0;
            MixerFormat(&rate, &deviceFormat, &channels);
            SDL_AudioCVT probe;
            bad = SourceFormat(f->wBitsPerSample) == 0 ||
                  SDL_BuildAudioCVT(&probe, SourceFormat(f->wBitsPerSample), static_cast<Uint8>(f->nChannels),
                                    static_cast<int>(f->nSamplesPerSec), deviceFormat,
                                    static_cast<Uint8>(channels), rate) < 0;
        }
        if (bad) {
            delete impl;
            return f ? DSERR_BADFORMAT : DSERR_INVALIDPARAM;
        }
        impl->format = *f;
        impl->data.assign(desc->dwBufferBytes, f->wBitsPerSample == 8 ? 0x80 : 0);
    }
    if (GetAudioBackend() != AudioBackend::Mixer)
        RecordAudioCall("create " + std::to_string(impl->data.size()) + (impl->primary ? " primary" : ""));
    auto* buffer = new DirectSoundBuffer;
    buffer->impl_ = impl;
    *out = buffer;
    return DS_OK;
}

uint32_t DirectSound::Release() {
    ReleaseMixer();
    delete this;
    return 0;
}

HRESULT DirectSoundCreate(const void*, DirectSound** out, void*) {
    if (!out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (!AcquireMixer()) return DSERR_NODRIVER;
    *out = new DirectSound;
    return DS_OK;
}

} // namespace platform
