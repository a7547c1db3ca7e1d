#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "net/CityValueCommand.h"
#include "net/SubCommands.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/CityRecordSenders.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "stagefiles/SavedRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>

namespace {
using L = CityLayout;

constexpr uint32_t kAdministration = 36; // the kingdom's "內政型態"
// Soldier-type columns of the training costs.
constexpr uint32_t kCostPopulation = 68; // "徵兵扣人"
constexpr uint32_t kCostGold = 72;       // "徵兵扣金"
constexpr uint32_t kCostFood = 76;       // "徵兵扣糧"
constexpr uint32_t kTrainingDays = 80;   // "徵兵天數"

constexpr int32_t kFirstTrainee = 415, kLastTrainee = 431;
constexpr int32_t kSoldiersPerChoice = 6;
constexpr int32_t kCityActionLimit[5] = {150, 6, 8, 10, 12};
constexpr int32_t kSmallestReserveCapacity = 6;

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

int32_t Column(const uint8_t* block, uint32_t offset) {
    int32_t v = 0;
    if (block) std::memcpy(&v, block + offset, 4);
    return v;
}

int32_t SizeIndex(const City& city) {
    return std::clamp(city.Scale(), 1, 4) - 1;
}

// The soldier type a template trains into, and the type record whose days its training takes.
const uint8_t* TraineeType(int32_t templateNumber) {
    return SoldierTypeBlock(Column(GeneralTemplate(templateNumber), OfficerLayout::kSoldierType));
}
uint32_t TrainingDays(int32_t templateNumber) {
    return static_cast<uint32_t>(Column(SoldierTypeBlock(templateNumber - 330), kTrainingDays));
}

bool HostOfNetworkGame() {
    return GameNetworked() && DecidesHere();
}

} // namespace

int32_t City::ReserveCapacity() const {
    const int32_t size = std::clamp(Scale(), 0, 4);
    return size == 0 ? kSmallestReserveCapacity : GameParams().standbyCapByLevel[size - 1];
}

int32_t City::RefreshReserveCount() {
    reserveTroopCount = reserve.GetCount();
    return reserveTroopCount;
}

DevelopmentChoice City::ChooseDevelopment() {
    const GameParameters& p = GameParams();
    DevelopmentChoice choice;
    const int32_t size = Scale();
    const int32_t s = SizeIndex(*this);
    Kingdom* kingdom = TheBattleMap ? TheBattleMap->FindKingdom(ownerSide) : nullptr;
    const int32_t style = kingdom ? std::clamp(kingdom->Int(kAdministration), 0, 3) : 0;
    const int32_t values[3] = {Int(CityWorkColumns::kDevelopment), Int(CityWorkColumns::kCommerce),
                               Int(CityWorkColumns::kMorale)};

    int32_t category = 0;
    const int32_t r = platform::rand() % 100;
    int32_t low = 0;
    for (int32_t k = 0; k < 5; ++k) {
        const int32_t high = low + p.buildChoice[style][k];
        const bool capped = k < 3 && values[k] >= p.buildLimits[s][k];
        if (!capped && r >= low && r < high) {
            category = k;
            break;
        }
        low = high;
    }
    if (BuildingCount(12) == 0 && BuildingCount(13) == 0 && BuildingCount(14) == 0) category = 5;
    if (values[1] - values[0] > 29) category = 0;
    if (values[0] - values[1] > 29) category = 1;
    choice.category = category;

    if (size >= 1 && size < 4 && statusFlags == 0 && Int(L::kGold) >= p.buildingCost[22 + size] &&
        Int(L::kPopulation) >= p.wallPopulation[size - 1] &&
        (BuildingCount(size + 5) > 1000 || BuildingCount(size + 8) > 1000 ||
         BuildingCount(size + 11) > 1000)) {
        choice.what = DevelopmentChoice::Upgrade;
        NetCmdAddCityValue(this, -p.buildingCost[22 + size], kCityGold);
        ApplyUpgrade();
        if (HostOfNetworkGame())
            if (auto send = CurrentCityRecordSenders().upgrade) send(*this);
        return choice;
    }

    int32_t kind = -1;
    switch (category) {
    case 0:
        kind = platform::rand() % 2;
        break;
    case 1:
        kind = 2 + platform::rand() % 2;
        break;
    case 2:
        kind = 4 + platform::rand() % 2;
        if (BuildingCount(4) == 0) kind = 4;
        break;
    case 3: {
        const int32_t special = Int(CityWorkColumns::kSpecialBarracks);
        if (special != 0) {
            if ((size == 2 || size == 3) && BuildingCount(special) == 0) kind = special;
            if (size == 4 && BuildingCount(special + 1) == 0) kind = special + 1;
        }
        if (kind < 0) {
            const int32_t base = size == 1 ? 6 : size == 2 ? 7 : 8;
            for (int i = 0; i < 8 && kind < 0; ++i) {
                const int32_t k = (platform::rand() % 3) * 3 + base;
                if (BuildingCount(k) == 0) kind = k;
            }
        }
        break;
    }
    case 4: {
        const int32_t trainee = ChooseTrainingKind();
        if (trainee >= 0) {
            choice.what = DevelopmentChoice::Train;
            choice.buildingKind = trainee;
            QueueTraining(trainee, kSoldiersPerChoice);
        }
        return choice;
    }
    default:
        kind = size == 1 ? 12 : size == 2 ? 13 : 14;
        break;
    }
    if (kind < 0 || kind > 22) return choice;

    const int32_t price = p.buildingCost[kind];
    SavedRecord* plot = nullptr;
    for (uintptr_t v = sites.First(); v != 0 && !plot; v = sites.Next())
        if (At<SavedRecord>(v)->kind < 0) plot = At<SavedRecord>(v);
    // The price is taken without asking whether the gold reaches it: the treasury stops at 0.
    if (!plot && category == 3) {
        plot = PickConstructionSite(-1);
        if (plot && Int(L::kGold) < price) plot = nullptr;
    }
    if (!plot) return choice;
    NetCmdAddCityValue(this, -price, kCityGold);
    RequestPlotKind(plot->x, plot->y, kind);
    choice.what = DevelopmentChoice::Build;
    choice.buildingKind = kind;
    return choice;
}

