#include "events/EventStep.h"

namespace {
// Fifteen words in the schema; the block's last word has a name but no column.
constexpr auto kSchemaWords = MakeSchemaWords<11>(15, std::array<TextColumn, 1>{{{0, 5}}});
static_assert(SchemaFieldDwords(kSchemaWords) == 15);
const FieldSchema kSchema{kSchemaWords};
} // namespace

const char* const EventStepColumnNames[12] = {
    "\xac\x79\xb5\x7b\xa6\x57",         // 流程名
    "\xa8\xc6\xa5\xf3\xba\xd8\xc3\xfe", // 事件種類
    "\xa4\x40\xaf\xeb"
    "id", // 一般id
    "\xb9\xef\xb6\x48"
    "id", // 對象id
    "\xb0\xd1\xbc\xc6"
    "1", // 參數1
    "\xb0\xd1\xbc\xc6"
    "2", // 參數2
    "\xb0\xd1\xbc\xc6"
    "3", // 參數3
    "\xb0\xd1\xbc\xc6"
    "4", // 參數4
    "\xb0\xd1\xbc\xc6"
    "5",                                // 參數5
    "\xa7\x40\xa4\xb0\xbb\xf2",         // 作什麼
    "\xb5\xb2\xa7\xf4\xb1\xf8\xa5\xf3", // 結束條件
    "\xbc\x76\xc5\x54"
    "id"
    "\xb5\xb2\xaa\x47", // 影響id結果
};

EventStep::EventStep() {
    InitRecord(kSchema, EventStepColumnNames, kSize);
}

EventStep::~EventStep() = default;

RootObject* EventStep::CreateChild(int) {
    return new EventStep;
}

int32_t EventStep::Param(int n) const {
    if (n < 1 || n > 5) return 0;
    return Int(EventStepLayout::kParam1 + 4 * static_cast<uint32_t>(n - 1));
}

void EventStep::SetParam(int n, int32_t value) {
    if (n >= 1 && n <= 5) SetInt(EventStepLayout::kParam1 + 4u * uint32_t(n - 1), value);
}
