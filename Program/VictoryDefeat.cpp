#include "Program/VictoryDefeat.h"

#include "Program/BannerWindow.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "Program/StageSet.h"
#include "engine/AviClipManager.h"
#include "engine/ByteReader.h"
#include "engine/MusicPlayer.h"
#include "gui/MouseCursor.h"
#include "gui/Window.h"
#include "net/ChatCommand.h"
#include "net/GameRecordChannel.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/SlotFields.h"
#include "net/room/NetSession.h"
#include "platform/Mutex.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "windows/WindowHosts.h"
#include "windows/main/Win01Window.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>
#include <string>

uint8_t EvaluationDayCounter = 0;

namespace {
// "已戰敗!", "限定時間已到，戰役結束。"
const char kBeaten[] = "\xa4\x77\xbe\xd4\xb1\xd1\x21";
const char kTimeUp[] =
    "\xad\xad\xa9\x77\xae\xc9\xb6\xa1\xa4\x77\xa8\xec\xa1\x41\xbe\xd4\xa7\xd0\xb5\xb2\xa7\xf4\xa1\x43";
constexpr int kGroups = 17;

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

bool Networked() {
    return TheGameController && TheGameController->networked;
}

bool IsHost() {
    return TheGameController && TheGameController->isHost;
}

// The kingdom id and the name of the player in slot i of the controller's player slots.
int32_t SlotSide(int32_t i) {
    return TheGameController ? static_cast<int32_t>(slotfields::Choice(TheGameController->players[i])) : 0;
}

std::string SlotName(int32_t i) {
    return TheGameController ? slotfields::Name(TheGameController->players[i]) : std::string();
}

// The players the session control counts in the room.
int32_t SessionPlayerCount() {
    return TheGameController && TheGameController->session ? TheGameController->session->playerCount : 0;
}

bool MainPanelHost() {
    return MainPanel() != nullptr;
}

Kingdom* SideKingdom(int side) {
    return BattleMap::ValidSide(side) && TheBattleMap ? TheBattleMap->kingdomTable[side] : nullptr;
}

bool HasLivingCommander(LinkList& units) {
    for (uintptr_t v = units.First(); v != 0; v = units.Next()) {
        const OfficerRecord* o = At<Troop>(v)->officer;
        if (o && o->Get(OfficerLayout::kAttribute) == 1 && o->Get(OfficerLayout::kHp) > 0) return true;
    }
    return false;
}

// The peer count, read under the session's mutex.
int32_t PeerCountLocked() {
    platform::HANDLE mutex = platform::CreateMutexA(nullptr, 0, "NetMutex");
    while (mutex && platform::WaitForSingleObject(mutex, 2000) == platform::WAIT_TIMEOUT) {
    }
    const int32_t count = ProgramNetSession().NetPeerCount();
    if (mutex) {
        platform::ReleaseMutex(mutex);
        platform::CloseHandle(mutex);
    }
    return count;
}

int32_t SlotCount(int32_t peers) {
    return std::clamp<int32_t>(peers, 0, 20);
}

std::string RulerName(const Kingdom* k) {
    // The ruler's name from its general template, never past the name column.
    const uint8_t* t = GeneralTemplate(k->PersonNumber());
    if (!t) return "";
    const char* text = reinterpret_cast<const char*>(t + OfficerLayout::kName);
    return std::string(text, strnlen(text, OfficerLayout::kNameBytes));
}
} // namespace

void StopBattleMusic() {
    if (!TheMusicStream) return;
    TheMusicStream->stop();
    TheMusicStream->release();
    TheMusicStream = nullptr;
}

