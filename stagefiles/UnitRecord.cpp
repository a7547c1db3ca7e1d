#include "stagefiles/UnitRecord.h"

#include "records/City.h"
#include "records/SubCastle.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/RouteGraph.h"
#include "world/UnitPath.h"

#include <cstring>

namespace {

using U = UnitRecordLayout;

// Little-endian fields of a fixed record held in memory.
struct Record {
    uint8_t* b;
    void put8(uint32_t at, uint32_t v) const { b[at] = uint8_t(v); }
    void put16(uint32_t at, uint32_t v) const {
        b[at] = uint8_t(v);
        b[at + 1] = uint8_t(v >> 8);
    }
    void put32(uint32_t at, uint32_t v) const {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    }
};
struct ConstRecord {
    const uint8_t* b;
    uint8_t u8(uint32_t at) const { return b[at]; }
    int8_t i8(uint32_t at) const { return int8_t(b[at]); }
    int16_t i16(uint32_t at) const { return int16_t(uint16_t(b[at] | b[at + 1] << 8)); }
    uint16_t u16(uint32_t at) const { return uint16_t(b[at] | b[at + 1] << 8); }
    uint32_t u32(uint32_t at) const { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; }
    int32_t i32(uint32_t at) const { return int32_t(u32(at)); }
};

// The timed-status entries the record carries: flag byte, second byte and counter of each, in
// troop order (-1: not carried). The last entry and the two status words are not stored.
struct StatusSlot {
    int16_t flag, value, counter;
};
constexpr StatusSlot kStatusSlots[13] = {
    {202, -1, 204},  {206, -1, 208},  {309, -1, 310},  {312, -1, 314}, {210, 211, 212},
    {214, 215, 216}, {218, 219, 220}, {222, 223, 224}, {226, -1, 228}, {230, -1, 232},
    {234, -1, 236},  {238, 239, -1},  {240, -1, 242},
};

// Where the record keeps the decision bytes and words the troop carries for it.
constexpr uint32_t kByteSlots[13] = {96, 254, 294, 316, 324, 325, 348, 349, 351, 359, 360, 361, 142};
constexpr uint32_t kHalfSlots[9] = {98, 182, 196, 252, 318, 320, 322, 326, 328};
constexpr uint32_t kWordSlot = 248;

// The eleven animation bytes at 132; the last one is a record byte (slot 12 above).
constexpr uint32_t kFrameBytes = 132;

// The order record's named fields; every other byte is reserved.
constexpr uint32_t kOrderNamed[] = {0,  1,  2,  3,  4,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                    20, 22, 23, 24, 25, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38};

uint32_t TargetWordForFile(const Troop& t) {
    if (!t.targetObject || t.actionCode != 6) return t.targetWord;
    uint32_t word = t.targetWord;
    const auto* place = dynamic_cast<const SubCastle*>(t.targetObject);
    if ((word >> 16) != 0 && place && place->Kind() == 4) word |= 0x0F000000;
    return word;
}

} // namespace

