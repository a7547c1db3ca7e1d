#include "fuzz/seeds/builders/SectionFixtures.h"

#include "engine/ByteReader.h"
#include "records/City.h"
#include "records/Kingdom.h"

namespace sectionfix {

OfficerRecord* General(int32_t person, const char* name) {
    auto* o = new OfficerRecord(1, -1);
    o->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, name);
    o->Set(OfficerLayout::kPersonNumber, person);
    return o;
}

std::vector<uint8_t> SavedKingdom() {
    Kingdom k;
    k.SetText(KingdomLayout::kName, 20, "Cao");
    k.SetInt(KingdomLayout::kNation, 3);
    k.SetInt(96, 0x12345678); // the spare dword
    for (const char* name : {"Xu", "Ye"}) {
        auto* city = new City;
        city->SetText(CityLayout::kName, 20, name);
        city->generals.Add(reinterpret_cast<uintptr_t>(General(1, name)));
        k.cities.Add(reinterpret_cast<uintptr_t>(city));
    }
    ByteWriter out;
    k.Save(out);
    return out.buffer();
}

} // namespace sectionfix
