#include "windows/main/Win37Window.h"

#include "Program/GameController.h"
#include "Program/SaveLoadScreen.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/TextLabel.h"
#include "gui/VScrollBar.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/WindowHosts.h"
#include "windows/main/FieldText.h"
#include "windows/main/Win01Window.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using L = OfficerLayout;

constexpr int kClose = 0x100;
constexpr int kFirstTab = 0x101;
constexpr int kStepBack = 0x105;
constexpr int kStepForward = 0x106;
constexpr int kTablePlace = 0x200;
constexpr int kBar = 0x300;
constexpr uint32_t kDevelopment = 48; // "開發值"
constexpr uint32_t kCommerce = 52;    // "商業值"
constexpr uint32_t kMorale = 56;      // "民心值"

// "野外" and the class names "劍士", "鬥士", "弓箭手", "書生", "工兵".
constexpr char kInTheField[] = "\xb3\xa5\xa5\x7e";
const char* const kClassNames[5] = {"\xbc\x43\xa4\x68", "\xb0\xab\xa4\x68", "\xa4\x7d\xbd\x62\xa4\xe2",
                                    "\xae\xd1\xa5\xcd", "\xa4\x75\xa7\x4c"};

int Field(const Troop* t, uint32_t offset) {
    return t->officer ? t->officer->Get(offset) : 0;
}

int FollowerCount(const Troop* t) {
    return t->followers ? t->followers->GetCount() : 0;
}

int SubCastleUnits(City* city, int kind) {
    SubCastle* sub = city->FindSubCastleOfKind(kind);
    return sub ? sub->units.GetCount() : 0;
}

// Officers only: no named general, no ambusher, alive.
bool Listed(const Troop* t) {
    return t && t->officer && t->state != 13 && Field(t, L::kAttribute) == 1 && Field(t, L::kFamous) == 0 &&
           Field(t, L::kAmbush) == 0;
}

// Repeatedly takes the best remaining entry: a later one wins only when strictly better, so equal
// entries keep their order.
template <class T, class Better>
void SelectionSort(std::vector<T*>& list, Better better) {
    std::vector<T*> rest = list;
    list.clear();
    while (!rest.empty()) {
        size_t best = 0;
        for (size_t i = 1; i < rest.size(); ++i)
            if (better(rest[i], rest[best])) best = i;
        list.push_back(rest[best]);
        rest.erase(rest.begin() + std::ptrdiff_t(best));
    }
}

bool OfficerBetter(int column, const Troop* a, const Troop* b) {
    auto more = [&](uint32_t offset) { return Field(a, offset) > Field(b, offset); };
    switch (column) {
    case 0:
        return a->owner < b->owner ||
               (a->owner == b->owner && Field(a, L::kPersonNumber) < Field(b, L::kPersonNumber));
    case 1:
        return more(L::kLevel);
    case 2:
        return more(L::kStrength);
    case 3:
        return more(L::kIntelligence);
    case 4:
        return more(L::kPhysique);
    case 5:
        return more(L::kCharm);
    case 6:
        return more(L::kAgility);
    case 7:
        return more(L::kLoyalty);
    case 8:
        return more(L::kAttack);
    case 9:
        return more(L::kDefence);
    case 10:
        return more(L::kHp);
    case 11:
        return more(L::kMp);
    case 12:
        return FollowerCount(a) > FollowerCount(b);
    case 13:
        return Field(a, L::kClass) < Field(b, L::kClass);
    case 14:
        // Troops in the field come first and stay; those in cities by their city.
        return b->inCity != 0 && a->homeCity < b->homeCity;
    default:
        return false;
    }
}

int CityValue(int column, City* c) {
    switch (column) {
    case 1:
        return c->Scale();
    case 3:
        return c->Int(CityLayout::kPopulation);
    case 4:
        return c->Int(CityLayout::kGold);
    case 5:
        return c->Int(CityLayout::kFood);
    case 6:
        return c->Int(kDevelopment);
    case 7:
        return c->Int(kCommerce);
    case 8:
        return c->Int(kMorale);
    case 9:
        return c->ItemStock().GetCount();
    case 10:
        return c->reserve.GetCount();
    case 11:
        return c->units.GetCount();
    case 12:
        return SubCastleUnits(c, 4);
    case 13:
        return SubCastleUnits(c, 5);
    default:
        return 0;
    }
}

bool CityBetter(int column, City* a, City* b) {
    if (column == 0) return a->id < b->id;
    if (column == 2) return false;
    return CityValue(column, a) > CityValue(column, b);
}

