#include "platform/Avi.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "support/TempFolder.h"

#include <vector>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Frame f: each pixel's red is 30 * f + x, green 10 * y, blue 200.
uint32_t Gradient(uint32_t f, uint32_t x, uint32_t y) {
    return ((30 * f + x) << 16) | ((10 * y) << 8) | 200;
}

std::vector<uint8_t> OutputFormat(const std::vector<uint8_t>& in, uint16_t bits, uint32_t compression,
                                  uint32_t red, uint32_t green, uint32_t blue) {
    std::vector<uint8_t> out(std::max(in.size(), kBitmapV4HeaderBytes), 0);
    std::copy(in.begin(), in.end(), out.begin());
    WriteLe32(out.data(), kBmiSize, static_cast<uint32_t>(out.size()));
    WriteLe16(out.data(), kBmiBitCount, bits);
    WriteLe32(out.data(), kBmiCompression, compression);
    WriteLe32(out.data(), kBmiRedMask, red);
    WriteLe32(out.data(), kBmiGreenMask, green);
    WriteLe32(out.data(), kBmiBlueMask, blue);
    uint32_t w = ReadLe32(out.data(), kBmiWidth), h = ReadLe32(out.data(), kBmiHeight);
    WriteLe32(out.data(), kBmiSizeImage, ((w + 3) & ~3u) * h * bits / 8);
    return out;
}

struct Opened {
    PAVISTREAM video = nullptr;
    std::vector<uint8_t> format;
    ~Opened() { AVIStreamRelease(video); }
};

void Open(Opened& o, const std::string& path) {
    ASSERT_EQ(AVIStreamOpenFromFile(&o.video, path.c_str(), streamtypeVIDEO, 0, 0, nullptr), AVIERR_OK);
    int32_t size = 0;
    ASSERT_EQ(AVIStreamReadFormat(o.video, 0, nullptr, &size), AVIERR_OK);
    ASSERT_GE(size, 40);
    o.format.resize(size);
    ASSERT_EQ(AVIStreamReadFormat(o.video, 0, o.format.data(), &size), AVIERR_OK);
}

std::vector<uint8_t> Decode(HIC ic, PAVISTREAM video, std::vector<uint8_t>& in,
                            const std::vector<uint8_t>& out, int frame) {
    std::vector<uint8_t> packet(4096);
    int32_t bytes = 0;
    EXPECT_EQ(AVIStreamRead(video, frame, 1, packet.data(), 4096, &bytes, nullptr), AVIERR_OK);
    WriteLe32(in.data(), kBmiSizeImage, static_cast<uint32_t>(bytes));
    std::vector<uint8_t> pixels(ReadLe32(out.data(), kBmiSizeImage), 0);
    EXPECT_EQ(ICDecompress(ic, 0, in.data(), packet.data(), out.data(), pixels.data()), ICERR_OK);
    return pixels;
}

} // namespace

TEST(AviTest, StreamFactsComeFromTheFileHeader) {
    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
    fixtures::AviShape shape;
    shape.rate = 15000;
    shape.scale = 1000;
    shape.frames = 5;
    shape.pixel = Gradient;
    std::string path = folder.Put("Movie/Clip.avi", fixtures::MakeAvi(shape));
    Opened o;
    Open(o, (folder.str() + "\\MOVIE\\clip.AVI").c_str());
    AVISTREAMINFO info;
    ASSERT_EQ(AVIStreamInfo(o.video, &info, sizeof info), AVIERR_OK);
    EXPECT_EQ(info.fccType, streamtypeVIDEO);
    EXPECT_EQ(info.dwRate, 15000u);
    EXPECT_EQ(info.dwScale, 1000u);
    EXPECT_EQ(info.dwLength, 5u);
    EXPECT_EQ(info.dwSuggestedBufferSize, 8u * 8u * 3u);
    EXPECT_EQ(AVIStreamLength(o.video), 5);
    EXPECT_EQ(ReadLe32(o.format.data(), kBmiWidth), 8u);
    EXPECT_EQ(ReadLe16(o.format.data(), kBmiBitCount), 24);
    PAVISTREAM audio = nullptr;
    EXPECT_NE(AVIStreamOpenFromFile(&audio, path.c_str(), streamtypeAUDIO, 0, 0, nullptr), AVIERR_OK);
    EXPECT_EQ(audio, nullptr);
    PAVISTREAM none = nullptr;
    EXPECT_NE(
        AVIStreamOpenFromFile(&none, (folder.str() + "/nothing.avi").c_str(), streamtypeVIDEO, 0, 0, nullptr),
        AVIERR_OK);
}