void PackUnitRecord(StageWriter& out, const Troop& t) {
    uint8_t bytes[U::kSize] = {};
    const Record r{bytes};
    r.put8(0, t.outOfPlay);
    r.put16(U::kCellX, uint16_t(t.cellX));
    r.put16(U::kCellY, uint16_t(t.cellY));
    r.put8(U::kSelected, t.selected);
    r.put8(7, uint8_t(t.hotKeyGroup));
    r.put8(10, t.animationDirection);
    r.put8(11, t.facing);
    r.put8(13, t.hitNotice);
    r.put16(18, uint16_t(t.orderWait));
    r.put8(U::kDrawingMode, t.drawingMode);
    r.put8(26, t.formationBonus);
    if (const Troop* target = t.targetTroop) {
        r.put16(U::kTargetCells, uint16_t(target->cellX));
        r.put16(U::kTargetCells + 2, uint16_t(target->cellY));
        r.put32(U::kTargetSerials, target->UnitId());
    }
    if (const auto* object = dynamic_cast<const Troop*>(t.targetObject)) {
        r.put16(U::kTargetCells + 4, uint16_t(object->cellX));
        r.put16(U::kTargetCells + 6, uint16_t(object->cellY));
        r.put32(U::kTargetSerials + 4, object->UnitId());
    }
    r.put16(48, uint16_t(t.rangeStart));
    r.put16(50, uint16_t(t.rangeEnd));
    r.put8(52, t.missileKind);
    r.put8(U::kVisibleMark, t.visibleMark);
    r.put8(55, t.nextDirection);
    r.put16(100, uint16_t(t.busyWord));
    r.put16(102, uint16_t(t.followerOffsetX));
    r.put16(104, uint16_t(t.followerOffsetY));
    r.put8(106, t.followerSlot);
    r.put8(U::kState, t.state);
    r.put8(109, uint8_t(t.decisionPhase));
    for (uint32_t i = 0; i < 4; ++i)
        r.put16(110 + 2 * i, uint16_t(t.drawnRect[i]));
    r.put8(U::kOwner, uint8_t(t.owner));
    r.put16(120, uint16_t(t.goalX));
    r.put16(122, uint16_t(t.goalY));
    r.put16(U::kPixel, uint16_t(t.pixelX));
    r.put16(U::kPixel + 2, uint16_t(t.pixelY));
    r.put16(128, t.percent[0]);
    r.put16(130, t.percent[1]);
    const uint8_t frameBytes[10] = {t.frameCount,  t.currentFrame,      t.firstFrame, t.lastFrame,
                                    t.frameDelay,  t.frameDelayCounter, t.stepDelay,  t.stepDelayCounter,
                                    t.derivedFlag, t.moveDirection};
    std::memcpy(bytes + kFrameBytes, frameBytes, sizeof frameBytes);
    r.put32(144, t.flags);
    r.put32(148, uint32_t(t.skill));
    r.put16(172, uint16_t(t.controlWord));
    r.put8(176, t.actionCode);
    r.put32(184, t.statusBits);
    r.put8(U::kGarrison, uint8_t(t.garrison));
    r.put16(198, uint16_t(t.speed));
    r.put16(200, uint16_t(t.sightRadius));
    for (size_t i = 0; i < std::size(kStatusSlots); ++i) {
        const StatusSlot& s = kStatusSlots[i];
        const Troop::StatusEntry& e = t.statusEntries[i];
        r.put8(uint32_t(s.flag), e.flag);
        if (s.value >= 0) r.put8(uint32_t(s.value), e.value);
        if (s.counter >= 0) r.put16(uint32_t(s.counter), uint16_t(e.counter));
    }
    r.put16(244, t.outgoingMark);
    r.put32(U::kBaseType, uint32_t(t.baseType));
    r.put32(260, uint32_t(t.currentType));
    r.put32(U::kTargetWord, TargetWordForFile(t));
    r.put32(268, uint32_t(t.velX));
    r.put32(272, uint32_t(t.velY));
    r.put32(276, uint32_t(t.worldX));
    r.put32(280, uint32_t(t.worldY));
    r.put8(293, t.formationFollow);
    r.put16(296, uint16_t(t.formationAngle));
    r.put16(298, uint16_t(t.formationRadius));
    r.put32(300, uint32_t(t.leaderVelX));
    r.put32(304, uint32_t(t.leaderVelY));
    r.put8(308, t.blocked);
    r.put16(352, t.waypointWait);
    r.put16(354, uint16_t(t.anchorX));
    r.put16(356, uint16_t(t.anchorY));
    r.put8(358, uint8_t(t.routeStage));
    r.put16(362, uint16_t(t.speedBonus));
    r.put32(364, uint32_t(t.overrideType));
    r.put8(368, t.afloat);
    r.put16(U::kHomeCity, uint16_t(t.homeCity));
    for (size_t i = 0; i < std::size(kByteSlots); ++i)
        r.put8(kByteSlots[i], t.recordBytes[i]);
    for (size_t i = 0; i < std::size(kHalfSlots); ++i)
        r.put16(kHalfSlots[i], uint16_t(t.recordHalves[i]));
    r.put32(kWordSlot, uint32_t(t.recordWord));

    uint32_t pathCount = 0, searchCount = 0;
    for (const PathWaypoint* w = t.waypoints; w; w = w->next)
        ++pathCount;
    for (const RouteStep* s = t.route; s; s = s->next)
        ++searchCount;
    r.put32(U::kPathCount, pathCount);
    r.put32(U::kSearchCount, searchCount);
    out.Bytes(bytes, sizeof bytes);

    ByteWriter order;
    if (t.order) t.order->Write(order);
    uint8_t orderBytes[U::kOrderSize] = {};
    if (order.size() == U::kOrderSize)
        for (uint32_t at : kOrderNamed)
            orderBytes[at] = order.buffer()[at];
    out.Bytes(orderBytes, sizeof orderBytes);

    for (const PathWaypoint* w = t.waypoints; w; w = w->next) {
        out.i32(w->x);
        out.i32(w->y);
        out.u8(w->kind);
        out.Zeros(3 + 4);
    }
    for (const RouteStep* s = t.route; s; s = s->next) {
        out.i32(s->x);
        out.i32(s->y);
        out.u32(0);
    }
}

