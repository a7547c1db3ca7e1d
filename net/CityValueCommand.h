#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class City;

constexpr uint8_t kCityValueCommand = 22;
constexpr size_t kCityValueCommandSize = 12;

// The city values command 22 carries, one selector per command.
enum CityValueMask : uint32_t {
    kCityGold = 1,
    kCityFood = 2,
    kCityDevelopment = 8,
    kCityCommerce = 0x10,
    kCityMorale = 0x20,
    kCityPopulation = 0x40,
    kCityGarrisonStrength = 0x100,
    kCityGarrisonRebuild = 0x200,
    kCityTower = 0x400,
};

// Command 22: the new value is worked out here from the city's current one and the delta (the
// delta itself for the garrison and tower selectors). Applied at once in single play or on the
// host, sent when networked; a client only sends and waits for the host's copy.
void NetCmdAddCityValue(City* city, int32_t delta, uint32_t mask);

// What a station does with a new value, the same on every station (clamps included).
void ApplyCityValue(City* city, int32_t value, uint32_t mask);

// The receive side: the city by its id, a known selector. False when the payload names neither;
// nothing is touched then.
bool ReceiveCityValueCommand(std::span<const uint8_t> payload);
