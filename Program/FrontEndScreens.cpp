#include "Program/FrontEndScreens.h"

#include "Program/CampaignWindows.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/SaveLoadScreen.h"
#include "Program/SceneMachine.h"
#include "Program/SoundEffects.h"
#include "Program/StageListWindow.h"
#include "Program/Startup.h"
#include "engine/ErrorList.h"
#include "engine/LinkList.h"
#include "engine/PumpMessages.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "engine/SurfaceText.h"
#include "engine/Tools.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/RootWidget.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"

#include <cstdio>

AniFrame* CreditsFrame = nullptr;

// "版本 2.02T"
const char MenuVersionText[] = "\xaa\xa9\xa5\xbb 2.02T";

ScreenWindow::ScreenWindow(const char* layoutFile, Widget* parent, Window* owner, int originX, int originY)
    : owner(owner), parentWidget(parent) {
    layout = new GuiLayout(layoutFile);
    GuiImage* background = layout->elements[0];
    Rect* rect = nullptr;
    if (!background) {
        Zu_ErrorList::Global().Add(layoutFile ? layoutFile : "", __LINE__, Zu_ErrorList::KindOpen, 0);
        rect = new Rect(0, 0, 0, 0);
    } else if (originX >= 0) {
        rect = new Rect(originX, originY, originX + background->width, originY + background->height);
    } else {
        rect = new Rect(background->left, background->top, background->right, background->bottom);
    }
    panel = new GuiPanel(background, rect, parent, this, 1, 1, 0);
    controls = layout->CreateControls(panel, this);
}

ScreenWindow::~ScreenWindow() {
    delete layout;
}

void ScreenWindow::AddToDrawList() {
    if (TheResourceStore && TheResourceStore->drawList && panel)
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(panel));
}

int ScreenWindow::Close(int result) {
    GuiPanel* p = panel;
    panel = nullptr;
    controls = nullptr;
    return CloseWindowAndPanel(p, result);
}

void ScreenWindow::ClosePanel(int result) {
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->RemoveValue(reinterpret_cast<uintptr_t>(panel));
    if (panel) {
        panel->result = result;
        panel->Close(0);
        DeferDelete(panel);
        panel = nullptr;
        controls = nullptr;
    }
}

Widget* ScreenWindow::Control(int id) const {
    return FindScreenControl(controls, id);
}

bool ScreenWindow::Loaded() const {
    return layout && layout->elements[0];
}

void ReportUnreadableFile(const char* fileName) {
    const char* name = fileName ? fileName : "";
    Zu_Tools::WriteErrorLog(name, "cannot be read", 0, 0, 0, 0, 1);
    char text[512];
    std::snprintf(text, sizeof text, "Could not read file %s!", name);
    platform::MessageBoxA(AppWindow.window, text, "Kardol", 0x30);
}

MainMenuScreen::MainMenuScreen(Widget* parent, Window* owner) : ScreenWindow("mainmenu.gui", parent, owner) {
    if (TheGameController) TheGameController->networked = 0;
    CreditsFrame = nullptr;
    if (TheBig5Font && panel && panel->surface) {
        TheBig5Font->fontSize = 16;
        TheBig5Font->DrawSurfaceText(360, 303, MenuVersionText, panel->surface, 240);
    }
    AddToDrawList();
    PumpMessages();
}

void MainMenuScreen::OnControlClick(Widget* control, Point*) {
    if (CreditsFrame) {
        FreeAniFrame(CreditsFrame);
        CreditsFrame = nullptr;
        return;
    }
    if (!control || !TheGameController) return;
    const int n = static_cast<int16_t>(control->id) - 0x100;
    if (n < 0 || n >= 5) return;
    GameController* c = TheGameController;
    switch (n) {
    case 0:
    case 1:
    case 4:
        c->menuChoice = n;
        PlaySoundEffect(1);
        break;
    case 2:
        PlaySoundEffect(1);
        c->saveLoadScreen = new SaveLoadScreen(TheRootWidget, this, SaveLoadScreen::kLoad);
        if (panel) panel->visible = 0;
        break;
    case 3:
        PlaySoundEffect(1);
        if (GameModeFlag) {
            if (!CreditsFrame && TheResourceStore)
                CreditsFrame = TheResourceStore->LoadAniFrame("CREDIT.ani", 0);
        } else {
            c->menuChoice = 3;
        }
        break;
    }
}

void MainMenuScreen::OnNotify(Window* sender, int code) {
    GameController* c = TheGameController;
    if (!c || !sender || sender != c->saveLoadScreen) return;
    c->saveLoadScreen->Close(1);
    c->saveLoadScreen = nullptr;
    if (panel) panel->visible = 1;
    if (code == 1) {
        // The loaded game runs at once: the menu goes and the controller forgets it.
        if (c->mainMenu == this) c->mainMenu = nullptr;
        c->requestedMode = 1;
        Close(1);
    }
}

SingleScreen::SingleScreen(Widget* parent) : ScreenWindow("Single.gui", parent, nullptr) {
    AddToDrawList();
}

void SingleScreen::OnControlClick(Widget* control, Point*) {
    if (!control || !TheGameController) return;
    const int n = static_cast<int16_t>(control->id) - 0x100;
    // The fourth button leads to no scene; it does nothing rather than close the screen.
    if (n < 0 || n >= 3) return;
    TheGameController->singleChoice = static_cast<int8_t>(n);
    PlaySoundEffect(1);
}

namespace {

// The scene machine opens the screens through these; everything else stays as built in.
class FrontEndScreenServices : public FrontEndServices {
public:
    Window* NewMainMenuWindow(Widget* root, int) override {
        Window* menu = Readable(new MainMenuScreen(root, nullptr), "mainmenu.gui");
        if (!menu) {
            // Without the main menu there is no screen to stay on: the file has been named and
            // the program ends.
            StartupState = 5;
            platform::PostMessage(AppWindow.window, platform::WM_CLOSE, 0, 0);
        }
        return menu;
    }
    Window* NewSingleMenuWindow(Widget* root) override {
        return Readable(new SingleScreen(root), "Single.gui");
    }
    Window* NewHeroWindow(Widget* root, GameController*) override {
        return Readable(new HeroWindow(root), "Hero.gui");
    }
    Window* NewActSelectWindow(Widget* root, GameController*, const char* layoutFile) override {
        return layoutFile ? Readable(new ActSelectWindow(root, layoutFile), layoutFile) : nullptr;
    }
    Window* NewStageListWindow(Widget* root, GameController* owner) override {
        auto* w = new Win75Window(root, owner);
        if (w->Loaded()) return w;
        ReportUnreadableFile(w->MissingFile());
        delete w;
        return nullptr;
    }

private:
    // A screen whose layout cannot be read is reported and closed; the scene machine keeps the
    // player where he was.
    static Window* Readable(ScreenWindow* screen, const char* layoutFile) {
        if (screen->Loaded()) return screen;
        ReportUnreadableFile(layoutFile);
        screen->Close(1);
        return nullptr;
    }
};

} // namespace

void InstallFrontEndScreens() {
    static FrontEndScreenServices services;
    SetFrontEndServices(&services);
}
