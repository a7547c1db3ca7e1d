#include "events/SpeechBox.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "engine/AniFrame.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "engine/SurfaceText.h"
#include "events/EventStep.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "platform/Messages.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"

#include <algorithm>
#include <cstring>

namespace {
// Palette indexes of the colour escapes "%1" .. "%9".
constexpr int32_t kEscapeColours[9] = {208, 68, 28, 144, 28, 96, 104, 192, 208};
constexpr int kFontSize = 24;
constexpr int kTextLeft = 32;
constexpr int kTextTop = 49;
constexpr int kGlyphWidth = 24;
constexpr int kLineHeight = 26;
constexpr int kNameWidth = 138;
constexpr int kNameTop = 8;
constexpr int kPortraitX = 92;
constexpr int kPortraitY = 244;
constexpr int kFrontEndDelay = 5;
constexpr int kDefaultSpeed = 5;
constexpr int kSpeedEntries = 10;
const char kPortraitFile[] = "head_l.ani";
} // namespace

int32_t SpeechTypingDelay() {
    if (TheGameController && TheGameController->mode == 0) return kFrontEndDelay;
    const int32_t speed = TheScreenSettings ? TheScreenSettings->speechSetting : kDefaultSpeed;
    const int32_t index = speed >= 0 && speed < kSpeedEntries ? speed : kDefaultSpeed;
    return GameParams().Word_Speed[index];
}

SpeechBox::SpeechBox(Widget* root, Window* ownerWindow, EventStep* dialogueStep,
                     std::optional<std::string_view> talk, GuiLayout* layout)
    : owner(ownerWindow), rootWidget(root), step(dialogueStep) {
    if (!layout && TheGameController) layout = TheGameController->win25Layout;
    GuiImage* background = layout ? layout->elements[0] : nullptr;
    Rect* rect = background
                     ? new Rect(background->left, background->top, background->right, background->bottom)
                     : new Rect(0, 0, 0, 0);
    panel = new GuiPanel(background, rect, root, this, 1, 1, 0);
    if (layout) controls = layout->CreateControls(panel, this);

    const int32_t speaker = Speaker();
    const uint8_t* person = speaker ? GeneralTemplate(speaker) : nullptr;
    if (speaker == 0) {
        if (TheResourceStore) portrait = TheResourceStore->LoadAniFrame(kPortraitFile, 0);
    } else if (person) {
        DrawName();
        // The face a speaker talks with, not the one the lists show.
        constexpr uint32_t at = OfficerLayout::kSpeechPortrait;
        portraitNumber = static_cast<int32_t>(person[at] | (person[at + 1] << 8) | (person[at + 2] << 16) |
                                              (static_cast<uint32_t>(person[at + 3]) << 24));
        if (portraitNumber > 0 && TheResourceStore)
            portrait = TheResourceStore->LoadAniFrame(kPortraitFile, portraitNumber);
    }
    if (talk) {
        const size_t n = std::min(talk->size(), kMaxTextBytes);
        text.assign(talk->data(), talk->data() + n);
        text.push_back('\0');
        // A zero inside the text ends it, as it would end the original block.
        done = 0;
    } else {
        done = 1;
    }
    if (TheGameController) TheGameController->speechBox = this;
    typingDelay = SpeechTypingDelay();
    if (TheGameController) TheGameController->speechSpeed = static_cast<int16_t>(typingDelay);
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(panel));
}

SpeechBox::~SpeechBox() {
    if (portrait) FreeAniFrame(portrait);
    if (TheGameController && TheGameController->speechBox == this) TheGameController->speechBox = nullptr;
}

int SpeechBox::Close(int code) {
    if (TheGameController && TheGameController->speechBox == this) TheGameController->speechBox = nullptr;
    GuiPanel* p = panel;
    panel = nullptr;
    controls = nullptr;
    return CloseWindowAndPanel(p, code);
}

int32_t SpeechBox::Speaker() const {
    return step ? step->Int(EventStepLayout::kGeneral) : 0;
}

uint8_t SpeechBox::ByteAt(int32_t position) const {
    if (position < 0 || static_cast<size_t>(position) >= text.size()) return 0;
    return static_cast<uint8_t>(text[static_cast<size_t>(position)]);
}

