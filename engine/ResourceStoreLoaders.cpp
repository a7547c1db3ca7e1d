#include "engine/ByteReader.h"
#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFiles.h"
#include "engine/StoreImage.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

int16_t UnitFrameCounts[kUnitKinds];
int16_t UnitActionCounts[kUnitKinds];

AniFrame* ResourceStore::LoadAniFrame(const char* file, int n) {
    return LoadAniFrameFile(file, n);
}

AniFrame* ResourceStore::LoadAniFirstFrame(const char* file) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(file, bytes)) return nullptr;
    ByteReader in(bytes);
    const uint32_t count = in.u32();
    in.u32();
    in.u32();
    if (!in.ok() || count == 0) return nullptr;
    return ReadAniFrameRecord(in);
}

PortraitImage* ResourceStore::LoadPortrait(int size, int n) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(size == 0 ? "head_s.pic" : "head_m.pic", bytes)) return nullptr;
    return DecodePortrait(bytes, n);
}

void ResourceStore::LoadImageSets() {
    for (StoreImage*& image : windowImages) {
        delete image;
        image = nullptr;
    }
    for (StoreImage*& image : graphicsImages) {
        delete image;
        image = nullptr;
    }
    struct Set {
        const char* name;
        StoreImage** table;
        int count;
    };
    const Set sets[] = {{"windows.dat", windowImages, kWindowImages},
                        {"graphics.dat", graphicsImages, kGraphicsImages}};
    for (const Set& set : sets) {
        std::vector<uint8_t> bytes;
        if (!ReadGameFile(set.name, bytes)) continue;
        for (int i = 0; i < set.count; ++i)
            set.table[i] = DecodeIndexedImage(bytes, i, set.count, StorePictureColours);
    }
}

void ResourceStore::LoadHelpMessages() {
    for (char*& text : helpTexts) {
        delete[] text;
        text = nullptr;
    }
    std::vector<uint8_t> bytes;
    if (!ReadGameFile("HelpMsgS.txt", bytes)) return;
    const auto lines = DecodeHelpLines(bytes, kHelpTexts);
    for (size_t i = 0; i < lines.size(); ++i) {
        helpTexts[i] = new char[lines[i].size() + 1];
        std::memcpy(helpTexts[i], lines[i].data(), lines[i].size());
        helpTexts[i][lines[i].size()] = 0;
    }
}

int ResourceStore::LoadWeaponAnimation() {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile("Ani\\Weapon.anm", bytes)) return 0;
    FreeWeaponAnimation();
    const auto frames = DecodeSpriteFrames(bytes, kWeaponFrames);
    std::copy(frames.begin(), frames.end(), weaponFrames);
    weaponFrameCount = int32_t(frames.size());
    weaponFreed = 0;
    if (!ReadGameFile("Ani\\Weapon.act", bytes)) return 0;
    const auto actions = DecodeSpriteActions(bytes, kWeaponActions);
    std::copy(actions.begin(), actions.end(), weaponActions);
    weaponActionCount = int32_t(actions.size());
    return 1;
}

void ResourceStore::FreeWeaponAnimation() {
    if (weaponFreed) return;
    weaponFreed = 1;
    for (SpriteFrame*& f : weaponFrames) {
        FreeSpriteFrame(f);
        f = nullptr;
    }
    for (SpriteAction& a : weaponActions)
        FreeSpriteActionSteps(a);
    weaponFrameCount = 0;
    weaponActionCount = 0;
}

void ResourceStore::LoadUnitAnimation(int kind, SpriteFrame*** frames, SpriteAction** actions) {
    if (frames) *frames = nullptr;
    if (actions) *actions = nullptr;
    if (kind == 0) kind = 1;
    if (kind < 0 || kind >= kUnitKinds || kind == 122 || kind == 123) return;
    if (!unitFrames[kind]) {
        char name[] = "ani\\000.anm";
        name[4] = char('0' + kind / 100);
        name[5] = char('0' + kind / 10 % 10);
        name[6] = char('0' + kind % 10);
        std::vector<uint8_t> bytes;
        if (!ReadGameFile(name, bytes)) return;
        const auto loaded = DecodeSpriteFrames(bytes, INT16_MAX);
        unitFrames[kind] = new SpriteFrame*[loaded.empty() ? 1 : loaded.size()]();
        std::copy(loaded.begin(), loaded.end(), unitFrames[kind]);
        UnitFrameCounts[kind] = int16_t(loaded.size());
        std::memcpy(name + 8, "act", 3);
        if (ReadGameFile(name, bytes)) {
            const auto acts = DecodeSpriteActions(bytes, INT16_MAX);
            unitActions[kind] = new SpriteAction[acts.empty() ? 1 : acts.size()]();
            std::copy(acts.begin(), acts.end(), unitActions[kind]);
            UnitActionCounts[kind] = int16_t(acts.size());
        }
    }
    if (frames) *frames = unitFrames[kind];
    if (actions) *actions = unitActions[kind];
}

