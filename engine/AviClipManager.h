#pragma once

#include "engine/AviFile.h"
#include "platform/Surface.h"

#include <cstdint>

// Every clip player of the game: 30 slots for skill movies on the battle map and 5 lead-in
// overlays. Chooses and recycles slots, applies the movie volume, draws clips relative to the map
// view and reports each clip's state to the effect that started it.
class AviClipManager {
public:
    static constexpr int kSlots = 30;
    static constexpr int kOverlays = 5;
    static constexpr uint32_t kMaxUseCount = 100000;
    static constexpr uint32_t kCounterWrap = 0xFFFFFF00u;

    // State flags of a slot.
    static constexpr uint32_t kStarted = 1;
    static constexpr uint32_t kTenPercent = 2;
    static constexpr uint32_t kNotInUse = 4;
    static constexpr uint32_t kEnded = 8;
    static constexpr uint32_t kLeadInOver = 16;

    // Mode byte bits.
    static constexpr uint8_t kShowNoMovie = 1;
    static constexpr uint8_t kFollowPosition = 2;

    AviClipManager();
    ~AviClipManager();
    AviClipManager(const AviClipManager&) = delete;
    AviClipManager& operator=(const AviClipManager&) = delete;

    void OpenOverlays();
    void SetVolume(int32_t level);
    int PlaySkillClip(int32_t x, int32_t y, int32_t skillId, uint8_t modeByte, int32_t overlay);
    int RenderClip(platform::Surface* surface, int32_t x, int32_t y, int32_t slot, int32_t overlay);
    int RenderAll(platform::Surface* surface);
    uint32_t GetClipState(int32_t slot);
    int PollClip(int32_t slot);
    void StopClip(int32_t slot);
    void PlayClipAt(int32_t x, int32_t y, int32_t slot);
    int OpenModalClip(int32_t x, int32_t y, const char* colourFile, const char* companionFile,
                      uint32_t formatMode, uint8_t modeByte, uint32_t zoom);
    void DetachOverlay(int32_t overlay);
    void CloseAll();
    bool HasNewFrame(int32_t slot);
    // Palette flags and, in window mode, a clipper on the back surface; nothing calls it.
    static int SetupMoviePalette(bool windowMode);

    static int32_t VolumeForLevel(int32_t level);

    uint32_t options = 1; // bit 0: movies on
    int32_t volume = 0;
    int32_t lastSlot = 0;
    uint32_t useCounter = 1;
    int32_t ownerKey[kSlots];
    uint32_t stamp[kSlots] = {};
    uint32_t useCount[kSlots] = {};
    uint32_t state[kSlots] = {};
    uint8_t mode[kSlots] = {};
    int32_t startX[kSlots] = {};
    int32_t startY[kSlots] = {};
    Zu_AviFile clips[kSlots];
    Zu_AviFile overlays[kOverlays];
    int32_t attached[kOverlays];

private:
    bool Plays(Zu_AviFile& clip, int32_t* percent = nullptr);
    int ChooseEvictee() const;
    // Steps 4 to 6 of drawing a slot in use.
    int RenderInUse(platform::Surface* surface, int32_t slot, int32_t x, int32_t y, bool move, int32_t viewX,
                    int32_t viewY);
    void MarkTenPercent(int32_t slot);
};

extern AviClipManager TheAviClipManager;

// Plays a movie in slot 0 inside its own message loop while the game waits. False when the
// snapshot surface cannot be made.
bool PlayAviModal(int32_t x, int32_t y, const char* colourFile, const char* companionFile,
                  uint32_t formatMode, uint32_t zoom);
