#pragma once

#include <cstdint>
#include <span>
#include <string>

// One of the controller's two talk tables: 300 texts (zero-terminated Big5, owned, allocated
// with new[]) and their talk numbers; an empty entry has no text and the number 99999.
struct TalkTable {
    static constexpr int kEntries = 300;
    static constexpr int32_t kEmptyNumber = 99999;
    static constexpr int kMaxTextBytes = 1023;
    uint8_t** texts;
    int32_t* numbers;
};

// Frees every text of the table and marks each entry empty.
void ClearTalkTable(TalkTable table);
// Empties the table and fills it from the bytes of a talk file ("#number", a line end, the text
// up to the next "#"); returns the number of texts stored.
int ReadTalkFile(std::span<const uint8_t> bytes, TalkTable table);

// The stage's talk file for a campaign stage number ("Talk01.txt" for stages 1..4 and for
// numbers without a two-digit name).
std::string StageTalkFileName(int32_t campaignStage);