void Zu_StageSet::CheckOutcome() {
    ScreenSettings* s = TheScreenSettings;
    if (s && s->stageEditMode) return;
    GameController* c = TheGameController;
    const int32_t gameKind = c ? c->gameKind : 0;
    const bool networked = Networked();

    ++daysElapsed;
    // Once a script has set a tally, it counts the days toward it.
    if (tallyTarget != 0 && tallyCounter < INT32_MAX) ++tallyCounter;
    ++EvaluationDayCounter;
    const int option = std::clamp<int>(c ? c->actOption : 1, 0, 2);
    const bool evaluationDay = EvaluationDayCounter >= GameParams().Game_Level_Check_Day[option];
    if (evaluationDay) EvaluationDayCounter = 0;

    noEnemyCities = allEnemiesBeaten = victoryReached = 1;
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
        Kingdom* k = At<Kingdom>(v);
        k->TickFieldUnits();
        if (k->beaten == 0 && !HasLivingCommander(k->fieldUnits)) k->beaten = 1;
        k->noCity = 1;
        for (uintptr_t cv = k->cities.First(); cv != 0; cv = k->cities.Next()) {
            City* city = At<City>(cv);
            if (city->Kind() == 0) k->noCity = 0;
            bool governor = false;
            for (uintptr_t sv = city->subCastles.First(); sv != 0; sv = city->subCastles.Next())
                if (At<SubCastle>(sv)->leader) governor = true;
            if (city->totalStrength != 0 || governor) k->beaten = 0;
            city->Update();
            if (evaluationDay) {
                const bool playerRun = BattleMap::ValidSide(city->ownerSide) && TheBattleMap &&
                                       TheBattleMap->sideActive[city->ownerSide] == 0;
                if (playerRun) {
                    if (city->toggleFlag) city->StrategyTurn();
                } else {
                    city->Tick();
                }
            }
        }
        if (k->nationIndex != playerSide && playerKingdom && BattleMap::ValidSide(k->nationIndex) &&
            playerKingdom->relations[k->nationIndex] == 3) {
            const bool hasCity = k->noCity == 0;
            const bool standing = k->beaten == 0;
            if (victoryReached) {
                bool holds;
                if (!networked && gameKind == 0)
                    holds = hasCity || standing;
                else if (!networked)
                    holds = (k->NationKind() < 2 && hasCity) || standing;
                else
                    holds = k->NationKind() < 2 && (hasCity || standing);
                if (holds) victoryReached = 0;
            }
            if (k->NationKind() < 2 && hasCity) noEnemyCities = 0;
            if (k->NationKind() < 2 && standing) allEnemiesBeaten = 0;
        }
        kingdoms->Find(v);
    }

    if (!networked) return;
    const int32_t peers = PeerCountLocked();
    if (gameKind == 2 && result == 0) {
        if (Column(StageBlockLayout::kEndMonth) <= monthsElapsed) {
            // The host decides; the peers follow its record.
            if (IsHost()) {
                SendStageWinner(nullptr);
                EndWithWinner(nullptr);
            }
            return;
        }
        CheckTeamGame(peers);
    } else if (gameKind == 3 && result == 0) {
        CheckAllianceGame(peers);
    }
    if (TheBanner && BannerTicks >= 1 && BannerTicks <= 3) ++BannerTicks;
}

