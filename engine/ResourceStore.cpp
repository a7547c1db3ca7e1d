#include "engine/ResourceStore.h"

#include "engine/DisplayDevice.h"
#include "engine/EffectAnimationCache.h"
#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStoreFiles.h"
#include "engine/StoreImage.h"
#include "gui/ScratchSurface.h"
#include "platform/GdiText.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstring>
#include <vector>

ResourceStore* TheResourceStore = nullptr;
StoreHooks TheStoreHooks;
const uint16_t* StorePictureColours = nullptr;
platform::Surface* StoreSurface200x250 = nullptr;
platform::Surface* StoreSurface40x460 = nullptr;
ScratchSurface* TheScratchSurface = nullptr;
uint8_t* MythMasks = nullptr;

namespace {

platform::HGLOBAL mythBlock = nullptr;

platform::Surface* KeyedSurface(int width, int height) {
    platform::Surface* s = CreateOffscreenSurface(width, height);
    if (s) {
        platform::DDCOLORKEY key;
        s->SetColorKey(platform::DDCKEY_SRCBLT, &key);
    }
    return s;
}

void ReleaseSurface(platform::Surface*& s) {
    if (s) s->Release();
    s = nullptr;
}

void DeleteEffectList(LinkList*& list) {
    if (!list) return;
    DeleteEffects(list);
    delete list;
    list = nullptr;
}

} // namespace

ResourceStore::ResourceStore() {
    // 1. The unit tables start empty (member initialisers).
    // 2. The global surfaces.
    ReleaseSurface(StoreSurface200x250);
    ReleaseSurface(StoreSurface40x460);
    StoreSurface200x250 = KeyedSurface(200, 250);
    StoreSurface40x460 = KeyedSurface(40, 460);
    delete TheScratchSurface;
    TheScratchSurface = new ScratchSurface;
    // 3. The head frame; the settings' screen size.
    headFrame = LoadAniFirstFrame("Head.ani");
    if (TheStoreHooks.screenWidth) screenWidth = *TheStoreHooks.screenWidth;
    if (TheStoreHooks.screenHeight) screenHeight = *TheStoreHooks.screenHeight;
    // 4.
    BuildColourTables();
    // 5.
    drawList = new LinkList;
    firstEffects = new LinkList;
    secondEffects = new LinkList;
    // 6.
    LoadImageSets();
    LoadHelpMessages();
    LoadWeaponAnimation();
    CreateSmallSurfaces();
    InitPortraitSlots();
    // 7.
    textSurface = KeyedSurface(320, 20);
    // 8. The blend masks are allocated whole whatever the file holds, so the tile renderer never
    // reads past them.
    if (mythBlock) {
        platform::GlobalUnlock(mythBlock);
        platform::GlobalFree(mythBlock);
    }
    mythBlock = platform::GlobalAlloc(platform::GHND, size_t(kMythRecords) * kMythRecordSize);
    MythMasks = static_cast<uint8_t*>(platform::GlobalLock(mythBlock));
    std::vector<uint8_t> myth;
    if (MythMasks && ReadGameFile("myth.m", myth))
        std::memcpy(MythMasks, myth.data(), std::min(myth.size(), size_t(kMythRecords) * kMythRecordSize));
    // 9.
    effectCache = new EffectAnimationCache;
    if (PixelFormat == 565) {
        white = 0xFFFF;
        darkest = 0x0801;
    } else {
        white = 0x7FFF;
        darkest = 0x0401;
    }
}