void UnpackUnitRecord(const uint8_t* bytes, Troop& t, int32_t version, bool fresh) {
    const ConstRecord r{bytes};
    // A target word with a high half names one of the city's sub-castles.
    const uint32_t word = r.u32(U::kTargetWord);
    // A word of 0 is no target at all.
    City* city = word != 0 && TheBattleMap ? TheBattleMap->CityById(int32_t(word & 0xFFFF)) : nullptr;
    t.targetWord = word;
    t.targetCity = city;
    if ((word >> 16) == 0) {
        t.targetObject = city;
        t.targetIsSubCastle = 0;
    } else {
        t.targetObject = city ? city->FindSubCastleOfKind((word & 0x0F000000) ? 4 : 5) : nullptr;
        t.targetIsSubCastle = t.targetObject ? 1 : 0;
        t.targetWord = word & 0xF0FFFFFF;
    }

    t.outOfPlay = r.u8(0);
    t.cellX = r.i16(U::kCellX);
    t.cellY = r.i16(U::kCellY);
    t.selected = 0;
    // Ten hot-key groups; anything else in the file is none.
    t.hotKeyGroup = r.i8(7) >= 0 && r.i8(7) <= 9 ? r.i8(7) : int8_t(-1);
    t.animationDirection = r.u8(10);
    t.facing = r.u8(11);
    t.hitNotice = r.u8(13);
    t.orderWait = r.i16(18);
    t.drawingMode = r.u8(U::kDrawingMode) == 3 ? 0 : r.u8(U::kDrawingMode);
    t.formationBonus = r.u8(26);
    for (int i = 0; i < 2; ++i) {
        t.storedTargetCells[i][0] = r.i16(U::kTargetCells + 4 * uint32_t(i));
        t.storedTargetCells[i][1] = r.i16(U::kTargetCells + 4 * uint32_t(i) + 2);
        t.storedTargetSerials[i] = r.u32(U::kTargetSerials + 4 * uint32_t(i));
    }
    t.rangeStart = r.i16(48);
    t.rangeEnd = r.i16(50);
    t.missileKind = r.u8(52);
    t.visibleMark = r.u8(U::kVisibleMark);
    t.nextDirection = r.u8(55);
    t.busyWord = r.i16(100);
    t.followerOffsetX = r.i16(102);
    t.followerOffsetY = r.i16(104);
    t.followerSlot = r.u8(106);
    t.state = r.u8(U::kState);
    t.decisionPhase = r.i8(109);
    for (uint32_t i = 0; i < 4; ++i)
        t.drawnRect[i] = r.i16(110 + 2 * i);
    t.owner = r.i8(U::kOwner);
    t.goalX = r.i16(120);
    t.goalY = r.i16(122);
    t.pixelX = t.posX = r.i16(U::kPixel);
    t.pixelY = t.posY = r.i16(U::kPixel + 2);
    t.percent[0] = r.u16(128);
    t.percent[1] = r.u16(130);
    uint8_t* frameFields[10] = {&t.frameCount,  &t.currentFrame,      &t.firstFrame, &t.lastFrame,
                                &t.frameDelay,  &t.frameDelayCounter, &t.stepDelay,  &t.stepDelayCounter,
                                &t.derivedFlag, &t.moveDirection};
    for (uint32_t i = 0; i < 10; ++i)
        *frameFields[i] = r.u8(kFrameBytes + i);
    t.flags = r.u32(144);
    t.skill = r.i32(148);
    t.controlWord = r.i16(172);
    t.actionCode = r.u8(176);
    t.statusBits = r.u32(184);
    t.garrison = int16_t(r.i8(U::kGarrison));
    t.speed = r.i16(198);
    t.sightRadius = r.i16(200);
    for (size_t i = 0; i < std::size(kStatusSlots); ++i) {
        const StatusSlot& s = kStatusSlots[i];
        Troop::StatusEntry& e = t.statusEntries[i];
        e.flag = r.u8(uint32_t(s.flag));
        if (s.value >= 0) e.value = r.u8(uint32_t(s.value));
        if (s.counter >= 0) e.counter = r.i16(uint32_t(s.counter));
    }
    t.outgoingMark = r.u16(244);
    t.baseType = r.i32(U::kBaseType);
    t.currentType = r.i32(260);
    t.velX = r.i32(268);
    t.velY = r.i32(272);
    t.worldX = r.i32(276);
    t.worldY = r.i32(280);
    t.formationFollow = r.u8(293);
    t.formationAngle = r.i16(296);
    t.formationRadius = r.i16(298);
    t.leaderVelX = r.i32(300);
    t.leaderVelY = r.i32(304);
    t.blocked = r.u8(308);
    t.waypointWait = r.u16(352);
    t.anchorX = r.i16(354);
    t.anchorY = r.i16(356);
    t.routeStage = r.i8(358);
    t.speedBonus = r.i16(362);
    t.overrideType = r.i32(364);
    t.afloat = r.u8(368);
    for (size_t i = 0; i < std::size(kByteSlots); ++i)
        t.recordBytes[i] = r.u8(kByteSlots[i]);
    t.recordBytes[0] = 0;
    for (size_t i = 0; i < std::size(kHalfSlots); ++i)
        t.recordHalves[i] = r.i16(kHalfSlots[i]);
    t.recordWord = r.i32(kWordSlot);

    if (t.baseType == 123) {
        t.pixelX = t.posX = int16_t(t.cellX * 40 - 100);
        t.pixelY = t.posY = int16_t(t.cellY * 20 - 175);
    }
    if (fresh) {
        t.targetWord = 0;
        t.targetObject = nullptr;
        t.targetCity = nullptr;
        t.targetIsSubCastle = 0;
        t.visibleMark = 0;
    }
    if (HasSoldierType(t.currentType)) {
        t.rangeStart = int16_t(SoldierTypeValue(t.currentType, SoldierColumn::kRangeStart));
        t.rangeEnd = int16_t(SoldierTypeValue(t.currentType, SoldierColumn::kRangeEnd));
        t.missileKind = uint8_t(SoldierTypeValue(t.currentType, SoldierColumn::kMissile));
    }
    t.homeCity =
        version == kUnitVersionWithWideHomeCity ? r.i16(U::kHomeCity) : int16_t(r.u8(U::kOldHomeCity));
}

