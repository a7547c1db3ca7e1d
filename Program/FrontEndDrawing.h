#pragma once

// Fades the composed back buffer in from black over ten presents.
void FadeInFrame();
// Darkens the back buffer to black over nine presents.
void FadeOutScreen();
// Presents the back buffer (windowed or full screen).
void PresentFrontEnd();

// Tests watch each present of the fades; null: nobody.
using FadePresentObserver = void (*)();
void SetFadePresentObserver(FadePresentObserver observer);