ResourceStore::~ResourceStore() {
    FreeAll();
    // Unit animations live as long as the program, which ends with the store.
    for (int k = 0; k < kUnitKinds; ++k) {
        if (unitFrames[k]) {
            for (int i = 0; i < UnitFrameCounts[k]; ++i)
                FreeSpriteFrame(unitFrames[k][i]);
            delete[] unitFrames[k];
            unitFrames[k] = nullptr;
        }
        if (unitActions[k]) {
            for (int i = 0; i < UnitActionCounts[k]; ++i)
                FreeSpriteActionSteps(unitActions[k][i]);
            delete[] unitActions[k];
            unitActions[k] = nullptr;
        }
        UnitFrameCounts[k] = UnitActionCounts[k] = 0;
    }
    ReleaseSurface(StoreSurface40x460);
    delete TheScratchSurface;
    TheScratchSurface = nullptr;
    if (TheResourceStore == this) TheResourceStore = nullptr;
}

void ResourceStore::CreateSmallSurfaces() {
    ReleaseSmallSurfaces();
    barSurface = KeyedSurface(40, 8);
    if (barSurface) {
        platform::DDSURFACEDESC2 desc;
        if (platform::SUCCEEDED(barSurface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) {
            for (uint32_t y = 0; y < desc.dwHeight; ++y)
                std::memset(static_cast<uint8_t*>(desc.lpSurface) + size_t(y) * desc.lPitch, 0,
                            desc.dwWidth * 2);
            barSurface->Unlock(nullptr);
        }
    }
    barLabelSurface = CreateOffscreenSurface(300, 18);
}

void ResourceStore::ReleaseSmallSurfaces() {
    ReleaseSurface(barSurface);
    ReleaseSurface(barLabelSurface);
    if (barLabelFont) platform::DeleteObject(barLabelFont);
    barLabelFont = nullptr;
}

void ResourceStore::CreateWorkSurfaces() {
    ReleaseWorkSurfaces();
    workSurface = KeyedSurface(160, 160);
    wideWorkSurface = CreateOffscreenSurface(800, 560);
}

void ResourceStore::ReleaseWorkSurfaces() {
    ReleaseSurface(workSurface);
    ReleaseSurface(wideWorkSurface);
}

void ResourceStore::ReloadMapGraphics() {
    FreeKingdomCells();
    LoadKingdomCells();
    CreateSmallSurfaces();
    CreateWorkSurfaces();
    if (TheStoreHooks.rebuildMinimap) TheStoreHooks.rebuildMinimap();
}

void ResourceStore::InitPortraitSlots() {
    if (portraitsReady) return;
    std::fill(std::begin(portraits), std::end(portraits), nullptr);
    portraitsReady = 1;
}

void ResourceStore::FreePortraits() {
    if (!portraitsReady) return;
    for (PortraitImage*& p : portraits) {
        FreePortraitImage(p);
        p = nullptr;
    }
    portraitsReady = 0;
}

int ResourceStore::FreeUnitAnimations(int) {
    return 0;
}

void ResourceStore::ReleaseGraphics() {
    if (TheStoreHooks.releaseCursorCapture) TheStoreHooks.releaseCursorCapture();
    FreeKingdomCells();
    ReleaseSmallSurfaces();
    FreeWeaponAnimation();
    FreeUnitAnimations(0);
    ReleaseWorkSurfaces();
    if (drawList) {
        drawList->RemoveAll();
        delete drawList;
        drawList = nullptr;
    }
    DeleteEffectList(firstEffects);
    DeleteEffectList(secondEffects);
}

void ResourceStore::FreeAll() {
    ReleaseGraphics();
    FreePortraits();
    data = nullptr;
    ReleaseSurface(textSurface);
    delete effectCache;
    effectCache = nullptr;
    if (mythBlock) {
        platform::GlobalUnlock(mythBlock);
        platform::GlobalFree(mythBlock);
        mythBlock = nullptr;
        MythMasks = nullptr;
    }
    for (StoreImage*& image : windowImages) {
        delete image;
        image = nullptr;
    }
    for (StoreImage*& image : graphicsImages) {
        delete image;
        image = nullptr;
    }
    for (char*& text : helpTexts) {
        delete[] text;
        text = nullptr;
    }
    ReleaseSurface(StoreSurface200x250);
    FreeAniFrame(headFrame);
    headFrame = nullptr;
}
