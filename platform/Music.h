#pragma once

#include <cstdint>

// The music library's interface as the game uses it: one device object that hands out streams
// opened from a file name (MP3 and the other formats the mixer knows), played looping or once.
namespace platform::gaudio {

enum ErrCode : int32_t {
    ERR_FAILED = 0,
    ERR_OK = 1,
};

constexpr uint32_t kOpenRecordKind = 0x201;
constexpr uint32_t kPlayLooping = 5;
constexpr uint32_t kPlayOnce = 4;
constexpr int32_t kMusicSoundClass = 5;

// The open record: ten words, the file name in word 1 and the play mode in word 4.
struct MusicOpenRecord {
    uint32_t kind = 0;
    const char* fileName = nullptr;
    uint32_t word2 = 0;
    uint32_t word3 = 0;
    uint32_t playMode = 0;
    uint32_t word5 = 0;
    uint32_t word6 = 0;
    uint32_t word7 = 0;
    uint32_t word8 = 0;
    uint32_t word9 = 0;
};

class GSound {
public:
    ErrCode start();
    ErrCode stop();
    // Stops and frees the stream; it must not be used afterwards.
    void release();
    // 0.0 (silent) to 1.0 (full).
    ErrCode setVolume(float volume);
    // Writes 1 while the music plays and 0 once it has ended or was stopped.
    ErrCode getStatus(int32_t* playing);

    struct Impl;

private:
    friend class GAudio;
    GSound() = default;
    ~GSound();
    Impl* impl_ = nullptr;
};

class GAudio {
public:
    GAudio() = default;
    ~GAudio();
    GAudio(const GAudio&) = delete;
    GAudio& operator=(const GAudio&) = delete;

    ErrCode init(int32_t deviceType, int32_t rate, int32_t flags);
    ErrCode installSoftwareMixer();
    ErrCode setAudioStageStatus(int32_t a, int32_t b);
    ErrCode getSoundClass(int32_t soundClass, const MusicOpenRecord* record, GSound** stream);
    const char* getLastErrorString() const;

private:
    bool open_ = false;
    char lastError_[256] = "no error";
};

// Test seam: while set, init fails as it does without a music device.
void SetMusicInitFailsForTests(bool fails);

} // namespace platform::gaudio
