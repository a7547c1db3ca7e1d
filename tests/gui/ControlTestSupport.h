#pragma once

#include "GuiTestSupport.h"
#include "engine/DrawingFixture.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "platform/Surface.h"
#include "support/GuiFixtures.h"

#include <memory>
#include <vector>

// A recording window that also hears drops and label updates.
class ControlLogWindow : public RecordingWindow {
public:
    explicit ControlLogWindow(std::vector<Heard>* log) : RecordingWindow(log) {}
    void OnControlRelease(Widget* w, Point* p) override { Record(log, "Release", w, p); }
    void OnUpdate(uint32_t, uint32_t) override { Record(log, "Update", nullptr, nullptr); }
};

// A headless 800 x 600 display in one layout with the framework's globals, for tests that draw
// controls onto panels.
class ControlDisplayFixture : public GuiRootFixture {
protected:
    explicit ControlDisplayFixture(int layout = 565) : layout_(layout) {}
    void SetUp() override {
        display = std::make_unique<TestDisplay>(layout_);
        ASSERT_TRUE(display->ok);
        GuiRootFixture::SetUp();
    }
    void TearDown() override {
        GuiRootFixture::TearDown();
        for (GuiImage* image : images) {
            if (image->surface) image->surface->Release();
            delete image;
        }
        images.clear();
        display.reset();
    }

    // A picture element of a solid colour; the fixture frees it.
    GuiImage* Picture(int width, int height, uint16_t colour, int left = 0, int top = 0) {
        auto* image = new GuiImage;
        image->left = int16_t(left);
        image->top = int16_t(top);
        image->right = int16_t(left + width);
        image->bottom = int16_t(top + height);
        image->width = int16_t(width);
        image->height = int16_t(height);
        image->surface = CreateOffscreenSurface(width, height);
        platform::DDSURFACEDESC2 d;
        if (image->surface && image->surface->Lock(nullptr, &d, platform::DDLOCK_WAIT) == platform::DD_OK) {
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] =
                        colour;
            image->surface->Unlock(nullptr);
        }
        images.push_back(image);
        return image;
    }

    // A panel on the root with a solid background of the given size at (left, top).
    GuiPanel* Panel(Window* listener, int width, int height, uint16_t colour, int left = 100, int top = 100) {
        GuiImage* back = Picture(width, height, colour, left, top);
        return new GuiPanel(back, new Rect(left, top, left + width, top + height), TheRootWidget, listener, 1,
                            1, 0);
    }

    // Closes and deletes a panel with its controls.
    static void Drop(GuiPanel* panel) {
        panel->Close(0);
        delete panel;
        FlushDeferredDeletes();
    }

    std::unique_ptr<TestDisplay> display;
    std::vector<GuiImage*> images;

private:
    int layout_;
};
