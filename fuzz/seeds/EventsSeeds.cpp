// Seeds of the ".evt" event file and the history text readers.
#include "SeedCorpus.h"

#include "engine/LinkList.h"
#include "events/EventFile.h"
#include "fuzz/seeds/builders/EventFixtures.h"

#include <iterator>

void WriteEventsSeeds(SeedCorpus& corpus) {
    using namespace eventfix;
    std::vector<uint8_t> mixed;
    PutU32(mixed, 1);
    PutEvent(mixed, 60, {Block(40, 1, "x"), Block(80, 2, "y")}, 5);
    const std::vector<uint8_t> files[] = {TwoEvents(), mixed};
    for (size_t i = 0; i < std::size(files); ++i) {
        const std::string name = "seed" + std::to_string(i) + ".evt";
        corpus.Write("evt", name, files[i]);
        LinkList events;
        corpus.Check(ReadEventFile(files[i], events) == 1, "evt", name, "the reader refuses it");
        DeleteEvents(events);
    }
    const std::string texts[] = {"header\r\n\xa6\x77\xa6\x77 7 4 1 2 3 5 6\r\nShort 9\r\n",
                                 "header\nA 1 0x10 2\n\nB 2\n"};
    for (size_t i = 0; i < std::size(texts); ++i) {
        const std::string name = "seed" + std::to_string(i) + ".txt";
        corpus.Write("history", name, texts[i]);
        LinkList events;
        corpus.Check(ReadHistoryText(texts[i], events, nullptr) == 2, "history", name,
                     "not both events are read");
        DeleteEvents(events);
    }
}