void UnpackOrderRecord(const uint8_t* bytes, Troop& t) {
    TroopOrder stored;
    if (!t.order || !stored.Read(std::span<const uint8_t>(bytes, U::kOrderSize))) return;
    TroopOrder& o = *t.order;
    o.alert = stored.alert;
    o.pursue = stored.pursue;
    std::memcpy(o.spare, stored.spare, sizeof o.spare);
    o.stormThenRoam = stored.stormThenRoam;
    o.secondX = stored.secondX;
    o.secondY = stored.secondY;
    o.postX = stored.postX;
    o.postY = stored.postY;
    o.orderState = stored.orderState;
    o.gatherX = stored.gatherX;
    o.gatherY = stored.gatherY;
    o.targetCityId = stored.targetCityId;
    o.wanderDirection = stored.wanderDirection;
    // Bytes 33 to 38: a byte and two half-words, then a byte.
    std::memcpy(o.reserved2, stored.reserved2, 6);
}

bool ReadUnitNodes(StageReader& in, Troop& t, uint32_t pathCount, uint32_t searchCount) {
    const uint64_t need = uint64_t(pathCount) * U::kPathNodeSize + uint64_t(searchCount) * U::kSearchNodeSize;
    if (need > in.remaining()) {
        in.Fail();
        return false;
    }
    PathWaypoint** path = &t.waypoints;
    while (*path)
        path = &(*path)->next;
    for (uint32_t i = 0; i < pathCount; ++i) {
        auto* w = new PathWaypoint;
        w->x = in.i32();
        w->y = in.i32();
        w->kind = in.u8();
        in.Skip(3 + 4);
        *path = w;
        path = &w->next;
    }
    RouteStep** route = &t.route;
    while (*route)
        route = &(*route)->next;
    for (uint32_t i = 0; i < searchCount; ++i) {
        auto* s = new RouteStep;
        s->x = in.i32();
        s->y = in.i32();
        in.Skip(4);
        *route = s;
        route = &s->next;
    }
    return in.ok();
}
