#include "DemoArmies.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kDirections = 12;
constexpr int kFramesPerSet = 2;
constexpr int kArrowBox = 24;
// The missile kinds' first image sets run to 131: every set up to there is written, so any kind
// finds its twelve directions.
constexpr int kImageSets = 132;
constexpr uint8_t kShaft = 240, kHead = 20, kFletch = 28;

void U16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void U32(Bytes& b, uint32_t v) {
    U16(b, v);
    U16(b, v >> 16);
}

bool Put(const std::filesystem::path& path, const Bytes& bytes, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) error = path.string();
    return bool(out);
}

// An arrow through the middle of its box pointing in direction d (0 up, clockwise in twelfths);
// the second frame's fletching sits one pixel further back, so the arrow flickers in flight.
void ArrowFrame(Bytes& b, int d, int frame) {
    constexpr int W = kArrowBox, H = kArrowBox;
    U32(b, uint32_t(W) | uint32_t(H) << 16);
    // The picture is centred on the missile's position.
    U32(b, uint32_t(W / 2) | uint32_t(H / 2) << 16);
    std::vector<uint8_t> pixels(size_t(W) * H, 0);
    const double angle = d * 3.14159265358979 / 6;
    const double ux = std::sin(angle), uy = -std::cos(angle);
    for (int t = -9; t <= 9; ++t) {
        const int x = int(std::lround(W / 2 + ux * t)), y = int(std::lround(H / 2 + uy * t));
        if (x < 0 || x >= W || y < 0 || y >= H) continue;
        uint8_t colour = kShaft;
        if (t >= 7) colour = kHead;
        if (t <= -8 + frame) colour = kFletch;
        pixels[size_t(y) * W + size_t(x)] = colour;
        // A shaft two pixels thick reads at any angle.
        if (x + 1 < W) pixels[size_t(y) * W + size_t(x + 1)] = colour;
    }
    b.insert(b.end(), pixels.begin(), pixels.end());
}

Bytes WeaponFrames() {
    Bytes b;
    U32(b, kDirections * kFramesPerSet);
    for (int d = 0; d < kDirections; ++d)
        for (int f = 0; f < kFramesPerSet; ++f)
            ArrowFrame(b, d, f);
    return b;
}

// Image set s shows direction s mod 12.
Bytes WeaponSets() {
    Bytes b;
    U32(b, kImageSets);
    for (int s = 0; s < kImageSets; ++s) {
        b.push_back(kFramesPerSet);
        for (int f = 0; f < kFramesPerSet; ++f) {
            b.push_back(0);
            U16(b, uint32_t((s % kDirections) * kFramesPerSet + f));
        }
    }
    return b;
}

} // namespace

bool WriteDemoWeapons(std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories("ani", ec);
    if (ec) return error = "ani", false;
    return Put(std::filesystem::path("ani") / "Weapon.anm", WeaponFrames(), error) &&
           Put(std::filesystem::path("ani") / "Weapon.act", WeaponSets(), error);
}
