#include "stagefiles/GateFile.h"
#include "engine/LinkList.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "support/StageBytes.h"
#include "troops/CastleGate.h"
#include "troops/TroopFixture.h"

#include <gtest/gtest.h>

#include <vector>

using testsupport::StageBytes;

namespace {

class GateFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        a = battle.AddKingdom(1, true);
        b = battle.AddKingdom(2);
        c = battle.AddKingdom(3); // without gates
        open = Gate(a, 10, 10, 0, 1, 8, 4);
        open->openState = 1;
        for (int i = 0; i < CastleGate::kPieces; ++i) {
            open->pieces[i]->officer->StatusWord() = i % 3;
            open->pieces[i]->officer->Set(OfficerLayout::kHp, 50 + i);
        }
        closed = Gate(b, 20, 12, 1, 2, 18, 6);
        for (Troop* p : closed->pieces)
            p->officer->Set(OfficerLayout::kHp, 70);
    }
    CastleGate* Gate(Kingdom* k, int x, int y, int direction, int style, int cityX, int cityY) {
        auto* g = new CastleGate(x, y, direction, k->nationIndex, style, cityX, cityY);
        k->gates.Add(uintptr_t(g));
        return g;
    }
    static std::vector<CastleGate*> Gates(Kingdom* k) {
        std::vector<CastleGate*> out;
        for (uintptr_t v = k->gates.First(); v != 0; v = k->gates.Next())
            out.push_back(reinterpret_cast<CastleGate*>(v));
        return out;
    }
    void DropGates() {
        for (Kingdom* k : {a, b, c})
            for (uintptr_t v = k->gates.First(); v != 0; v = k->gates.First()) {
                k->gates.RemoveCurrent();
                delete reinterpret_cast<CastleGate*>(v);
            }
    }
    std::vector<uint8_t> Write(GateFileKind kind) {
        StageWriter out;
        WriteGates(out, *battle.stage, kind);
        return out.bytes();
    }
    bool Read(const std::vector<uint8_t>& bytes, GateFileKind kind) {
        StageReader in(bytes, StageLoadMode::Restore);
        return ReadGates(in, *battle.stage, kind);
    }

    trooptest::Battle battle;
    Kingdom* a = nullptr;
    Kingdom* b = nullptr;
    Kingdom* c = nullptr;
    CastleGate* open = nullptr;
    CastleGate* closed = nullptr;
};

// A record of the file: centre, direction, open state, city cell and style; pieces left 0.
StageBytes& Record(StageBytes& f, int x, int y, int direction, int state, int style) {
    f.words({uint32_t(x), uint32_t(y), uint32_t(direction), uint32_t(state)}).zeros(64);
    return f.words({3, 4, uint32_t(style)});
}

} // namespace

TEST_F(GateFileTest, SavedGameGatesComeBackAsTheyWere) {
    const std::vector<uint8_t> file = Write(GateFileKind::Gate);
    ASSERT_EQ(file.size(), 12u + 4 + 3 * 4 + 2 * 92);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 12), StageBytes().tag("Door    Data").data());
    EXPECT_EQ(StageBytes::Field(file, 12, 4), 92u);
    EXPECT_EQ(StageBytes::Field(file, 16, 4), 1u); // the first kingdom's gates
    const size_t first = 20;
    const uint32_t head[] = {10, 10, 0, 1};
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(StageBytes::Field(file, first + 4 * i, 4), head[i]);
    EXPECT_EQ(StageBytes::Field(file, first + 4 * 6, 4), 2u);   // piece 2's status
    EXPECT_EQ(StageBytes::Field(file, first + 4 * 19, 4), 57u); // piece 7's strength
    EXPECT_EQ(StageBytes::Field(file, first + 4 * 20, 4), 8u);
    EXPECT_EQ(StageBytes::Field(file, first + 4 * 22, 4), 1u);
    EXPECT_EQ(StageBytes::Field(file, file.size() - 4, 4), 0u); // the third kingdom has none

    DropGates();
    ASSERT_TRUE(Read(file, GateFileKind::Gate));
    ASSERT_EQ(Gates(a).size(), 1u);
    ASSERT_EQ(Gates(b).size(), 1u);
    EXPECT_TRUE(Gates(c).empty());
    CastleGate* g = Gates(a)[0];
    EXPECT_EQ(g->cellX, 10);
    EXPECT_EQ(g->cityX, 8);
    EXPECT_EQ(g->style, 1);
    EXPECT_EQ(g->ownerSide, 1);
    EXPECT_EQ(g->openState, 1);
    EXPECT_EQ(g->pictureIndex, 2); // the open picture
    for (int i = 0; i < CastleGate::kPieces; ++i) {
        EXPECT_EQ(g->pieces[i]->officer->StatusWord(), i % 3);
        EXPECT_EQ(g->pieces[i]->officer->Get(OfficerLayout::kHp), 50 + i);
        EXPECT_FALSE(battle.OnCell(g->pieces[i], g->gateCells[i][0], g->gateCells[i][1]));
    }
    CastleGate* shut = Gates(b)[0];
    EXPECT_EQ(shut->openState, 0);
    EXPECT_EQ(shut->direction, 1);
    EXPECT_EQ(shut->pieces[3]->officer->Get(OfficerLayout::kHp), 70);
    EXPECT_EQ(Write(GateFileKind::Gate), file);
}

