#include "stagefiles/StageOfficer.h"
#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "support/StageBytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using testsupport::StageBytes;
using L = OfficerLayout;

namespace {

class StageOfficerTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameParams() = GameParameters();
        TheScreenSettings = &settings;
        TheGameController = &controller;
    }
    void TearDown() override {
        ClearRecordTables();
        TheGameController = nullptr;
        TheScreenSettings = nullptr;
    }
    // General template n (person number n) with a name and some stats.
    OfficerRecord& Template(int n) {
        auto& t = templates.emplace_back(std::make_unique<OfficerRecord>(100, -1));
        t->SetText(L::kName, L::kNameBytes, "Tmpl");
        t->Set(L::kPersonNumber, n);
        t->Set(L::kClass, 7);
        t->Set(L::kPortrait, 70 + n);
        t->Set(L::kSoldierType, 12);
        t->Set(L::kAttribute, 1);
        t->Set(L::kLevel, 9);
        for (uint32_t at = L::kStrength; at <= L::kMaxMp; at += 4)
            t->Set(at, int32_t(at));
        GeneralTemplateTable[n] = t->block;
        GeneralTemplateCount = std::max(GeneralTemplateCount, n + 1);
        return *t;
    }
    static std::vector<uint8_t> Saved(const OfficerRecord& o) {
        StageWriter out;
        SaveStageOfficer(out, o);
        return out.bytes();
    }
    std::unique_ptr<OfficerRecord> Load(const std::vector<uint8_t>& bytes, StageLoadMode mode,
                                        bool* ok = nullptr) {
        auto o = std::make_unique<OfficerRecord>(100, -1);
        StageReader in(bytes, mode);
        const bool good = LoadStageOfficer(in, *o);
        if (ok) *ok = good;
        return o;
    }

    ScreenSettings settings;
    GameController controller;
    std::vector<std::unique_ptr<OfficerRecord>> templates;
};

// Every object word lands at its place in the state block, after the length 56, and the data
// block follows as the record framework writes it.
TEST_F(StageOfficerTest, StateBlockLayout) {
    OfficerRecord o(3, -1);
    struct Field {
        const char* name;
        uint32_t offset;
        int width;
        uint32_t value;
        std::function<void(OfficerRecord&, uint32_t)> set;
    };
    const Field fields[] = {
        {"status word", 0, 4, 0x11111111, [](OfficerRecord& r, uint32_t v) { r.workWords[0] = int32_t(v); }},
        {"terrain status", 4, 4, 0x22222222,
         [](OfficerRecord& r, uint32_t v) { r.workWords[1] = int32_t(v); }},
        {"terrain mirror", 8, 4, 0x33333333,
         [](OfficerRecord& r, uint32_t v) { r.workWords[2] = int32_t(v); }},
        {"terrain ticks", 12, 4, 0x44444444,
         [](OfficerRecord& r, uint32_t v) { r.workWords[3] = int32_t(v); }},
        {"activity 0", 16, 4, 0x55555555, [](OfficerRecord& r, uint32_t v) { r.activity[0] = int32_t(v); }},
        {"serial", 24, 4, 0x66666666, [](OfficerRecord& r, uint32_t v) { r.serial = v; }},
        {"activity 1", 32, 4, 0x77777777, [](OfficerRecord& r, uint32_t v) { r.activity[1] = int32_t(v); }},
        {"experience copy", 36, 4, 0x01020304,
         [](OfficerRecord& r, uint32_t v) { r.bonusExperience = int32_t(v); }},
        {"counter 0", 40, 2, 0x0A0B, [](OfficerRecord& r, uint32_t v) { r.workCounters[0] = int16_t(v); }},
        {"counter 1", 42, 2, 0x0C0D, [](OfficerRecord& r, uint32_t v) { r.workCounters[1] = int16_t(v); }},
        {"counter 2", 44, 2, 0x0E0F, [](OfficerRecord& r, uint32_t v) { r.workCounters[2] = int16_t(v); }},
        {"owner side", 48, 4, 0x00000042, [](OfficerRecord& r, uint32_t v) { r.ownerSide = int32_t(v); }},
        {"activity 2", 52, 4, 0x08090A0B, [](OfficerRecord& r, uint32_t v) { r.activity[2] = int32_t(v); }},
    };
    for (const Field& f : fields)
        f.set(o, f.value);
    o.reference = 0x5A5A5A5A; // not carried
    o.moreWords[0] = o.moreWords[1] = 0x5A5A5A5A;
    o.Set(L::kLevel, 4);
    const std::vector<uint8_t> b = Saved(o);
    ASSERT_EQ(b.size(), 4u + 56 + 4 + 432);
    EXPECT_EQ(StageBytes::Field(b, 0, 4), 56u);
    std::array<bool, 56> named{};
    for (const Field& f : fields) {
        EXPECT_EQ(StageBytes::Field(b, 4 + f.offset, f.width), f.value) << f.name;
        for (int i = 0; i < f.width; ++i)
            named[f.offset + size_t(i)] = true;
    }
    for (size_t i = 0; i < 56; ++i)
        if (!named[i]) EXPECT_EQ(b[4 + i], 0) << "reserved byte " << i;
    EXPECT_EQ(StageBytes::Field(b, 60, 4), 432u);
    EXPECT_EQ(0, std::memcmp(b.data() + 64, o.block, 432));
}

