#include "engine/AviStream.h"
#include "engine/AviSystem.h"
#include "platform/AudioDevice.h"
#include "platform/Surface.h"
#include "support/MediaFixtures.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace {
uint32_t Pattern(uint32_t f, uint32_t x, uint32_t y) {
    return (f * 0x102030u) ^ (x * 0x40u) ^ (y * 0x4000u);
}
} // namespace

// Writes the movie opener's fuzz seeds.
TEST(AviFuzzSeed, WritesSeedCorpus) {
    std::filesystem::path dir = std::filesystem::path(KARDOL_SEED_DIR) / "avi";
    std::filesystem::create_directories(dir);
    fixtures::AviShape plain;
    plain.pixel = Pattern;
    plain.frames = 3;
    fixtures::AviShape sound = plain;
    sound.withAudio = true;
    sound.audioSamples = 300;
    fixtures::AviShape sixteen = plain;
    sixteen.bits = 16;
    sixteen.width = 5;
    sixteen.height = 3;
    const fixtures::AviShape shapes[] = {plain, sound, sixteen};
    // The movie opener takes every seed and plays its first frame.
    platform::SetAudioBackend(platform::AudioBackend::Null);
    auto* screen = new platform::Surface(24, 20, platform::kLayout565, 64, platform::DDSCAPS_OFFSCREENPLAIN);
    TheAviSystem.SetTarget(nullptr, screen, nullptr);
    int n = 0;
    for (const auto& shape : shapes) {
        std::vector<uint8_t> bytes = fixtures::MakeAvi(shape);
        const std::filesystem::path path = dir / ("seed" + std::to_string(n++) + ".avi");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        Zu_AviStream stream;
        EXPECT_EQ(stream.Open(path.c_str(), &TheAviSystem, 0), 1) << path;
        EXPECT_EQ(stream.Start(0), 1) << path;
        stream.Stop();
    }
    platform::TakeAudioCalls();
    TheAviSystem.sound = nullptr;
    screen->Release();
    platform::SetAudioBackend(platform::AudioBackend::Mixer);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3);
}
