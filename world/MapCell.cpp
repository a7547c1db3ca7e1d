#include "world/MapCell.h"

#include "engine/ByteReader.h"

bool MapCell::Read(ByteReader& in) {
    groundTile = in.u16();
    layerTile = in.u16();
    overlayTile = in.u16();
    spare6 = in.u16();
    zoneByte = in.u8();
    obstacle = in.u8();
    ownerMark = in.u8();
    cityId = in.u8();
    fogMark = in.u8();
    spare13 = in.u8();
    sightCount = in.u8();
    seen = in.u8();
    return in.ok();
}

void MapCell::Write(ByteWriter& out) const {
    out.u16(groundTile);
    out.u16(layerTile);
    out.u16(overlayTile);
    out.u16(spare6);
    out.u8(zoneByte);
    out.u8(obstacle);
    out.u8(ownerMark);
    out.u8(cityId);
    out.u8(fogMark);
    out.u8(spare13);
    out.u8(sightCount);
    out.u8(seen);
}
