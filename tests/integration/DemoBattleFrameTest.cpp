// The demo battle as the game draws it: a frame of the headless game playing the demo folder's stage.
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";
const std::string Game = std::string(KARDOL_BINARY_DIR) + "/Kardol";

struct Rgb {
    int r, g, b;
};

// The frame dump: a 24-bit BMP, rows bottom-up.
struct Frame {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;

    bool Read(const std::filesystem::path& name) {
        std::ifstream in(name, std::ios::binary);
        const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
        auto u32 = [&b](size_t at) {
            return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
        };
        if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || (b[28] | b[29] << 8) != 24) return false;
        const size_t offset = u32(10);
        width = int(u32(18));
        height = int(u32(22));
        const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
        if (width <= 0 || height <= 0 || b.size() < offset + stride * size_t(height)) return false;
        pixels.resize(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = &b[offset + size_t(height - 1 - y) * stride + size_t(x) * 3];
                pixels[size_t(y) * size_t(width) + size_t(x)] = {p[2], p[1], p[0]};
            }
        return true;
    }

    // Pixels of the rectangle within 12 of the colour in every channel.
    int Count(int left, int top, int right, int bottom, Rgb colour) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const Rgb& p = pixels[size_t(y) * size_t(width) + size_t(x)];
                if (std::abs(p.r - colour.r) <= 12 && std::abs(p.g - colour.g) <= 12 &&
                    std::abs(p.b - colour.b) <= 12)
                    ++n;
            }
        return n;
    }
};

class DemoBattleFrameTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(std::system((MakeDemo + " demo > /dev/null").c_str()), 0); }
    testsupport::TempFolder folder;
};

// 120 frames into the demo stage: the opening speech has typed its first glyphs, the red capital's
// castle stands in the view, and the terrain was drawn for the view the stage start chose.
TEST_F(DemoBattleFrameTest, TheOpeningFrameShowsTheSpeechAndTheCapital) {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::create_directories(here / "run");
    const std::string command =
        "cd " + (here / "demo").string() + " && XDG_RUNTIME_DIR=" + (here / "run").string() +
        " KARDOL_REGISTRY=" + (here / "registry.ini").string() +
        " KARDOL_HEADLESS=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy"
        " KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=3 KARDOL_FRAMES=120 KARDOL_DUMP=" +
        (here / "frame.bmp").string() + " timeout 300 " + Game + " > out.txt 2> err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    Frame frame;
    ASSERT_TRUE(frame.Read(here / "frame.bmp"));
    ASSERT_EQ(frame.width, 800);
    ASSERT_EQ(frame.height, 600);

    // The speech box's first line, in the box's light text colour (palette entry 240).
    EXPECT_GT(frame.Count(200, 270, 290, 305, {250, 240, 200}), 40);
    // The capital's corner towers and keep under their red roofs, and its grey walls.
    EXPECT_GT(frame.Count(140, 80, 660, 230, {176, 70, 44}), 300);
    EXPECT_GT(frame.Count(140, 80, 660, 230, {150, 142, 126}), 300);
    // The map's first column, on the view's left edge, is open country: no courtyard paving of a
    // castle drawn for another view.
    EXPECT_EQ(frame.Count(0, 0, 40, 560, {168, 158, 134}) + frame.Count(0, 0, 40, 560, {176, 166, 142}), 0);
}

} // namespace