std::vector<Kingdom*> PageKingdoms(bool everyKingdom) {
    std::vector<Kingdom*> out;
    const Zu_StageSet* stage = CurrentStageSet();
    if (!stage) return out;
    if (!everyKingdom) {
        if (stage->playerKingdom) out.push_back(stage->playerKingdom);
        return out;
    }
    if (stage->kingdoms)
        for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms))
            out.push_back(k);
    return out;
}

std::string Number(int value) {
    return std::to_string(value);
}

void Copy(char* out, const std::string& text) {
    CopyBig5Bounded(out, Win37Window::kTextBytes, text.c_str());
}

} // namespace

Win37Window::Win37Window(Widget* parent, Window* mainPanel) : ScreenWindow("Win37.gui", parent, mainPanel) {
    officerLayout = new GuiLayout("Win38.gui");
    cityLayout = new GuiLayout("Win39.gui");
    AddToDrawList();
    ShowPage(0, 0);
}

Win37Window::~Win37Window() {
    if (panel) {
        DropTableViews();
        ClosePanel(1);
    }
    // The table views' controls draw from these layouts until they are deleted.
    DeferDelete(officerLayout);
    DeferDelete(cityLayout);
}

int Win37Window::Close(int result) {
    if (!panel) return 1;
    DropTableViews();
    for (PageRows& p : pages)
        p = PageRows{};
    return ScreenWindow::Close(result);
}

GuiPanel* Win37Window::OpenTableView(GuiLayout* layout, LinkList*& controlsOut) {
    GuiImage* back = layout ? layout->elements[0] : nullptr;
    const Widget* place = Control(kTablePlace);
    const int left = place ? place->rect.left : 0;
    const int top = place ? place->rect.top : 0;
    auto* rect = new Rect(left, top, left + (back ? back->width : 0), top + (back ? back->height : 0));
    auto* view = new GuiPanel(back, rect, panel, this, 1, 1, 0);
    controlsOut = layout ? layout->CreateControls(view, this) : nullptr;
    return view;
}

void Win37Window::DropTableViews() {
    for (GuiPanel** view : {&officerView, &cityView}) {
        if (!*view) continue;
        (*view)->result = 1;
        (*view)->Close(0);
        DeferDelete(*view);
        *view = nullptr;
    }
    officerControls = cityControls = nullptr;
}

void Win37Window::ShowPage(int newPage, int position) {
    if (!panel || newPage < 0 || newPage > 3) return;
    page = uint8_t(newPage);
    DropTableViews();
    if (OfficerPage(page))
        officerView = OpenTableView(officerLayout, officerControls);
    else
        cityView = OpenTableView(cityLayout, cityControls);
    if (auto* tab = dynamic_cast<Button*>(Control(kFirstTab + page))) {
        tab->ShowPressed();
        tab->enabled = 0;
    }
    if (!pages[page].built) BuildRows(page);
    SortRows();
    ShowRows(position);
}

void Win37Window::BuildRows(int p) {
    PageRows& rows = pages[p];
    rows = PageRows{};
    rows.built = true;
    for (Kingdom* k : PageKingdoms(p >= 2)) {
        if (OfficerPage(p)) {
            for (Troop* t : ListValues<Troop>(k->fieldUnits))
                if (Listed(t) && !t->hidden && t->inCity == 0) rows.officers.push_back(t);
            std::vector<City*> held;
            for (City* c : ListValues<City>(k->cities))
                if (c->Kind() == 0 || c->Kind() == 6 || c->Kind() == 1) held.push_back(c);
            for (City* c : held)
                for (Troop* t : ListValues<Troop>(c->units))
                    if (Listed(t)) rows.officers.push_back(t);
            for (City* c : held)
                for (int kind : {4, 5})
                    if (SubCastle* sub = c->FindSubCastleOfKind(kind)) {
                        Troop* leader = sub->leader;
                        if (leader && leader->state != 13 && Field(leader, L::kFamous) == 0)
                            rows.officers.push_back(leader);
                    }
        } else {
            for (City* c : ListValues<City>(k->cities))
                if (c->Kind() == 0) rows.cities.push_back(c);
        }
    }
}

void Win37Window::SortRows() {
    PageRows& rows = pages[page];
    if (OfficerPage(page))
        SelectionSort(rows.officers, [this](const Troop* a, const Troop* b) {
            return OfficerBetter(officerSortColumn, a, b);
        });
    else
        SelectionSort(rows.cities, [this](City* a, City* b) { return CityBetter(citySortColumn, a, b); });
}

void Win37Window::ReverseRows() {
    PageRows& rows = pages[page];
    std::reverse(rows.officers.begin(), rows.officers.end());
    std::reverse(rows.cities.begin(), rows.cities.end());
}

int Win37Window::RowCount() const {
    const PageRows& rows = pages[page];
    return int(OfficerPage(page) ? rows.officers.size() : rows.cities.size());
}