void Zu_StageSet::CheckTeamGame(int32_t peers) {
    const int32_t slots = SlotCount(peers);

    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
        Kingdom* k = At<Kingdom>(v);
        for (uintptr_t cv = k->cities.First(); cv != 0; cv = k->cities.Next()) {
            City* city = At<City>(cv);
            for (uintptr_t u = city->units.First(); u != 0; u = city->units.Next()) {
                Troop* t = At<Troop>(u);
                if (t->officer && t->officer->Get(OfficerLayout::kAttribute) == 1 &&
                    t->officer->Get(OfficerLayout::kHp) > 0)
                    if (Kingdom* own = SideKingdom(t->owner)) own->beaten = 0;
            }
        }
        kingdoms->Find(v);
    }

    int32_t standing[kGroups] = {};
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
        const Kingdom* k = At<Kingdom>(v);
        if (k->NationKind() < 2 && k->beaten == 0 && k->AllianceGroup() >= 0 && k->AllianceGroup() < kGroups)
            ++standing[k->AllianceGroup()];
    }

    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
        Kingdom* k = At<Kingdom>(v);
        if (k->NationKind() >= 2 || k->beaten != 1) continue;
        k->beaten = 2;
        std::string text;
        for (int32_t i = 0; i < slots; ++i)
            if (SlotSide(i) == k->nationIndex) {
                text = SlotName(i);
                break;
            }
        text += RulerName(k);
        text += kBeaten;
        if (MainPanelHost() && IsHost()) {
            MainPanel()->AddChatLine(text.c_str(), 3);
            NetCmdChatText(text.c_str(), 0, false, 0);
        }
    }

    if (!playerKingdom) return;
    const int32_t myTeam = playerKingdom->AllianceGroup();
    const int32_t otherTeam = myTeam == 1 ? 2 : 1;
    bool sameTeam = true;
    bool enemyStanding = false;
    bool ownStanding = false;
    for (int32_t i = 0; i < slots; ++i) {
        const Kingdom* k = SideKingdom(SlotSide(i));
        if (!k || k->NationKind() >= 2) continue;
        if (k->AllianceGroup() != myTeam) {
            sameTeam = false;
            if (k->beaten == 0) enemyStanding = true;
        } else if (k->beaten == 0) {
            ownStanding = true;
        }
    }
    const bool enemiesBeaten = sameTeam ? standing[otherTeam] == 0 : !enemyStanding;
    const bool ownBeaten = !ownStanding;
    if (ownBeaten && result != 4) {
        if (IsHost()) {
            SendTeamWinner(otherTeam);
            EndWithTeamWinner(otherTeam);
        }
    } else if (enemiesBeaten && result != 5) {
        if (IsHost()) {
            SendTeamWinner(myTeam);
            EndWithTeamWinner(myTeam);
        }
    } else if (playerKingdom->noCity && playerKingdom->beaten != 0 && defeatShown != 2) {
        BecomeSpectator(true, peers);
    }
}

void Zu_StageSet::CheckAllianceGame(int32_t peers) {
    const int32_t slots = SlotCount(peers);
    auto survives = [](const Kingdom* k) { return k->NationKind() < 2 && k->beaten == 0; };

    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
        Kingdom* k = At<Kingdom>(v);
        k->teamResult = -1;
        if (survives(k) && k->AllianceGroup() == 0) k->teamResult = 0;
    }

    // Distinct survivors: a lone kingdom counts once, a group once however many it keeps.
    bool allAllied = true;
    const Kingdom* firstSurvivor = nullptr;
    const Kingdom* lastFallen = nullptr;
    const Kingdom* counted[20] = {};
    int32_t survivors = 0;
    for (int32_t i = 0; i < slots; ++i) {
        const Kingdom* k = SideKingdom(SlotSide(i));
        if (!k) continue;
        if (firstSurvivor && firstSurvivor->relations[k->nationIndex] != 1) allAllied = false;
        if (lastFallen && lastFallen->relations[k->nationIndex] != 1) allAllied = false;
        if (!survives(k)) {
            lastFallen = k;
            continue;
        }
        if (!firstSurvivor) firstSurvivor = k;
        bool seen = false;
        for (int32_t j = 0; j < survivors; ++j) {
            const Kingdom* o = counted[j];
            if (o == k || (k->AllianceGroup() != 0 && o->AllianceGroup() == k->AllianceGroup())) seen = true;
        }
        if (!seen) counted[survivors++] = k;
    }

    if (IsHost() && peers > 1 && !allAllied && survivors == 1) {
        Kingdom* winner = SideKingdom(firstSurvivor->nationIndex);
        if (winner->AllianceGroup() == 0) {
            SendStageWinner(winner);
            EndWithWinner(winner);
        } else {
            SendTeamWinner(winner->AllianceGroup());
            EndWithTeamWinner(winner->AllianceGroup());
        }
    }
    if (!playerKingdom) return;
    if (IsHost() && SessionPlayerCount() == 1 && allAllied && victoryReached && result != 5) {
        if (playerKingdom->AllianceGroup() != 0)
            EndWithTeamWinner(playerKingdom->AllianceGroup());
        else
            EndWithWinner(playerKingdom);
    }
    if (playerKingdom->beaten != 0) {
        if (defeatShown != 2) BecomeSpectator(false, peers);
        if (SessionPlayerCount() == 1) {
            playerKingdom->teamResult = 0;
            result = 4;
            if (TheScreenSettings) TheScreenSettings->battleEnded = 1;
            StopBattleMusic();
            PlaySoundEffect(23);
            PlayAviModal(150, 136, "Failure.avi", "Failure_a.avi", 1, 1);
        }
    }
}

