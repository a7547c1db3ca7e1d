#pragma once

#include <cstdint>
#include <memory>
#include <string>

class ByteReader;
class ScenarioData;
struct FootprintPattern;

// Results of the loader and of each table reader.
constexpr int kGameDataDamaged = -1; // a table is shorter than it claims or cannot hold its entries
constexpr int kGameDataMissing = 0;  // an ".ini" table is missing: the later ones are not read
constexpr int kGameDataLoaded = 1;
// A table reader's result that ends the load early, as loaded (a zero count).
constexpr int kGameDataEndsLoad = 2;

enum class FootprintFile { Building, Construction, Door, Farm, ArrowTower };
enum class IniTable { General, Castle, SubCastle, Soldier, Skill, Item, Age };

// Reads the five footprint tables and the seven record tables from the working folder into the
// global tables and the scenario lists. A damaged or missing table is noted in "Error.lst" and
// named in damagedFile; the tables read before it stay.
int LoadGameData(ScenarioData* scenario, std::string* damagedFile = nullptr);

// One footprint table from its bytes into `table` (entries beyond `entries` are skipped).
// kGameDataDamaged leaves the table untouched.
int ReadFootprintTable(ByteReader& in, FootprintFile file, std::unique_ptr<FootprintPattern>* table,
                       int entries);
// One record table from its bytes into the scenario and the global tables. Rows past the table's
// capacity are not created; a row longer than its block is cut to it. kGameDataDamaged adds
// nothing.
int ReadIniTable(ByteReader& in, IniTable table, ScenarioData* scenario);
