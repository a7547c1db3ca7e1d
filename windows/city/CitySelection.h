#pragma once

#include <cstdint>

class City;

// The city panels' selection steps. Mode 0 selects the selected city's sub-castle of the kind (4
// or 5), or with kind 0 the city itself; modes 1 and 2 step backwards and forwards through the
// player's own cities of the kind inside the battle area. With `test` nothing changes: the answer
// tells whether there is such an object. Only a selected city of the player's side steps.
bool SelectCityObject(int mode, int32_t kind, bool test);
// Disables the two stepping buttons when there is no other city of the kind to step to.
class LinkList;
void TestCycleButtons(LinkList* controls, int32_t kind, int firstId);
