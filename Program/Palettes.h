#pragma once

// Loads the palette files in the display's layout and makes the main table the drawing code's
// Palette16.
void LoadPalettes();
