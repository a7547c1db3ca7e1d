#pragma once

class City;

// Fills a freshly loaded stage's towns and strongholds with people. Every station runs it alike:
// all its draws come from the shared generators, in a fixed order.
void PopulateStageCities();
// Deletes the city's officer records and troops, after unlinking them from every holder.
void ClearCityPeople(City* city);
