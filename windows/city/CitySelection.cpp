#include "windows/city/CitySelection.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "troops/TroopWorld.h"
#include "windows/city/Win98Window.h"
#include "world/MapView.h"

#include <vector>

namespace {

void Select(City* city, SubCastle* sc) {
    GameController* c = TheGameController;
    MapView* view = c ? c->gameScreen : nullptr;
    if (!view) return;
    if (City* old = c->selectedCity) view->DeselectBuilding(old);
    if (SubCastle* old = c->selectedSubCastle) view->DeselectSubCastle(old);
    if (sc) {
        view->currentSubCastle = sc;
        c->selectedSubCastle = sc;
        view->SelectSubCastle(sc);
    } else {
        c->selectedSubCastle = nullptr;
        view->currentCity = city;
        view->SelectBuilding(city);
    }
}

} // namespace

bool SelectCityObject(int mode, int32_t kind, bool test) {
    City* city = SelectedCity();
    if (!city || city->ownerSide != PlayerKingdom()) return false;
    if (mode == 0) {
        SubCastle* sc = kind == 0 ? nullptr : city->FindSubCastleOfKind(kind);
        if (kind != 0 && !sc) return false;
        if (!test) Select(city, sc);
        return true;
    }
    Kingdom* own = TroopKingdom(PlayerKingdom());
    if (!own) return false;
    std::vector<City*> cities;
    for (uintptr_t v = own->cities.First(); v != 0; v = own->cities.Next())
        cities.push_back(reinterpret_cast<City*>(v));
    const int n = int(cities.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (cities[i] == city) at = i;
    if (at < 0) return false;
    for (int step = 1; step < n; ++step) {
        City* other = cities[size_t(((mode == 1 ? at - step : at + step) % n + n) % n)];
        if (other->Kind() != kind || !other->InsideBattleField()) continue;
        if (!test) Select(other, nullptr);
        return true;
    }
    return false;
}

void TestCycleButtons(LinkList* controls, int32_t kind, int firstId) {
    if (SelectCityObject(1, kind, true)) return;
    DisableButton(FindScreenControl(controls, firstId));
    DisableButton(FindScreenControl(controls, firstId + 1));
}
