#include "windows/main/Win41Window.h"

#include "Program/GameController.h"
#include "Program/SaveLoadScreen.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/VScrollBar.h"
#include "net/CityValueCommand.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/main/FieldText.h"
#include "windows/main/Win01Window.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kBar = 0x300;
constexpr int kGift = 3;
constexpr int kGiftGold = 100;

// "無", "同盟", "和平", "宣戰".
const char* const kRelationNames[4] = {"\xb5\x4c", "\xa6\x50\xb7\xf9", "\xa9\x4d\xa5\xad",
                                       "\xab\xc5\xbe\xd4"};

int Relation(const Kingdom* from, const Kingdom* to) {
    if (!from || !to || to->nationIndex < 0 || to->nationIndex > Kingdom::kMaxNations) return 0;
    return from->relations[to->nationIndex];
}

int Attitude(const Kingdom* from, const Kingdom* to) {
    if (!from || !to || to->nationIndex < 0 || to->nationIndex > Kingdom::kMaxNations) return 0;
    return from->goodwill[to->nationIndex];
}

bool Fallen(const Kingdom* k) {
    return k->beaten != 0 && k->noCity != 0;
}

bool HeldCity(const City* c) {
    return c->Kind() == 0 || c->Kind() == 1 || c->Kind() == 6;
}

// Its officers in the field, the generals of its towns, and each keeper's place and garrison post
// that has a leader.
int Strength(Kingdom* k) {
    int n = 0;
    for (Troop* t : ListValues<Troop>(k->fieldUnits))
        if (t->OfficerKind() == 1) ++n;
    for (City* c : ListValues<City>(k->cities)) {
        if (!HeldCity(c)) continue;
        n += c->units.GetCount();
        for (int kind : {4, 5})
            if (SubCastle* sub = c->FindSubCastleOfKind(kind); sub && sub->leader) ++n;
    }
    return n;
}

int CitiesOfKind(Kingdom* k, int kind) {
    int n = 0;
    for (City* c : ListValues<City>(k->cities))
        if (c->Kind() == kind) ++n;
    return n;
}

int GoldOf(Kingdom* k) {
    int total = 0;
    for (City* c : ListValues<City>(k->cities))
        total += c->Int(CityLayout::kGold);
    return total;
}

bool InTable(const Kingdom* k) {
    return k->nationIndex >= 1 && k->nationIndex <= Kingdom::kMaxNations;
}

// Both ways; the player's kingdom sees an ally's land and loses sight of an enemy's.
void SetRelation(Kingdom* local, Kingdom* k, int relation) {
    if (!InTable(local) || !InTable(k)) return;
    local->relations[k->nationIndex] = relation;
    k->relations[local->nationIndex] = relation;
    if (TheBattleMap && (relation == 1 || relation == 3))
        TheBattleMap->RefreshSight(k, relation == 1 ? 1 : 0);
}

void SetAttitude(Kingdom* local, Kingdom* k, int value) {
    if (!InTable(k)) return;
    local->goodwill[k->nationIndex] = std::clamp(value, 0, 100);
}

bool OnlyShows() {
    const GameController* c = TheGameController;
    return !c || c->gameKind == 0 || GameIsNetworked();
}

} // namespace

Kingdom* LocalKingdom() {
    return TroopKingdom(PlayerKingdom());
}

Win41Window::Win41Window(Widget* parent, Window* mainPanel) : ScreenWindow("Win41.gui", parent, mainPanel) {
    std::fill(std::begin(proposals), std::end(proposals), int8_t(-1));
    AddToDrawList();
    Open(0);
}

void Win41Window::Open(int first) {
    if (!panel) return;
    kingdoms.clear();
    const Zu_StageSet* stage = CurrentStageSet();
    const Kingdom* local = LocalKingdom();
    if (stage && stage->kingdoms)
        for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms))
            if (k != local && k->nationIndex != PlayerKingdom() && k->NationKind() < 2 &&
                int(kingdoms.size()) < kMaxKingdoms)
                kingdoms.push_back(k);
    for (int r = 0; r < kRows; ++r)
        for (int k = 0; k < kGift; ++k)
            SetButtonState(RowButton(r, k), Button::Radio, 0, int16_t(0x100 + r));
    ShowRows(first);
    if (auto* bar = dynamic_cast<VScrollBar*>(Control(kBar))) {
        bar->SetRange(int(kingdoms.size()), kRows, 1);
        bar->SetPosition(int16_t(first));
    }
}

