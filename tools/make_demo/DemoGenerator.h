#pragma once

#include <string>

// Writes the random map's generator sources ("kingdom.atr", "ground01", "castle01") and the castle
// templates ("Castle01.Stg", "Castle01.Dor") into `folder`. False when a file cannot be written;
// `error` then names it.
bool WriteDemoGenerator(const std::string& folder, std::string& error);