TEST_F(GateFileTest, DoorFilesPlaceGatesClosed) {
    const std::vector<uint8_t> door = Write(GateFileKind::Door);
    const std::vector<uint8_t> saved = Write(GateFileKind::Gate);
    ASSERT_EQ(door.size(), saved.size());
    EXPECT_EQ(StageBytes::Field(door, 20 + 4 * 3, 4), 1u); // the state is written
    for (uint32_t w = 4; w < 20; ++w)
        EXPECT_EQ(StageBytes::Field(door, 20 + 4 * w, 4), 0u) << "word " << w;

    // Either file read as a door file gives closed gates with new pieces.
    for (const auto* file : {&door, &saved}) {
        DropGates();
        ASSERT_TRUE(Read(*file, GateFileKind::Door));
        ASSERT_EQ(Gates(a).size(), 1u);
        CastleGate* g = Gates(a)[0];
        EXPECT_EQ(g->openState, 0);
        EXPECT_EQ(g->pictureIndex, 0);
        EXPECT_EQ(g->pieces[2]->officer->StatusWord(), 0);
        EXPECT_NE(g->pieces[2]->officer->Get(OfficerLayout::kHp), 52);
        EXPECT_EQ(g->cityY, 4);
    }
}

TEST_F(GateFileTest, DoorRecordsPastTheFarEdgesOrOfUnknownLayoutAreSkipped) {
    // The test map has 40 columns and 40 unit rows. Only the door file tests the far edges; there is
    // no near edge.
    struct Case {
        const char* name;
        int x, y, direction, style;
        bool keptDoor, keptGate;
    };
    const Case cases[] = {
        {"inside", 39, 39, 1, 0, true, true},
        {"x at the width", 40, 5, 0, 0, false, true},
        {"y at half the rows", 5, 40, 0, 0, false, true},
        {"negative x", -1, 5, 0, 0, true, true},
        {"negative y", 5, -3, 0, 0, true, true},
        {"unknown direction", 5, 5, 2, 0, false, false},
        {"unknown style", 5, 5, 0, 8, false, false},
        {"negative style", 5, 5, 0, -1, false, false},
        {"style far past the table", 5, 5, 0, 0x7fffffff, false, false},
    };
    for (GateFileKind kind : {GateFileKind::Door, GateFileKind::Gate})
        for (const Case& t : cases) {
            SCOPED_TRACE(t.name);
            DropGates();
            StageBytes f;
            f.tag("Door    Data").u32(92).u32(1);
            Record(f, t.x, t.y, t.direction, 0, t.style).u32(0).u32(0);
            ASSERT_TRUE(Read(f, kind));
            const bool kept = kind == GateFileKind::Door ? t.keptDoor : t.keptGate;
            EXPECT_EQ(Gates(a).size(), kept ? 1u : 0u);
        }
}

TEST_F(GateFileTest, DamagedGateFiles) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t gatesRead;
        int lastStyle;
        bool ok;
    };
    auto two = [](uint32_t size) {
        StageBytes f;
        f.tag("Door    Data").u32(size).u32(2);
        Record(f, 5, 5, 0, 1, 3);
        Record(f, 7, 7, 0, 1, 4);
        return f;
    };
    StageBytes shorter;
    shorter.tag("Door    Data").u32(88).u32(2);
    for (int i = 0; i < 2; ++i)
        shorter.words({uint32_t(5 + i), 5, 0, 0}).zeros(64).words({3, 4});
    shorter.u32(0).u32(0);
    StageBytes longer;
    longer.tag("Door    Data").u32(96).u32(1);
    Record(longer, 5, 5, 0, 0, 2).u32(0xEEEEEEEE).u32(0).u32(0);
    StageBytes cut;
    cut.tag("Door    Data").u32(92).u32(1);
    Record(cut, 5, 5, 0, 1, 3).u32(1).zeros(40);
    const Case cases[] = {
        {"shorter records keep no style", shorter, 2, 0, true},
        {"longer records skip their tail", longer, 1, 2, true},
        {"file ends inside the second kingdom's gate", cut, 1, 3, false},
        {"record too small", two(8), 0, 0, false},
        {"count past the end", StageBytes().tag("Door    Data").u32(92).u32(1000).data(), 0, 0, false},
        {"negative count", StageBytes().tag("Door    Data").u32(92).u32(0xFFFFFFFF).data(), 0, 0, false},
        {"no record size", StageBytes().tag("Door    Da").data(), 0, 0, false},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        DropGates();
        EXPECT_EQ(Read(t.bytes, GateFileKind::Gate), t.ok);
        const auto gates = Gates(a);
        ASSERT_EQ(gates.size(), t.gatesRead);
        if (!gates.empty()) {
            EXPECT_EQ(gates.back()->style, t.lastStyle);
        }
        EXPECT_TRUE(Gates(b).empty());
    }
}

TEST_F(GateFileTest, FilesByName) {
    TemplateTables tables;
    ASSERT_EQ(tables.SaveGateFile("stage.gat"), 1);
    ASSERT_EQ(tables.SaveDoorFile("stage.dor"), 1);
    DropGates();
    EXPECT_EQ(tables.LoadGateFile("missing.gat"), 0);
    EXPECT_TRUE(Gates(a).empty());
    ASSERT_EQ(tables.LoadGateFile("stage.gat"), 1);
    EXPECT_EQ(Gates(a)[0]->openState, 1);
    DropGates();
    ASSERT_EQ(tables.LoadDoorFile("stage.dor"), 1);
    EXPECT_EQ(Gates(a)[0]->openState, 0);

    // Without a stage nothing is read or written.
    TheBattleMap->stageSet = nullptr;
    EXPECT_EQ(tables.SaveDoorFile("none.dor"), 0);
    EXPECT_FALSE(StageReader::ReadFile("none.dor"));
    EXPECT_EQ(tables.LoadGateFile("stage.gat"), 0);
    TheBattleMap->stageSet = battle.stage;
    EXPECT_EQ(Gates(a).size(), 1u);
}
