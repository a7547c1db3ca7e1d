#include "net/room/GameCommandTable.h"

void InstallGameCommandFamilies(GameCommandTable& table) {
    RegisterRelayControlCommands(table);
    RegisterTroopCommands(table);
    RegisterTroopFateCommands(table);
}
