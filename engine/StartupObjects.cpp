#include "engine/Blitter16.h"
#include "engine/NumberFont.h"

NumberFont* TheNumberFont = nullptr;
Blitter16* TheBlitter16 = nullptr;
