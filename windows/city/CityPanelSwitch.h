#pragma once

class City;
class SubCastle;

// The panel each selection opens: the command panel for a city of kind 0, the town and camp
// panels for kinds 1 and 6, the market and garrison post panels for sub-castles of kind 4 and 5.
void OpenCityPanel(City* city);
void CloseCityPanel(City* city);
void OpenSubCastlePanel(SubCastle* subCastle);
void CloseSubCastlePanel(SubCastle* subCastle);
// The selected city's panel follows its troops: the command panel's buttons (showList 0) or its
// list (1); the town and camp panels open again.
void RefreshCityPanel(City* city, int showList);
// The sub-castle panel showing this sub-castle: its troops are listed again, and a new general
// enables its orders.
void RefreshSubCastlePanel(SubCastle* subCastle, bool newLeader);
