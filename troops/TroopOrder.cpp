#include "troops/TroopOrder.h"

#include "engine/ByteReader.h"

// Byte layout: the fields at their natural alignment, pad bytes written as zero.
void TroopOrder::Write(ByteWriter& out) const {
    out.u8(static_cast<uint8_t>(alert));
    out.u8(pursue);
    out.bytes(spare, 2);
    out.u8(stormThenRoam);
    out.bytes(reserved1, 3);
    out.i32(secondX);
    out.i32(secondY);
    out.i16(postX);
    out.i16(postY);
    out.u8(static_cast<uint8_t>(orderState));
    out.u8(0);
    out.i16(gatherX);
    out.i16(gatherY);
    out.zeros(2);
    out.i32(targetCityId);
    out.u8(wanderDirection);
    out.bytes(reserved2, sizeof reserved2);
}

bool TroopOrder::Read(std::span<const uint8_t> bytes) {
    if (bytes.size() < kSize) return false;
    ByteReader in(bytes.first(kSize));
    TroopOrder o;
    o.alert = static_cast<int8_t>(in.u8());
    o.pursue = in.u8();
    in.bytes(o.spare, 2);
    o.stormThenRoam = in.u8();
    in.bytes(o.reserved1, 3);
    o.secondX = in.i32();
    o.secondY = in.i32();
    o.postX = in.i16();
    o.postY = in.i16();
    o.orderState = static_cast<int8_t>(in.u8());
    in.skip(1);
    o.gatherX = in.i16();
    o.gatherY = in.i16();
    in.skip(2);
    o.targetCityId = in.i32();
    o.wanderDirection = in.u8();
    in.bytes(o.reserved2, sizeof o.reserved2);
    if (!in.ok()) return false;
    *this = o;
    return true;
}
