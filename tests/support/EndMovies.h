#pragma once

#include "engine/GameFileWriters.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "platform/Present.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace testsupport {

// Writes the battle's end movies to the working folder, the victory solid green and the defeat
// solid red, each shown whole through its mask, and watches what the player sees where they
// play (from (150, 136)) while alive.
class EndMovies {
public:
    EndMovies() {
        gamefiles::WriteBytes("Victory.avi", Solid([](uint32_t, uint32_t, uint32_t) { return 0x00FF00u; }));
        gamefiles::WriteBytes("Failure.avi", Solid([](uint32_t, uint32_t, uint32_t) { return 0xFF0000u; }));
        const std::vector<uint8_t> mask = Solid([](uint32_t, uint32_t, uint32_t) { return 0xFFFFFFu; });
        gamefiles::WriteBytes("Victory_a.avi", mask);
        gamefiles::WriteBytes("Failure_a.avi", mask);
        platform::SetPresentObserver([this](const platform::PresentedFrame& f) {
            if (f.width > 153 && f.height > 140)
                seen.push_back(f.pixels[size_t(140) * size_t(f.width) + 153]);
        });
    }
    ~EndMovies() { platform::SetPresentObserver(nullptr); }
    EndMovies(const EndMovies&) = delete;
    EndMovies& operator=(const EndMovies&) = delete;

    // Frames that showed the victory or the defeat movie; the mask's blend may take the top bit
    // or two off a channel.
    long Victory() const {
        return std::count_if(seen.begin(), seen.end(), [](uint16_t p) {
            return (p >> 11) == 0 && (p & 0x1F) == 0 && ((p >> 5) & 0x3F) > 48;
        });
    }
    long Defeat() const {
        return std::count_if(seen.begin(), seen.end(), [](uint16_t p) {
            return (p >> 11) > 24 && ((p >> 5) & 0x3F) == 0 && (p & 0x1F) == 0;
        });
    }

    std::vector<uint16_t> seen;

private:
    static std::vector<uint8_t> Solid(uint32_t (*pixel)(uint32_t, uint32_t, uint32_t)) {
        fixtures::AviShape shape;
        shape.frames = 3;
        shape.rate = 30;
        shape.pixel = pixel;
        return fixtures::MakeAvi(shape);
    }
};

} // namespace testsupport
