#include "StageRecordFixture.h"
#include "troops/Troop.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace stagetest;
using S = SubCastleLayout;

namespace {

TEST(SubCastleTest, SavingWritesTheCountsAndNoGovernorWhileTheRunningGovernorStays) {
    StageRecords world;
    SubCastle sub(0);
    sub.SetText(S::kName, 20, "Inn");
    sub.SetInt(S::kKind, 5);
    sub.SetInt(S::kX, 8);
    sub.SetInt(S::kY, 21);
    sub.SetInt(S::kGovernor, 42);
    sub.generals.Add(reinterpret_cast<uintptr_t>(General(7, "Guan")));
    for (int i = 0; i < 2; ++i)
        sub.units.Add(reinterpret_cast<uintptr_t>(new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr)));
    sub.secondUnits.Add(reinterpret_cast<uintptr_t>(new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr)));

    ByteWriter out;
    ASSERT_EQ(sub.Save(out), 1);
    const std::vector<uint8_t>& bytes = out.buffer();
    ASSERT_EQ(bytes.size(), 8u + 56 + 4 + 432);
    ByteReader r(bytes.data(), bytes.size());
    EXPECT_EQ(r.u32(), 56u);
    EXPECT_EQ(r.u32(), 1u);
    EXPECT_EQ(std::memcmp(bytes.data() + 8, "Inn", 4), 0);
    r.seek(8 + S::kGovernor);
    EXPECT_EQ(r.i32(), 0);
    EXPECT_EQ(r.i32(), 2); // units inside
    EXPECT_EQ(r.i32(), 1); // second list
    EXPECT_EQ(sub.Int(S::kGovernor), 42);
    EXPECT_EQ(sub.Int(S::kUnitCount), 2);

    SubCastle back(0);
    ByteReader in(bytes.data(), bytes.size());
    ASSERT_EQ(back.Load(in), 1);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(std::memcmp(back.block, bytes.data() + 8, 56), 0);
    EXPECT_EQ(back.entranceX, 10);
    EXPECT_EQ(back.entranceY, 15);
    ASSERT_EQ(back.generals.GetCount(), 1);
    auto* guan = At<OfficerRecord>(back.generals, 0);
    EXPECT_EQ(guan->Name(), "Guan");
    EXPECT_TRUE(world.scenario->stageGenerals.Find(reinterpret_cast<uintptr_t>(guan)));
    // Saved again, the counts are the loaded sub-castle's own (it has no units yet).
    ByteWriter again;
    back.Save(again);
    std::vector<uint8_t> expected = bytes;
    std::fill(expected.begin() + 8 + S::kUnitCount, expected.begin() + 8 + S::kUnitCount + 8, 0);
    EXPECT_EQ(again.buffer(), expected);
}

TEST(SubCastleTest, LoadSkipsALongerBlockAndFailsOnAShortSection) {
    StageRecords world;
    std::vector<uint8_t> bytes = U32s({60, 1});
    std::vector<uint8_t> block(60, 0);
    block[S::kKind] = 4;
    block[56] = 0xEE;
    bytes.insert(bytes.end(), block.begin(), block.end());
    OfficerRecord general(1, -1);
    general.Set(OfficerLayout::kPersonNumber, 9);
    ByteWriter g;
    general.Save(g);
    bytes.insert(bytes.end(), g.buffer().begin(), g.buffer().end());

    SubCastle sub(0);
    ByteReader in(bytes.data(), bytes.size());
    ASSERT_EQ(sub.Load(in), 1);
    EXPECT_EQ(sub.Kind(), 4);
    ASSERT_EQ(sub.generals.GetCount(), 1);
    EXPECT_EQ(At<OfficerRecord>(sub.generals, 0)->Get(OfficerLayout::kPersonNumber), 9);

    for (size_t cut : {size_t{1}, size_t{440}, bytes.size() - 4}) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> shortBytes(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut));
        SubCastle s(0);
        ByteReader r(shortBytes.data(), shortBytes.size());
        EXPECT_EQ(s.Load(r), 0);
    }
    const std::vector<uint8_t> manyGenerals = [&] {
        std::vector<uint8_t> v = U32s({56, 0x7FFFFFFF});
        v.resize(v.size() + 56);
        return v;
    }();
    SubCastle s(0);
    ByteReader r(manyGenerals.data(), manyGenerals.size());
    EXPECT_EQ(s.Load(r), 0);
    EXPECT_EQ(s.generals.GetCount(), 0);

    // A cell at the end of the int range gives an entrance without overflowing (a fuzz finding).
    std::vector<uint8_t> far = U32s({56, 0});
    far.resize(far.size() + 56);
    for (uint32_t offset : {S::kX, S::kY})
        for (int i = 0; i < 4; ++i)
            far[8 + offset + i] = i == 3 ? 0x7F : 0xFF;
    SubCastle edge(0);
    ByteReader e(far.data(), far.size());
    ASSERT_EQ(edge.Load(e), 1);
    EXPECT_EQ(edge.entranceX, 0x7FFFFFFF);
    EXPECT_EQ(edge.entranceY, static_cast<int32_t>((int64_t{0x7FFFFFFF} + 10) / 2));
}

