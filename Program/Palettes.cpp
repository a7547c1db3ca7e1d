#include "Program/Palettes.h"

void LoadPalettes() {}
