#include "events/EventFile.h"
#include "engine/ByteReader.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"
#include "fuzz/seeds/builders/EventFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using events::EventRecord;
using namespace eventfix;

namespace {

std::vector<EventRecord*> Records(LinkList& list) {
    std::vector<EventRecord*> out;
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        out.push_back(reinterpret_cast<EventRecord*>(v));
    return out;
}

std::vector<EventStep*> Steps(EventRecord& e) {
    std::vector<EventStep*> out;
    for (uintptr_t v = e.steps.First(); v != 0; v = e.steps.Next())
        out.push_back(reinterpret_cast<EventStep*>(v));
    return out;
}

struct EventList {
    LinkList list;
    ~EventList() { DeleteEvents(list); }
};

} // namespace

TEST(EventFileTest, ReadsEventsAndStepsInOrderAndWritesTheSameBytes) {
    const std::vector<uint8_t> file = TwoEvents();
    ASSERT_EQ(file.size(), 4u + 88 + 292);
    EventList events;
    ASSERT_EQ(ReadEventFile(file, events.list), 1);
    auto records = Records(events.list);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->Caption(), "ev");
    EXPECT_EQ(records[0]->Id(), 1005);
    EXPECT_EQ(records[0]->Int(EventLayout::kEventSound), 1019);
    EXPECT_EQ(records[0]->steps.GetCount(), 0);
    auto steps = Steps(*records[1]);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0]->Caption(), "a");
    EXPECT_EQ(steps[1]->Int(EventStepLayout::kTarget), 27);
    EXPECT_EQ(steps[2]->Int(EventStepLayout::kResult), 45); // the word no column shows

    ByteWriter out;
    WriteEventFile(events.list, out);
    EXPECT_EQ(out.buffer(), file);

    testsupport::TempFolder dir;
    ASSERT_EQ(SaveEventFile("Stage\\S01.evt", events.list), 0); // no such folder: refused
    std::filesystem::create_directory("Stage");
    ASSERT_EQ(SaveEventFile("Stage\\S01.evt", events.list), 1);
    EventList again;
    ASSERT_EQ(LoadEventFile("stage\\s01.EVT", again.list), 1);
    ByteWriter back;
    WriteEventFile(again.list, back);
    EXPECT_EQ(back.buffer(), file);
}

TEST(EventFileTest, ShorterBlocksLoadZeroFilledAndLongerOnesSkipTheirTail) {
    std::vector<uint8_t> f;
    PutU32(f, 2);
    PutEvent(f, 60, {Block(40, 50, "s")}, 3000); // older records
    PutEvent(f, 96, {Block(80, 70, "t")}, 4000); // newer records with words we do not know
    EventList events;
    ASSERT_EQ(ReadEventFile(f, events.list), 1);
    auto records = Records(events.list);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->Param(4), 3013);
    EXPECT_EQ(records[0]->Param(5), 3014);
    EXPECT_EQ(records[0]->Param(6), 0);
    EXPECT_EQ(records[0]->Int(EventLayout::kEventSound), 0);
    EXPECT_EQ(Steps(*records[0])[0]->Int(EventStepLayout::kParam1), 58);
    EXPECT_EQ(Steps(*records[0])[0]->Int(EventStepLayout::kWhat), 0);
    EXPECT_EQ(records[1]->Int(EventLayout::kEventSound), 4019);
    EXPECT_EQ(Steps(*records[1])[0]->Int(EventStepLayout::kResult), 85);
    // Written back in today's sizes.
    ByteWriter out;
    WriteEventFile(events.list, out);
    EXPECT_EQ(out.size(), 4u + (88 + 68) * 2);
}

TEST(EventFileTest, DamagedFilesAreRefusedAndLeaveTheListAsItWas) {
    const std::vector<uint8_t> good = TwoEvents();
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"cut in the count", {2, 0}});
    cases.push_back({"cut in the last step", std::vector<uint8_t>(good.begin(), good.end() - 1)});
    cases.push_back({"cut after the first event", std::vector<uint8_t>(good.begin(), good.begin() + 92)});
    auto hugeCount = good;
    hugeCount[0] = hugeCount[1] = hugeCount[2] = 0xff;
    hugeCount[3] = 0x7f;
    cases.push_back({"event count beyond the file", hugeCount});
    auto hugeSteps = good;
    hugeSteps[4 + 88 + 4] = 0xff;
    hugeSteps[4 + 88 + 7] = 0x7f;
    cases.push_back({"step count beyond the file", hugeSteps});
    auto negativeLength = good;
    negativeLength[4 + 3] = 0xff;
    cases.push_back({"negative block length", negativeLength});
    auto stepLength = good;
    stepLength[4 + 88 + 88] = 0xf0;
    stepLength[4 + 88 + 88 + 1] = 0xff;
    cases.push_back({"step length beyond the file", stepLength});

    for (const Case& c : cases) {
        EventList events;
        auto* kept = new EventRecord;
        events.list.Add(reinterpret_cast<uintptr_t>(kept));
        EXPECT_EQ(ReadEventFile(c.bytes, events.list), 0) << c.what;
        EXPECT_EQ(events.list.GetCount(), 1) << c.what;
    }
    EventList none;
    testsupport::TempFolder dir;
    EXPECT_EQ(LoadEventFile("missing.evt", none.list), 0);
}

