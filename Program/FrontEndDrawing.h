#pragma once

struct AniFrame;

// Scene 16's formation preview: up to 23 units of the game screen's selected city take the
// formation's slots (the leader kingdom's unit first), turn to the row's facing, and the slots in
// cells dx -3..4, dy 3..9 are drawn onto the back buffer.
void DrawFormationPreview();

// Drawn over the front end while the game screen is in group-command mode; null: none.
extern AniFrame* GroupCommandMarkerFrame;

// Fades the composed back buffer in from black over ten presents.
void FadeInFrame();
// Darkens the back buffer to black over nine presents.
void FadeOutScreen();
// Presents the back buffer (windowed or full screen).
void PresentFrontEnd();

// Tests watch each present of the fades; null: nobody.
using FadePresentObserver = void (*)();
void SetFadePresentObserver(FadePresentObserver observer);
