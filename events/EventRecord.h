#pragma once

#include "engine/LinkList.h"
#include "records/DataSet.h"

#include <cstdint>

class ByteReader;
class ByteWriter;
class EventStep;

// Byte offsets of an event block's words.
struct EventLayout {
    static constexpr uint32_t kName = 0; // "事件名稱"
    static constexpr uint32_t kNameBytes = 20;
    static constexpr uint32_t kId = 20;         // "事件id"
    static constexpr uint32_t kCode = 24;       // "條件代號"
    static constexpr uint32_t kGeneral = 28;    // "一般id"
    static constexpr uint32_t kSpecific = 32;   // "特定國,將"
    static constexpr uint32_t kEnd = 36;        // "事件結束"
    static constexpr uint32_t kParam1 = 40;     // "參數1" .. "參數6" follow word by word
    static constexpr uint32_t kCancel = 64;     // "取消某一事件"
    static constexpr uint32_t kReopen = 68;     // "開啟事件檢查"
    static constexpr uint32_t kLoop = 72;       // "循環事件"
    static constexpr uint32_t kEventSound = 76; // no column
};

// End states of an event.
constexpr int32_t kEventArmed = 0;
constexpr int32_t kEventEnded = 1;
constexpr int32_t kEventFired = 100;

// Condition codes with a meaning outside the trigger tests.
constexpr int32_t kOpeningCode = 100;
constexpr int32_t kObjectiveCode = 101;
constexpr int32_t kHistoryCode = 55;

namespace events {

// One scripted event of a stage: its trigger, its end state and its ordered steps, which it owns.
class EventRecord : public DataSet {
public:
    static constexpr uint32_t kSize = 80;
    static constexpr uint32_t kStepFileBytes = 4 + 64;
    // No stage scripts this many steps; a larger count is a damaged file.
    static constexpr uint32_t kMaxSteps = 4096;

    EventRecord();
    ~EventRecord() override;

    RootObject* NewChild(int kind) override;
    void RemoveChild(int kind, RootObject* child) override;
    int RefreshChild(int kind, RootObject* child) override;
    RootObject* CreateChild(int kind) override;

    // Appends a zeroed step named "新增流程"; the list's add result.
    int NewStep();
    void RemoveStep(EventStep* step);

    // u32 block length, u32 step count, the block, then each step as {u32 length, block}.
    int Save(ByteWriter& out) const;
    // The steps read are appended to the step list. 0 when the record is damaged: a length or
    // count the remaining bytes cannot hold, or bytes that run out; the block is then as read so
    // far and the caller drops the record.
    int Load(ByteReader& in);

    int32_t Id() const { return Int(EventLayout::kId); }
    int32_t Code() const { return Int(EventLayout::kCode); }
    int32_t EndState() const { return Int(EventLayout::kEnd); }
    void SetEndState(int32_t value) { SetInt(EventLayout::kEnd, value); }
    // The parameter n (1..6), 0 outside.
    int32_t Param(int n) const;
    void SetParam(int n, int32_t value);

    LinkList steps; // EventStep*, owned
};

} // namespace events

extern const char* const EventColumnNames[15];
