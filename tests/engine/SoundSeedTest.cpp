#include "support/MediaFixtures.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

// Writes the WAVE reader's fuzz seeds.
TEST(WaveFuzzSeed, WritesSeedCorpus) {
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
    const fixtures::WaveShape shapes[] = {{}, plain16, stereo8, listFirst, lying};
    int n = 0;
    for (const auto& shape : shapes) {
        std::vector<uint8_t> bytes = fixtures::MakeWave(shape);
        std::ofstream(dir / ("seed" + std::to_string(n++) + ".wav"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 5);
}
