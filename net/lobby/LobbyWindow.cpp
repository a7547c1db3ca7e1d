#include "engine/Tools.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/RootWidget.h"
#include "gui/TextButton.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "net/lobby/SlotFields.h"

#include <cstring>

LobbyWindow::LobbyWindow(const char* layoutFile, Widget* parent, Zu_LocalSet* owner, int originX, int originY)
    : ScreenWindow(layoutFile, parent, nullptr, originX, originY), session(owner) {
    Answer(-1);
}

void LobbyWindow::SetEnabled(bool on) {
    if (panel) panel->enabled = on ? 1 : 0;
}

void LobbyWindow::Answer(int code) {
    if (session) session->input = code;
}

void LobbyWindow::SetText(int id, uint8_t r, uint8_t g, uint8_t b, uint8_t style, const std::string& text,
                          int8_t size) {
    Widget* w = Control(id);
    if (!w) return;
    if (auto* button = dynamic_cast<TextButton*>(w)) {
        std::unique_ptr<LabelText>& held = captions[id];
        if (!held) held = std::make_unique<LabelText>();
        // Unchanged captions are not drawn again.
        if (held->record.text && held->text == text && held->record.r == r && held->record.g == g &&
            held->record.b == b)
            return;
        held->text = text;
        held->record = FontRecord{r, g, b, 0, size, held->text.c_str(), style};
        button->SetCaption(&held->record, 0);
        return;
    }
    // Unchanged label texts are not drawn again either.
    if (const LabelText* shown = labels.TextOf(w);
        shown && shown->text == text && shown->record.r == r && shown->record.g == g && shown->record.b == b)
        return;
    labels.SetText(w, r, g, b, size, style, text);
}

void LobbyWindow::SetBar(int id, uint8_t r, uint8_t g, uint8_t b, bool shown) {
    auto* label = dynamic_cast<TextLabel*>(Control(id));
    if (!label) return;
    std::unique_ptr<BarRecord>& bar = bars[id];
    if (!bar) bar = std::make_unique<BarRecord>();
    *bar = BarRecord{r, g, b, int16_t(shown ? 100 : 0)};
    label->barRecord = bar.get();
    label->drawMode = TextLabel::Bar;
    label->visible = shown ? 1 : 0;
    if (shown)
        label->DrawText();
    else
        label->ClearArea();
}

int Zu_LocalSet2::IdToIndex(int count, const int32_t* ids, int32_t id) {
    for (int i = 0; ids && i < count; ++i)
        if (ids[i] == id) return i;
    return -1;
}

LobbyStatusPanel::LobbyStatusPanel() : ScreenWindow("Win01_1.gui", TheRootWidget, nullptr) {
    if (panel)
        panel->rect.Set(panel->rect.left, panel->rect.top - 300, panel->rect.right, panel->rect.bottom - 300);
    AddToDrawList();
    shown = true;
}

void LobbyStatusPanel::Show(const char* text) {
    if (panel) panel->visible = 1;
    shown = true;
    labels.SetText(Control(0x200), 255, 255, 255, 16, 2, text ? text : "");
}

void LobbyStatusPanel::Hide() {
    if (panel) panel->visible = 0;
    shown = false;
}

Win74Window::Win74Window(Widget* parent, Zu_LocalSet* owner) : LobbyWindow("Win74.gui", parent, owner) {
    AddToDrawList();
}

void Win74Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    const int n = control->id - 0x100;
    if (n >= 0 && n <= 2) Answer(n);
}

Win207Window::Win207Window(Widget* parent, Zu_LocalSet* owner) : LobbyWindow("Win207.gui", parent, owner) {
    // One button of each group down: the first.
    for (int id : {0x100, 0x102, 0x106})
        ShowButtonPressed(Control(id));
    AddToDrawList();
}

Win207Window::~Win207Window() {
    if (editing >= 0 && Zu_Tools::Global().GetBuffer() == fields[editing])
        Zu_Tools::Global().AttachBuffer(nullptr, 0, 0);
}

