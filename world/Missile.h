#pragma once

#include "gui/FrameAnimation.h"

#include <cstdint>

class Troop;

// An arrow, bolt or stone in flight from one unit cell to another; it hits what stands on the
// target cell (or the cell above) and then the target city.
class Missile : public FrameAnimControl {
public:
    static constexpr int kKinds = 12;

    Missile(Troop* shooter, int32_t kind, int32_t sx, int32_t sy, int32_t tx, int32_t ty, uint8_t side,
            uint16_t targetCity);
    ~Missile() override;

    // One frame of flight; the landed counter passes 1 on the frame it hits.
    void Step() override;
    void Hit();
    // The shooter is going away.
    void ForgetShooter(const Troop* troop) {
        if (shooter == troop) shooter = nullptr;
    }

    int32_t kind = 0;
    uint16_t targetCity = 0;
    uint16_t targetX = 0, targetY = 0;
    int16_t cellX = 0, cellY = 0;
    Troop* shooter = nullptr;
    int16_t power = 0;
    int16_t shooterStamina = 0;
    uint8_t side = 0;
    int32_t absDx = 0, absDy = 0;
    int32_t travelled = 0;
    uint8_t xSign = 0, ySign = 0; // 0 none, 1 positive, 2 negative
    int32_t startX = 0, startY = 0;
    int32_t endX = 0, endY = 0;
    int32_t length = 0;
    uint8_t landed = 0; // 0 flying, 1 arrived, 2 hit
    double height = 0;
    double launchSpeed = 0;
    float ratio = 0;
    int32_t tick = 0;
    int16_t direction = 0;
    int16_t baseDirection = 0;
    int16_t imageSet = 0;
    int16_t firstSet = 0;
    // The pixel position on the map; the base's position (drawn from) follows it.
    int32_t pixelX = 0, pixelY = 0;

    bool Ballistic() const { return kind >= 6 && kind <= 9; }

    // The next frame of the image set, as the map drawing shows it.
    void NextFrame() { FrameAnimControl::Step(); }

private:
    void SetUpTrajectory();
    void Fly(int32_t stepPixels);
    void SetDirection(int16_t d);
    void MoveTo(int32_t x, int32_t y);
    // The frames of the current image set from the store's weapon animation; the missile holds
    // them itself, so a shot allocates nothing beyond the missile.
    void LoadImageSet();

    static constexpr int kMaxFrames = 16;
    FrameRecord setFrames_[kMaxFrames];
    FrameLink setLinks_[kMaxFrames];
};

// Direction 0..11 (clockwise from up) of a move with the ratio |dy| / |dx| and the signs.
int16_t MissileDirection(float ratio, uint8_t xSign, uint8_t ySign, bool verticalOnly);