// A save restore keeps every stored word and the serial; the state block may be shorter or
// longer than 56 bytes, and writing the officer back gives the 56-byte form of what was kept.
TEST_F(StageOfficerTest, RestoreRoundTripsStateBlocksOfEveryLength) {
    OfficerRecord source(5, -1);
    source.Set(L::kLevel, 7);
    source.Set(L::kPersonNumber, 250); // names no template: nothing is refreshed
    source.Set(L::kEscorts + 4, 0);
    source.UpdateRank(0);
    const std::vector<uint8_t> canonical = Saved(source);
    std::vector<uint8_t> data(canonical.begin() + 60, canonical.end());
    std::vector<uint8_t> state(56);
    for (size_t i = 0; i < state.size(); ++i)
        state[i] = uint8_t(i * 7 + 1);
    for (size_t length : {size_t(40), size_t(56), size_t(80)}) {
        std::vector<uint8_t> stored(length);
        for (size_t i = 0; i < length; ++i)
            stored[i] = i < 56 ? state[i] : 0xEE;
        StageBytes file;
        file.sized(stored).bytes(data).u32(0xC0FFEE);
        auto o = std::make_unique<OfficerRecord>(100, -1);
        StageReader in(file, StageLoadMode::Restore);
        ASSERT_TRUE(LoadStageOfficer(in, *o)) << length;
        EXPECT_EQ(in.u32(), 0xC0FFEEu) << length << ": the next field follows the record";

        std::vector<uint8_t> expected = StageBytes().u32(56).data();
        for (size_t i = 0; i < 56; ++i)
            expected.push_back(i < length ? state[i] : 0);
        // Reserved bytes are written as zero.
        for (size_t i : {20, 21, 22, 23, 28, 29, 30, 31, 46, 47})
            expected[4 + i] = 0;
        expected.insert(expected.end(), data.begin(), data.end());
        EXPECT_EQ(Saved(*o), expected) << length;
        EXPECT_EQ(o->serial, length > 24 ? StageBytes::Field(expected, 4 + 24, 4) : 0u) << length;
    }
}

