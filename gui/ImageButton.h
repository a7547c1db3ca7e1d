#pragma once

#include "gui/Control.h"
#include "platform/GlobalMemory.h"

#include <cstdint>

struct StoreImage;

// A button drawn from the resource store's pictures, copied row by row into its parent's surface.
// Its normal picture is a store picture, a snapshot of the parent under the button, or a copy of the
// button's area of a store picture; the last two it owns.
class ImageButton : public Control {
public:
    // Normal picture ids: 0 none, below 1000 store picture id, 1000 a snapshot of the parent,
    // above 1000 the button's area of store picture (id - 1000).
    static constexpr int kSnapshot = 1000;

    // A picture as the button draws it: width x height pixels, rows packed.
    struct Picture {
        int32_t width = 0;
        int32_t height = 0;
        const uint16_t* pixels = nullptr;
    };

    ImageButton(int normalId, int pressedId, int flags, Rect* rect, Widget* parent, Window* listener,
                int addToParent);
    ~ImageButton() override;

    void OnMouseMove(Point* p) override;
    void OnLeftButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;
    void OnRightButtonDown(Point* p) override;
    void OnRightButtonUp(Point* p) override;

    // Draws store picture `id` and disables the button.
    void DrawNormal(int id);
    void DrawEnabled();
    void Draw();
    void DrawPressed();
    void DrawPicture(const Picture& picture);

    Picture normal;
    Picture pressedPicture;
    int32_t flags = 0;
    int32_t hover = 0;
    int32_t pressed = 0;
    int32_t ownsNormal = 0;
    // Pixels per row of the parent as the button was told to draw: the parent's pitch, the parent's
    // width without a surface, or 240 with flags 99. Writes always follow the locked surface.
    int32_t drawPitch = 0;

private:
    void Own(int width, int height);
    platform::HGLOBAL block = nullptr;
};
