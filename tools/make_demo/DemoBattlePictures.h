#pragma once

#include <string>

// The battle's pictures: "kingdom.cel" with the grassland ground cell the demo map uses and the
// castle's paving and sprites, and the soldier animations "ani/001.anm", "ani/002.anm" with their action
// tables. False when a file cannot be written; `error` then names it.
bool WriteDemoBattlePictures(const std::string& folder, std::string& error);