void Win37Window::ShowRows(int position) {
    if (!panel) return;
    PageRows& rows = pages[page];
    rows.position = position;
    const int count = RowCount();
    for (int r = 0; r < kRows; ++r) {
        const int at = position + r;
        if (at < 0 || at >= count) {
            ClearRow(r);
            continue;
        }
        if (OfficerPage(page))
            FillOfficerRow(r, rows.officers[size_t(at)], page == 0 && at == pickedOfficer);
        else
            FillCityRow(r, rows.cities[size_t(at)], page == 1 && at == pickedCity);
    }
    if (auto* bar = dynamic_cast<VScrollBar*>(Control(kBar))) {
        bar->SetRange(count, kRows, 1);
        bar->SetPosition(int16_t(position));
    }
}

void Win37Window::ClearRow(int row) {
    const bool officers = OfficerPage(page);
    const int columns = officers ? kOfficerColumns : kCityColumns;
    LinkList* list = officers ? officerControls : cityControls;
    for (int c = 0; c < columns; ++c) {
        const int cell = row * columns + c;
        char* text = officers ? officerText[cell] : cityText[cell];
        text[0] = 0;
        ShowFieldText(text, officers ? &officerFonts[cell] : &cityFonts[cell], list, cell, 0, 16);
    }
    if (TextLabel* first = FieldLabel(list, row * columns)) first->enabled = 0;
}

void Win37Window::FillOfficerRow(int row, Troop* t, bool picked) {
    const int base = row * kOfficerColumns;
    auto text = [&](int c) { return officerText[base + c]; };
    Copy(text(0), std::string(t->officer->Name()));
    std::snprintf(text(1), kTextBytes, "%s%d", Field(t, L::kLevel) < 10 ? "0" : "", Field(t, L::kLevel));
    const uint32_t values[8] = {L::kStrength, L::kIntelligence, L::kPhysique, L::kCharm,
                                L::kAgility,  L::kLoyalty,      L::kAttack,   L::kDefence};
    for (int i = 0; i < 8; ++i)
        Copy(text(2 + i), Number(Field(t, values[i])));
    Copy(text(10), Number(Field(t, L::kHp)) + "/" + Number(Field(t, L::kMaxHp)));
    Copy(text(11), Number(Field(t, L::kMp)) + "/" + Number(Field(t, L::kMaxMp)));
    Copy(text(12), Number(FollowerCount(t)));
    const int job = Field(t, L::kClass);
    Copy(text(13), job >= 1 && job <= 5 ? kClassNames[job - 1] : "");
    City* home = t->inCity ? t->HomeCity() : nullptr;
    Copy(text(14), t->inCity == 0 ? kInTheField : home ? std::string(home->Text(CityLayout::kName, 20)) : "");
    for (int c = 0; c < kOfficerColumns; ++c) {
        const uint8_t style = c == 0 || c >= 13 ? 2 : 0;
        const int cell = base + c;
        if (c == 0 && picked)
            ShowFieldTextColored(text(c), &officerFonts[cell], officerControls, cell, style, 16, 0, 255, 255,
                                 0);
        else
            ShowFieldText(text(c), &officerFonts[cell], officerControls, cell, style, 16);
    }
    if (TextLabel* first = FieldLabel(officerControls, base)) first->enabled = 1;
}

void Win37Window::FillCityRow(int row, City* city, bool picked) {
    const int base = row * kCityColumns;
    auto text = [&](int c) { return cityText[base + c]; };
    Copy(text(0), std::string(city->Text(CityLayout::kName, 20)));
    Kingdom* owner = TroopKingdom(city->ownerSide);
    Copy(text(2), owner ? std::string(owner->Text(KingdomLayout::kName, 20)) : "");
    for (int c = 1; c < kCityColumns; ++c)
        if (c != 2) Copy(text(c), Number(CityValue(c, city)));
    for (int c = 0; c < kCityColumns; ++c) {
        const uint8_t style = c == 0 || c == 2 ? 2 : 0;
        const int cell = base + c;
        if (c == 0 && picked)
            ShowFieldTextColored(text(c), &cityFonts[cell], cityControls, cell, style, 16, 0, 255, 255, 0);
        else
            ShowFieldText(text(c), &cityFonts[cell], cityControls, cell, style, 16);
    }
    if (TextLabel* first = FieldLabel(cityControls, base)) first->enabled = 1;
}

