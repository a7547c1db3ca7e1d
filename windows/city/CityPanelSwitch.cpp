#include "windows/city/CityPanelSwitch.h"

#include "Program/GameController.h"
#include "records/City.h"
#include "records/SubCastle.h"
#include "windows/city/SubCastlePanels.h"
#include "windows/city/Win13Window.h"
#include "windows/city/Win98Window.h"

namespace {

SubCastlePanel* PanelOf(const SubCastle* sc) {
    if (!TheWin98 || !sc) return nullptr;
    if (sc->Kind() == 4) return TheWin98->marketPanel;
    if (sc->Kind() == 5) return TheWin98->postPanel;
    return nullptr;
}

} // namespace

void OpenCityPanel(City* city) {
    if (!TheWin98 || !city) return;
    switch (city->Kind()) {
    case 0:
        if (TheWin98->command) TheWin98->command->Open(0, nullptr);
        break;
    case 1:
        if (TheWin98->townPanel) TheWin98->townPanel->Open(nullptr);
        break;
    case 6:
        if (TheWin98->campPanel) TheWin98->campPanel->Open(nullptr);
        break;
    default:
        break;
    }
}

void CloseCityPanel(City* city) {
    if (!TheWin98 || !city) return;
    switch (city->Kind()) {
    case 0:
        if (TheWin98->command) TheWin98->command->Close();
        break;
    case 1:
        if (TheWin98->townPanel) TheWin98->townPanel->Close();
        break;
    case 6:
        if (TheWin98->campPanel) TheWin98->campPanel->Close();
        break;
    default:
        break;
    }
}

void OpenSubCastlePanel(SubCastle* sc) {
    if (SubCastlePanel* panel = PanelOf(sc)) panel->Open(nullptr);
}

void CloseSubCastlePanel(SubCastle* sc) {
    if (SubCastlePanel* panel = PanelOf(sc)) panel->Close();
}

void RefreshSubCastlePanel(SubCastle* sc, bool newLeader) {
    SubCastlePanel* panel = PanelOf(sc);
    if (!panel || !panel->IsOpen() || panel->subCastle != sc) return;
    if (newLeader)
        panel->EnableButtons();
    else
        panel->Open(nullptr);
}

void RefreshCityPanel(City* city, int showList) {
    if (!TheWin98 || !city || city != SelectedCity()) return;
    switch (city->Kind()) {
    case 0:
        if (TheWin98->command) TheWin98->command->UpdateUnitButtons(showList);
        break;
    case 1:
        if (TheWin98->townPanel && TheWin98->townPanel->IsOpen()) TheWin98->townPanel->Open(nullptr);
        break;
    case 6:
        if (TheWin98->campPanel && TheWin98->campPanel->IsOpen()) TheWin98->campPanel->Open(nullptr);
        break;
    default:
        break;
    }
}
