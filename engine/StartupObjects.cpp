#include "engine/Blitter16.h"

Blitter16* TheBlitter16 = nullptr;