TEST(SubCastleTest, EditorChildrenAreGeneralsListedWithTheStage) {
    StageRecords world;
    OfficerRecord* zhao = world.AddTemplate(12, "Zhao");
    zhao->Set(OfficerLayout::kStrength, 88);
    SubCastle sub(0);
    auto* fresh = static_cast<OfficerRecord*>(sub.NewChild(0));
    EXPECT_EQ(fresh->Name(), "\xb7\x73\xbc\x57\xaa\x5a\xb1\x4e"); // "新增武將"
    EXPECT_TRUE(world.scenario->stageGenerals.Find(reinterpret_cast<uintptr_t>(fresh)));

    // Refreshing copies the template but keeps the general's level and experience.
    fresh->Set(OfficerLayout::kPersonNumber, 12);
    fresh->Set(OfficerLayout::kLevel, 5);
    fresh->Set(OfficerLayout::kExperience, 300);
    EXPECT_EQ(sub.RefreshChild(0, fresh), 1);
    EXPECT_EQ(fresh->Name(), "Zhao");
    EXPECT_EQ(fresh->Get(OfficerLayout::kStrength), 88);
    EXPECT_EQ(fresh->Get(OfficerLayout::kLevel), 5);
    EXPECT_EQ(fresh->Get(OfficerLayout::kExperience), 300);
    fresh->Set(OfficerLayout::kPersonNumber, 13);
    EXPECT_EQ(sub.RefreshChild(0, fresh), 0);
    EXPECT_EQ(sub.RefreshChild(0, nullptr), 0);

    // Removing takes the general off the scenario's lists before it goes.
    world.scenario->selectedGenerals.Add(reinterpret_cast<uintptr_t>(fresh));
    sub.RemoveChild(0, fresh);
    EXPECT_EQ(sub.generals.GetCount(), 0);
    EXPECT_EQ(world.scenario->stageGenerals.GetCount(), 0);
    EXPECT_EQ(world.scenario->selectedGenerals.GetCount(), 0);

    std::unique_ptr<RootObject> detached(sub.CreateChild(0));
    EXPECT_EQ(static_cast<OfficerRecord*>(detached.get())->ownerSide, 100);
}

} // namespace

namespace {

// A unit that notes its deletion.
struct NotedTroop : Troop {
    explicit NotedTroop(int& deleted) : Troop(-1, 0, 0, 0, 0, 0, 0, nullptr), deleted(deleted) {}
    ~NotedTroop() override { ++deleted; }
    int& deleted;
};

TEST(SubCastleTest, HiddenUnitsGoWithTheSubCastleAndShownOnesStayWithTheMap) {
    StageRecords world;
    for (int shown : {0, 1}) {
        SCOPED_TRACE(shown);
        int deleted = 0;
        auto* sub = new SubCastle(0);
        auto* inside = new NotedTroop(deleted);
        sub->units.Add(reinterpret_cast<uintptr_t>(inside));
        sub->secondUnits.Add(reinterpret_cast<uintptr_t>(new NotedTroop(deleted)));
        // The keeper's escorts belong to the map: only the keeper goes.
        auto escort = std::make_unique<NotedTroop>(deleted);
        sub->keeper = new NotedTroop(deleted);
        sub->keeper->followers = new LinkList;
        sub->keeper->followers->Add(reinterpret_cast<uintptr_t>(escort.get()));
        sub->NewChild(0);
        sub->unitsShown = shown;
        delete sub;
        EXPECT_EQ(deleted, shown ? 2 : 3);
        EXPECT_EQ(world.scenario->stageGenerals.GetCount(), 0);
        if (shown) delete inside;
    }
}

TEST(SubCastleTest, DeletingTheUnitsTakesTheirEscortsAlong) {
    int deleted = 0;
    SubCastle sub(0);
    for (int i = 0; i < 2; ++i) {
        auto* unit = new NotedTroop(deleted);
        unit->followers = new LinkList;
        for (int e = 0; e < 3; ++e)
            unit->followers->Add(reinterpret_cast<uintptr_t>(new NotedTroop(deleted)));
        sub.units.Add(reinterpret_cast<uintptr_t>(unit));
    }
    sub.DeleteUnits();
    EXPECT_EQ(deleted, 8);
    EXPECT_EQ(sub.units.GetCount(), 0);
}

} // namespace
