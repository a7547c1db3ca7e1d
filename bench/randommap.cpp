// Generating the largest random maps, in seconds per map, sources read and files written.
#include "tests/world/RandomMapFixture.h"

#include "Program/StageSet.h"
#include "records/City.h"
#include "records/ScenarioData.h"
#include "world/RandomMapGenerator.h"
#include "world/VirtualKingdoms.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

void BM_GenerateLargestMap(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "kardol-bench-randommap";
    std::filesystem::create_directories(dir);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    randommaptest::WriteGeneratorFolder();

    // Group cities for every kind, so villages and lairs are laid too.
    ScenarioData scenario;
    const int32_t groups[][3] = {{1, 0, 0}, {2, 2, 0}, {3, 3, 0}, {4, 6, 1}, {5, 10, 0}, {6, 0, 0}};
    for (const auto& g : groups) {
        auto* c = new City(0, 0);
        c->SetInt(CityLayout::kIndex, g[0]);
        c->SetInt(CityLayout::kKind, g[1]);
        c->SetInt(112, g[2]);
        scenario.cityTemplates.Add(reinterpret_cast<uintptr_t>(c));
    }
    RandomMapSettings settings;
    settings.rows[14][0] = int32_t(state.range(0));
    RandomMapOptions options;
    options.sizeIndex = 14;
    options.officersPerCity = 13;
    options.resourceLevel = 3;
    uint32_t seed = 1;
    for (auto _ : state) {
        std::unique_ptr<Zu_StageSet> stage(CreateNeutralGroups(14, 2, "P", settings, 13));
        options.seed = seed++;
        const bool ok = GenerateVirtualStage(*stage, options, settings, &scenario);
        scenario.stageRecords.RemoveAll();
        if (!ok) state.SkipWithError("generation failed");
    }
    state.SetLabel(std::to_string(20 * state.range(0)) + " x " + std::to_string(60 * state.range(0)) +
                   " cells");
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
}
// The largest map of the built-in size rows, of the parameter file's rows, and the largest the
// minimap surface takes.
BENCHMARK(BM_GenerateLargestMap)->Arg(21)->Arg(22)->Arg(38)->Unit(benchmark::kMillisecond);

} // namespace