void Win41Window::ShowRows(int first) {
    if (!panel) return;
    firstRow = int8_t(first);
    const Kingdom* local = LocalKingdom();
    for (int r = 0; r < kRows; ++r) {
        const int i = first + r;
        auto text = [&](int c) { return texts_[r * kColumns + c]; };
        auto show = [&](int c, uint8_t style, bool red) {
            const int cell = r * kColumns + c;
            if (red)
                ShowFieldTextColored(text(c), &fonts[cell], controls, cell, style, 16, 0, 255, 0, 0);
            else
                ShowFieldText(text(c), &fonts[cell], controls, cell, style, 16);
        };
        if (i < 0 || i >= int(kingdoms.size())) {
            ShowFieldColor(0, 0, 0, 0, controls, r * kColumns, 1);
            for (int c = 1; c < kColumns; ++c) {
                text(c)[0] = 0;
                show(c, 0, false);
            }
            continue;
        }
        Kingdom* k = kingdoms[size_t(i)];
        const uint16_t colour = k->colour;
        ShowFieldColor(100, uint8_t((colour >> 8) & 0xF8), uint8_t((colour >> 3) & 0xFC),
                       uint8_t((colour & 0x1F) << 3), controls, r * kColumns, 1);
        CopyBig5Bounded(text(1), kTextBytes, std::string(k->Text(KingdomLayout::kName, 20)).c_str());
        const int values[7] = {Strength(k),        CitiesOfKind(k, 0), CitiesOfKind(k, 1),
                               CitiesOfKind(k, 6), Attitude(local, k), 0,
                               k->AllianceGroup()};
        for (int c = 2; c < kColumns; ++c)
            if (c != 7) CopyBig5Bounded(text(c), kTextBytes, std::to_string(values[c - 2]).c_str());
        const int relation = Relation(local, k);
        CopyBig5Bounded(text(7), kTextBytes, relation >= 0 && relation <= 3 ? kRelationNames[relation] : "");
        show(1, 2, false);
        for (int c : {2, 3, 4, 5, 8})
            show(c, 0, false);
        show(6, 0, (rowMarks[i] & 2) != 0);
        show(7, 2, (rowMarks[i] & 1) != 0);
    }
    RefreshButtons();
}

void Win41Window::DisableRelationButtons(int row, const Kingdom* k) {
    const int relation = Relation(k, LocalKingdom());
    if (relation >= 1 && relation <= 3) DisableButton(RowButton(row, relation - 1));
    if (relation == 1) DisableButton(RowButton(row, 1));
}

void Win41Window::RefreshButtons() {
    if (OnlyShows()) {
        for (int r = 0; r < kRows; ++r)
            for (int k = 0; k <= kGift; ++k)
                DisableButton(RowButton(r, k));
        DisableButton(Control(kApply));
        return;
    }
    for (int r = 0; r < kRows; ++r)
        for (int k = 0; k <= kGift; ++k) {
            EnableButton(RowButton(r, k));
            if (k < kGift) SetButtonState(RowButton(r, k), Button::Radio, 0, int16_t(0x100 + r));
        }
    RefreshGiftButtons();
    for (int r = 0; r < kRows; ++r) {
        const int i = firstRow + r;
        if (i < 0 || i >= int(kingdoms.size())) {
            for (int k = 0; k <= kGift; ++k)
                DisableButton(RowButton(r, k));
            continue;
        }
        const Kingdom* k = kingdoms[size_t(i)];
        if (Fallen(k)) {
            for (int b = 0; b <= kGift; ++b)
                DisableButton(RowButton(r, b));
            continue;
        }
        DisableRelationButtons(r, k);
        if (proposals[i] >= 0) ShowButtonPressed(RowButton(r, proposals[i]));
        if (giftRequests[i]) {
            ShowButtonPressed(RowButton(r, kGift));
            DisableButton(RowButton(r, kGift));
        }
    }
}

void Win41Window::RefreshGiftButtons() {
    const int total = LocalKingdom() ? GoldOf(LocalKingdom()) : 0;
    int pending = 0;
    for (size_t i = 0; i < kingdoms.size(); ++i)
        if (giftRequests[i]) pending += kGiftGold;
    for (int r = 0; r < kRows; ++r) {
        const int i = firstRow + r;
        if (i < 0 || i >= int(kingdoms.size()) || giftRequests[i] || Fallen(kingdoms[size_t(i)])) continue;
        if (total < pending + kGiftGold) {
            DisableButton(RowButton(r, kGift));
        } else {
            EnableButton(RowButton(r, kGift));
            ShowButtonNormal(RowButton(r, kGift));
        }
    }
}