void City::StrategyTurn() {
    const bool human = TheBattleMap && ownerSide >= 0 && ownerSide < BattleMap::kSides &&
                       TheBattleMap->sideActive[ownerSide] == 0;
    if (!human || !toggleFlag || !DecidesHere()) return;
    ChooseDevelopment();
    if (pendingStatus != 0) CommitStatusFlags();
    TryCityAction();
}

int32_t City::ChooseTrainingKind() {
    const GameParameters& p = GameParams();
    const int32_t population = Int(L::kPopulation);
    if (population < p.grainLimits[0]) return -1;
    int32_t band = 0;
    for (int32_t b = 1; b < 4; ++b)
        if (population >= p.grainLimits[b]) band = b;

    const int32_t limit = kCityActionLimit[std::clamp(Scale(), 0, 4)];
    const int32_t day = TheScreenSettings ? TheScreenSettings->day : 0;
    if (day == id % 30 && actionWords[0] < limit) {
        int32_t count = actionWords[0];
        for (uintptr_t v = reserve.First(); v != 0; v = reserve.Next()) {
            const Troop* t = At<Troop>(v);
            const int32_t person = t->officer ? t->officer->Get(OfficerLayout::kPersonNumber) : 0;
            if (person >= 421 && person <= 423) ++count;
        }
        if (count >= limit) return -1;
        for (int32_t k : {14, 13, 12})
            if (BuildingCount(k) > 1000) return k;
        return -1;
    }
    const int32_t special = Int(CityWorkColumns::kSpecialBarracks);
    for (int32_t b = band; b >= 0; --b) {
        for (int i = 0; i < 18; ++i) {
            const int32_t k = b == 3 ? special + platform::rand() % 2 : (platform::rand() % 3) * 3 + 6 + b;
            if (BuildingCount(k) > 1000) return k;
        }
    }
    return -1;
}

void City::QueueTraining(int32_t kind, int32_t maxCount) {
    const GameParameters& p = GameParams();
    const int32_t capacity = ReserveCapacity();
    if (RefreshReserveCount() >= capacity || trainingQueue.GetCount() != 0) return;
    const int32_t templateNumber = 409 + kind;
    for (int32_t i = 0; i < maxCount; ++i) {
        if (templateNumber < kFirstTrainee || templateNumber > kLastTrainee) return;
        const uint8_t* type = TraineeType(templateNumber);
        const int32_t gold = Column(type, kCostGold), food = Column(type, kCostFood),
                      people = Column(type, kCostPopulation);
        if (Int(L::kGold) < gold || Int(L::kFood) < food || Int(L::kPopulation) < people) return;
        NetCmdAddCityValue(this, -gold, kCityGold);
        NetCmdAddCityValue(this, -food, kCityFood);
        NetCmdAddCityValue(this, -people, kCityPopulation);
        trainingQueue.Add(reinterpret_cast<uintptr_t>(new TrainingEntry(templateNumber)));
        if (reserve.GetCount() > p.soldierTransport[2] || reserveTroopCount + 1 >= capacity) return;
    }
}

void City::TickTraining() {
    if (reserveTroopCount >= ReserveCapacity()) return;
    const uintptr_t v = trainingQueue.First();
    if (v == 0) return;
    auto* entry = At<TrainingEntry>(v);
    ++entry->days;
    if (entry->days <= TrainingDays(entry->templateNumber)) return;
    trainingQueue.RemoveCurrent();
    const int32_t templateNumber = entry->templateNumber;
    delete entry;
    // The soldier's id is the host's own draw, so every station makes the same one.
    NetCmdCreateOfficer(this, static_cast<uint32_t>(templateNumber));
}
