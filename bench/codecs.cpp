// Unpacking speed of the two codecs the game uses, in bytes of output per second.
#include "engine/Lh5.h"
#include "engine/RunLength.h"
// The benchmark makes its packed data with the test-side encoder, compiled in here.
#include "fuzz/seeds/builders/Lh5Encoder.cpp"

#include <benchmark/benchmark.h>

namespace {

// Animation-like frames: spans of one colour index with noise between them.
std::vector<uint8_t> FrameLike(size_t size) {
    std::vector<uint8_t> out;
    uint32_t s = 3;
    while (out.size() < size) {
        s = s * 214013u + 2531011u;
        const size_t span = 1 + ((s >> 16) % 40);
        const uint8_t value = (s >> 8) % 5 == 0 ? static_cast<uint8_t>(s >> 24) : 0;
        out.insert(out.end(), span, value);
        out.push_back(static_cast<uint8_t>(s >> 20));
    }
    out.resize(size);
    return out;
}

void BM_Lh5Unpack(benchmark::State& state) {
    const auto data = lh5enc::SampleText(static_cast<size_t>(state.range(0)));
    const auto block = lh5enc::PackedBlock(data.data(), data.size());
    for (auto _ : state) {
        auto out = Lh5::Unpack(block.data(), block.size());
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.counters["ratio"] = static_cast<double>(block.size()) / static_cast<double>(data.size());
}
BENCHMARK(BM_Lh5Unpack)->Arg(64 << 10)->Arg(4 << 20);

void BM_RleUnpack(benchmark::State& state) {
    const auto data = FrameLike(static_cast<size_t>(state.range(0)));
    const auto block = Zu_LzwCodec::PackRle(data.data(), data.size());
    if (!block) {
        state.SkipWithError("frame data did not pack");
        return;
    }
    for (auto _ : state) {
        auto out = Zu_LzwCodec::UnpackRle(block->data(), block->size());
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.counters["ratio"] = static_cast<double>(block->size()) / static_cast<double>(data.size());
}
BENCHMARK(BM_RleUnpack)->Arg(64 << 10)->Arg(4 << 20);

void BM_RlePack(benchmark::State& state) {
    const auto data = FrameLike(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        auto out = Zu_LzwCodec::PackRle(data.data(), data.size());
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_RlePack)->Arg(4 << 20);

} // namespace
