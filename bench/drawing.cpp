#include "engine/PixelFormat.h"
#include "engine/PixelRoutines.h"
#include "engine/SurfaceText.h"
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kW = 800, kH = 600;

std::vector<uint16_t> frameSource() {
    std::vector<uint16_t> src(kW * kH);
    for (int i = 0; i < kW * kH; ++i)
        src[i] = (i % 7 == 0) ? 0 : static_cast<uint16_t>(i * 2654435761u >> 16);
    return src;
}

// Twenty Big5 characters.
std::string big5Line() {
    std::string s;
    for (int i = 0; i < 20; ++i) {
        s.push_back(static_cast<char>(0xA4 + i % 8));
        s.push_back(static_cast<char>(0x40 + i * 3));
    }
    return s;
}

void FrameMemcpy(benchmark::State& state) {
    std::vector<uint16_t> src = frameSource(), dst(kW * kH);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 2);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}
BENCHMARK(FrameMemcpy);

void KeyedBlitFullFrame(benchmark::State& state) {
    std::vector<uint16_t> src = frameSource();
    const int pitch = kW + 8; // padded rows, as the back surface has them
    std::vector<uint16_t> dst(pitch * kH);
    for (auto _ : state) {
        BlitColorKeyed16({dst.data(), pitch, kW, kH}, 0, 0, {src.data(), kW, kW, kH}, 0, 0, kW, kH);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}
BENCHMARK(KeyedBlitFullFrame);

void Big5LineOfTwenty(benchmark::State& state) {
    auto* surface =
        new platform::Surface(kW, kH, platform::kLayout565, kW * 2 + 16, platform::DDSCAPS_OFFSCREENPLAIN);
    Palette16[0xF0] = 0xFFFF;
    BuildColourTables();
    Big5BitmapFont font;
    const std::string line = big5Line();
    const int size = static_cast<int>(state.range(0));
    for (auto _ : state) {
        font.fontSize = size;
        font.DrawSurfaceText(10, 100, line.c_str(), surface, 0xF0);
    }
    surface->Release();
}
BENCHMARK(Big5LineOfTwenty)->Arg(12)->Arg(16)->Arg(24);

} // namespace