void Win37Window::PickRow(int row) {
    const bool officers = OfficerPage(page);
    const int position = pages[page].position;
    const int at = position + row;
    if (row < 0 || at >= RowCount()) return;
    int& picked = officers ? pickedOfficer : pickedCity;
    const int columns = officers ? kOfficerColumns : kCityColumns;
    LinkList* list = officers ? officerControls : cityControls;
    FontRecord* fonts = officers ? officerFonts : cityFonts;
    char(*texts)[kTextBytes] = officers ? officerText : cityText;
    if (picked >= 0 && picked - position >= 0 && picked - position < kRows) {
        const int cell = (picked - position) * columns;
        ShowFieldText(texts[cell], &fonts[cell], list, cell, 2, 16);
    }
    picked = at;
    const int cell = row * columns;
    ShowFieldTextColored(texts[cell], &fonts[cell], list, cell, 2, 16, 0, 255, 255, 0);

    GameController* c = TheGameController;
    MapView* view = c ? c->gameScreen : nullptr;
    if (!view) return;
    auto dropSelections = [view] {
        if (view->currentCity) view->DeselectBuilding(view->currentCity);
        if (view->currentSubCastle) view->DeselectSubCastle(view->currentSubCastle);
        view->currentCity = nullptr;
        view->currentSubCastle = nullptr;
    };
    City* city = nullptr;
    if (officers) {
        Troop* t = pages[page].officers[size_t(at)];
        if (t->inCity == 0) {
            const int x = std::clamp(t->cellX - 10, 0, std::max(0, view->mapWidth - MapView::kViewColumns));
            const int y = std::clamp(t->cellY * 2 - 28, 0, std::max(0, view->mapHeight - MapView::kViewRows));
            dropSelections();
            view->SetViewOrigin(x, y & ~3);
            view->Redraw();
            return;
        }
        city = t->HomeCity();
    } else {
        city = pages[page].cities[size_t(at)];
    }
    if (!city || view->currentCity == city) return;
    dropSelections();
    view->SetViewOrigin(std::max(city->CellX() - 10, view->scrollMinX),
                        std::max(city->CellY() - 21, view->scrollMinY));
    view->Redraw();
}

int Win37Window::HandleEscape() {
    if (!panel) return 0;
    if (Widget* close = Control(kClose)) OnControlClick(close, nullptr);
    return 1;
}

void Win37Window::ClosePages() {
    if (!panel) return;
    for (PageRows& p : pages)
        p = PageRows{};
    ShowPage(page, 0);
}

void Win37Window::DropTroop(const Troop* troop) {
    bool shown = false;
    for (int p = 0; p < 4; ++p) {
        auto& list = pages[p].officers;
        const auto gone = std::remove(list.begin(), list.end(), troop);
        if (gone == list.end()) continue;
        list.erase(gone, list.end());
        shown = shown || p == page;
    }
    if (shown && panel) ShowRows(std::min(pages[page].position, std::max(0, RowCount() - 1)));
}

void Win37Window::OnControlClick(Widget* control, Point*) {
    if (!control || !panel) return;
    const int id = control->id;
    if (control->parent == panel) {
        if (id == kClose) {
            if (owner) owner->OnNotify(this, 1);
        } else if (id >= kFirstTab && id <= kFirstTab + 3) {
            if (auto* tab = dynamic_cast<Button*>(Control(kFirstTab + page))) tab->Enable();
            const int next = id - kFirstTab;
            ShowPage(next, pages[next].position);
        } else if (id == kStepBack || id == kStepForward) {
            if (auto* bar = dynamic_cast<VScrollBar*>(Control(kBar))) {
                if (id == kStepBack)
                    bar->StepBack();
                else
                    bar->StepForward();
                ShowRows(bar->position);
            }
        }
        return;
    }
    const bool officerTable = officerView && control->parent == officerView;
    const bool cityTable = cityView && control->parent == cityView;
    if (!officerTable && !cityTable) return;
    const int columns = officerTable ? kOfficerColumns : kCityColumns;
    if (id >= 0x100 && id < 0x100 + columns) {
        int& column = officerTable ? officerSortColumn : citySortColumn;
        if (id - 0x100 == column) {
            ReverseRows();
        } else {
            column = id - 0x100;
            SortRows();
        }
        ShowRows(pages[page].position);
    } else if (id >= 0x200 && id < 0x200 + kRows * columns) {
        if ((officerTable && page == 0) || (cityTable && page == 1)) PickRow((id - 0x200) / columns);
    }
}

void Win37Window::OnControlPress(Widget* control, Point*) {
    if (control && (control->id & 0xFF00) == kBar)
        if (auto* bar = dynamic_cast<VScrollBar*>(control)) ShowRows(bar->position);
}

void Win37Window::OnControlHover(Widget* control, Point* point) {
    OnControlPress(control, point);
}

void OverviewTroopFell() {
    if (Win01Window* main = MainPanel(); main && main->overview) main->overview->ClosePages();
}

void OverviewTroopGone(const Troop* troop) {
    if (Win01Window* main = MainPanel(); main && main->overview) main->overview->DropTroop(troop);
}
