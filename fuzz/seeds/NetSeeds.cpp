// Seeds of the network readers: room streams, the game's commands and records, the lobby.
#include "SeedCorpus.h"

void WriteNetSeeds(SeedCorpus& corpus) {
    WriteNetStreamSeeds(corpus);
    WriteNetStateSeeds(corpus);
    WriteCityUnitSeeds(corpus);
    WriteLobbySeeds(corpus);
    WriteNetReceiveSeeds(corpus);
    WriteCityValueSeeds(corpus);
}
