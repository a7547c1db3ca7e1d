#include "update/installer/EmbeddedResources.h"

#include <cstring>

HRSRC FindResourceA(uint32_t id, const char* type) {
    if (!type) return nullptr;
    for (uint32_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& r = kEmbeddedResources[i];
        if (r.id == id && r.type && std::strcmp(r.type, type) == 0) return &r;
    }
    return nullptr;
}

HGLOBAL LoadResource(HRSRC resource) {
    return resource;
}

const uint8_t* LockResource(HGLOBAL loaded) {
    return loaded ? loaded->begin : nullptr;
}

uint32_t SizeofResource(HRSRC resource) {
    return resource ? static_cast<uint32_t>(resource->end - resource->begin) : 0;
}

void FreeResource(HGLOBAL) {}
