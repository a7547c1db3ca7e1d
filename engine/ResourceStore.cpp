#include "engine/ResourceStore.h"

#include "engine/LinkList.h"

ResourceStore* TheResourceStore = nullptr;

ResourceStore::ResourceStore() : drawList(new LinkList) {}

ResourceStore::~ResourceStore() {
    FreeAll();
    delete drawList;
}

void ResourceStore::FreeAll() {
    if (drawList) drawList->RemoveAll();
}

void FreeAniFrame(AniFrame* frame) {
    if (!frame) return;
    delete[] frame->pixels;
    delete[] frame->mask;
    delete frame;
}
