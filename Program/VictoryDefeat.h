#pragma once

#include <cstddef>
#include <cstdint>

class Zu_StageSet;

// Game-record ids of the stage outcome and the caravan goods.
constexpr uint32_t kRecordRandomGear = 0x302;
constexpr uint32_t kRecordStageWinner = 0x805;
constexpr uint32_t kRecordTeamWinner = 0x806;

// Applies a code-32 game record of the stage received from the host: 0x302 (caravan goods),
// 0x805 (winner side or none) and 0x806 (winning group). Unknown or short records are ignored;
// returns 1 when applied.
int ApplyStageRecord(Zu_StageSet* stage, const uint8_t* data, size_t size);

// Stops and releases the music stream if one exists.
void StopBattleMusic();
