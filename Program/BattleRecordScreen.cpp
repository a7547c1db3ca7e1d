#include "Program/BattleRecordScreen.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/SurfaceText.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// "功勳", "電腦"
const char MeritWord[] = "\xa5\x5c\xbe\xb1";
const char ComputerName[] = "\xb9\x71\xb8\xa3";

bool Listed(const Kingdom* k) {
    return k && (k->NationKind() == 0 || k->NationKind() == 1);
}

bool CountsAsOfficerUnit(const Troop* u) {
    return u->officer && u->officer->Get(OfficerLayout::kAttribute) == 1 &&
           u->officer->Get(OfficerLayout::kPolicy) == 0;
}

// The ruler's name from its general template, within the name column; empty when the number
// names no template.
std::string RulerName(int32_t person) {
    const uint8_t* t = GeneralTemplate(person);
    if (!t) return std::string();
    const char* text = reinterpret_cast<const char*>(t + OfficerLayout::kName);
    return std::string(text, strnlen(text, OfficerLayout::kNameBytes));
}

} // namespace

int32_t BattleScore(const int32_t t[10], int32_t cityValue) {
    return 12 * t[0] + 8 * t[1] + 8 * t[2] + 2 * t[3] + 5 * t[7] + 5 * t[8] + 10 * t[9] + cityValue -
           12 * t[4] - 8 * t[5] - t[6];
}

BattleRecordScreen::BattleRecordScreen(Widget* root, RecordSession* session)
    : ScreenWindow("Win42.gui", root, nullptr) {
    if (TheMouseCursor) TheMouseCursor->SetShape(1);
    AddToDrawList();
    if (Zu_StageSet* stage = CurrentStageSet()) Compute(*stage, session);
}

void BattleRecordScreen::OnControlClick(Widget* control, Point*) {
    if (!control || (static_cast<int16_t>(control->id) & 0xFF00) != 0x100) return;
    if (TheGameController) TheGameController->recordScreenClosed = 1;
}

void BattleRecordScreen::ShowNumber(int32_t value, int k, bool ownRow) {
    uint8_t g = 255, b = 255;
    if (ownRow) {
        b = 0;
    } else if (value < 0) {
        g = 100, b = 0;
    }
    labels.SetText(Control(0x200 + k), 255, g, b, 16, 1, std::to_string(value));
}

void BattleRecordScreen::ShowSwatch(int row, uint16_t colour) {
    Widget* label = Control(0x200 + 11 * row);
    if (!label) return;
    const int w = label->rect.right - label->rect.left;
    const int h = label->rect.bottom - label->rect.top;
    if (w <= 0 || h <= 0) return;
    std::vector<uint16_t> image(static_cast<size_t>(w) * h, 0);
    // A bar in rows 2..16 from column 2 to width - 3, with a black notch at columns 17 and 18;
    // a small label keeps what fits.
    for (int y = 2; y <= 16 && y < h; ++y)
        for (int x = 2; x <= w - 3; ++x)
            image[static_cast<size_t>(y) * w + x] = (x == 17 || x == 18) ? 0 : colour;
    labels.SetPicture(label, std::move(image), w, h);
    SetLabelTextColour(label, 255);
    DrawLabel(label);
}

int32_t BattleRecordScreen::Merit(const RecordSession* session, int32_t, int32_t win, int32_t winnerCount,
                                  const std::string& id) const {
    int32_t base = 10 * (session ? session->playersAtStart : 0);
    int32_t merit = 0;
    if (win && session) {
        const auto same = std::count(session->slotPlayerIds.begin(), session->slotPlayerIds.end(), id);
        if (same != 0) base /= static_cast<int32_t>(same);
        merit = base;
    }
    if (winnerCount != 0) merit += (base / winnerCount) / 2;
    if (TheGameController && TheGameController->gameKind == 3) merit *= 2;
    return merit;
}