void Win41Window::EndFighting(Kingdom* other) {
    if (!DecidesHere()) return;
    Kingdom* local = LocalKingdom();
    if (!local) return;
    auto halt = [](Kingdom* own, int targetSide) {
        for (Troop* t : ListValues<Troop>(own->fieldUnits))
            if ((t->state == 1 || t->state == 11) && !t->hidden && t->targetTroop &&
                t->targetTroop->owner == targetSide)
                NetCmdHalt(t);
    };
    halt(local, other->nationIndex);
    halt(other, local->nationIndex);
}

void Win41Window::PayGift() {
    Kingdom* local = LocalKingdom();
    if (!local) return;
    const std::vector<City*> cities = ListValues<City>(local->cities);
    int paid = 0;
    // A full pass in which no city could give ends the walk: the rest stays unpaid.
    while (paid < kGiftGold) {
        bool gave = false;
        for (City* c : cities) {
            if (paid >= kGiftGold) break;
            if (c->Int(CityLayout::kGold) <= 9) continue;
            NetCmdAddCityValue(c, -10, kCityGold);
            paid += 10;
            gave = true;
        }
        if (!gave) break;
    }
}

void Win41Window::Apply() {
    // Proposals are a single-play matter: a network station only looks at the table.
    if (OnlyShows()) return;
    if (TheScreenSettings) TheScreenSettings->diplomacyUsed = 1;
    Kingdom* local = LocalKingdom();
    if (!local) return;
    for (size_t i = 0; i < kingdoms.size() && i < size_t(kMaxKingdoms); ++i) {
        Kingdom* k = kingdoms[i];
        if (proposals[i] >= 0 && proposals[i] <= 2) {
            const int p = proposals[i];
            if (k->AcceptsProposal(p + 1)) {
                if (Relation(local, k) == 3 && p == 0) EndFighting(k);
                const int step = p == 0 ? 10 : p == 1 ? 5 : -50;
                SetRelation(local, k, p + 1);
                SetAttitude(local, k, Attitude(local, k) + step);
                rowMarks[i] |= 1;
            }
        }
        proposals[i] = -1;
        if (giftRequests[i]) {
            SetAttitude(local, k, Attitude(local, k) + 1);
            giftRequests[i] = 0;
            rowMarks[i] |= 2;
            PayGift();
        }
    }
}

int Win41Window::HandleEscape() {
    if (!panel) return 0;
    if (Widget* close = Control(kClose)) OnControlClick(close, nullptr);
    return 1;
}

int Win41Window::Close(int result) {
    if (!panel) return 1;
    kingdoms.clear();
    return ScreenWindow::Close(result);
}

void Win41Window::OnControlClick(Widget* control, Point*) {
    if (!control || !panel) return;
    const int id = control->id;
    if (id == kClose) {
        if (owner) owner->OnNotify(this, 1);
    } else if (id == kApply) {
        Apply();
        ShowRows(firstRow);
    } else if (id == kStepBack || id == kStepForward) {
        if (auto* bar = dynamic_cast<VScrollBar*>(Control(kBar))) {
            if (id == kStepBack)
                bar->StepBack();
            else
                bar->StepForward();
            ShowRows(bar->position);
        }
    } else if (id >= kFirstRowButton && id < kFirstRowButton + 4 * kRows) {
        const int r = (id - kFirstRowButton) / 4;
        const int k = (id - kFirstRowButton) % 4;
        const int i = firstRow + r;
        if (i < 0 || i >= int(kingdoms.size())) return;
        if (k == kGift) {
            giftRequests[i] = 1;
            ShowButtonPressed(control);
            DisableButton(control);
            RefreshGiftButtons();
        } else {
            proposals[i] = int8_t(k);
            DisableRelationButtons(r, kingdoms[size_t(i)]);
        }
    }
}

void Win41Window::OnControlPress(Widget* control, Point*) {
    if (control && (control->id & 0xFF00) == kBar)
        if (auto* bar = dynamic_cast<VScrollBar*>(control)) ShowRows(bar->position);
}

void Win41Window::OnControlHover(Widget* control, Point* point) {
    OnControlPress(control, point);
}
