#include "engine/AviClipManager.h"

#include "engine/AviSystem.h"
#include "engine/DisplayDevice.h"
#include "engine/GameController.h"
#include "engine/ModalLoopState.h"
#include "engine/PixelFormat.h"
#include "platform/DirectDraw.h"
#include "platform/Messages.h"
#include "records/RecordTables.h"
#include "records/SkillRecord.h"
#include "world/MapView.h"

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

using namespace platform;

AviClipManager TheAviClipManager;

namespace {

struct OverlayRow {
    const char* colour;
    uint32_t colourMode;
    const char* companion;
    uint32_t companionMode;
    uint16_t anchorX, anchorY;
};

const OverlayRow kOverlayTable[AviClipManager::kOverlays] = {
    {"skill\\skill22.avi", 0, "skill\\skill22a.avi", 0, 134, 117},
    {"skill\\skill23.avi", 0, "skill\\skill23a.avi", 0, 134, 148},
    {"skill\\skill24.avi", 0, "skill\\skill24a.avi", 0, 104, 150},
    {"skill\\skill25.avi", 0, "skill\\skill25a.avi", 0, 124, 169},
    {"skill\\skill26.avi", 0, "skill\\skill26a.avi", 0, 114, 132},
};

// The palette flags and the clipper of the unused movie set-up.
struct PaletteEntry {
    uint8_t red = 0, green = 0, blue = 0, flags = 0;
};
constexpr uint8_t PC_NOCOLLAPSE = 4;
PaletteEntry MoviePalette[256];
Clipper* MovieClipper = nullptr;

bool ValidSlot(int32_t slot) {
    return slot >= 0 && slot < AviClipManager::kSlots;
}
bool ValidOverlay(int32_t overlay) {
    return overlay >= 0 && overlay < AviClipManager::kOverlays;
}

void ViewOffset(int32_t& x, int32_t& y) {
    x = y = 0;
    if (TheGameController && TheGameController->gameScreen) {
        x = TheGameController->gameScreen->viewX;
        y = TheGameController->gameScreen->viewY;
    }
}

} // namespace

AviClipManager::AviClipManager() {
    for (int32_t& key : ownerKey)
        key = -1;
    for (int32_t& a : attached)
        a = -1;
}

AviClipManager::~AviClipManager() {
    CloseAll();
}

int32_t AviClipManager::VolumeForLevel(int32_t level) {
    if (level < 1) return -10000;
    if (level > 8) return 0;
    return -2000 + 200 * level;
}

bool AviClipManager::Plays(Zu_AviFile& clip, int32_t* percent) {
    int32_t p = 0;
    bool playing = clip.GetProgress(&p) != 0;
    if (percent) *percent = playing ? p : 0;
    return playing;
}

void AviClipManager::MarkTenPercent(int32_t slot) {
    if (!(state[slot] & kTenPercent)) state[slot] |= kTenPercent | kNotInUse;
}

void AviClipManager::OpenOverlays() {
    for (int i = 0; i < kOverlays; ++i) {
        const OverlayRow& row = kOverlayTable[i];
        overlays[i].Open(0, 0, row.colour, row.companion, &TheAviSystem, row.colourMode, row.companionMode,
                         row.anchorX, row.anchorY);
        overlays[i].SetVolume(volume);
        attached[i] = -1;
    }
}

void AviClipManager::SetVolume(int32_t level) {
    volume = VolumeForLevel(level);
    for (Zu_AviFile& o : overlays)
        o.SetVolume(volume);
    for (Zu_AviFile& c : clips)
        if (c.HasColourStream()) c.SetVolume(volume);
}

int AviClipManager::ChooseEvictee() const {
    // Idle slots (stamp 0) go before slots whose effect still runs; within each group the least
    // used, least recently started slot other than the last one given out wins.
    for (int pass = 0; pass < 2; ++pass) {
        auto eligible = [&](int s) { return s != lastSlot && (pass == 1 || stamp[s] == 0); };
        int best = -1;
        for (int s = kSlots - 1; s >= 0; --s)
            if (eligible(s)) {
                best = s;
                break;
            }
        if (best < 0) continue;
        for (int s = kSlots - 1; s >= 0; --s)
            if (eligible(s) && useCount[s] <= useCount[best] && stamp[s] < stamp[best]) best = s;
        return best;
    }
    return kSlots - 1 == lastSlot ? kSlots - 2 : kSlots - 1;
}

