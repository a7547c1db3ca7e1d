#include "Program/FrontEndDrawing.h"

#include "Program/BannerWindow.h"
#include "Program/CampaignWindows.h"
#include "Program/FrontEndScreens.h"
#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/SceneMachine.h"
#include "Program/ScreenControls.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/DisplayDevice.h"
#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "events/SpeechBox.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/ScreenBackdrop.h"
#include "net/TroopCommands.h"
#include "platform/Surface.h"
#include "records/City.h"
#include "records/FormationTable.h"
#include "records/InfoText.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/WindowHosts.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstdint>
#include <vector>

AniFrame* GroupCommandMarkerFrame = nullptr;

namespace {

constexpr int8_t ScenePreparation = 16;

FadePresentObserver Observer = nullptr;

void PresentFadeStep() {
    PresentFrontEnd();
    if (Observer) Observer();
}

void ClearAuxDrawByte(GameController* c) {
    if (c->auxPanel) c->auxPanel->drawByte = 0;
}

bool FullScreenPanel(const GuiPanel* panel) {
    return panel->rect.right - panel->rect.left + 1 >= 800 && panel->rect.bottom - panel->rect.top + 1 >= 600;
}

bool HiddenDuringPreparation(const GuiPanel* panel) {
    if (!TheWin01Host) return false;
    for (const GuiPanel* hidden : TheWin01Host->preparationHidden)
        if (hidden == panel) return true;
    return false;
}

bool ExactlyScreenSized(const GuiPanel* panel) {
    return panel->rect.right - panel->rect.left + 1 == 800 && panel->rect.bottom - panel->rect.top + 1 == 600;
}

// Walks the store's draw list, drawing the panels that pass.
template <class Pass>
void DrawPanels(Pass pass) {
    if (!TheResourceStore || !TheResourceStore->drawList) return;
    LinkList* list = TheResourceStore->drawList;
    // One buffer for every frame. A walk started while drawing works above the outer one's
    // entries and gives them back, so those stay where they are.
    static std::vector<GuiPanel*> panels;
    const size_t first = panels.size();
    for (uintptr_t v = list->First(); v != 0; v = list->Next())
        panels.push_back(reinterpret_cast<GuiPanel*>(v));
    const size_t end = panels.size();
    for (size_t i = first; i < end; ++i)
        if (pass(panels[i])) DrawScreenPanel(panels[i]);
    panels.resize(first);
}

// Splits a pixel into 8-bit channels by the display's layout.
inline void Split(uint16_t p, uint8_t& r, uint8_t& g, uint8_t& b) {
    if (PixelFormat == 555) {
        r = static_cast<uint8_t>((p >> 7) & 0xF8);
        g = static_cast<uint8_t>((p >> 2) & 0xF8);
    } else {
        r = static_cast<uint8_t>((p >> 8) & 0xF8);
        g = static_cast<uint8_t>((p >> 3) & 0xFC);
    }
    b = static_cast<uint8_t>((p & 0x1F) << 3);
}

inline uint16_t Pack(uint32_t r, uint32_t g, uint32_t b) {
    if (PixelFormat == 555) return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

} // namespace

void SetFadePresentObserver(FadePresentObserver observer) {
    Observer = observer;
}

namespace {

// The leader kingdom is the stage's first kingdom of nation kind 0.
bool LeaderPerson(int32_t& person) {
    if (!TheBattleMap || !TheBattleMap->stageSet || !TheBattleMap->stageSet->kingdoms) return false;
    LinkList& kingdoms = *TheBattleMap->stageSet->kingdoms;
    for (uintptr_t v = kingdoms.First(); v != 0; v = kingdoms.Next()) {
        const Kingdom* k = reinterpret_cast<const Kingdom*>(v);
        if (k && k->NationKind() == 0) {
            person = k->PersonNumber();
            return true;
        }
    }
    return false;
}

bool MustAppear(const Troop* t) {
    return t->OfficerValue(OfficerLayout::kMustAppear) != 0;
}

} // namespace

void DrawFormationPreview() {
    GameController* c = TheGameController;
    if (!c || !c->gameScreen || !c->selectedCity) return;
    // Filled every frame of the preparation scene: the buffer stays.
    static std::vector<Troop*> units;
    units.clear();
    LinkList& list = c->selectedCity->units;
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        if (v) units.push_back(reinterpret_cast<Troop*>(v));
    int32_t leader = 0;
    const bool hasLeader = LeaderPerson(leader);
    const int speed = TheScreenSettings ? std::clamp(TheScreenSettings->gameSpeed, 0, 11) : 0;
    const int delay = GameParams().animationSpeed[speed];
    const bool step = TheScreenSettings && TheScreenSettings->runningFrameCounter >= delay;

    // The formation table has a row for each slot it can fill; later units keep their place
    // and are not drawn.
    constexpr int kSlots = std::min(23, kFormationRows);
    Troop* slots[kSlots] = {};
    int filled = 0;
    auto place = [&](Troop* u) {
        const FormationRow& row = FormationTable[filled];
        const uint8_t facing = static_cast<uint8_t>(row.facing);
        if (hasLeader) {
            if (u->facing != facing || u->state != 10) {
                NetCmdHalt(u);
                u->facing = facing;
                u->StartActionAnimation();
            }
        } else if (u->facing != facing) {
            u->facing = facing;
        }
        slots[filled++] = u;
    };
    if (hasLeader) {
        for (Troop* u : units) {
            if (step) u->Tick();
            if (u->OfficerValue(OfficerLayout::kPersonNumber) == leader && MustAppear(u) && u->frame) {
                place(u);
                break;
            }
        }
    }
    for (Troop* u : units) {
        if (filled >= kSlots) break;
        if (step) u->Tick();
        if (!MustAppear(u) || !u->frame) continue;
        if (hasLeader && u->OfficerValue(OfficerLayout::kPersonNumber) == leader) continue;
        place(u);
    }
    if (step) TheScreenSettings->runningFrameCounter = 0;

    platform::Surface* back = GetBackSurface();
    platform::Surface* shadow = StoreSurface200x250;
    for (int dy = 3; dy <= 9; ++dy)
        for (int dx = -3; dx <= 4; ++dx)
            for (int i = 0; i < filled; ++i) {
                if (!slots[i] || FormationTable[i].dx != dx || FormationTable[i].dy != dy) continue;
                Troop* u = slots[i];
                u->DrawSprite();
                const int16_t* g = u->frameGeometry;
                if (back && shadow && u->frame && g[2] > 0 && g[3] > 0) {
                    const platform::RECT src{0, 0, g[2], g[3]};
                    back->BltFast(dx * 40 + 290 + g[0], dy * 20 + 68 + g[1], shadow, &src,
                                  platform::DDBLTFAST_SRCCOLORKEY | platform::DDBLTFAST_WAIT);
                }
                slots[i] = nullptr;
                break;
            }
}

void PresentFrontEnd() {
    PresentFrame();
}

void GameController::DrawOverlayObjects() {
    platform::Surface* back = GetBackSurface();
    // The marker frame carries its own position.
    if (groupCommandMode == 1 && GroupCommandMarkerFrame && TheResourceStore && back)
        TheResourceStore->DrawAniFrame(GroupCommandMarkerFrame, 0, 0, back, 0);
    if (!TheResourceStore || !TheResourceStore->drawList) return;
    ClearAuxDrawByte(this);
    DrawPanels([](GuiPanel*) { return true; });
}

void GameController::DrawFrontEnd() {
    if (!TheDisplayDevice) return;
    platform::Surface* back = GetBackSurface();
    if (back && ScreenBackdropFlag && FullScreenPanelSurface) {
        platform::RECT area{0, 0, 800, 600};
        back->Blt(&area, FullScreenPanelSurface, nullptr, platform::DDBLT_WAIT);
    }
    ClearAuxDrawByte(this);
    if (scene == ScenePreparation) {
        DrawPanels([](GuiPanel* panel) { return panel->id == 999 || FullScreenPanel(panel); });
        DrawFormationPreview();
        DrawPanels(
            [](GuiPanel* panel) { return !ExactlyScreenSized(panel) && !HiddenDuringPreparation(panel); });
    } else {
        DrawOverlayObjects();
    }
    if (TheResourceStore) {
        if (ActSelectionMarker) TheResourceStore->StepFirstEffectList();
        TheResourceStore->StepSecondEffectList();
    }
    if (speechBox) speechBox->DrawSpeechPortrait();
    if (scene != 9 && scene != 15 && TheMouseCursor) TheMouseCursor->Draw();
    ComposeObjectInfo();
    if (FadeInFlag) {
        FadeInFlag = 0;
        FadeInFrame();
        return;
    }
    // The overlay frame: the credits picture over the menu while it is shown.
    if (CreditsFrame && TheResourceStore && back) TheResourceStore->DrawAniFrame(CreditsFrame, 0, 0, back, 0);
    PresentFrontEnd();
}

void FadeInFrame() {
    platform::Surface* back = GetBackSurface();
    if (!back) return;
    platform::DDSURFACEDESC2 desc;
    if (back->Lock(nullptr, &desc, platform::DDLOCK_WAIT) != platform::DD_OK) return;
    // The channel arrays follow the surface: the editor's screen is larger than the game's.
    const int width = static_cast<int>(desc.dwWidth);
    const int height = static_cast<int>(desc.dwHeight);
    const size_t count = static_cast<size_t>(width) * height;
    std::vector<uint8_t> red(count), green(count), blue(count);
    auto* bits = static_cast<uint8_t*>(desc.lpSurface);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(bits + static_cast<size_t>(y) * desc.lPitch);
        for (int x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            Split(row[x], red[i], green[i], blue[i]);
        }
    }
    back->Unlock(nullptr);
    for (int d = 10; d >= 1; --d) {
        if (back->Lock(nullptr, &desc, platform::DDLOCK_WAIT) != platform::DD_OK) return;
        bits = static_cast<uint8_t*>(desc.lpSurface);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(bits + static_cast<size_t>(y) * desc.lPitch);
            for (int x = 0; x < width; ++x) {
                const size_t i = static_cast<size_t>(y) * width + x;
                row[x] = Pack(red[i] / d, green[i] / d, blue[i] / d);
            }
        }
        back->Unlock(nullptr);
        PresentFadeStep();
    }
}

void FadeOutScreen() {
    platform::Surface* back = GetBackSurface();
    if (!back) return;
    for (int d = 2; d <= 10; ++d) {
        platform::DDSURFACEDESC2 desc;
        if (back->Lock(nullptr, &desc, platform::DDLOCK_WAIT) != platform::DD_OK) return;
        auto* bits = static_cast<uint8_t*>(desc.lpSurface);
        for (uint32_t y = 0; y < desc.dwHeight; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(bits + static_cast<size_t>(y) * desc.lPitch);
            for (uint32_t x = 0; x < desc.dwWidth; ++x) {
                if (d == 10) {
                    row[x] = 0;
                    continue;
                }
                uint8_t r, g, b;
                Split(row[x], r, g, b);
                row[x] = Pack(r / d, g / d, b / d);
            }
        }
        back->Unlock(nullptr);
        PresentFadeStep();
    }
}