void SpeechBox::SetCursorShape(int shape) {
    if (TheMouseCursor) TheMouseCursor->SetShape(shape);
}

void SpeechBox::DrawName() {
    const uint8_t* person = GeneralTemplate(Speaker());
    if (!person || !panel || !panel->surface || !TheBig5Font) return;
    char name[OfficerLayout::kNameBytes + 1] = {};
    std::memcpy(name, person + OfficerLayout::kName, OfficerLayout::kNameBytes);
    const int length = static_cast<int>(std::strlen(name));
    // Names longer than the plate start at its left edge.
    const int x = std::max(0, kTextLeft + (kNameWidth - 12 * length) / 2);
    TheBig5Font->fontSize = kFontSize;
    TheBig5Font->DrawSurfaceText(x, kNameTop, name, panel->surface, colour);
}

void SpeechBox::EndText() {
    SetCursorShape(5);
    done = 1;
    endWait = 0;
}

void SpeechBox::NewLine() {
    column = 0;
    glyphsOnLine = 0;
    ++row;
    ++linesOnPage;
    if (linesOnPage < linesPerPage) return;
    if (ByteAt(textPosition) == 0) {
        done = 1;
        endWait = 0;
    }
    SetCursorShape(5);
    row = 0;
    linesOnPage = 0;
    pageWait = 1;
}

void SpeechBox::TypeSpeechText() {
    if (done) {
        ++endWait;
        if (endWait >= kWaitFrames) {
            SetCursorShape(1);
            // The owner may close this box: nothing of it is touched afterwards.
            if (owner) owner->OnNotify(this, 1);
        }
        return;
    }
    if (pageWait >= 1 && pageWait < kWaitFrames) {
        if (++pageWait == kWaitFrames) {
            pageWait = 0;
            if (panel) panel->RestoreBackground();
            if (Speaker()) DrawName();
        }
        return;
    }
    if (delayCounter < typingDelay) {
        ++delayCounter;
        return;
    }
    delayCounter = 0;
    const uint8_t c = ByteAt(textPosition);
    if (c == 0) {
        EndText();
        return;
    }
    ++textPosition;
    if (c >= 0x80) {
        const uint8_t trail = ByteAt(textPosition);
        // A lead byte without its pair ends the text there.
        if (trail == 0) {
            EndText();
            return;
        }
        ++textPosition;
        const char glyph[3] = {static_cast<char>(c), static_cast<char>(trail), 0};
        if (panel && panel->surface && TheBig5Font) {
            TheBig5Font->fontSize = kFontSize;
            TheBig5Font->DrawSurfaceText(kTextLeft + kGlyphWidth * column, kTextTop + kLineHeight * row,
                                         glyph, panel->surface, colour);
        }
        ++column;
        ++glyphsOnLine;
        if (glyphsOnLine >= glyphsPerLine) {
            if (ByteAt(textPosition) == '\n') ++textPosition;
            NewLine();
        }
    } else if (c == '\n') {
        NewLine();
    } else if (c == '%') {
        const uint8_t which = ByteAt(textPosition);
        if (which == 0) {
            EndText();
            return;
        }
        ++textPosition;
        if (which == '%')
            colour = kDefaultColour;
        else if (which >= '1' && which <= '9')
            colour = kEscapeColours[which - '1'];
    }
}

void SpeechBox::AdvanceSpeechText() {
    const bool wasDone = done != 0;
    if (pageWait > 0) {
        pageWait = kWaitFrames - 1;
        SetCursorShape(1);
    }
    if (!done) {
        do {
            delayCounter = typingDelay;
            TypeSpeechText();
        } while (!done && pageWait == 0);
    }
    if (wasDone) {
        SetCursorShape(1);
        if (owner) owner->OnNotify(this, 1);
    }
}

void SpeechBox::DrawSpeechPortrait() {
    if (portrait && TheResourceStore) TheResourceStore->DrawAniFrameBlended(portrait, kPortraitX, kPortraitY);
}

void SpeechBox::OnClick(uint32_t message) {
    if (message != platform::WM_LBUTTONDOWN || !TheGameController) return;
    if (SpeechBox* box = TheGameController->speechBox) box->AdvanceSpeechText();
}
