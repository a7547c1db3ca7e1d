#include "stagefiles/PlayerCityFile.h"

#include "Program/GameController.h"
#include "records/City.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"

namespace {

constexpr int32_t kFirstStage = 11;
constexpr int32_t kLastStage = 48;
// The player city keeps this id in its file and in the game.
constexpr int32_t kPlayerCityId = 255;

int32_t CampaignStage() {
    return TheGameController ? TheGameController->campaignStage : 0;
}

} // namespace

const char* PlayerCityFileName(int32_t stage) {
    static const char* const names[kLastStage - kFirstStage + 1] = {
        "Virtual11.castle", "Virtual12.castle", "Virtual13.castle", "Virtual14.castle", "Virtual15.castle",
        "Virtual16.castle", "Virtual17.castle", "Virtual18.castle", "Virtual19.castle", "Virtual20.castle",
        "Virtual21.castle", "Virtual22.castle", "Virtual23.castle", "Virtual24.castle", "Virtual25.castle",
        "Virtual26.castle", "Virtual27.castle", "Virtual28.castle", "Virtual29.castle", "Virtual30.castle",
        "Virtual31.castle", "Virtual32.castle", "Virtual33.castle", "Virtual34.castle", "Virtual35.castle",
        "Virtual36.castle", "Virtual37.castle", "Virtual38.castle", "Virtual39.castle", "Virtual40.castle",
        "Virtual41.castle", "Virtual42.castle", "Virtual43.castle", "Virtual44.castle", "Virtual45.castle",
        "Virtual46.castle", "Virtual47.castle", "Virtual48.castle",
    };
    return stage >= kFirstStage && stage <= kLastStage ? names[stage - kFirstStage] : nullptr;
}

void TemplateTables::CityDeleter::operator()(City* city) const {
    delete city;
}

bool TemplateTables::LoadCastleFile(City* city, int previous) {
    playerCity = city;
    if (!city) return false;
    int32_t stage = CampaignStage();
    if (previous) {
        // The first stage of an act has no earlier camp to carry.
        if (stage == 11 || stage == 23 || stage == 35) return false;
        --stage;
    }
    const char* name = PlayerCityFileName(stage);
    if (!name) return false;
    const auto bytes = StageReader::ReadFile(name);
    if (!bytes) return false;
    StageReader in(*bytes, CurrentStageLoadMode());
    // The camp city is the window's own: it takes no place in the battle map's tables.
    return ReadCity(in, *city, false) != 0;
}

bool TemplateTables::SaveCastleFile(City* city) {
    const char* name = PlayerCityFileName(CampaignStage());
    if (!city || !name) return false;
    city->id = kPlayerCityId;
    StageWriter out;
    return WriteCity(out, *city) && out.Save(name);
}
