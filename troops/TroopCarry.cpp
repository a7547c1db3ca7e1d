#include "engine/LinkList.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

int32_t Troop::NextCarrySlot() {
    if (!followers) followers = new LinkList;
    const int32_t capacity = officer ? officer->Get(OfficerLayout::kTroopCapacity) : 0;
    const int32_t count = followers->GetCount();
    return count < capacity ? count : -1;
}