int AviClipManager::PlaySkillClip(int32_t x, int32_t y, int32_t skillId, uint8_t modeByte, int32_t overlay) {
    if (!ValidOverlay(overlay)) overlay = -1; // a number out of range counts as none
    int32_t key = skillId % 150;
    if (key < 0) key += 150;

    int slot = -1;
    bool reused = false;
    for (int s = 0; s < kSlots && slot < 0; ++s)
        if (clips[s].HasColourStream() && stamp[s] == 0 && ownerKey[s] == key) {
            slot = s;
            reused = true;
        }
    for (int s = 0; s < kSlots && slot < 0; ++s)
        if (!clips[s].HasColourStream()) slot = s;
    if (slot < 0) {
        slot = ChooseEvictee();
        if (ownerKey[slot] != key) clips[slot].Close();
    }

    mode[slot] = modeByte;
    if (reused) {
        if (useCount[slot] < kMaxUseCount) ++useCount[slot];
        stamp[slot] = useCounter;
        if (overlay == -1 && !(modeByte & kShowNoMovie)) clips[slot].Play(x, y);
    } else {
        const uint8_t* record = SkillTable[key];
        // Without a record the slot is handed out as with movies off: it never plays.
        if (!(modeByte & kShowNoMovie) && record) {
            const char* clip = reinterpret_cast<const char*>(record + SkillLayout::kPicture);
            std::string name(clip, strnlen(clip, SkillLayout::kPictureBytes));
            // The anchors are the low halves of the centre fields.
            const auto anchorX = static_cast<uint16_t>(record[SkillLayout::kCentreX] |
                                                       (record[SkillLayout::kCentreX + 1] << 8));
            const auto anchorY = static_cast<uint16_t>(record[SkillLayout::kCentreY] |
                                                       (record[SkillLayout::kCentreY + 1] << 8));
            std::string colourFile = "skill\\" + name + ".avi";
            std::string companionFile = "skill\\" + name + "a.avi";
            if (options & 1) {
                clips[slot].Open(x, y, colourFile.c_str(), companionFile.c_str(), &TheAviSystem, 0, 0,
                                 anchorX, anchorY);
                clips[slot].SetVolume(volume);
            }
            if (overlay == -1) clips[slot].Play(x, y);
        }
        useCount[slot] = 1;
        stamp[slot] = useCounter;
        lastSlot = slot;
        ownerKey[slot] = key;
    }

    if (++useCounter >= kCounterWrap) {
        useCounter = 1;
        for (int s = 0; s < kSlots; ++s)
            if (stamp[s] != 0) stamp[s] = useCounter++;
    }
    state[slot] = kStarted;
    if (overlay != -1 && !(modeByte & kShowNoMovie)) {
        DetachOverlay(overlay);
        overlays[overlay].Play(x, y);
        attached[overlay] = slot;
    }
    startX[slot] = x;
    startY[slot] = y;
    return slot;
}

int AviClipManager::RenderInUse(Surface* surface, int32_t slot, int32_t x, int32_t y, bool move,
                                int32_t viewX, int32_t viewY) {
    if (mode[slot] & kShowNoMovie) {
        MarkTenPercent(slot);
        state[slot] |= kEnded;
        stamp[slot] = 0;
        return 0;
    }
    if (!Plays(clips[slot])) {
        MarkTenPercent(slot);
        clips[slot].Stop();
        state[slot] |= kEnded;
        stamp[slot] = 0;
        return 0;
    }
    if (move && (mode[slot] & kFollowPosition)) clips[slot].SetPosition(x, y);
    clips[slot].DrawFrame(viewX, viewY, surface, PixelFormat);
    int32_t percent = 0;
    if (Plays(clips[slot], &percent) && percent >= 10) MarkTenPercent(slot);
    return 2;
}

int AviClipManager::RenderClip(Surface* surface, int32_t x, int32_t y, int32_t slot, int32_t overlay) {
    if (!ValidSlot(slot) || (overlay != -1 && !ValidOverlay(overlay))) return 0;
    int32_t viewX, viewY;
    ViewOffset(viewX, viewY);
    if (overlay != -1 && !(state[slot] & kLeadInOver)) {
        if (Plays(overlays[overlay])) {
            overlays[overlay].SetPosition(x, y);
            overlays[overlay].DrawFrame(viewX, viewY, surface, PixelFormat);
            return 1;
        }
        if (attached[overlay] == slot) {
            if (!(mode[slot] & kShowNoMovie) && clips[slot].HasColourStream()) {
                if (mode[slot] & kFollowPosition)
                    clips[slot].Play(x, y);
                else
                    clips[slot].Play(startX[slot], startY[slot]);
            }
            overlays[overlay].Stop();
            attached[overlay] = -1;
            state[slot] |= kLeadInOver;
            return 0;
        }
    }
    if (stamp[slot] == 0) return 3;
    return RenderInUse(surface, slot, x, y, true, viewX, viewY);
}

int AviClipManager::RenderAll(Surface* surface) {
    for (int s = 0; s < kSlots; ++s)
        if (stamp[s] != 0) RenderInUse(surface, s, 0, 0, false, 0, 0);
    return 1;
}

