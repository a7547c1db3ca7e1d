#pragma once

// The stage path of a save slot: ".\Save\dynasty1.age" .. "dynasty9.age", then "dynastyA.age" ..
// "dynastyG.age"; null outside 0..15.
const char* SaveSlotFileName(int slot);
