// make_fuzz_seeds DIR: writes DIR/<fuzz target>/<seed> for every fuzz target with seeds, each
// checked against the reader it is meant for; fails when one is refused or cannot be written.
#include "SeedCorpus.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    // The readers that draw or play do so on the headless display and the silent sound device.
    setenv("KARDOL_HEADLESS", "1", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir = fs::absolute(argv[1], ec);
    std::string scratchName = (fs::temp_directory_path(ec) / "make_fuzz_seeds.XXXXXX").string();
    const char* scratch = ec ? nullptr : mkdtemp(scratchName.data());
    if (ec || !scratch) {
        std::fprintf(stderr, "make_fuzz_seeds: no scratch folder\n");
        return 1;
    }
    fs::current_path(scratch, ec);
    SeedCorpus corpus{dir};
    for (void (*area)(SeedCorpus&) :
         {WriteEngineSeeds, WriteGuiSeeds, WriteRecordsSeeds, WriteWorldSeeds, WriteTroopsSeeds,
          WriteStagefilesSeeds, WriteEventsSeeds, WriteNetSeeds, WriteUpdateSeeds, WriteProgramSeeds})
        area(corpus);
    fs::current_path(dir.root_path(), ec);
    fs::remove_all(scratch, ec);
    if (corpus.faults() > 0) {
        std::fprintf(stderr, "make_fuzz_seeds: %d fault(s); the corpus in %s is not sound\n", corpus.faults(),
                     argv[1]);
        return 1;
    }
    std::printf("make_fuzz_seeds: %d seeds in %s\n", corpus.written(), argv[1]);
    return 0;
}
