#include "Program/CodeLine.h"
#include "Program/StageCalendar.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "gui/MouseCursor.h"
#include "net/CityValueCommand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/main/Win01Window.h"
#include "world/BattleMap.h"

#include <cstring>
#include <string>
#include <vector>

CodeLine TheCodeLine;
uint8_t AllStagesOpen = 0;
int16_t SkillDamageOff = 0;
int16_t TerrainOverlay = 0;

namespace {

constexpr int kMaxLength = 62;

constexpr const char* kCodes[15] = {"qqq",       "plumb",    "vexil",   "tumbleaf", "gravlin",
                                    "morrowax",  "quillfor", "brisko",  "larkspin", "zephod",
                                    "4dunmoth7", "gruel",    "skyvane", "wombe",    "drumwillow"};

// Takes the troop off the map, out of every list and holder, then deletes it.
void DeleteTroop(Troop* t) {
    if (!t) return;
    if (TheGameController) TheGameController->DeselectTroop(t);
    if (TheBattleMap) TheBattleMap->ForgetTroop(t);
    delete t;
}

void RunCode(GameController& c, int code, City* city) {
    const bool confirm = code <= 10;
    switch (code) {
    case 0:
        if (TheBattleMap) {
            const int32_t k = PlayerKingdom();
            if (k >= 0 && k < BattleMap::kSides) TheBattleMap->sideActive[k] ^= 1;
        }
        break;
    case 1:
        c.RevealMap();
        break;
    case 2:
        c.playerTruce = c.playerTruce ? 0 : 1;
        break;
    case 3:
        AllStagesOpen = 1;
        break;
    case 4:
        CalendarFrozen = CalendarFrozen ? 0 : 1;
        break;
    case 5:
        if (city) city->ApplyUpgrade();
        break;
    case 6:
        SkillDamageOff = SkillDamageOff ? 0 : 1;
        break;
    case 7:
    case 8:
    case 9: {
        if (!city) break;
        const uint32_t column = code == 7   ? CityLayout::kGold
                                : code == 8 ? CityLayout::kPopulation
                                            : CityLayout::kFood;
        const int32_t amount = code == 9 ? 5000 : 500;
        const uint32_t mask = code == 7 ? 1u : code == 8 ? 0x40u : 2u;
        // Raised here first, then once more by the command: the code gives twice the amount.
        city->SetInt(column, city->Int(column) + amount);
        NetCmdAddCityValue(city, amount, mask);
        break;
    }
    case 10:
        c.developerKeys = 1;
        break;
    case 11:
        TerrainOverlay = TerrainOverlay ? 0 : 1;
        break;
    case 12:
        if (TheMouseCursor) TheMouseCursor->SetShapeChecked(1);
        if (Zu_StageSet* stage = CurrentStageSet()) stage->result = 1;
        if (TheScreenSettings) TheScreenSettings->battleEnded = 1;
        c.running = 1;
        break;
    case 14:
        if (c.selection)
            for (Troop* t : ListValues<Troop>(*c.selection))
                RaiseToNextLevel(t, c.gameKind);
        break;
    default:
        break;
    }
    if (confirm) PlaySoundEffect(55);
}

} // namespace

void OpenCodeLine() {
    PlaySoundEffect(38);
    TheCodeLine.open = 1;
    TheCodeLine.length = 0;
    std::memset(TheCodeLine.buffer, 0, sizeof TheCodeLine.buffer);
}

void RaiseToNextLevel(Troop* t, int32_t gameKind) {
    if (!t || !t->officer) return;
    const int32_t* table = gameKind == 0 ? GameParams().General_Level_up_Ref : GameParams().unifiedLevelExp;
    const int32_t experience = t->officer->Get(OfficerLayout::kExperience);
    for (int i = 0; i < 29; ++i)
        if (table[i] > experience) {
            t->officer->UpdateExperience(t->owner, t->homeCity, t->garrison, table[i] - experience);
            return;
        }
}

void GameController::OnCodeChar(uint32_t character) {
    CodeLine& line = TheCodeLine;
    if (!line.open) return;
    const char ch = static_cast<char>(character & 0xFF);
    if (ch == 8) {
        if (line.length > 0) line.buffer[--line.length] = 0;
    } else if (ch == 13) {
        line.open = 0;
        for (int i = 0; i < line.length; ++i)
            if (line.buffer[i] >= 'A' && line.buffer[i] <= 'Z') line.buffer[i] = char(line.buffer[i] + 32);
        if (mode == 0) {
            if (std::strcmp(line.buffer, kCodes[3]) == 0) {
                AllStagesOpen = 1;
                PlaySoundEffect(55);
            }
        } else if (mode == 1) {
            City* city = gameScreen ? selectedCity : nullptr;
            for (int code = 0; code < 15; ++code)
                if (std::strcmp(line.buffer, kCodes[code]) == 0) {
                    RunCode(*this, code, city);
                    break;
                }
        }
        std::memset(line.buffer, 0, sizeof line.buffer);
        line.length = 0;
    } else if (line.length < kMaxLength) {
        line.buffer[line.length++] = ch;
        line.buffer[line.length] = 0;
    }
    // The typed text with a blinking cursor.
    std::string shown(line.buffer);
    if (TheScreenSettings && TheScreenSettings->runningFrameCounter.load() % 8 < 4) shown += '_';
    ShowStatusText(shown.c_str());
}

void GameController::WipeOutKingdom(Kingdom* kingdom) {
    if (!kingdom) return;
    for (Troop* t : ListValues<Troop>(kingdom->fieldUnits)) {
        kingdom->fieldUnits.RemoveValue(uintptr_t(t));
        DeleteTroop(t);
    }
    for (City* city : ListValues<City>(kingdom->cities)) {
        for (Troop*& slot : city->towers)
            slot = nullptr;
        for (Troop*& slot : city->garrison)
            slot = nullptr;
        for (Troop* t : ListValues<Troop>(city->units)) {
            city->units.RemoveValue(uintptr_t(t));
            DeleteTroop(t);
        }
        for (SubCastle* sc : ListValues<SubCastle>(city->subCastles))
            for (Troop* t : ListValues<Troop>(sc->units))
                if (t->owner == kingdom->nationIndex) {
                    sc->units.RemoveValue(uintptr_t(t));
                    DeleteTroop(t);
                }
        kingdom->RemoveCity(city);
        // The city stays on the map; without a kingdom the map's unowned list keeps it.
        if (TheBattleMap) TheBattleMap->unownedCities.Add(city);
    }
}

void GameController::WipeOutNonAlliedKingdoms() {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage || !stage->kingdoms) return;
    const int32_t player = PlayerKingdom();
    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms))
        if (KingdomRelation(k->nationIndex, player) != 1) WipeOutKingdom(k);
}
