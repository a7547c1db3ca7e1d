// Seeds of the city value target: gold, food, population and the garrison selectors, each
// accepted by the receiver over a kingdom with one city.
#include "SeedCorpus.h"

#include "engine/ByteReader.h"
#include "fuzz/seeds/builders/BattleFixture.h"
#include "net/CityValueCommand.h"
#include "net/CommandLookups.h"
#include "records/City.h"

void WriteCityValueSeeds(SeedCorpus& corpus) {
    battlefix::Battle b;
    Kingdom* k = b.AddKingdom(1);
    City* city = b.AddCity(k, 10, 20);
    city->id = TheBattleMap->cityCount;
    const std::pair<int32_t, uint32_t> seeds[] = {{1500, kCityGold},
                                                  {-20, kCityFood},
                                                  {40, kCityPopulation},
                                                  {0, kCityGarrisonStrength},
                                                  {0, kCityGarrisonRebuild}};
    for (auto [value, mask] : seeds) {
        const std::string name = "mask" + std::to_string(mask) + ".bin";
        ByteWriter out;
        out.u32(uint32_t(CityIndexOf(city))); // cities travel by their place in the table
        out.u32(uint32_t(value));
        out.u32(mask);
        corpus.Check(ReceiveCityValueCommand(out.buffer()), "cityvalue", name, "the receiver refuses it");
        corpus.Write("cityvalue", name, out.buffer());
    }
}
