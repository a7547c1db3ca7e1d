// make_demo: writes a small, original game folder in the game's own formats.
#include "DemoBattlePictures.h"
#include "DemoCampaign.h"
#include "DemoCityPanels.h"
#include "DemoExtraStages.h"
#include "DemoFolder.h"
#include "DemoGenerator.h"
#include "DemoStage.h"
#include "DemoUnitPanels.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo FOLDER\n");
        return 2;
    }
    std::string error;
    if (!WriteDemoFolder(argv[1], error) || !WriteDemoGenerator(argv[1], error) ||
        !WriteDemoStage(argv[1], error) || !WriteDemoBattlePictures(argv[1], error) ||
        !WriteDemoUnitPanels(argv[1], error) || !WriteDemoCampaign(argv[1], error) ||
        !WriteDemoCityPanels(argv[1], error) || !WriteDemoExtraStages(argv[1], error)) {
        std::fprintf(stderr, "make_demo: cannot write %s\n", error.c_str());
        return 1;
    }
    return 0;
}
