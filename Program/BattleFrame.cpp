#include "Program/BattleFrame.h"

#include "Program/BannerWindow.h"
#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "Program/StageCalendar.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "Program/VictoryDefeat.h"
#include "engine/AviClipManager.h"
#include "engine/DisplayDevice.h"
#include "engine/MusicPlayer.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "events/SpeechBox.h"
#include "gui/GuiMessage.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "gui/Window.h"
#include "platform/CRand.h"
#include "platform/Window.h"
#include "records/City.h"
#include "records/InfoText.h"
#include "records/Kingdom.h"
#include "records/StageEditor.h"
#include "windows/Win04Window.h"
#include "windows/WindowHosts.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>

int16_t BattleStepThreshold = 13;
int32_t ScrollLockWord = 0;

const char* const BattleMusicTracks[7] = {"Track01.mp3", "Track02.mp3", "Track03.mp3", "Track04.mp3",
                                          "Track05.mp3", "Track06.mp3", "Track07.mp3"};

namespace {
constexpr int kViewColumns = MapView::kViewColumns;
constexpr int kViewRows = MapView::kViewRows;
constexpr int kBeginDrawings = 50;

bool MapCovered() {
    return TheWin99 && TheWin99->pagePanel && TheWin98 && TheWin98->commandPanel;
}

bool EditorViewOn() {
    return TheScreenSettings && TheScreenSettings->editorKeys;
}

// The cursor gets the frame message, and the one input record it queues is dropped unrouted.
void FeedAndDropCursorMessage(uint32_t message) {
    if (TheMouseCursor) TheMouseCursor->OnMouseMessage(message);
    if (TheGuiMessageQueue) delete TheGuiMessageQueue->Take();
}

// The terrain and, in the editor, the outlines of the stage's areas.
void DrawView(GameController& c) {
    c.gameScreen->DrawTerrain();
    if (TheResourceStore) TheResourceStore->DrawMapMarkers();
}

void ViewQuarter(GameController& c, uint32_t message) {
    if (MapCovered()) return;
    if (!EditorViewOn()) {
        if (c.scrollRequest == 0) {
            if (c.gameScreen) DrawView(c);
            return;
        }
        if (TheScreenSettings) TheScreenSettings->runningFrameCounter = 0;
        if (c.gameScreen) {
            c.ScrollView();
            DrawView(c);
        }
        if (c.scrollRequest != 0) FeedAndDropCursorMessage(message);
        return;
    }
    if (!c.editorView) return;
    if (c.scrollRequest != 0) {
        if (TheStageEditor) TheStageEditor->OnKey();
        FeedAndDropCursorMessage(message);
    }
    if (TheResourceStore) TheResourceStore->DrawMapMarkers();
}

void WorldQuarter(GameController& c) {
    ScreenSettings* s = TheScreenSettings;
    if (!s || s->busyState.load() != 0 || s->secondCounter != 0 || !TheBattleMap) return;
    const int period = c.networked ? BattleStepThreshold : GameParams().WorldUpdatePeriod(s->gameSpeed);
    if (s->frameCounter100.load() >= period) {
        TheBattleMap->Update();
        s->frameCounter100 = 0;
    }
}

void ObjectsQuarter(GameController& c) {
    if (TheMusicStream) {
        int32_t playing = 1;
        if (TheMusicStream->getStatus(&playing) == platform::gaudio::ERR_OK && playing == 0) {
            StopBattleMusic();
            const char* track = BattleMusicTracks[platform::rand() % 7];
            PlayMusic(track, 0);
        }
    }
    if (!MapCovered()) {
        if (!EditorViewOn() && c.gameScreen) {
            if (TheResourceStore) TheResourceStore->StepFirstEffectList();
            c.gameScreen->DrawObjects();
        }
    } else if (TheResourceStore) {
        TheResourceStore->StepFirstEffectList();
    }
}

void TeamGameEnd(GameController& c) {
    Zu_StageSet* stage = CurrentStageSet();
    ScreenSettings* s = TheScreenSettings;
    if (!c.networked || !stage || !s || (stage->result != 4 && stage->result != 5) || s->battleEnded) return;
    CloseBanner();
    s->battleEnded = 1;
    StopBattleMusic();
    if (stage->result == 5) {
        PlaySoundEffect(13);
        PlayAviModal(150, 136, "Victory.avi", "Victory_a.avi", 1, 1);
    } else {
        PlaySoundEffect(23);
        PlayAviModal(150, 136, "Failure.avi", "Failure_a.avi", 1, 1);
    }
    PostEndFrames = 0;
    ShowBanner(stage->result == 5 ? VictoryBannerText : DefeatBannerText, 0);
}

void OverlayQuarter(GameController& c) {
    if (TheWin01Host && TheWin01Host->GetMinimap()) TheWin01Host->GetMinimap()->DrawMiniMap();
    if (TheResourceStore) TheResourceStore->StepSecondEffectList();
    c.DrawOverlayObjects();
    ComposeObjectInfo();
    if (c.speechBox) c.speechBox->DrawSpeechPortrait();
    // The event trigger scan, then the calendar step.
    if (TheBattleMap)
        TheBattleMap->Tick();
    else
        StageCalendarStep();
    if (c.developerSurfaceToggle) MapView::LockUnlockBackSurface();
    if (BeginPicture) {
        if (TheResourceStore) TheResourceStore->DrawAniFrameBlended(BeginPicture, 150, 23);
        if (++BeginPictureCount >= kBeginDrawings) {
            FreeAniFrame(BeginPicture);
            BeginPicture = nullptr;
            BeginPictureCount = 0;
            // The battle clock starts when the begin picture ends.
            if (!c.eventManager || !c.eventManager->runnerActive) c.running = 1;
        }
    }
    if (TheMouseCursor) TheMouseCursor->Draw();
    if (c.pauseScreen.load() != 0) {
        ++c.pauseScreen;
        if (!PausePicture && TheResourceStore) PausePicture = TheResourceStore->LoadAniFrame("Pause.ani", 0);
        if (TheResourceStore) TheResourceStore->DrawAniFrameBlended(PausePicture, 0, 0);
    }
    PresentFrame();
    TeamGameEnd(c);
}

// One step towards the edge in the request's direction; false when every component of the
// direction already touches its limit.
bool CanScroll(const GameController& c, const MapView& v, int code) {
    const bool up = c.viewTop == v.scrollMinY;
    const bool left = c.viewLeft == v.scrollMinX;
    const bool right = c.viewRight >= v.scrollMaxX - 1;
    const bool down = c.viewBottom >= v.scrollMaxY;
    switch (code) {
    case 0x21:
        return !(up && right);
    case 0x22:
        return !(down && right);
    case 0x23:
        return !(down && left);
    case 0x24:
        return !(up && left);
    case 0x25:
        return !left;
    case 0x26:
        return !up;
    case 0x27:
        return !right;
    case 0x28:
        return !down;
    default:
        return false;
    }
}

void ScrollStep(MapView& v, int code) {
    switch (code) {
    case 0x21:
        return v.ScrollUpRight();
    case 0x22:
        return v.ScrollDownRight();
    case 0x23:
        return v.ScrollDownLeft();
    case 0x24:
        return v.ScrollUpLeft();
    case 0x25:
        return v.ScrollLeft();
    case 0x26:
        return v.ScrollUp();
    case 0x27:
        return v.ScrollRight();
    case 0x28:
        return v.ScrollDown();
    default:
        return;
    }
}

void DirectionOf(int code, int& dx, int& dy) {
    dx = dy = 0;
    if (code == 0x21 || code == 0x22 || code == 0x27) dx = 1;
    if (code == 0x23 || code == 0x24 || code == 0x25) dx = -1;
    if (code == 0x21 || code == 0x24 || code == 0x26) dy = -1;
    if (code == 0x22 || code == 0x23 || code == 0x28) dy = 1;
}
} // namespace