// A file written over a longer one keeps the old tail; its events are read all the same.
TEST(EventFileTest, BytesAfterTheLastEventAreAnOldTailAndTheEventsLoad) {
    std::vector<uint8_t> bytes = TwoEvents();
    const std::vector<uint8_t> tail = TwoEvents();
    bytes.insert(bytes.end(), tail.begin() + 4, tail.end() - 9);
    EventList events;
    EXPECT_EQ(ReadEventFile(bytes, events.list), 1);
    ASSERT_EQ(events.list.GetCount(), 2);
    ByteWriter out;
    WriteEventFile(events.list, out);
    EXPECT_EQ(out.buffer(), TwoEvents());
}

TEST(EventRecordTest, EditorMadeStepsAndTheRecordsOwnTheirSteps) {
    EventRecord e;
    EXPECT_EQ(e.schema.BlockDwords(), 19u);
    EXPECT_EQ(e.schema.FieldCount(), 15u);
    EXPECT_EQ(e.BlockBytes(), 80u);
    EXPECT_EQ(e.childList, &e.steps);
    auto* first = static_cast<EventStep*>(e.NewChild(0));
    auto* second = static_cast<EventStep*>(e.NewChild(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Caption(), "\xb7\x73\xbc\x57\xac\x79\xb5\x7b"); // "新增流程"
    for (uint32_t off = 20; off < 64; off += 4)
        EXPECT_EQ(first->Int(off), 0) << off;
    EXPECT_EQ(first->schema.BlockDwords(), 15u);
    EXPECT_EQ(first->schema.FieldCount(), 11u);
    EXPECT_EQ(Steps(e), (std::vector<EventStep*>{first, second})); // appended at the end
    e.RemoveChild(0, first);
    EXPECT_EQ(Steps(e), (std::vector<EventStep*>{second}));
    std::string header;
    first = static_cast<EventStep*>(e.CreateChild(0));
    first->WriteTextHeader(header);
    delete first;
    EXPECT_EQ(header.substr(0, 7), "\xac\x79\xb5\x7b\xa6\x57\t"); // "流程名"
    // The second step goes with the record (the leak checker watches).
}

TEST(HistoryTextTest, LinesBecomeEndedOrArmedEventsAndReplaceOlderOnes) {
    EventList events;
    auto* old = new EventRecord;
    old->SetInt(EventLayout::kCode, kHistoryCode);
    auto* script = new EventRecord;
    script->SetInt(EventLayout::kCode, 10);
    events.list.Add(reinterpret_cast<uintptr_t>(script));
    events.list.First();
    events.list.Add(reinterpret_cast<uintptr_t>(old));
    const std::string text = "header line 1 2 3\r\n"
                             "\xa6\x77\xa6\x77 7 4 1 2 3 5 6\r\n"
                             "AVeryLongHistoryNameBeyondTwenty 8 0x10 1\r\n"
                             "\r\n"
                             "Short 9";
    const int added = ReadHistoryText(text, events.list, [](int32_t id) { return id == 8; });
    EXPECT_EQ(added, 3);
    auto records = Records(events.list);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], script);
    EXPECT_EQ(records[1]->Caption(), "\xa6\x77\xa6\x77");
    EXPECT_EQ(records[1]->Code(), kHistoryCode);
    EXPECT_EQ(records[1]->Int(EventLayout::kGeneral), 7);
    const int32_t params[6] = {1, 2, 3, 4, 5, 6};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(records[1]->Param(n), params[n - 1]) << n;
    EXPECT_EQ(records[1]->EndState(), kEventArmed);
    EXPECT_EQ(records[2]->Caption(), "AVeryLongHistoryNam"); // cut to the field
    EXPECT_EQ(records[2]->Int(EventLayout::kGeneral), 8);
    EXPECT_EQ(records[2]->Param(4), 16);
    EXPECT_EQ(records[2]->Param(1), 1);
    EXPECT_EQ(records[2]->EndState(), kEventEnded);
    EXPECT_EQ(records[3]->Caption(), "Short");
    EXPECT_EQ(records[3]->Param(1), 0);
    // Read again: the history events are replaced, not doubled.
    EXPECT_EQ(ReadHistoryText(text, events.list, nullptr), 3);
    EXPECT_EQ(events.list.GetCount(), 4);
}
