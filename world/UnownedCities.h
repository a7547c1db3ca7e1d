#pragma once

#include "engine/LinkList.h"

class City;

// The cities of the map that no kingdom holds (destroyed by an event script); it owns them.
class UnownedCities {
public:
    UnownedCities() = default;
    ~UnownedCities();
    UnownedCities(const UnownedCities&) = delete;
    UnownedCities& operator=(const UnownedCities&) = delete;

    // Takes the city in unless it is there already.
    void Add(City* city);
    bool Holds(const City* city);
    void Clear();

    LinkList cities; // City*, owned
};