uint32_t AviClipManager::GetClipState(int32_t slot) {
    if (!ValidSlot(slot)) return 0;
    return state[slot] | (stamp[slot] == 0 ? kNotInUse : 0);
}

int AviClipManager::PollClip(int32_t slot) {
    if (!ValidSlot(slot)) return 0;
    if (Plays(clips[slot])) return 1;
    if (!(mode[slot] & kShowNoMovie)) clips[slot].Stop();
    state[slot] |= kEnded;
    stamp[slot] = 0;
    return 0;
}

void AviClipManager::StopClip(int32_t slot) {
    if (!ValidSlot(slot)) return;
    clips[slot].Stop();
    state[slot] |= kEnded;
    stamp[slot] = 0;
}

void AviClipManager::PlayClipAt(int32_t x, int32_t y, int32_t slot) {
    if (!ValidSlot(slot)) return;
    clips[slot].Play(x, y);
    clips[slot].SetVolume(volume);
}

int AviClipManager::OpenModalClip(int32_t x, int32_t y, const char* colourFile, const char* companionFile,
                                  uint32_t formatMode, uint8_t modeByte, uint32_t zoom) {
    uint32_t modeWord = ((zoom & 15) << 12) | formatMode;
    clips[0].Close();
    clips[0].Open(x, y, colourFile, companionFile, &TheAviSystem, modeWord, modeWord, 0, 0);
    clips[0].SetVolume(volume);
    useCount[0] = 1;
    stamp[0] = useCounter;
    lastSlot = 0;
    mode[0] = modeByte;
    state[0] = kStarted;
    ownerKey[0] = 0;
    return 0;
}

void AviClipManager::DetachOverlay(int32_t overlay) {
    if (!ValidOverlay(overlay) || attached[overlay] == -1) return;
    int32_t slot = attached[overlay];
    if (!(mode[slot] & kShowNoMovie) && clips[slot].HasColourStream())
        clips[slot].Play(overlays[overlay].positionX, overlays[overlay].positionY);
    state[slot] |= kLeadInOver;
    attached[overlay] = -1;
}

void AviClipManager::CloseAll() {
    for (Zu_AviFile& c : clips)
        if (c.HasColourStream()) c.Close();
    for (Zu_AviFile& o : overlays)
        if (o.HasColourStream()) o.Close();
}

bool AviClipManager::HasNewFrame(int32_t slot) {
    return ValidSlot(slot) && clips[slot].HasNewFrame();
}

int AviClipManager::SetupMoviePalette(bool windowMode) {
    for (PaletteEntry& e : MoviePalette)
        e.flags = PC_NOCOLLAPSE;
    if (windowMode && GetDirectDraw() && GetBackSurface() && !MovieClipper &&
        GetDirectDraw()->CreateClipper(0, &MovieClipper, nullptr) == DD_OK)
        GetBackSurface()->SetClipper(MovieClipper);
    return 1;
}

bool PlayAviModal(int32_t x, int32_t y, const char* colourFile, const char* companionFile,
                  uint32_t formatMode, uint32_t zoom) {
    Surface* back = GetBackSurface();
    Surface* snapshot = back ? CreateOffscreenSurface(GetDisplayWidth(), GetDisplayHeight()) : nullptr;
    if (!snapshot) return false;
    ModalLoopState = 1;
    int32_t savedMode = TheGameController ? TheGameController->mode : 0;
    if (TheGameController) TheGameController->mode = 2;

    RECT whole{0, 0, std::min(back->width(), snapshot->width()),
               std::min(back->height(), snapshot->height())};
    // Plain copies both ways: a colour-keyed copy would never restore black pixels, and the blended
    // movie would leave trails over them.
    if (companionFile) snapshot->BltFast(0, 0, back, &whole, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT);
    TheAviClipManager.OpenModalClip(x, y, colourFile, companionFile, formatMode, 0, zoom);
    TheAviClipManager.PlayClipAt(x, y, 0);

    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        if (companionFile) back->BltFast(0, 0, snapshot, &whole, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT);
        TheAviClipManager.RenderAll(back);
        PresentFrame();
        if (TheAviClipManager.GetClipState(0) & AviClipManager::kEnded) break;
        MSG msg;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessage(&msg, nullptr, 0, 0) == 0) {
                quit = true;
                quitCode = msg.wParam;
                break;
            }
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            if (ModalLoopState >= 2) break;
        } else {
            if (ModalLoopState >= 2) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    TheAviClipManager.clips[0].Stop();
    TheAviClipManager.clips[0].Close();
    ModalLoopState = 0;
    if (TheGameController) TheGameController->mode = savedMode;
    snapshot->Release();
    // The quit request ended the movie; the main loop still has to see it.
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return true;
}
