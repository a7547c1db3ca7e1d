#include "NullAudioTest.h"
#include "engine/SoundBank.h"
#include "support/MediaFixtures.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace {
class WaveFuzzSeed : public NullAudioTest {};
} // namespace

// Writes the sound bank's fuzz seeds; each goes through the wave loader, which takes the sound
// ones and refuses the two damaged ones without keeping anything.
TEST_F(WaveFuzzSeed, WritesSeedCorpus) {
    std::filesystem::path dir = std::filesystem::path(KARDOL_SEED_DIR) / "wave";
    std::filesystem::create_directories(dir);
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
        std::vector<uint8_t> bytes = fixtures::MakeWave(seed.shape);
        const std::filesystem::path path = dir / ("seed" + std::to_string(n++) + ".wav");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        SoundBank bank(nullptr);
        const int slot = bank.LoadWave(path.c_str());
        EXPECT_EQ(slot >= 0, seed.accepted) << path;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 5);
}
