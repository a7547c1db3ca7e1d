#pragma once

#include "engine/AniFrame.h"
#include "engine/ResourceStoreFormats.h"
#include "engine/SurfaceEffects.h"
#include "gui/RootObject.h"

#include <cstdint>

class LinkList;
class BattleMap;
class GameController;
class EffectAnimationCache;
class ScratchSurface;
struct StoreImage;
namespace platform {
class Font;
class Surface;
} // namespace platform
class ResourceStore;

// What the store reaches in the rest of the program. Start-up fills these once the settings
// object, the clip manager, the text layer, the cursor and the controller exist; a null entry
// means the thing is not there (the defaults: an 800 x 600 screen, terrain graphics on).
struct StoreHooks {
    const int32_t* screenWidth = nullptr;
    const int32_t* screenHeight = nullptr;
    const int32_t* terrainGraphicsOff = nullptr;
    // AviClipManager::PollClip: 0 once the clip of the slot no longer plays.
    ClipPollFunction pollClip = nullptr;
    // Fills the editor overlay's view; false when there is nothing to draw (game mode, no
    // controller, no stage set).
    bool (*mapMarkerView)(const ResourceStore& store, MapMarkerView& view) = nullptr;
    // DrawSurfaceText.
    void (*drawSurfaceText)(int x, int y, const char* text, platform::Surface* surface,
                            int colourIndex) = nullptr;
    // The mouse cursor's capture release and drawing, and the controller's minimap rebuild.
    void (*releaseCursorCapture)() = nullptr;
    void (*drawMouseCursor)() = nullptr;
    void (*rebuildMinimap)() = nullptr;
};
extern StoreHooks TheStoreHooks;

// The 8-bit to 16-bit table of "windows.dat" and "graphics.dat" (OldPalette16); start-up points it
// at the table built from "OldPalette.pal". Null leaves both image sets empty.
extern const uint16_t* StorePictureColours;

// Surfaces made by the store's constructor that are not its fields.
extern platform::Surface* StoreSurface200x250;
extern platform::Surface* StoreSurface40x460;
extern ScratchSurface* TheScratchSurface;
// The terrain blend masks of "myth.m": 304 records of 400 weight bytes, always allocated whole.
constexpr int kMythRecords = 304;
constexpr int kMythRecordSize = 400;
extern uint8_t* MythMasks;
// Frame and action counts of the loaded unit kinds.
constexpr int kUnitKinds = 137;
extern int16_t UnitFrameCounts[kUnitKinds];
extern int16_t UnitActionCounts[kUnitKinds];

// The shared graphics of the game: window and interface images, terrain cells and sprites, blend
// masks, weapon and unit animations, portraits, help texts, work surfaces, the drawing and effect
// lists and the effect animation cache.
class ResourceStore : public RootObject {
public:
    static constexpr int kWindowImages = 331;
    static constexpr int kGraphicsImages = 81;
    static constexpr int kWeaponFrames = 800;
    static constexpr int kWeaponActions = 150;
    static constexpr int kSpriteSurfaces = 2000;
    static constexpr int kSpriteIndices = 12000;
    static constexpr int kPortraitSlots = 1002;
    static constexpr int kHelpTexts = 77;

    ResourceStore();
    ~ResourceStore() override;
    ResourceStore(const ResourceStore&) = delete;
    ResourceStore& operator=(const ResourceStore&) = delete;

    // Loaders whose results the caller owns.
    AniFrame* LoadAniFrame(const char* file, int n);
    AniFrame* LoadAniFirstFrame(const char* file);
    PortraitImage* LoadPortrait(int size, int n);

    void LoadUnitAnimation(int kind, SpriteFrame*** frames, SpriteAction** actions);
    int FreeUnitAnimations(int kind);
    void InitPortraitSlots();
    int LoadKingdomCells();
    void FreeKingdomCells();
    void CreateWorkSurfaces();
    void ReleaseWorkSurfaces();
    void ReloadMapGraphics();
    void FreeAll();

    int LoadWeaponAnimation();
    void FreeWeaponAnimation();
    void CreateSmallSurfaces();
    void ReleaseSmallSurfaces();
    void FreePortraits();
    void LoadImageSets();
    void LoadHelpMessages();
    void ReleaseGraphics();

    // Drawing and effects on the store's lists and the back surface.
    void DrawAniFrameBlended(const AniFrame* frame, int x, int y);
    void DrawAniFrame(const AniFrame* frame, int x, int y, platform::Surface* surface, int blend);
    void TintArea(uint16_t colour, platform::Surface* surface, int width, int height);
    void StepFirstEffectList();
    void StepSecondEffectList();
    void ClearEffectLists();
    void DrawMapMarkers();
    void ShowBannerScreen(int kind);

    BattleMap* battleMap = nullptr;
    GameController* controller = nullptr;
    LinkList* drawList = nullptr; // animation objects drawn each frame; not owned
    LinkList* firstEffects = nullptr;
    LinkList* secondEffects = nullptr;
    EffectAnimationCache* effectCache = nullptr;

    int32_t weaponFrameCount = 0;
    int32_t weaponActionCount = 0;
    SpriteAction weaponActions[kWeaponActions] = {};
    SpriteFrame* weaponFrames[kWeaponFrames] = {};

    SpriteFrame** unitFrames[kUnitKinds] = {};
    SpriteAction* unitActions[kUnitKinds] = {};

    int32_t cellsLoaded = 0;
    uint16_t** groundCells = nullptr;
    uint16_t** layerCells = nullptr;
    KingdomSprite** sprites = nullptr;
    int32_t groundCount = 0;
    int32_t layerCount = 0;
    int32_t spriteCount = 0;
    platform::Surface* spriteSurfaces[kSpriteSurfaces] = {};
    uint16_t spriteSurfaceIndex[kSpriteIndices] = {};

    platform::Surface* barSurface = nullptr;      // 40 x 8
    platform::Surface* barLabelSurface = nullptr; // 300 x 18
    // The name labels' font, made on first use and kept with the label surface.
    platform::Font* barLabelFont = nullptr;
    void* data = nullptr;                         // set and read by the shell
    platform::Surface* workSurface = nullptr;     // 160 x 160
    platform::Surface* wideWorkSurface = nullptr; // 800 x 560
    platform::Surface* textSurface = nullptr;     // 320 x 20

    StoreImage* windowImages[kWindowImages] = {};
    StoreImage* graphicsImages[kGraphicsImages] = {};

    PortraitImage* portraits[kPortraitSlots] = {};
    int32_t portraitsReady = 0;
    int32_t weaponFreed = 0;

    int32_t screenWidth = 800;
    int32_t screenHeight = 600;

    char* helpTexts[kHelpTexts] = {};
    AniFrame* headFrame = nullptr;

    uint16_t white = 0xFFFF;
    uint16_t darkest = 0x0801;

    // Pictures of the three banner kinds (1, 2, 3); null ones are skipped.
    const StoreImage* bannerImages[3] = {};
};

extern ResourceStore* TheResourceStore;
