#pragma once

#include "records/DataSet.h"

#include <cstdint>

// Byte offsets of a step block's words.
struct EventStepLayout {
    static constexpr uint32_t kName = 0; // "流程名"
    static constexpr uint32_t kNameBytes = 20;
    static constexpr uint32_t kCode = 20;     // "事件種類"
    static constexpr uint32_t kGeneral = 24;  // "一般id"
    static constexpr uint32_t kTarget = 28;   // "對象id"
    static constexpr uint32_t kParam1 = 32;   // "參數1" .. "參數5" follow word by word
    static constexpr uint32_t kWhat = 52;     // "作什麼"
    static constexpr uint32_t kEndSound = 56; // "結束條件"
    static constexpr uint32_t kResult = 60;   // "影響id結果": kept although no command reads it
};

// One command of an event script.
class EventStep : public DataSet {
public:
    static constexpr uint32_t kSize = 64;

    EventStep();
    ~EventStep() override;

    RootObject* CreateChild(int kind) override;

    // The parameter n (1..5), 0 outside.
    int32_t Param(int n) const;
    // Nothing outside 1..5.
    void SetParam(int n, int32_t value);
};

extern const char* const EventStepColumnNames[12];
