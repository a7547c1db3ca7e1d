#include "windows/city/CityPrices.h"

#include "Program/GameParameters.h"
#include "gui/Button.h"
#include "gui/GuiLayout.h"
#include "records/City.h"
#include "records/CityWorks.h"
#include "records/RecordTables.h"
#include "windows/city/Win98Window.h"

#include <algorithm>
#include <cstring>

namespace cityprice {

int32_t Gold(const City& city) {
    return city.Int(CityLayout::kGold);
}
int32_t Food(const City& city) {
    return city.Int(CityLayout::kFood);
}
int32_t Population(const City& city) {
    return city.Int(CityLayout::kPopulation);
}

int32_t BuildingCost(int32_t kind) {
    return kind >= 0 && kind < 26 ? GameParams().buildingCost[kind] : 0;
}

int32_t ScalePopulation(int32_t scale) {
    return scale >= 1 && scale <= 3 ? GameParams().wallPopulation[scale - 1] : 0;
}

int32_t SpecialLine(const City& city) {
    return std::clamp((city.Int(CityWorkColumns::kSpecialBarracks) - 15) / 2, 0, 3);
}

int32_t SoldierCost(int32_t soldierType, int what) {
    // "徵兵扣人", "徵兵扣金", "徵兵扣糧"
    static constexpr uint32_t kColumns[3] = {68, 72, 76};
    const uint8_t* block = SoldierTypeBlock(soldierType);
    int32_t v = 0;
    if (block && what >= 0 && what < 3) std::memcpy(&v, block + kColumns[what], 4);
    return v;
}

} // namespace cityprice

void SetHostImage(Widget* widget, int k) {
    auto* button = dynamic_cast<Button*>(widget);
    GuiLayout* layout = TheWin98 ? TheWin98->layout : nullptr;
    if (!button || !layout || k < 0) return;
    const int first = layout->pictureButtonFirst + 4 * k;
    if (first < 0 || first + 3 >= GuiLayout::kSlots || !layout->elements[first]) return;
    button->table = &layout->elements[first];
    button->normalIndex = 0;
    button->pressedIndex = 1;
    button->hoverIndex = 2;
    button->disabledIndex = 3;
}
