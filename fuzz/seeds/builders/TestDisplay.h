#pragma once

#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "platform/Present.h"

// A headless 800 x 600 display in one pixel layout, with padded surface rows, the pixel format
// probed and the colour tables built.
class TestDisplay {
public:
    explicit TestDisplay(int layout, int pitchPadding = 16) {
        platform::ResetPresenterForTest();
        platform::SetPixelLayout(layout);
        platform::SetPitchPadding(pitchPadding);
        CreateDirectDraw(nullptr);
        SetDisplayWidth(800);
        SetDisplayHeight(600);
        SetDisplayBitDepth(16);
        ApplyDisplayMode(0x11);
        ok = SetDisplayMode() == 1 && ProbePrimarySurfaceFormat() == 1;
        BuildColourTables();
    }
    ~TestDisplay() {
        ReleaseSurfaces();
        ReleaseDirectDraw();
        platform::ResetPresenterForTest();
    }
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;

    bool ok = false;
};
