#pragma once

#include <cstdint>

// The files the installer carries inside itself, found by resource id and type as the system's
// resource calls do. The build generates the table from the payload folder.
struct EmbeddedResource {
    uint32_t id;
    const char* type;
    const uint8_t* begin;
    const uint8_t* end;
};

// Provided by the generated payload source of each program that links the installer.
extern const EmbeddedResource kEmbeddedResources[];
extern const uint32_t kEmbeddedResourceCount;

using HRSRC = const EmbeddedResource*;
using HGLOBAL = const EmbeddedResource*;

HRSRC FindResourceA(uint32_t id, const char* type);
HGLOBAL LoadResource(HRSRC resource);
const uint8_t* LockResource(HGLOBAL loaded);
uint32_t SizeofResource(HRSRC resource);
void FreeResource(HGLOBAL loaded);
