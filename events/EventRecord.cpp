#include "events/EventRecord.h"

#include "engine/ByteReader.h"
#include "events/EventStep.h"

#include <algorithm>

namespace {
// Nineteen words in the schema; the sound word after them has no column.
constexpr auto kSchemaWords = MakeSchemaWords<15>(19, std::array<TextColumn, 1>{{{0, 5}}});
static_assert(SchemaFieldDwords(kSchemaWords) == 19);
const FieldSchema kSchema{kSchemaWords};

const char kNewStepName[] = "\xb7\x73\xbc\x57\xac\x79\xb5\x7b"; // 新增流程
} // namespace

const char* const EventColumnNames[15] = {
    "\xa8\xc6\xa5\xf3\xa6\x57\xba\xd9", // 事件名稱
    "\xa8\xc6\xa5\xf3"
    "id",                               // 事件id
    "\xb1\xf8\xa5\xf3\xa5\x4e\xb8\xb9", // 條件代號
    "\xa4\x40\xaf\xeb"
    "id",                                // 一般id
    "\xaf\x53\xa9\x77\xb0\xea,\xb1\x4e", // 特定國,將
    "\xa8\xc6\xa5\xf3\xb5\xb2\xa7\xf4",  // 事件結束
    "\xb0\xd1\xbc\xc6"
    "1", // 參數1
    "\xb0\xd1\xbc\xc6"
    "2", // 參數2
    "\xb0\xd1\xbc\xc6"
    "3", // 參數3
    "\xb0\xd1\xbc\xc6"
    "4", // 參數4
    "\xb0\xd1\xbc\xc6"
    "5", // 參數5
    "\xb0\xd1\xbc\xc6"
    "6",                                                // 參數6
    "\xa8\xfa\xae\xf8\xac\x59\xa4\x40\xa8\xc6\xa5\xf3", // 取消某一事件
    "\xb6\x7d\xb1\xd2\xa8\xc6\xa5\xf3\xc0\xcb\xac\x64", // 開啟事件檢查
    "\xb4\x60\xc0\xf4\xa8\xc6\xa5\xf3",                 // 循環事件
};

namespace events {

EventRecord::EventRecord() {
    InitRecord(kSchema, EventColumnNames, kSize);
    childList = &steps;
}

EventRecord::~EventRecord() {
    for (uintptr_t v = steps.First(); v != 0; v = steps.Next())
        delete reinterpret_cast<EventStep*>(v);
    steps.RemoveAll();
}

RootObject* EventRecord::NewChild(int) {
    return NewStep() ? reinterpret_cast<EventStep*>(steps.Last()) : nullptr;
}

void EventRecord::RemoveChild(int, RootObject* child) {
    RemoveStep(static_cast<EventStep*>(child));
}

int EventRecord::RefreshChild(int, RootObject*) {
    return 0;
}

RootObject* EventRecord::CreateChild(int) {
    return new EventStep;
}

int EventRecord::NewStep() {
    auto* step = new EventStep;
    step->SetText(EventStepLayout::kName, EventStepLayout::kNameBytes, kNewStepName);
    steps.Last();
    const int added = steps.Add(reinterpret_cast<uintptr_t>(step));
    if (!added) delete step;
    return added;
}

void EventRecord::RemoveStep(EventStep* step) {
    if (step && steps.RemoveValue(reinterpret_cast<uintptr_t>(step))) delete step;
}

int EventRecord::Save(ByteWriter& out) const {
    out.u32(BlockBytes());
    out.u32(static_cast<uint32_t>(steps.GetCount()));
    out.bytes(block, BlockBytes());
    auto& list = const_cast<LinkList&>(steps);
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        reinterpret_cast<const EventStep*>(v)->DataSet::Save(out);
    return 1;
}

int EventRecord::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    const uint32_t count = in.u32();
    if (!in.ok() || length > kMaxRecordBytes || !in.has(length)) return 0;
    // Each step takes at least its length word.
    if (count > kMaxSteps || count > (in.remaining() - length) / 4) return 0;
    TakeBlock(in, length);
    for (uint32_t i = 0; i < count; ++i) {
        auto* step = new EventStep;
        if (!step->DataSet::Load(in)) {
            delete step;
            return 0;
        }
        steps.Last();
        steps.Add(reinterpret_cast<uintptr_t>(step));
    }
    return 1;
}

int32_t EventRecord::Param(int n) const {
    if (n < 1 || n > 6) return 0;
    return Int(EventLayout::kParam1 + 4 * static_cast<uint32_t>(n - 1));
}

void EventRecord::SetParam(int n, int32_t value) {
    if (n >= 1 && n <= 6) SetInt(EventLayout::kParam1 + 4 * static_cast<uint32_t>(n - 1), value);
}

} // namespace events
