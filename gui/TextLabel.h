#pragma once

#include "gui/Control.h"
#include "platform/GdiText.h"
#include "platform/GlobalMemory.h"

#include <cstdint>

struct FontRecord;
struct GuiImage;
struct LabelPicture;

// A gauge's colour and filled share (0..100), kept by the window that shows it.
struct ColorRecord {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    int16_t percent = 0;
};
using BarRecord = ColorRecord;

// Shows a window's changing content in a rectangle of its parent's surface: lines of Big5 text, a
// gauge bar, or a picture (a copy of a portrait or a window's picture, and an image on top).
class TextLabel : public Control {
public:
    enum DrawMode : int16_t { Bar = 100, BarText = 101, Text = 150, Picture = 200, PictureAlso = 255 };
    // Longest line drawn, in bytes.
    static constexpr int kLineBytes = 63;

    // With a layout record, its word becomes the id. A label starts disabled.
    TextLabel(GuiImage* layoutRecord, int16_t unused, Rect* rect, Widget* parent, Window* listener,
              int addToParent, int extra);
    ~TextLabel() override;

    void OnLeftButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;

    void SetTextColor(int16_t mode) { drawMode = mode; }
    // The label draws its bar from the record at the next redraw; the caller keeps it alive.
    void SetColorRecord(ColorRecord* record) { barRecord = record; }
    void SetFont(FontRecord* record, int16_t unused);
    // Redraws by draw mode, then tells the listener.
    void DrawText();
    void ClearArea();
    void DrawBar();
    void DrawTextLines();
    void DrawPicture();
    // A window's picture, copied; null drops the copy.
    void SetBackgroundImage(LabelPicture* picture);
    // Portrait n, small (size 0) or medium; the label owns it.
    void SetBackgroundPicture(int size, int n);
    // Copies the picture again, then tints it: 1 red, 2 grey, other modes untinted.
    void RestoreBackground(int mode);

    int16_t drawMode = 0;
    platform::LOGFONTA font;
    LabelPicture* source = nullptr;
    LabelPicture* copy = nullptr;
    GuiImage* image = nullptr;
    FontRecord* textRecord = nullptr;
    BarRecord* barRecord = nullptr;
    GuiImage* layoutRecord = nullptr;
    // A bar the label keeps for the field operations, so a redraw allocates nothing.
    ColorRecord ownBar;
    uint8_t flagWord = 0;

    // The number of bytes of a line that fit the line buffer without splitting a Big5 pair.
    static int LineLength(const char* line, int length);

private:
    void FreeCopy();
    void MakeCopy(LabelPicture* picture);
    void DropOwnedSource();
    platform::HGLOBAL copyBlock = nullptr;
    bool ownsSource = false;
};

// The label's starting font: 16 pixels, the Ming face, Big5.
extern const platform::LOGFONTA TextLabelDefaultFont;