void Zu_StageSet::BecomeSpectator(bool teamGame, int32_t peers) {
    defeatShown = 2;
    if (teamGame && TheMouseCursor) TheMouseCursor->SetShape(1);
    NetSession& session = ProgramNetSession();
    const char* own = session.NetPeerName(session.ownId);
    std::string text = own ? own : "";
    text += kBeaten;
    if (MainPanelHost()) {
        if (IsHost()) MainPanel()->AddChatLine(text.c_str(), 3);
        if (!teamGame || IsHost()) NetCmdChatText(text.c_str(), 0, false, 0);
    }
    PlaySoundEffect(10);
    if (TheGameController) TheGameController->RevealMap();
    CloseBanner();
    if (teamGame || peers > 1) ShowBanner(ObserverBannerText, 1);
    BannerTicks = 1;
}

void Zu_StageSet::EndWithWinner(Kingdom* winner) {
    if (!winner) {
        if (playerKingdom) {
            if (MainPanelHost()) {
                if (IsHost()) MainPanel()->AddChatLine(kTimeUp, 3);
                NetCmdChatText(kTimeUp, 0, false, 0);
            }
            PlaySoundEffect(10);
            if (TheGameController) TheGameController->RevealMap();
            result = 4;
        }
    } else {
        for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next())
            At<Kingdom>(v)->teamResult = At<Kingdom>(v) == winner ? 1 : 0;
        if (playerKingdom) result = playerKingdom->teamResult == 1 ? 5 : 4;
    }
    if (TheScreenSettings) TheScreenSettings->battleEnded = 0;
    PostEndFrames = 0;
}

void Zu_StageSet::EndWithTeamWinner(int32_t group) {
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
        Kingdom* k = At<Kingdom>(v);
        k->teamResult = (k->AllianceGroup() != 0 && k->AllianceGroup() == group) ? 1 : 0;
    }
    if (playerKingdom) result = playerKingdom->AllianceGroup() == group ? 5 : 4;
    if (TheScreenSettings) TheScreenSettings->battleEnded = 0;
    PostEndFrames = 0;
}

void Zu_StageSet::SendStageWinner(Kingdom* winner) {
    ByteWriter out;
    out.u32(kRecordStageWinner);
    out.u32(16);
    out.i32(winner ? winner->nationIndex : 0);
    out.i32(0);
    SendGameRecord(out.buffer());
}

void Zu_StageSet::SendTeamWinner(int32_t group) {
    ByteWriter out;
    out.u32(kRecordTeamWinner);
    out.u32(16);
    out.i32(group);
    out.i32(0);
    SendGameRecord(out.buffer());
}

int ApplyStageRecord(Zu_StageSet* stage, const uint8_t* data, size_t size) {
    if (!stage || !data) return 0;
    ByteReader in(data, size);
    const uint32_t id = in.u32();
    const uint32_t length = in.u32();
    if (!in.ok() || length > size) return 0;
    if (id == kRecordRandomGear) {
        const int32_t city = in.i32();
        const int32_t years = in.i32();
        const uint32_t seed1 = in.u32();
        const uint32_t seed2 = in.u32();
        if (!in.ok()) return 0;
        stage->ApplyRandomGearRecord(city, years, seed1, seed2);
        return 1;
    }
    const int32_t value = in.i32();
    if (!in.ok()) return 0;
    if (id == kRecordStageWinner) {
        // Side 0 names no winner (the time limit); a side this map lacks is not applied.
        Kingdom* winner =
            BattleMap::ValidSide(value) && TheBattleMap ? TheBattleMap->kingdomTable[value] : nullptr;
        if (value != 0 && !winner) return 0;
        stage->EndWithWinner(winner);
        return 1;
    }
    if (id == kRecordTeamWinner) {
        stage->EndWithTeamWinner(value);
        return 1;
    }
    return 0;
}
