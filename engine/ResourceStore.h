#pragma once

#include "gui/RootObject.h"

#include <cstdint>

class LinkList;
class BattleMap;
class GameController;

// One frame of a ".ani" file as the store loads it.
struct AniFrame {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t* pixels = nullptr;
    uint8_t* mask = nullptr;
};

// The graphics and data store: image banks, the draw list of panels, the effect lists.
class ResourceStore : public RootObject {
public:
    ResourceStore();
    ~ResourceStore() override;

    void FreeAll();
    void LoadKingdomCells() {}
    // The frame of a ".ani" file, or null when the file cannot be read.
    AniFrame* LoadAniFrame(const char*, int) { return nullptr; }
    void ClearEffectLists() {}
    void ReleaseUnitAnimations() {}

    LinkList* drawList = nullptr;
    BattleMap* battleMap = nullptr;
    GameController* controller = nullptr;
};

void FreeAniFrame(AniFrame* frame);

extern ResourceStore* TheResourceStore;
