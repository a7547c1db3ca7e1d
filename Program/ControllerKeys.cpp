#include "Program/GameController.h"
#include "windows/city/Win98Window.h"

#include "Program/CodeLine.h"
#include "Program/GameParameters.h"
#include "Program/MainWindow.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"
#include "gui/MouseCursor.h"
#include "net/CityValueCommand.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/EditorKeyTarget.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/StageEditor.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/unit/Win05Window.h"
#include "world/BattleMap.h"
#include "world/CastleTemplate.h"
#include "world/GeneratorSources.h"
#include "world/MapView.h"

#include <algorithm>
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

bool WindowedEditorView() {
    return TheScreenSettings && TheScreenSettings->windowed && EditorView();
}

void SetBrush(int32_t value) {
    if (TheStageEditor) TheStageEditor->brush = value;
}

// The editor's brush characters of the second set: 0 for any other character.
int32_t BrushOf(uint32_t character) {
    switch (character) {
    case '!':
        return 11;
    case '@':
        return 12;
    case '#':
        return 13;
    case '$':
        return 14;
    case '%':
        return 15;
    case '^':
        return 16;
    case '&':
        return 17;
    case '*':
        return 18;
    case '0':
        return 10;
    default:
        return character >= '1' && character <= '9' ? int32_t(character - '0') : 0;
    }
}

void MarkAllTroops(GameController& c, uint8_t value) {
    c.markerValue = value;
    SetAllTroopMarkers();
}

// The next kingdom that exists after the troop's own, counting 16 round to 1.
void MoveToNextKingdom(Troop& t) {
    int32_t k = t.owner;
    for (int i = 0; i < 16; ++i) {
        k = k >= 16 || k < 1 ? 1 : k + 1;
        if (TroopKingdom(k)) break;
    }
    Kingdom* to = TroopKingdom(k);
    if (!to || k == t.owner) return;
    Kingdom* from = TroopKingdom(t.owner);
    if (from && from->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(&t)))
        to->fieldUnits.Add(reinterpret_cast<uintptr_t>(&t));
    t.owner = int8_t(k);
    if (t.officer) t.officer->ownerSide = k;
}

// One step of the developer state cycle for every selected troop.
void CycleTroopStates(GameController& c) {
    if (c.selection)
        for (int i = 0; i < c.selection->GetCount(); ++i) {
            Troop& t = *reinterpret_cast<Troop*>(c.selection->GetAt(i));
            switch (c.troopStateCycle) {
            case 0:
                t.state = 10;
                break;
            case 1:
                t.state = 0;
                break;
            case 2:
                t.state = 11;
                t.actionCode = 0;
                break;
            case 4:
                t.state = 10;
                t.actionCode = 14;
                break;
            case 5:
                t.state = 11;
                t.actionCode = 16;
                break;
            case 6:
                MoveToNextKingdom(t);
                break;
            default:
                break;
            }
            t.StartActionAnimation();
        }
    c.troopStateCycle = c.troopStateCycle >= 6 ? 0 : c.troopStateCycle + 1;
}

// A blank event (id 99) with one step of command 7, for the editor to fill in.
void AddBlankEvent(Zu_StageSet* stage) {
    if (!stage || !stage->events) return;
    auto* event = new events::EventRecord;
    event->ClearBlock();
    event->SetInt(EventLayout::kId, 99);
    auto* step = new EventStep;
    step->ClearBlock();
    step->SetInt(EventStepLayout::kCode, 7);
    event->steps.Add(reinterpret_cast<uintptr_t>(step));
    stage->events->Add(reinterpret_cast<uintptr_t>(event));
}

// The wide view shows 40 columns and 112 rows: the tool view's origin keeps them on the map.
void ToggleWideView() {
    StageEditor* editor = TheStageEditor;
    if (!editor) return;
    editor->flagWord ^= StageEditor::kWideViewBit;
    EditorKeyTarget* view = editor->toolView;
    if (!EditorView() || editor->flagWord == 0 || !view) return;
    if (view->viewColumn + 40 > view->mapWidth) view->viewColumn = view->mapWidth - 40;
    if (view->viewRow + 40 > view->mapHeight) view->viewRow = view->mapHeight - 112;
    view->viewColumn = std::max(view->viewColumn, 0);
    view->viewRow = std::max(view->viewRow, 0);
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
        case '(':
            SetBrush(19);
            PruneCityPlotLists(editingMap);
            break;
        case ')':
            if (WindowedEditorView() && TheStageEditor) {
                SetBrush(20);
                TheStageEditor->castleTemplate.Load();
                ApplyTemplateCityMembers(TheStageEditor->castleTemplate);
            }
            break;
        case '+':
            if (WindowedEditorView() && TheStageEditor) {
                StageEditor& e = *TheStageEditor;
                LoadCastleTileSet(e.castleSource);
                e.castleTemplate.Load();
                StampCastleTemplates(e.castleTemplate, e.castleSource, editingMap);
                // The stamping used the template up.
                e.castleTemplate.Load();
                ApplyTemplateCityMembers(e.castleTemplate);
            }
            break;
        case '_':
            if (WindowedEditorView() && TheStageEditor) {
                TheStageEditor->castleTemplate.Load();
                ApplyTemplateCities(TheStageEditor->castleTemplate);
            }
            break;
        case ',':
        case '<':
            ResetGridMarks(editingMap, false);
            break;
        case '.':
        case '>':
            ResetGridMarks(editingMap, true);
            break;
        case 'D':
            if (gameScreen && selectedCity) selectedCity->ApplyUpgrade();
            break;
        case 'A':
            if (!(TheScreenSettings && TheScreenSettings->windowed) && !editorStage && selectedCity) {
                NetCmdAddCityValue(selectedCity, 500, 1);
                NetCmdAddCityValue(selectedCity, 5000, 2);
                NetCmdAddCityValue(selectedCity, 400, 64);
                RefreshCityFields(selectedCity, 0x43);
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
            if (Win05Window* panel = UnitPanel(); panel && groupCommandMode == 0)
                panel->ShowUnits(selection, 0, 0, 0, 0);
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
            break;
        }
    }
    if (developerKeys == 0) return;
    if (const int32_t brush = BrushOf(character); brush != 0) {
        if (EditorView()) SetBrush(brush);
        return;
    }
    switch (upper) {
    case 'A':
        MarkAllTroops(*this, 5);
        break;
    case 'C':
        if (!EditorView()) MarkAllTroops(*this, 8);
        break;
    case 'D':
        MarkAllTroops(*this, 1);
        break;
    case 'E':
        MarkAllTroops(*this, 2);
        break;
    case 'Q':
        MarkAllTroops(*this, 4);
        break;
    case 'T':
        MarkAllTroops(*this, 7);
        break;
    case 'W':
        MarkAllTroops(*this, 3);
        break;
    case 'Z':
        MarkAllTroops(*this, 6);
        break;
    case 'J':
        if (selectionActive) CycleTroopStates(*this);
        break;
    case 'K':
        if (editorStage) AddBlankEvent(static_cast<Zu_StageSet*>(editorStage));
        break;
    case 'V':
        ToggleWideView();
        break;
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
        // Missing: 'I' (reloading the selected troops' kind values from their template): what it
        // reloads is not settled.
        break;
    }
}