// A fresh stage rebuilds the officer: its new serial, its template's looks and name, experience
// by level, progress words cleared, and the kind-2 officers' level and stats from the template.
TEST_F(StageOfficerTest, FreshStageRebuildsTheOfficerFromItsTemplate) {
    Template(1);
    Template(2);
    OfficerRecord& kind2 = Template(3);
    kind2.Set(L::kAttribute, 2);
    struct Case {
        int person;
        int level;
        int32_t experience;
    };
    const Case cases[] = {{1, 1, 0}, {1, 5, 675}, {2, 6, 1013}, {1, 30, 17044539}, {3, 5, 675}};
    for (const Case& c : cases) {
        OfficerRecord stored(9, -1);
        stored.Set(L::kPersonNumber, c.person);
        stored.Set(L::kLevel, c.level);
        stored.Set(L::kExperience, 123456);
        stored.Set(L::kLord, 4);
        stored.Set(L::kAttribute, 1);
        stored.Set(StageOfficerColumns::kCommand, 77);
        stored.SetText(L::kName, L::kNameBytes, "Stored");
        for (int i = 0; i < 4; ++i)
            stored.workWords[i] = 10 + i;
        stored.activity[0] = stored.activity[1] = stored.activity[2] = 5;
        stored.workCounters[0] = stored.workCounters[1] = 6;
        stored.serial = 4242;
        settings.serialCounter = 900;
        auto o = Load(Saved(stored), StageLoadMode::Fresh);
        const std::string label = "person " + std::to_string(c.person) + " level " + std::to_string(c.level);
        EXPECT_EQ(o->serial, 900u) << label;
        // A kind-2 officer then takes the template's stats, experience among them.
        if (c.person != 3) EXPECT_EQ(o->Get(L::kExperience), c.experience) << label;
        EXPECT_EQ(o->bonusExperience, c.experience) << label;
        EXPECT_EQ(o->Get(L::kLord), 0) << label;
        EXPECT_EQ(o->Name(), "Tmpl") << label;
        EXPECT_EQ(o->Get(L::kPortrait), 70 + c.person) << label;
        EXPECT_EQ(o->Get(L::kSoldierType), 12) << label;
        EXPECT_EQ(o->Get(StageOfficerColumns::kCommand), 77) << label;
        EXPECT_EQ(o->workWords[0], 10) << label;
        EXPECT_EQ(o->workWords[1] + o->workWords[2] + o->workWords[3], 0) << label;
        EXPECT_EQ(o->activity[0] + o->activity[1] + o->activity[2], 0) << label;
        EXPECT_EQ(o->reference, -1) << label;
        EXPECT_EQ(o->workCounters[0], 0) << label;
        EXPECT_EQ(o->workCounters[1], 6) << label;
        if (c.person == 3) {
            EXPECT_EQ(o->Get(L::kAttribute), 2);
            EXPECT_EQ(o->Get(L::kLevel), 9) << "the template's level";
            for (uint32_t at = L::kStrength; at <= L::kMaxMp; at += 4)
                EXPECT_EQ(o->Get(at), int32_t(at)) << "column " << at;
        }
    }
    for (int level = 1; level <= 30; ++level)
        EXPECT_EQ(ExperienceThreshold(level), GameParameters().General_Level_up_Ref[level - 1]) << level;
}

// Escort slots that name no loaded template are emptied in both modes; the others stay.
TEST_F(StageOfficerTest, EscortsOutsideTheTemplatesBecomeZero) {
    for (int n = 1; n <= 4; ++n)
        Template(n);
    OfficerRecord stored(1, -1);
    const int32_t escorts[8] = {1, 4, 5, -3, 600, 0, 2, 1 << 30};
    const int32_t kept[8] = {1, 4, 0, 0, 0, 0, 2, 0};
    for (uint32_t i = 0; i < 8; ++i)
        stored.Set(L::kEscorts + 4 * i, escorts[i]);
    for (StageLoadMode mode : {StageLoadMode::Fresh, StageLoadMode::Restore}) {
        auto o = Load(Saved(stored), mode);
        for (uint32_t i = 0; i < 8; ++i)
            EXPECT_EQ(o->Get(L::kEscorts + 4 * i), kept[i]) << "slot " << i;
    }
}

// A damaged record is an error: the file cut inside the state block or the data block, or a
// state length larger than the file.
TEST_F(StageOfficerTest, DamagedRecordsAreRefused) {
    OfficerRecord source(1, -1);
    const std::vector<uint8_t> whole = Saved(source);
    for (size_t cut :
         {size_t(0), size_t(3), size_t(30), size_t(60), size_t(63), size_t(200), whole.size() - 1}) {
        bool ok = true;
        Load(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)), StageLoadMode::Restore, &ok);
        EXPECT_FALSE(ok) << "cut at " << cut;
    }
    bool ok = true;
    Load(StageBytes().u32(0xFFFFFFF0).zeros(600), StageLoadMode::Fresh, &ok);
    EXPECT_FALSE(ok);
    Load(whole, StageLoadMode::Restore, &ok);
    EXPECT_TRUE(ok);
}

} // namespace
