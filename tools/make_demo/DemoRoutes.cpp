#include "DemoRoutes.h"

#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

namespace demoroutes {

namespace {
constexpr int32_t kRoamAtRouteEnd = 1; // "行動ai": roam once the route is done
} // namespace

void MakeScout(Kingdom& kingdom) {
    auto* scout = reinterpret_cast<Troop*>(kingdom.fieldUnits.Last());
    if (!scout || !scout->officer) return;
    scout->officer->Set(OfficerLayout::kActionAi, kRoamAtRouteEnd);
    // Outside the army: the rout of the blue army does not wait for him.
    scout->officer->Set(OfficerLayout::kRebel, 0);
}

} // namespace demoroutes
