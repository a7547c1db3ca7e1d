#include "net/TroopCommandCodec.h"

#include "engine/ByteReader.h"

namespace {
constexpr uint8_t kSizes[15] = {0, 12, 8, 8, 8, 24, 12, 12, 8, 12, 24, 20, 28, 12, 12};

// One walk over a code's layout for both directions: F reads or writes each field in order.
template <class Io>
void Layout(uint8_t code, TroopCommand& c, Io& io) {
    io.u32(c.troop);
    switch (code) {
    case 1:
        io.i32(c.worldX);
        io.i32(c.worldY);
        break;
    case 2:
    case 3:
    case 8:
        io.u16(c.x);
        io.u16(c.y);
        break;
    case 4:
        io.u32(c.target);
        break;
    case 5:
    case 10:
        io.u32(c.target);
        io.u16(c.x);
        io.u16(c.y);
        io.u8(c.kind);
        io.pad(3);
        io.i32(c.worldX);
        io.i32(c.worldY);
        break;
    case 6:
        io.u32(c.target);
        io.u32(c.subKind);
        break;
    case 7:
        io.u16(c.x);
        io.u16(c.y);
        io.u16(c.x2);
        io.u16(c.y2);
        break;
    case 9:
        io.u32(c.target);
        io.i32(c.skill);
        break;
    case 11:
        io.u32(c.target);
        io.u16(c.x);
        io.u16(c.y);
        io.i32(c.skill);
        io.u8(c.hasTarget);
        io.pad(3);
        break;
    case 12:
        io.u32(c.target);
        io.i32(c.worldX);
        io.i32(c.worldY);
        io.u16(c.x);
        io.u16(c.y);
        io.i32(c.skill);
        io.u8(c.hasTarget);
        io.u8(c.kind);
        io.pad(2);
        break;
    case 13:
    case 14:
        io.u16(c.x);
        io.u16(c.y);
        io.u8(c.direction);
        io.u8(c.argument);
        io.pad(2);
        break;
    default:
        break;
    }
}

struct Writer {
    ByteWriter out;
    void u32(uint32_t v) { out.u32(v); }
    void i32(int32_t v) { out.i32(v); }
    void u16(uint16_t v) { out.u16(v); }
    void u8(uint8_t v) { out.u8(v); }
    void pad(size_t n) { out.zeros(n); }
};

struct Reader {
    ByteReader in;
    void u32(uint32_t& v) { v = in.u32(); }
    void i32(int32_t& v) { v = in.i32(); }
    void u16(uint16_t& v) { v = in.u16(); }
    void u8(uint8_t& v) { v = in.u8(); }
    void pad(size_t n) { in.skip(n); }
};
} // namespace

size_t TroopCommandSize(uint8_t code) {
    return code < sizeof kSizes ? kSizes[code] : 0;
}

std::vector<uint8_t> PackTroopCommand(const TroopCommand& command) {
    if (TroopCommandSize(command.code) == 0) return {};
    Writer w;
    TroopCommand c = command;
    Layout(c.code, c, w);
    return std::move(w.out.buffer());
}

std::optional<TroopCommand> UnpackTroopCommand(uint8_t code, std::span<const uint8_t> payload) {
    const size_t size = TroopCommandSize(code);
    if (size == 0 || payload.size() != size) return std::nullopt;
    Reader r{ByteReader(payload)};
    TroopCommand c;
    c.code = code;
    Layout(code, c, r);
    if (!r.in.ok() || r.in.remaining() != 0) return std::nullopt;
    return c;
}
