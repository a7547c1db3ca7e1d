#include "world/UnownedCities.h"

#include "records/City.h"

UnownedCities::~UnownedCities() {
    Clear();
}

void UnownedCities::Add(City* city) {
    if (!city || Holds(city)) return;
    cities.Last();
    cities.Add(reinterpret_cast<uintptr_t>(city));
}

bool UnownedCities::Holds(const City* city) {
    return city && cities.Find(reinterpret_cast<uintptr_t>(city)) != 0;
}

void UnownedCities::Clear() {
    for (uintptr_t v = cities.First(); v != 0; v = cities.First()) {
        cities.RemoveValue(v);
        delete reinterpret_cast<City*>(v);
    }
}