TEST(AviTest, FramesDecodeBottomUpInEachOutputLayoutAndInAnyOrder) {
    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
    fixtures::AviShape shape;
    shape.pixel = Gradient;
    Opened o;
    Open(o, folder.Put("c.avi", fixtures::MakeAvi(shape)));
    struct Layout {
        uint16_t bits;
        uint32_t compression, r, g, b;
    };
    const Layout layouts[] = {{16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F},
                              {16, BI_BITFIELDS, 0x7C00, 0x03E0, 0x001F},
                              {24, BI_RGB, 0, 0, 0},
                              {8, BI_RGB, 0, 0, 0}};
    for (const Layout& l : layouts) {
        std::vector<uint8_t> in = o.format;
        std::vector<uint8_t> out = OutputFormat(in, l.bits, l.compression, l.r, l.g, l.b);
        HIC ic = ICLocate(ICTYPE_VIDEO, 0, in.data(), out.data(), ICMODE_DECOMPRESS);
        ASSERT_NE(ic, nullptr) << l.bits;
        ICSendMessage(ic, ICM_DECOMPRESS_BEGIN, 0, 0);
        for (int frame : {0, 1, 3, 2}) {
            std::vector<uint8_t> pixels = Decode(ic, o.video, in, out, frame);
            int stride = static_cast<int>(pixels.size() / 8);
            // Screen row 2 is buffer row 5; check pixel x = 6 there.
            const uint8_t* p = pixels.data() + stride * 5;
            uint32_t red = 30 * frame + 6, green = 20, blue = 200;
            if (l.bits == 24) {
                EXPECT_EQ(p[6 * 3 + 0], blue);
                EXPECT_EQ(p[6 * 3 + 1], green);
                EXPECT_EQ(p[6 * 3 + 2], red);
            } else if (l.bits == 16) {
                uint16_t v = static_cast<uint16_t>(p[12] | (p[13] << 8));
                uint16_t want = l.r == 0xF800 ? ((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3)
                                              : ((red & 0xF8) << 7) | ((green & 0xF8) << 2) | (blue >> 3);
                EXPECT_EQ(v, want) << "frame " << frame << " layout " << l.r;
            } else {
                EXPECT_GT(p[6], 0);
            }
        }
        ICSendMessage(ic, ICM_DECOMPRESS_END, 0, 0);
        ICClose(ic);
    }
    // Output layouts the decoder cannot make are refused.
    std::vector<uint8_t> in = o.format;
    std::vector<uint8_t> odd = OutputFormat(in, 16, BI_BITFIELDS, 0xF00, 0xF0, 0xF);
    EXPECT_EQ(ICLocate(ICTYPE_VIDEO, 0, in.data(), odd.data(), ICMODE_DECOMPRESS), nullptr);
    std::vector<uint8_t> wide = OutputFormat(in, 32, BI_RGB, 0, 0, 0);
    EXPECT_EQ(ICLocate(ICTYPE_VIDEO, 0, in.data(), wide.data(), ICMODE_DECOMPRESS), nullptr);
    int32_t bytes = 0;
    EXPECT_NE(AVIStreamRead(o.video, 9, 1, nullptr, 0, &bytes, nullptr), AVIERR_OK);
}

TEST(AviTest, SoundComesAsSixteenBitPcmFromSampleZero) {
    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
    fixtures::AviShape shape;
    shape.withAudio = true;
    shape.audioChannels = 2;
    shape.audioSamples = 800;
    std::string path = folder.Put("s.avi", fixtures::MakeAvi(shape));
    PAVISTREAM audio = nullptr;
    ASSERT_EQ(AVIStreamOpenFromFile(&audio, path.c_str(), streamtypeAUDIO, 0, 0, nullptr), AVIERR_OK);
    uint8_t wfx[kWaveFormatExBytes];
    int32_t size = sizeof wfx;
    ASSERT_EQ(AVIStreamReadFormat(audio, 0, wfx, &size), AVIERR_OK);
    EXPECT_EQ(ReadLe16(wfx, kWfxFormatTag), 1);
    EXPECT_EQ(ReadLe16(wfx, kWfxChannels), 2);
    EXPECT_EQ(ReadLe32(wfx, kWfxSamplesPerSec), 8000u);
    EXPECT_EQ(ReadLe16(wfx, kWfxBlockAlign), 4);
    EXPECT_EQ(AVIStreamLength(audio), 800);
    std::vector<uint8_t> pcm(800 * 4);
    int32_t bytes = 0, samples = 0;
    ASSERT_EQ(AVIStreamRead(audio, 0, 800, pcm.data(), static_cast<int32_t>(pcm.size()), &bytes, &samples),
              AVIERR_OK);
    EXPECT_EQ(samples, 800);
    EXPECT_EQ(bytes, 3200);
    EXPECT_EQ(ReadLe16(pcm.data(), 4), 600); // the fixture writes 300 * i per value
    AVIStreamRelease(audio);
}