void BattleRecordScreen::Compute(Zu_StageSet& stage, RecordSession* session) {
    GameController* c = TheGameController;
    const int32_t gameKind = c ? c->gameKind : 0;
    const bool networked = c && c->networked;
    const Kingdom* player = stage.playerKingdom;

    // Kingdoms taken out of play come back into the list; they leave the battle map's list so that
    // one owner holds them.
    if (TheBattleMap) {
        for (auto& owned : TheBattleMap->extraKingdoms) {
            Kingdom* k = owned.release();
            if (!k) continue;
            if (k->NationKind() != 0 && k->NationKind() != 1) k->SetInt(KingdomLayout::kNationKind, 7);
            stage.kingdoms->Add(reinterpret_cast<uintptr_t>(k));
        }
        TheBattleMap->extraKingdoms.clear();
    }
    const std::vector<Kingdom*> kingdoms = ListValues<Kingdom>(*stage.kingdoms);

    // Allies by nation index, over every index a relation table has.
    Kingdom* allies[Kingdom::kMaxNations + 1] = {};
    if (gameKind == 2)
        for (Kingdom* k : kingdoms)
            if (Listed(k) && k->nationIndex >= 0 && k->nationIndex <= Kingdom::kMaxNations)
                allies[k->nationIndex] = k;

    const int32_t* values = GameParams().placeScore;
    bestScore = 0;
    rows.clear();
    for (Kingdom* k : kingdoms) {
        if (!Listed(k)) continue;
        const int r = static_cast<int>(rows.size());
        Row row;
        row.kingdom = k;
        int32_t units = 0;
        for (Troop* u : ListValues<Troop>(k->fieldUnits))
            if (u->state != 6 && CountsAsOfficerUnit(u)) ++units;
        const std::vector<City*> cities = ListValues<City>(k->cities);
        for (City* city : cities) {
            for (Troop* u : ListValues<Troop>(city->units))
                if (CountsAsOfficerUnit(u)) ++units;
            for (SubCastle* sub : ListValues<SubCastle>(city->subCastles))
                if (sub->leader && sub->leader->owner == city->ownerSide) ++units;
        }
        if (gameKind == 2) {
            for (int a = 0; a <= Kingdom::kMaxNations; ++a) {
                Kingdom* ally = allies[a];
                if (!ally || ally == k || k->relations[a] != 1) continue;
                for (City* city : ListValues<City>(ally->cities))
                    for (Troop* u : ListValues<Troop>(city->units))
                        if (u->owner == k->nationIndex && CountsAsOfficerUnit(u)) ++units;
            }
        }
        int32_t cityValue = 0;
        for (const City* city : cities) {
            if (city->Kind() == 0 && city->Scale() >= 1 && city->Scale() <= 4)
                cityValue += values[city->Scale()];
            else if (city->Kind() == 6)
                cityValue += values[0];
        }
        ShowSwatch(r, k->colour);
        const int32_t* t = k->tally;
        const int32_t columns[7] = {t[0] + t[1] + t[2],
                                    t[3],
                                    t[7] + t[8] + t[9],
                                    t[4] + t[5],
                                    t[6],
                                    units,
                                    static_cast<int32_t>(cities.size())};
        const bool own = k == player;
        for (int i = 0; i < 7; ++i) {
            row.columns[i] = columns[i];
            ShowNumber(columns[i], 11 * r + 3 + i, own);
        }
        row.score = BattleScore(t, cityValue);
        k->score = row.score;
        if (own) playerScore = row.score;
        if (!networked || !own) ShowNumber(row.score, 11 * r + 10, false);
        if (row.score > bestScore) bestScore = row.score;
        rows.push_back(row);
    }

    winners = 0;
    for (const Row& row : rows)
        if (row.score >= bestScore) ++winners;

    const bool sessionPlay = networked && session && !session->players.empty();
    for (size_t r = 0; r < rows.size(); ++r) {
        Row& row = rows[r];
        Kingdom* k = row.kingdom;
        const int b = 0x200 + 11 * static_cast<int>(r);
        if (row.score >= bestScore) {
            row.best = true;
            Widget* label = Control(b + 1);
            SetLabelTextColour(label, 150);
            labels.SetText(label, 255, 255, 0, 24, 2, "*");
        }
        const RecordPlayer* match = nullptr;
        if (session)
            for (const RecordPlayer& p : session->players)
                if (p.nationIndex == k->nationIndex) {
                    match = &p;
                    break;
                }
        const std::string ruler = RulerName(k->PersonNumber());
        if (!sessionPlay) {
            row.name = ruler;
        } else if (gameKind == 3 && c && c->unusedByte /* the team-naming flag */) {
            row.name = match ? match->name : ComputerName;
        } else {
            row.name = ruler;
            if (match) row.name += "/" + match->name;
        }
        if (Widget* label = Control(b + 2); label && TheBig5Font && panel && panel->surface) {
            TheBig5Font->DrawSurfaceText(label->rect.left, label->rect.top, row.name.c_str(), panel->surface,
                                         k == player ? 48 : 240);
        }
        if (!sessionPlay) continue;
        const int32_t w = row.score >= bestScore ? winners : 0;
        for (const RecordPlayer& p : session->players) {
            if (p.nationIndex != k->nationIndex) continue;
            const int32_t merit = Merit(session, row.score, k->winFlag, w, p.playerId);
            const uint8_t g = row.score < 0 ? 100 : 255;
            const uint8_t bl = row.score < 0 ? 0 : 255;
            if (session->players.size() < 2) {
                labels.SetText(Control(b + 10), 255, g, bl, 16, 1, std::to_string(row.score));
            } else {
                labels.SetText(Control(b + 10), 255, g, bl, 16, 0,
                               std::to_string(row.score) + MeritWord + (merit >= 0 ? "+" : "") +
                                   std::to_string(merit));
            }
        }
        if (k == player && session->players.size() >= 2) {
            RecordLobbyEntry copy = session->localRecord;
            copy.games += 1;
            if (k->winFlag) copy.wins += 1;
            copy.merit += Merit(session, row.score, k->winFlag, w, session->localPlayerId);
            if (session->upload) session->upload(copy);
        }
    }

    if (!c || networked) return;
    if (stage.result == 1 && c->campaignStage < StageRecordCount) {
        StageRecord& record = c->stageRecords[c->campaignStage];
        record.won = 1;
        record.actOption = c->actOption;
        if (TheScreenSettings) {
            record.year = TheScreenSettings->year;
            record.month = TheScreenSettings->month;
        }
        if (playerScore > record.bestScore) record.bestScore = playerScore;
    }
    c->WriteStageRecords();
}
