#pragma once

#include "Program/GameController.h"
#include "net/LobbyDatagram.h"

#include <cstdint>
#include <string>

// The fields of a 148-byte player slot record {u32 peer id, name[128], u8 slot index, 3 unset,
// u32 alliance, u32 choice, u32 ready}, as the room messages carry it and the controller keeps it.
namespace slotfields {

constexpr size_t kSize = 148;
constexpr int kSlots = 20;

inline uint32_t Id(const PlayerSlot& s) {
    return lobby::GetU32(s.bytes, 0);
}
inline void SetId(PlayerSlot& s, uint32_t v) {
    lobby::PutU32(s.bytes, 0, v);
}
inline std::string Name(const PlayerSlot& s) {
    return lobby::GetText(s.bytes, 4, 128);
}
inline void SetName(PlayerSlot& s, const std::string& n) {
    lobby::PutText(s.bytes, 4, 128, n);
}
inline uint8_t Index(const PlayerSlot& s) {
    return s.bytes[132];
}
inline void SetIndex(PlayerSlot& s, uint8_t v) {
    s.bytes[132] = v;
}
inline uint32_t Alliance(const PlayerSlot& s) {
    return lobby::GetU32(s.bytes, 136);
}
inline void SetAlliance(PlayerSlot& s, uint32_t v) {
    lobby::PutU32(s.bytes, 136, v);
}
inline uint32_t Choice(const PlayerSlot& s) {
    return lobby::GetU32(s.bytes, 140);
}
inline void SetChoice(PlayerSlot& s, uint32_t v) {
    lobby::PutU32(s.bytes, 140, v);
}
inline uint32_t Ready(const PlayerSlot& s) {
    return lobby::GetU32(s.bytes, 144);
}
inline void SetReady(PlayerSlot& s, uint32_t v) {
    lobby::PutU32(s.bytes, 144, v);
}

} // namespace slotfields
