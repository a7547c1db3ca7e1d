#pragma once

// The demo stage as the game starts it, in this process: the folder is written by the demo's own
// writers, the game's start-up objects are made and the autoplay start begins the stage, so the
// world, the map view and the main panel are the ones the stage start builds. Clicks go through the
// controller's mouse handler, keys through the panel keys.

#include "DemoBattlePictures.h"
#include "DemoBattleStart.h"
#include "DemoCityPanels.h"
#include "DemoFolder.h"
#include "DemoGenerator.h"
#include "DemoStage.h"

#include "support/TempFolder.h"

#include "Program/Autoplay.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/LinkList.h"
#include "gui/DeferredDelete.h"
#include "gui/TextLabel.h"
#include "platform/Messages.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/WindowHosts.h"
#include "windows/main/Win01Window.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

class DemoBattleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        startupState = StartupState;
        ::setenv("KARDOL_HEADLESS", "1", 1);
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::setenv("KARDOL_REGISTRY", (folder.path() / "registry.ini").c_str(), 1);
        std::string error;
        const std::string where = folder.path().string();
        ASSERT_TRUE(WriteDemoFolder(where, error) && WriteDemoGenerator(where, error) &&
                    WriteDemoStage(where, error) && WriteDemoBattlePictures(where, error) &&
                    WriteDemoCityPanels(where, error))
            << error;
        AddFiles(where);
        ASSERT_TRUE(StartDemoGame(error)) << error;
        AutoplaySettings autoplay;
        autoplay.stageFile = "stage01.stg";
        autoplay.seeded = true;
        autoplay.seed = 3;
        InstallAutoplay(autoplay);
        for (int i = 0; i < 10 && TheGameController->mode != 1; ++i)
            Frame();
        ASSERT_EQ(TheGameController->mode, 1);
        ASSERT_NE(MainPanel(), nullptr);
    }
    // What a suite adds to the demo folder before the game starts.
    virtual void AddFiles(const std::string&) {}
    void TearDown() override {
        TearDownProgram();
        InstallAutoplay(AutoplaySettings{});
        // The start-up's state is the program's: the suites after this one start from the
        // front end's.
        StartupState = startupState;
    }

    static void Frame() {
        GameTimerProc(0, 0, 0, 0, 0);
        TheGameController->Frame(0);
    }

    // The screen point of the middle of a control, through its nested panels.
    static std::pair<int, int> Middle(const Widget* w) {
        int x = (w->rect.left + w->rect.right) / 2, y = (w->rect.top + w->rect.bottom) / 2;
        for (const Widget* p = w->parent; p; p = p->parent) {
            x += p->rect.left;
            y += p->rect.top;
        }
        return {x, y};
    }
    // A left click on the control as the player makes it.
    static void ClickControl(const Widget* w) {
        ASSERT_NE(w, nullptr);
        const auto [x, y] = Middle(w);
        GameController* c = TheGameController;
        c->mouseX = x;
        c->mouseY = y;
        c->OnMouse(platform::WM_MOUSEMOVE);
        c->OnMouse(platform::WM_LBUTTONDOWN);
        c->OnMouse(platform::WM_LBUTTONUP);
        FlushDeferredDeletes();
    }
    static Widget* Control(LinkList* controls, int id) {
        return controls ? reinterpret_cast<Widget*>(controls->FindById<Widget>(id)) : nullptr;
    }
    static Widget* MenuButton(int id) { return Control(MainPanel()->controls[0], id); }
    // The text a label of the list shows, or "" without one.
    static std::string LabelText(LinkList* controls, int id) {
        auto* label = dynamic_cast<TextLabel*>(Control(controls, id));
        return label && label->textRecord && label->textRecord->text ? label->textRecord->text : "";
    }

    static Kingdom* KingdomNamed(const std::string& name) {
        for (Kingdom* k : ListValues<Kingdom>(*CurrentStageSet()->kingdoms))
            if (std::string(k->Text(KingdomLayout::kName, 20)) == name) return k;
        return nullptr;
    }
    static City* CityNamed(const std::string& name) {
        for (Kingdom* k : ListValues<Kingdom>(*CurrentStageSet()->kingdoms))
            for (City* c : ListValues<City>(k->cities))
                if (std::string(c->Text(CityLayout::kName, 20)) == name) return c;
        return nullptr;
    }
    static Troop* TroopNamed(const std::string& name) {
        for (Kingdom* k : ListValues<Kingdom>(*CurrentStageSet()->kingdoms)) {
            for (Troop* t : ListValues<Troop>(k->fieldUnits))
                if (t->officer && t->officer->Name() == name) return t;
            for (City* c : ListValues<City>(k->cities))
                for (Troop* t : ListValues<Troop>(c->units))
                    if (t->officer && t->officer->Name() == name) return t;
        }
        return nullptr;
    }

    testsupport::TempFolder folder;
    int32_t startupState = 0;
};
