#include "Program/GameController.h"

#include "Program/CodeLine.h"
#include "Program/GameParameters.h"
#include "Program/MainWindow.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "gui/MouseCursor.h"
#include "net/CityValueCommand.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <cctype>

namespace {

Troop* FirstSelected(GameController& c) {
    if (!c.selection || c.selection->GetCount() == 0) return nullptr;
    return reinterpret_cast<Troop*>(c.selection->GetAt(0));
}

Troop* FirstFieldTroopOfPlayer() {
    Kingdom* k = TroopKingdom(PlayerKingdom());
    if (!k || k->fieldUnits.GetCount() == 0) return nullptr;
    return reinterpret_cast<Troop*>(k->fieldUnits.GetAt(0));
}

bool EditorView() {
    return TheScreenSettings && TheScreenSettings->editorKeys;
}

// Ends the stage at once with the result (1 victory, 2 failure).
void ForceResult(GameController& c, int32_t result) {
    if (TheMouseCursor) TheMouseCursor->SetShapeChecked(1);
    if (Zu_StageSet* stage = CurrentStageSet()) stage->result = result;
    if (TheScreenSettings) TheScreenSettings->battleEnded = 1;
    c.running = 1;
}

void CheckOutcome() {
    if (Zu_StageSet* stage = CurrentStageSet()) stage->CheckOutcome();
}

} // namespace

void GameController::OnChar(uint32_t character) {
    if (!ActiveFlag) return;
    OnCodeChar(character);
    if (TheCodeLine.open || mode != 1) return;
    if (pauseScreen.load() != 0) {
        if (character != 'P' && character != 'p') return;
        pauseScreen = 0;
        FreeAniFrame(PausePicture);
        PausePicture = nullptr;
        running = 1;
        return;
    }
    if (GameModeFlag) {
        // Missing: HandlePanelChar (the in-game panels' shortcuts).
        if (character == ' ') {
            Troop* t = FirstSelected(*this);
            CentreViewOnTroop(t ? t : FirstFieldTroopOfPlayer(), false);
        } else if ((character == 'P' || character == 'p') && !networked) {
            pauseScreen = 1;
            running ^= 1;
        }
    }
    if (pauseScreen.load() != 0) return;
    const int upper = std::toupper(static_cast<unsigned char>(character));
    if (developerKeys == 1 || GameModeFlag == 0) {
        switch (upper) {
        case ' ':
            CentreViewOnTroop(FirstSelected(*this), false);
            break;
        case 'A':
            if (!(TheScreenSettings && TheScreenSettings->windowed) && !editorStage && selectedCity) {
                NetCmdAddCityValue(selectedCity, 500, 1);
                NetCmdAddCityValue(selectedCity, 5000, 2);
                NetCmdAddCityValue(selectedCity, 400, 64);
            }
            break;
        case 'L':
            if (selection)
                for (int i = 0; i < selection->GetCount(); ++i)
                    RaiseToNextLevel(reinterpret_cast<Troop*>(selection->GetAt(i)), gameKind);
            break;
        case 'N': {
            int n = -1;
            if (currentGroup < 0) {
                for (int g = 0; g < 10 && n < 0; ++g)
                    if (groupHeaders[g] && groupHeaders[g]->inUse) n = g;
                if (n >= 0 && n < 6 && SelectGroup(n)) FocusGroup(n);
                break;
            }
            // Steps over groups not in use, wrapping from 5 to 0; a lap finding none ends it.
            int g = currentGroup == 9 ? 0 : currentGroup + 1;
            for (int steps = 0; steps < 10 && n < 0; ++steps) {
                if (g < 10 && groupHeaders[g] && groupHeaders[g]->inUse)
                    n = g;
                else
                    g = g >= 5 ? 0 : g + 1;
            }
            if (n >= 0 && SelectGroup(n)) FocusGroup(n);
            break;
        }
        case 'Q':
            unitPanelMode = uint8_t((unitPanelMode + 1) % 4);
            // Missing: Win05Window::ShowUnits (the unit panel) outside group-command mode.
            break;
        case 'R':
            WipeOutKingdom(TroopKingdom(PlayerKingdom()));
            CheckOutcome();
            break;
        case 'S':
            if (selectionActive && selection)
                for (int i = 0; i < selection->GetCount(); ++i)
                    NetCmdHalt(reinterpret_cast<Troop*>(selection->GetAt(i)));
            break;
        case 'W':
            WipeOutNonAlliedKingdoms();
            CheckOutcome();
            break;
        case 'Z':
            unitDisplayToggle ^= 1;
            break;
        default:
            // Missing: the castle template and brush keys of the stage editor, 'D' (City::BattleTick).
            break;
        }
    }
    if (developerKeys == 0) return;
    switch (upper) {
    case 'B':
        developerSurfaceToggle ^= 1;
        break;
    case 'F':
        if (!EditorView() && selection)
            for (int i = 0; i < selection->GetCount(); ++i)
                RandomRoam(reinterpret_cast<Troop*>(selection->GetAt(i)), 10, 20);
        break;
    case 'G':
        if (!EditorView()) {
            if (TheScreenSettings) TheScreenSettings->frameCounter100 = 0;
            running ^= 1;
            if (TheBattleMap) TheBattleMap->PlaceUnits(running);
        }
        break;
    case 'H':
        developerToggles[0] ^= 1;
        break;
    case 'M':
        developerToggles[1] ^= 1;
        break;
    case 'Y':
        developerToggles[2] ^= 1;
        break;
    case 'L':
        if (!EditorView()) ReadParameterFile();
        break;
    case 'O':
        ForceResult(*this, 1);
        break;
    case 'X':
        ForceResult(*this, 2);
        break;
    default:
        // Missing: SetAllTroopMarkers (the marker letters), the editor brushes and stage-editor keys.
        break;
    }
}
