#include "DemoRecordHeadings.h"

namespace {
const uint16_t kHeading = Rgb565(250, 230, 180);
const uint16_t kRule = Rgb565(230, 190, 90);

// Two lines each, in the order the screen fills its number columns.
const char* const kColumns[8][2] = {
    {"OFFICERS", "DEFEATED"}, {"TROOPS", "DESTROYED"}, {"BUILDINGS", "DESTROYED"}, {"OFFICERS", "LOST"},
    {"TROOPS", "LOST"},       {"OFFICERS", "HELD"},    {"CITIES", "HELD"},         {"", "SCORE"},
};
} // namespace

void DrawRecordHeadings(DemoPicture& back, int nameLeft, int firstColumn, int step, int top) {
    const int second = top - 12, first = second - 10;
    back.Text(nameLeft, second, "KINGDOM", 1, kHeading);
    for (int k = 0; k < 8; ++k) {
        const int left = firstColumn + k * step, right = left + step - 4;
        back.CentredText(left, first, right, first + 7, kColumns[k][0], 1, kHeading);
        back.CentredText(left, second, right, second + 7, kColumns[k][1], 1, kHeading);
    }
    back.Fill(nameLeft, top - 3, firstColumn + 8 * step - 4, top - 2, kRule);
}
