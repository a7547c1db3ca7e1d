#include "platform/GlobalMemory.h"

#include <cstdlib>

namespace platform {

// The header; the bytes follow it, aligned for any type.
struct alignas(std::max_align_t) GlobalBlock {
    size_t size;
    uint32_t locks;
};

namespace {
constexpr size_t HeaderSize = sizeof(GlobalBlock);
unsigned char* BytesOf(GlobalBlock* block) {
    return reinterpret_cast<unsigned char*>(block) + HeaderSize;
}
} // namespace

HGLOBAL GlobalAlloc(uint32_t /*flags*/, size_t bytes) {
    if (bytes > GlobalAllocLimit) return nullptr;
    void* memory = std::calloc(1, HeaderSize + (bytes ? bytes : 1));
    if (!memory) return nullptr;
    auto* block = static_cast<GlobalBlock*>(memory);
    block->size = bytes;
    block->locks = 0;
    return block;
}

void* GlobalLock(HGLOBAL block) {
    if (!block || block->size == 0) return nullptr;
    ++block->locks;
    return BytesOf(block);
}

int GlobalUnlock(HGLOBAL block) {
    if (!block || block->locks == 0) return 0;
    return --block->locks != 0;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    std::free(block);
    return nullptr;
}

size_t GlobalSize(HGLOBAL block) {
    return block ? block->size : 0;
}

} // namespace platform