int ResourceStore::LoadKingdomCells() {
    if (TheStoreHooks.terrainGraphicsOff && *TheStoreHooks.terrainGraphicsOff) {
        // Cells loaded before the switch was turned on are freed, not dropped: nothing else could
        // free them once the tables are null.
        FreeKingdomCells();
        groundCells = nullptr;
        layerCells = nullptr;
        sprites = nullptr;
        return 0;
    }
    if (cellsLoaded) return 1;
    cellsLoaded = 1;
    std::vector<uint8_t> bytes;
    if (!ReadGameFile("kingdom.cel", bytes)) {
        groundCells = layerCells = nullptr;
        sprites = nullptr;
        return 0;
    }
    KingdomCells cells;
    DecodeKingdomCells(bytes, kSpriteIndices, cells);
    groundCount = int32_t(cells.ground.size());
    layerCount = int32_t(cells.layer.size());
    spriteCount = int32_t(cells.sprites.size());
    groundCells = new uint16_t*[groundCount ? groundCount : 1]();
    layerCells = new uint16_t*[layerCount ? layerCount : 1]();
    sprites = new KingdomSprite*[spriteCount ? spriteCount : 1]();
    for (int i = 0; i < groundCount; ++i)
        std::swap(groundCells[i], cells.ground[i]);
    for (int i = 0; i < layerCount; ++i)
        std::swap(layerCells[i], cells.layer[i]);
    int nextSurface = 0;
    for (int i = 0; i < spriteCount; ++i) {
        KingdomCells::Sprite& sprite = cells.sprites[i];
        if (!sprite.present || nextSurface >= kSpriteSurfaces) continue;
        const int w = int(sprite.head.width), h = int(sprite.head.height);
        platform::Surface* surface = CreateOffscreenSurface(w, h);
        if (!surface) continue;
        platform::DDCOLORKEY key;
        surface->SetColorKey(platform::DDCKEY_SRCBLT, &key);
        platform::DDSURFACEDESC2 desc;
        platform::HRESULT locked;
        while ((locked = surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT)) ==
               platform::DDERR_WASSTILLDRAWING) {
        }
        if (platform::FAILED(locked)) {
            surface->Release();
            continue;
        }
        auto* base = static_cast<uint8_t*>(desc.lpSurface);
        for (int y = 0; y < h; ++y)
            std::memcpy(base + size_t(y) * desc.lPitch, &sprite.pixels[size_t(y) * w], size_t(w) * 2);
        if (PixelFormat == 555)
            ConvertRgb565To555Rect(reinterpret_cast<uint16_t*>(base), w, h, desc.lPitch / 2);
        surface->Unlock(nullptr);
        sprite.head.pixelField = 0;
        spriteSurfaces[nextSurface] = surface;
        spriteSurfaceIndex[i] = uint16_t(nextSurface);
        sprites[i] = new KingdomSprite(sprite.head);
        ++nextSurface;
    }
    return 1;
}

void ResourceStore::FreeKingdomCells() {
    if (!groundCells) return;
    cellsLoaded = 0;
    for (int i = 0; i < groundCount; ++i)
        delete[] groundCells[i];
    for (int i = 0; i < layerCount; ++i)
        delete[] layerCells[i];
    for (int i = 0; i < spriteCount; ++i)
        delete sprites[i];
    for (platform::Surface*& s : spriteSurfaces) {
        if (s) s->Release();
        s = nullptr;
    }
    std::fill(std::begin(spriteSurfaceIndex), std::end(spriteSurfaceIndex), uint16_t(0));
    delete[] groundCells;
    delete[] layerCells;
    delete[] sprites;
    groundCells = layerCells = nullptr;
    sprites = nullptr;
    groundCount = layerCount = spriteCount = 0;
}
