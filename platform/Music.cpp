#include "platform/Music.h"

#include "platform/AudioDevice.h"
#include "platform/MediaFileName.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace platform::gaudio {
namespace {

std::atomic<bool> initFails{false};
std::mutex musicMutex;
// The stream that owns the mixer's one music channel, if any.
GSound* activeStream = nullptr;

} // namespace

struct GSound::Impl {
    Mix_Music* music = nullptr;
    std::string name;
    bool loop = false;
    float volume = 1.0f;
    bool started = false; // null backend: playing until stopped
};

GSound::~GSound() {
    delete impl_;
}

ErrCode GSound::start() {
    std::lock_guard lock(musicMutex);
    if (GetAudioBackend() != AudioBackend::Mixer) {
        RecordAudioCall("music start " + impl_->name);
        impl_->started = true;
        activeStream = this;
        return ERR_OK;
    }
    Mix_VolumeMusic(static_cast<int>(impl_->volume * MIX_MAX_VOLUME + 0.5f));
    if (Mix_PlayMusic(impl_->music, impl_->loop ? -1 : 1) != 0) return ERR_FAILED;
    activeStream = this;
    return ERR_OK;
}

ErrCode GSound::stop() {
    std::lock_guard lock(musicMutex);
    if (activeStream == this) {
        if (GetAudioBackend() == AudioBackend::Mixer)
            Mix_HaltMusic();
        else
            RecordAudioCall("music stop " + impl_->name);
        activeStream = nullptr;
    }
    impl_->started = false;
    return ERR_OK;
}

void GSound::release() {
    stop();
    {
        std::lock_guard lock(musicMutex);
        if (impl_->music) Mix_FreeMusic(impl_->music);
        if (GetAudioBackend() != AudioBackend::Mixer) RecordAudioCall("music release " + impl_->name);
    }
    delete this;
}

ErrCode GSound::setVolume(float volume) {
    std::lock_guard lock(musicMutex);
    if (!(volume >= 0.0f)) volume = 0.0f;
    if (volume > 1.0f) volume = 1.0f;
    impl_->volume = volume;
    if (GetAudioBackend() != AudioBackend::Mixer) {
        char text[32];
        std::snprintf(text, sizeof text, "music volume %.3f", static_cast<double>(volume));
        RecordAudioCall(text);
    } else if (activeStream == this) {
        Mix_VolumeMusic(static_cast<int>(volume * MIX_MAX_VOLUME + 0.5f));
    }
    return ERR_OK;
}

ErrCode GSound::getStatus(int32_t* playing) {
    if (!playing) return ERR_FAILED;
    std::lock_guard lock(musicMutex);
    if (activeStream != this)
        *playing = 0;
    else if (GetAudioBackend() != AudioBackend::Mixer)
        *playing = impl_->started ? 1 : 0;
    else
        *playing = Mix_PlayingMusic() ? 1 : 0;
    return ERR_OK;
}

GAudio::~GAudio() {
    if (open_) ReleaseMixer();
}

ErrCode GAudio::init(int32_t, int32_t, int32_t) {
    if (open_) return ERR_OK;
    if (initFails || !AcquireMixer()) {
        std::snprintf(lastError_, sizeof lastError_, "no music device");
        return ERR_FAILED;
    }
    open_ = true;
    return ERR_OK;
}

ErrCode GAudio::installSoftwareMixer() {
    return open_ ? ERR_OK : ERR_FAILED;
}

ErrCode GAudio::setAudioStageStatus(int32_t, int32_t) {
    return open_ ? ERR_OK : ERR_FAILED;
}

ErrCode GAudio::getSoundClass(int32_t soundClass, const MusicOpenRecord* record, GSound** stream) {
    if (!stream) return ERR_FAILED;
    *stream = nullptr;
    if (!open_) {
        std::snprintf(lastError_, sizeof lastError_, "audio not initialised");
        return ERR_FAILED;
    }
    if (soundClass != kMusicSoundClass || !record || !record->fileName || record->kind != kOpenRecordKind) {
        std::snprintf(lastError_, sizeof lastError_, "bad music open record");
        return ERR_FAILED;
    }
    std::string path = ResolveMediaFileName(record->fileName);
    auto* impl = new GSound::Impl;
    impl->name = record->fileName;
    impl->loop = record->playMode == kPlayLooping;
    if (GetAudioBackend() == AudioBackend::Mixer) {
        impl->music = Mix_LoadMUS(path.c_str());
        if (!impl->music) {
            std::snprintf(lastError_, sizeof lastError_, "cannot open music \"%s\": %s", record->fileName,
                          Mix_GetError());
            delete impl;
            return ERR_FAILED;
        }
    } else {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) {
            std::snprintf(lastError_, sizeof lastError_, "cannot open music \"%s\"", record->fileName);
            delete impl;
            return ERR_FAILED;
        }
        std::fclose(f);
        RecordAudioCall(std::string("music open ") + record->fileName + (impl->loop ? " loop" : " once"));
    }
    auto* sound = new GSound;
    sound->impl_ = impl;
    *stream = sound;
    return ERR_OK;
}

const char* GAudio::getLastErrorString() const {
    return lastError_;
}

void SetMusicInitFailsForTests(bool fails) {
    initFails = fails;
}

} // namespace platform::gaudio
