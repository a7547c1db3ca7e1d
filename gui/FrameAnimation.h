#pragma once

#include "gui/RootObject.h"

#include <cstdint>

namespace platform {
class Surface;
}

// One picture frame of a map object: its offset from the object's position, its size and its
// 8-bit palette indices (or their packed form). The derived class's loader owns it.
struct FrameRecord {
    int16_t offsetX = 0;
    int16_t offsetY = 0;
    int16_t frameWidth = 0;
    int16_t frameHeight = 0;
    uint8_t packed = 0;
    uint8_t* data = nullptr;
    // Bytes the block at data holds: an unpacked frame larger than its block is not drawn.
    uint32_t dataSize = 0;
};

// Where Draw puts a frame on the 800x600 screen after clipping.
struct FrameBlit {
    int srcX = 0, srcY = 0;
    int dstX = 0, dstY = 0;
    int width = 0, height = 0;
};

// Base of everything on the battle map shown as a sequence of frames: troops, missiles and
// the controller's markers. It takes no mouse input.
class FrameAnimControl : public RootObject {
public:
    FrameAnimControl();
    ~FrameAnimControl() override;

    virtual void Advance() {}
    virtual void Hook1() {}
    virtual int SelectFrame(int previous, int n);
    virtual void Hook2() {}
    virtual void Step();
    virtual void Draw(int viewX, int viewY);
    virtual int DrawToBuffer(int viewX, int viewY, uint16_t* pixels, int pitch);

    int AddFrame(FrameRecord* f);
    int Start(int first, int last);
    void Tick();
    void SetFrameDelay(uint8_t v) { frameDelay = frameDelayCounter = v; }
    void SetStepDelay(uint8_t v) { stepDelay = stepDelayCounter = v; }

    // Clips a frame drawn by Draw to the screen; false when nothing is left to draw.
    bool ComputeDrawBlit(int viewX, int viewY, FrameBlit& out);

    uint32_t derivedWord1 = 0;
    uint32_t derivedWord2 = 0;
    int16_t bounds[4] = {};
    int16_t posX = 0;
    int16_t posY = 0;
    uint8_t frameCount = 0;
    uint8_t currentFrame = 0;
    uint8_t firstFrame = 0;
    uint8_t lastFrame = 0;
    uint8_t frameDelay = 0;
    uint8_t frameDelayCounter = 0;
    uint8_t stepDelay = 0;
    uint8_t stepDelayCounter = 0;
    uint8_t derivedFlag = 0;
    struct FrameLink {
        FrameLink* next;
        FrameRecord* frame;
    };
    FrameLink* frames = nullptr;
    FrameRecord* frame = nullptr;
    platform::Surface* frameSurface = nullptr;

protected:
    // Unpacks a packed frame into exactly frameWidth x frameHeight indices (new[]), or null; the
    // animation data of the derived class knows the packing.
    virtual uint8_t* UnpackFrame(const FrameRecord&) { return nullptr; }
};
