#pragma once

#include <cstddef>
#include <cstdint>

// Movable global memory as plain heap blocks: nothing in the game moves, discards or reallocates a
// block, so a handle is a fixed block that is always zero-filled, whatever the flags say.
namespace platform {

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

constexpr uint32_t GMEM_FIXED = 0x0000;
constexpr uint32_t GMEM_MOVEABLE = 0x0002;
constexpr uint32_t GMEM_ZEROINIT = 0x0040;
constexpr uint32_t GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr uint32_t GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Blocks above this size are refused: no block of the game comes near it, and a size taken from a
// damaged file then fails cleanly instead of exhausting memory.
constexpr size_t GlobalAllocLimit = size_t{1} << 30;

// Null when the size is refused or memory runs out.
HGLOBAL GlobalAlloc(uint32_t flags, size_t bytes);
// The block's bytes; null for a null handle or a block of size 0.
void* GlobalLock(HGLOBAL block);
// Non-zero while the block stays locked by earlier locks.
int GlobalUnlock(HGLOBAL block);
// Null on success (also for a null handle).
HGLOBAL GlobalFree(HGLOBAL block);
// 0 for a null handle.
size_t GlobalSize(HGLOBAL block);

} // namespace platform
