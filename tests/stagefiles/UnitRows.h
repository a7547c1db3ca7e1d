#pragma once

// The unit record's table of troop fields, shared by the layout and round-trip tests.

#include "stagefiles/UnitRecord.h"
#include "troops/Troop.h"

#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

namespace unitrows {

struct Row {
    const char* name;
    uint32_t offset;
    int width;
    std::function<void(Troop&, uint32_t)> set;
};

#define ROW(off, w, field)                                                                                   \
    Row {                                                                                                    \
#field, off, w, [](Troop & t, uint32_t v) { field = std::remove_reference_t<decltype(field)>(v); }   \
    }

// Every troop field the unit record carries, with its offset and width.
inline const std::vector<Row>& UnitRows() {
    static const std::vector<Row> rows = {
        ROW(0, 1, t.outOfPlay),
        ROW(2, 2, t.cellX),
        ROW(4, 2, t.cellY),
        ROW(6, 1, t.selected),
        ROW(7, 1, t.hotKeyGroup),
        ROW(10, 1, t.animationDirection),
        ROW(11, 1, t.facing),
        ROW(13, 1, t.hitNotice),
        ROW(18, 2, t.orderWait),
        ROW(20, 1, t.drawingMode),
        ROW(26, 1, t.formationBonus),
        ROW(48, 2, t.rangeStart),
        ROW(50, 2, t.rangeEnd),
        ROW(52, 1, t.missileKind),
        ROW(54, 1, t.visibleMark),
        ROW(55, 1, t.nextDirection),
        ROW(96, 1, t.recordBytes[0]),
        ROW(98, 2, t.recordHalves[0]),
        ROW(100, 2, t.busyWord),
        ROW(102, 2, t.followerOffsetX),
        ROW(104, 2, t.followerOffsetY),
        ROW(106, 1, t.followerSlot),
        ROW(108, 1, t.state),
        ROW(109, 1, t.decisionPhase),
        ROW(110, 2, t.drawnRect[0]),
        ROW(112, 2, t.drawnRect[1]),
        ROW(114, 2, t.drawnRect[2]),
        ROW(116, 2, t.drawnRect[3]),
        ROW(118, 1, t.owner),
        ROW(120, 2, t.goalX),
        ROW(122, 2, t.goalY),
        ROW(124, 2, t.pixelX),
        ROW(126, 2, t.pixelY),
        ROW(128, 2, t.percent[0]),
        ROW(130, 2, t.percent[1]),
        ROW(132, 1, t.frameCount),
        ROW(133, 1, t.currentFrame),
        ROW(134, 1, t.firstFrame),
        ROW(135, 1, t.lastFrame),
        ROW(136, 1, t.frameDelay),
        ROW(137, 1, t.frameDelayCounter),
        ROW(138, 1, t.stepDelay),
        ROW(139, 1, t.stepDelayCounter),
        ROW(140, 1, t.derivedFlag),
        ROW(141, 1, t.moveDirection),
        ROW(142, 1, t.recordBytes[12]),
        ROW(144, 4, t.flags),
        ROW(148, 4, t.skill),
        ROW(172, 2, t.controlWord),
        ROW(176, 1, t.actionCode),
        ROW(182, 2, t.recordHalves[1]),
        ROW(184, 4, t.statusBits),
        ROW(188, 1, t.garrison),
        ROW(196, 2, t.recordHalves[2]),
        ROW(198, 2, t.speed),
        ROW(200, 2, t.sightRadius),
        ROW(202, 1, t.statusEntries[0].flag),
        ROW(204, 2, t.statusEntries[0].counter),
        ROW(206, 1, t.statusEntries[1].flag),
        ROW(208, 2, t.statusEntries[1].counter),
        ROW(309, 1, t.statusEntries[2].flag),
        ROW(310, 2, t.statusEntries[2].counter),
        ROW(312, 1, t.statusEntries[3].flag),
        ROW(314, 2, t.statusEntries[3].counter),
        ROW(210, 1, t.statusEntries[4].flag),
        ROW(211, 1, t.statusEntries[4].value),
        ROW(212, 2, t.statusEntries[4].counter),
        ROW(214, 1, t.statusEntries[5].flag),
        ROW(215, 1, t.statusEntries[5].value),
        ROW(216, 2, t.statusEntries[5].counter),
        ROW(218, 1, t.statusEntries[6].flag),
        ROW(219, 1, t.statusEntries[6].value),
        ROW(220, 2, t.statusEntries[6].counter),
        ROW(222, 1, t.statusEntries[7].flag),
        ROW(223, 1, t.statusEntries[7].value),
        ROW(224, 2, t.statusEntries[7].counter),
        ROW(226, 1, t.statusEntries[8].flag),
        ROW(228, 2, t.statusEntries[8].counter),
        ROW(230, 1, t.statusEntries[9].flag),
        ROW(232, 2, t.statusEntries[9].counter),
        ROW(234, 1, t.statusEntries[10].flag),
        ROW(236, 2, t.statusEntries[10].counter),
        ROW(238, 1, t.statusEntries[11].flag),
        ROW(239, 1, t.statusEntries[11].value),
        ROW(240, 1, t.statusEntries[12].flag),
        ROW(242, 2, t.statusEntries[12].counter),
        ROW(244, 2, t.outgoingMark),
        ROW(248, 4, t.recordWord),
        ROW(252, 2, t.recordHalves[3]),
        ROW(254, 1, t.recordBytes[1]),
        ROW(256, 4, t.baseType),
        ROW(260, 4, t.currentType),
        ROW(264, 4, t.targetWord),
        ROW(268, 4, t.velX),
        ROW(272, 4, t.velY),
        ROW(276, 4, t.worldX),
        ROW(280, 4, t.worldY),
        ROW(293, 1, t.formationFollow),
        ROW(294, 1, t.recordBytes[2]),
        ROW(296, 2, t.formationAngle),
        ROW(298, 2, t.formationRadius),
        ROW(300, 4, t.leaderVelX),
        ROW(304, 4, t.leaderVelY),
        ROW(308, 1, t.blocked),
        ROW(316, 1, t.recordBytes[3]),
        ROW(318, 2, t.recordHalves[4]),
        ROW(320, 2, t.recordHalves[5]),
        ROW(322, 2, t.recordHalves[6]),
        ROW(324, 1, t.recordBytes[4]),
        ROW(325, 1, t.recordBytes[5]),
        ROW(326, 2, t.recordHalves[7]),
        ROW(328, 2, t.recordHalves[8]),
        ROW(348, 1, t.recordBytes[6]),
        ROW(349, 1, t.recordBytes[7]),
        ROW(351, 1, t.recordBytes[8]),
        ROW(352, 2, t.waypointWait),
        ROW(354, 2, t.anchorX),
        ROW(356, 2, t.anchorY),
        ROW(358, 1, t.routeStage),
        ROW(359, 1, t.recordBytes[9]),
        ROW(360, 1, t.recordBytes[10]),
        ROW(361, 1, t.recordBytes[11]),
        ROW(362, 2, t.speedBonus),
        ROW(364, 4, t.overrideType),
        ROW(368, 1, t.afloat),
        ROW(370, 2, t.homeCity),
    };
    return rows;
}

inline uint32_t Distinct(const Row& r) {
    const uint32_t v = 0x5A000000u + r.offset * 0x10101u + 1;
    return r.width == 4 ? v : v & ((1u << (8 * r.width)) - 1);
}

} // namespace unitrows