void GameController::RunBattleFrame(uint32_t message) {
    GetBackSurface();
    if (leftHeld) ++leftHeldFrames;
    if (speechBox) {
        if (TheMouseCursor) TheMouseCursor->SetShape(1);
        speechBox->TypeSpeechText();
    }
    switch (battlePhase) {
    case 0:
        ViewQuarter(*this, message);
        battlePhase = 1;
        break;
    case 1:
        WorldQuarter(*this);
        battlePhase = 2;
        break;
    case 2:
        ObjectsQuarter(*this);
        battlePhase = 3;
        break;
    default:
        OverlayQuarter(*this);
        battlePhase = 0;
        break;
    }
}

void GameController::ScrollView() {
    if (TheScreenSettings && TheScreenSettings->secondCounter) return;
    if (ScrollLockWord || !gameScreen) {
        scrollRequest = 0;
        return;
    }
    MapView& v = *gameScreen;
    const int code = scrollRequest;
    const bool ctrl = (platform::GetKeyState(platform::VK_CONTROL) & 0x8000) != 0;
    if (GameModeFlag == 0 && ctrl && code != 0x7777) {
        int dx, dy;
        DirectionOf(code, dx, dy);
        int32_t x = v.viewX, y = v.viewY;
        if (CanScroll(*this, v, code)) {
            x += dx * kViewColumns;
            y += dy * kViewRows;
        }
        x = std::clamp(x, 0, std::max(0, v.scrollMaxX - kViewColumns));
        y = std::clamp(y, 0, std::max(0, v.scrollMaxY - kViewRows));
        v.SetViewOrigin(x, y);
        scrollRequest = 0;
        v.Redraw();
        return;
    }
    if (code == 0x7777) {
        scrollRequest = 0;
        v.Redraw();
        return;
    }
    if (!CanScroll(*this, v, code)) {
        scrollRequest = 0;
        return;
    }
    ScrollStep(v, code);
    viewLeft = v.viewX;
    viewTop = v.viewY;
    viewRight = viewLeft + kViewColumns;
    viewBottom = viewTop + kViewRows;
    if (scrollRequest != 0 && auxPanel) auxPanel->drawByte = 0;
}

void GameController::RevealMap() {
    if (!TheBattleMap || !TheBattleMap->HasCells()) return;
    mapRevealed = 1;
    if (gameScreen) {
        BattleMap& map = *TheBattleMap;
        for (int32_t y = 0; y < map.rows; ++y)
            for (int32_t x = 0; x < map.width; ++x) {
                map.CellAt(x, y)->sightCount = 2;
                gameScreen->PlotMinimap(x, y, 1);
            }
    }
    if (Zu_StageSet* stage = CurrentStageSet(); stage && stage->kingdoms)
        for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms))
            for (City* city : ListValues<City>(k->cities)) {
                city->markedCity = 1;
                if (gameScreen) gameScreen->MarkObjectCell(city, 0);
            }
    if (groupTargetA && gameScreen) gameScreen->MarkObjectCell(static_cast<City*>(groupTargetA), 1);
    if (gameScreen) gameScreen->Redraw();
}

bool HasCellObjects() {
    const BattleMap* map = TheBattleMap;
    if (!map || !map->cellObjects) return false;
    for (int32_t i = 0; i < map->unitGridCount; ++i)
        if (map->cellObjects[i]) return true;
    return false;
}