std::string Win207Window::FieldText(int n) const {
    if (n < 0 || n > 1) return {};
    return std::string(fields[n], strnlen(fields[n], sizeof fields[n]));
}

void Win207Window::Update() {
    ++frame;
    const int period = layout && layout->labelCount > 0 ? layout->labelCount : 1;
    const bool cursor = (frame / period) % 2 == 0;
    for (int n = 0; n < 2; ++n)
        SetText(0x200 + n, 255, 140, 235, 2, FieldText(n) + (n == editing && cursor ? "_" : ""));
}

void Win207Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    if (control->id == 0x200 || control->id == 0x201) {
        editing = control->id - 0x200;
        Zu_Tools::Global().AttachBuffer(fields[editing], Zu_Tools::kFieldSize, Zu_Tools::kInputOn);
        return;
    }
    const int n = control->id - 0x100;
    if (n < 0 || n > 9) return;
    const int groups[3][2] = {{0, 1}, {2, 5}, {6, 7}};
    for (const auto& g : groups)
        if (n >= g[0] && n <= g[1])
            for (int k = g[0]; k <= g[1]; ++k)
                (k == n ? ShowButtonPressed : ShowButtonNormal)(Control(0x100 + k));
    Answer(n);
}

Win211Window::Win211Window(Widget* parent, Zu_LocalSet* owner, const std::string& name)
    : LobbyWindow("Win211.gui", parent, owner) {
    SetCaption(2, name);
    AddToDrawList();
}

void Win211Window::SetCaption(int i, const std::string& text) {
    static const int ids[3] = {0x100, 0x101, 0x600};
    if (i < 0 || i > 2) return;
    SetText(ids[i], 255, 0, 0, 1, text);
}

void Win211Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    if (control->id == 0x100) Answer(200);
    if (control->id == 0x101) Answer(201);
}

// Blue, red, green, purple, orange, blue-green, yellow, peach, yellow-green, grey, bright green,
// faded scarlet, light blue, azure, red-purple, skin.
const uint16_t FactionColours[16] = {0x001F, 0xF800, 0x07E0, 0x801F, 0xFC00, 0x07FF, 0xFFE0, 0xFB56,
                                     0x9FE0, 0x8410, 0x87F0, 0xC9A6, 0x867F, 0x041F, 0xF81F, 0xFE75};

void FactionColour(int n, uint8_t* r, uint8_t* g, uint8_t* b) {
    const uint16_t c = n >= 0 && n < 16 ? FactionColours[n] : 0;
    *r = uint8_t((c >> 11) << 3);
    *g = uint8_t(((c >> 5) & 0x3F) << 2);
    *b = uint8_t((c & 0x1F) << 3);
}

Win213Window::Win213Window(Widget* parent, Zu_LocalSet* owner) : LobbyWindow("Win213.gui", parent, owner) {
    const uint32_t factions = owner ? owner->room.MaxPlayers() : 16;
    for (int n = 0; n < 16; ++n) {
        uint8_t r, g, b;
        FactionColour(n, &r, &g, &b);
        SetBar(0x200 + n, r, g, b, true);
        SetText(0x600 + n, 220, 220, 220, 1, lobbytext::kFactionColourNames[n]);
        auto* button = dynamic_cast<TextButton*>(Control(0x600 + n));
        if (!button) continue;
        const bool held = owner && owner->IsChoiceTaken(owner->OwnIndex(), uint32_t(n + 1));
        if (uint32_t(n) >= factions || held)
            button->Disable();
        else
            button->Enable();
    }
    AddToDrawList();
}

void Win213Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    const int id = control->id;
    if (id >= 0x600 && id < 0x610) {
        // A disabled faction cannot be chosen.
        if (!control->enabled) return;
        Answer(317 + id - 0x600);
    } else if (id >= 0x200 && id < 0x210) {
        // The colour swatches choose nothing.
    } else {
        Answer(300);
    }
}
