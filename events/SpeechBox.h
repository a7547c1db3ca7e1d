#pragma once

#include "gui/Window.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class EventStep;
class GuiLayout;
class GuiPanel;
class LinkList;
class Widget;
struct AniFrame;

// One line of scripted dialogue: the speaker's portrait and name, and the text typed out one
// character at a time, three lines of fifteen glyphs to a page. Tells its owner (the runner) with
// code 1 once the text has been shown.
class SpeechBox : public Window {
public:
    static constexpr int kGlyphsPerLine = 15;
    static constexpr int kLinesPerPage = 3;
    // Frames a full page and the finished text wait for a click.
    static constexpr int kWaitFrames = 350;
    static constexpr int kDefaultColour = 240;
    // A longer talk text is cut: no script says this much in one box.
    static constexpr size_t kMaxTextBytes = 16384;

    // The text is the talk text the step's first parameter names, none when it names none. The
    // panel takes the rectangle and picture of the layout's first record (the game controller's
    // "Win25.gui" when none is given).
    SpeechBox(Widget* root, Window* owner, EventStep* step, std::optional<std::string_view> text,
              GuiLayout* layout = nullptr);
    ~SpeechBox() override;

    int Close(int code) override;

    // One frame of typing.
    void TypeSpeechText();
    // A click: turns a waiting page, shows the rest of the page at once, or ends a done box.
    void AdvanceSpeechText();
    void DrawSpeechPortrait();
    // A mouse message of the game screen: a left-button press advances the open box.
    static void OnClick(uint32_t message);

    Window* owner = nullptr;
    Widget* rootWidget = nullptr;
    EventStep* step = nullptr;
    GuiPanel* panel = nullptr;
    std::vector<char> text; // zero-terminated; empty when the key has no text
    int32_t done = 0;
    int32_t delayCounter = 0;
    int32_t pageWait = 0;
    int32_t endWait = 0;
    int32_t column = 0;
    int32_t row = 0;
    int32_t textPosition = 0;
    int32_t linesOnPage = 0;
    int32_t glyphsOnLine = 0;
    int32_t colour = kDefaultColour;
    int32_t glyphsPerLine = kGlyphsPerLine;
    int32_t linesPerPage = kLinesPerPage;
    LinkList* controls = nullptr;
    int32_t portraitNumber = 0;
    AniFrame* portrait = nullptr;
    // Frames between two typed characters, fixed when the box is built.
    int32_t typingDelay = 0;

private:
    int32_t Speaker() const;
    void DrawName();
    void NewLine();
    void EndText();
    uint8_t ByteAt(int32_t position) const;
    static void SetCursorShape(int shape);
};

// The typing delay of a new box: the message-speed entry of the game parameters for the settings'
// speed, entry 5 without settings or with a speed outside the table, 5 in the front end.
int32_t SpeechTypingDelay();
