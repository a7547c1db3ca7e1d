#include "gui/LabelPortraits.h"

#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFormats.h"

namespace {

// A store portrait seen as a label picture; freeing it frees the portrait.
struct StorePortrait : LabelPicture {
    PortraitImage* portrait = nullptr;
};

LabelPicture* LoadStorePortrait(int size, int n) {
    PortraitImage* portrait = TheResourceStore ? TheResourceStore->LoadPortrait(size, n) : nullptr;
    if (!portrait) return nullptr;
    auto* picture = new StorePortrait;
    picture->width = portrait->width;
    picture->height = portrait->height;
    picture->pixels = portrait->pixels;
    picture->portrait = portrait;
    return picture;
}

void FreeStorePortrait(LabelPicture* picture) {
    auto* stored = static_cast<StorePortrait*>(picture);
    if (!stored) return;
    FreePortraitImage(stored->portrait);
    delete stored;
}

} // namespace

LabelPicture* (*LoadLabelPortrait)(int size, int n) = LoadStorePortrait;
void (*FreeLabelPortrait)(LabelPicture* picture) = FreeStorePortrait;
