#pragma once

#include <string>

class City;

// Texts the battle shows on the main panel's status line (Big5).

// The city's name followed by "遭受敵人攻擊".
std::string UnderAttackText(const City& city);
// "被擊退", after a routed officer's name.
extern const char RoutedText[];
