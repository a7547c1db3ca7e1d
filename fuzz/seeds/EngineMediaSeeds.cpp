// Seeds of the movie opener and the sound bank's wave loader, played on the silent sound backend.
#include "SeedCorpus.h"

#include "engine/AviStream.h"
#include "engine/AviSystem.h"
#include "engine/ScreenSettings.h"
#include "engine/SoundBank.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "platform/AudioDevice.h"
#include "platform/Surface.h"

namespace {

uint32_t Pattern(uint32_t f, uint32_t x, uint32_t y) {
    return (f * 0x102030u) ^ (x * 0x40u) ^ (y * 0x4000u);
}

void AviSeeds(SeedCorpus& corpus) {
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
    // The movie opener takes every seed and plays its first frame.
    auto* screen = new platform::Surface(24, 20, platform::kLayout565, 64, platform::DDSCAPS_OFFSCREENPLAIN);
    TheAviSystem.SetTarget(nullptr, screen, nullptr);
    int n = 0;
    for (const auto& shape : {plain, sound, sixteen}) {
        const std::string name = "seed" + std::to_string(n++) + ".avi";
        const auto file = corpus.Write("avi", name, fixtures::MakeAvi(shape));
        Zu_AviStream stream;
        corpus.Check(stream.Open(file.c_str(), &TheAviSystem, 0) == 1 && stream.Start(0) == 1, "avi", name,
                     "the movie does not start");
        stream.Stop();
    }
    TheAviSystem.sound = nullptr;
    screen->Release();
}

// The wave loader takes the sound ones and refuses the two damaged ones.
void WaveSeeds(SeedCorpus& corpus) {
    ScreenSettings settings;
    TheScreenSettings = &settings;
    fixtures::WaveShape plain16;
    plain16.fmtSize = 16;
    fixtures::WaveShape stereo8;
    stereo8.channels = 2;
    stereo8.bits = 8;
    fixtures::WaveShape listFirst;
    listFirst.listFirst = true;
    fixtures::WaveShape lying;
    lying.declaredDataSize = 1000;
    const struct {
        fixtures::WaveShape shape;
        bool accepted;
    } seeds[] = {{{}, true}, {plain16, true}, {stereo8, true}, {listFirst, false}, {lying, false}};
    int n = 0;
    for (const auto& seed : seeds) {
        const std::string name = "seed" + std::to_string(n++) + ".wav";
        const auto file = corpus.Write("wave", name, fixtures::MakeWave(seed.shape));
        SoundBank bank(nullptr);
        corpus.Check((bank.LoadWave(file.c_str()) >= 0) == seed.accepted, "wave", name,
                     seed.accepted ? "the loader refuses it" : "the loader takes a damaged file");
    }
    TheScreenSettings = nullptr;
}

} // namespace

void WriteMediaSeeds(SeedCorpus& corpus) {
    platform::SetAudioBackend(platform::AudioBackend::Null);
    AviSeeds(corpus);
    WaveSeeds(corpus);
    platform::TakeAudioCalls();
}
