#include "net/room/GameCommandTable.h"

void InstallGameCommandFamilies(GameCommandTable& table) {
    RegisterRelayControlCommands(table);
    RegisterTroopCommands(table);
    RegisterCityCommands(table);
    RegisterStateCommands(table);
    RegisterSubCommands(table);
    RegisterGameRecords(table);
    RegisterTroopFateCommands(table);
}
