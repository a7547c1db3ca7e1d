#pragma once

#include <cstdint>

class LinkList;
class TextLabel;
struct FontRecord;

// The field operations every game window fills its labels with: the label is TextLabel
// 0x200 + index of the window's control list. The record and the text stay the caller's and must
// outlive the label's use of them. A missing label does nothing.

// White text in the Ming face.
void ShowFieldText(const char* text, FontRecord* fontRecord, LinkList* controls, int index, uint8_t style,
                   int8_t size);
void ShowFieldTextColored(const char* text, FontRecord* fontRecord, LinkList* controls, int index,
                          uint8_t style, int8_t size, uint8_t face, uint8_t red, uint8_t green, uint8_t blue);
// A bar filled to value per cent (0..100) in the colour.
void ShowFieldColor(int value, uint8_t red, uint8_t green, uint8_t blue, LinkList* controls, int index,
                    int flags);
// The bar with white text over it.
void ShowFieldColorText(int value, uint8_t red, uint8_t green, uint8_t blue, const char* text,
                        FontRecord* fontRecord, LinkList* controls, int index, uint8_t style, int8_t size);

// TextLabel 0x200 + index of the list, or null.
TextLabel* FieldLabel(LinkList* controls, int index);
