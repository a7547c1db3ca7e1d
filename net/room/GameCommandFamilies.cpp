#include "net/room/GameCommandTable.h"

void InstallGameCommandFamilies(GameCommandTable& table) {
    RegisterRelayControlCommands(table);
    RegisterTroopCommands(table);
    RegisterStateCommands(table);
    RegisterSubCommands(table);
    RegisterGameRecords(table);
}
