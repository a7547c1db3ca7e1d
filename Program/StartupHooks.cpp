#include "Program/StartupHooks.h"

#include "Program/GameController.h"
#include "Program/LoadingScreen.h"
#include "Program/Palettes.h"
#include "Program/ProgramRulesEnv.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/AviClipManager.h"
#include "engine/Backgrounds.h"
#include "engine/DisplayDevice.h"
#include "engine/KeyedTable37.h"
#include "engine/ModalLoopState.h"
#include "engine/ResourceStore.h"
#include "engine/SurfaceText.h"
#include "gui/MouseCursor.h"
#include "records/StageEditor.h"
#include "world/MapView.h"

#include <memory>

namespace {

int PollClip(int32_t slot) {
    return TheAviClipManager.PollClip(slot);
}

// The editor overlay's view: the controller's view bounds, the map view's origin, the stage's
// objects. The stage set keeps no object list yet, so the overlay has nothing to outline.
bool MapMarkerViewOf(const ResourceStore& store, MapMarkerView& view) {
    if (GameModeFlag != 0 || !store.controller || !CurrentStageSet()) return false;
    const GameController& c = *store.controller;
    view.left = c.viewLeft;
    view.top = c.viewTop;
    view.right = c.viewRight;
    view.bottom = c.viewBottom;
    // In the editor view the origin is the stage editor's, which keeps none yet: 0.
    const bool editorView = TheScreenSettings && TheScreenSettings->editorKeys;
    if (!editorView && c.gameScreen) {
        view.originX = c.gameScreen->viewX;
        view.originY = c.gameScreen->viewY;
    }
    view.objects.clear();
    return true;
}

void DrawStoreText(int x, int y, const char* text, platform::Surface* surface, int colourIndex) {
    if (TheBig5Font) TheBig5Font->DrawSurfaceText(x, y, text, surface, colourIndex);
}

void ReleaseCursorCapture() {
    if (TheMouseCursor) TheMouseCursor->ReleaseCapture();
}

void DrawMouseCursor() {
    if (TheMouseCursor) TheMouseCursor->Draw();
}

// Frames 0 and 1 of "loading2.ani" through the store.
void ShowLoadingPicture() {
    if (!TheResourceStore) return;
    AniFrame* frame = TheResourceStore->LoadAniFrame("loading2.ani", 0);
    TheResourceStore->DrawAniFrame(frame, 0, 0, GetPrimarySurface(), 1);
    FreeAniFrame(frame);
}

std::unique_ptr<LoadingBarFrame> LoadBarFrame() {
    if (!TheResourceStore) return nullptr;
    AniFrame* frame = TheResourceStore->LoadAniFrame("loading2.ani", 1);
    if (!frame || !frame->pixels || frame->width <= 0 || frame->height <= 0) {
        FreeAniFrame(frame);
        return nullptr;
    }
    auto bar = std::make_unique<LoadingBarFrame>();
    bar->width = frame->width;
    bar->height = frame->height;
    const size_t count = static_cast<size_t>(frame->width) * static_cast<size_t>(frame->height);
    bar->pixels.assign(frame->pixels, frame->pixels + count);
    FreeAniFrame(frame);
    return bar;
}

int CurrentStageNumber() {
    return TheGameController ? TheGameController->campaignStage : 0;
}

int ModalMovieBusy() {
    return ModalLoopState != 0 ? 1 : 0;
}

} // namespace

void BindSettingsHooks(ScreenSettings& settings) {
    SetWindowedFlagSource(&settings.windowed);
    BindCursorHoldWords(&settings.inputHold1, &settings.inputHold2, &settings.edgeScrollHold);
}

void BindStoreHooks(ResourceStore&) {
    StoreHooks hooks;
    if (TheScreenSettings) {
        hooks.screenWidth = &TheScreenSettings->screenWidth;
        hooks.screenHeight = &TheScreenSettings->screenHeight;
        hooks.terrainGraphicsOff = &TheScreenSettings->terrainGraphicsOff;
    }
    hooks.pollClip = PollClip;
    hooks.mapMarkerView = MapMarkerViewOf;
    hooks.drawSurfaceText = DrawStoreText;
    hooks.releaseCursorCapture = ReleaseCursorCapture;
    hooks.drawMouseCursor = DrawMouseCursor;
    hooks.rebuildMinimap = [] {
        if (TheGameController && TheGameController->gameScreen)
            TheGameController->gameScreen->RebuildMinimap();
    };
    TheStoreHooks = hooks;
    StorePictureColours = GamePalettes().pictureTable.data();

    LoadingScreen::Hooks loading;
    loading.showBackground = ShowLoadingPicture;
    loading.loadBarFrame = LoadBarFrame;
    SetLoadingScreenHooks(std::move(loading));
}

void BindControllerHooks(GameController&) {
    // The controller keeps no record of the background shown and has no reset of its own yet:
    // only the stage number is reached.
    TheBackgroundHooks = BackgroundHooks{};
    TheBackgroundHooks.stageNumber = CurrentStageNumber;
    SetModalBusyQuery(ModalMovieBusy);
    SetGameRulesEnv(&TheProgramRulesEnv());
    // KeyedTable37::RedrawHook belongs to the map view, which sets it while it exists.
}

void UnbindProgramHooks() {
    SetGameRulesEnv(nullptr);
    SetModalBusyQuery(nullptr);
    TheBackgroundHooks = BackgroundHooks{};
    SetLoadingScreenHooks({});
    TheStoreHooks = StoreHooks{};
    StorePictureColours = nullptr;
    BindCursorHoldWords(nullptr, nullptr, nullptr);
    SetWindowedFlagSource(nullptr);
    KeyedTable37::RedrawHook = nullptr;
}
