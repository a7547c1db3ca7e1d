// The update datagram target's seeds: {u16 length, datagram} records of a small transfer.
#include "SeedCorpus.h"

#include "engine/LzwCodec.h"
#include "update/client/UpdateDatagram.h"
#include "update/client/UpdateFileTable.h"
#include "update/shared/GameFolder.h"

#include <algorithm>

namespace ud = UpdateDatagram;

void WriteUpdateSeeds(SeedCorpus& corpus) {
    std::vector<uint8_t> plain(1200);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<uint8_t>(i * 13);
    // Runs, so that packing pays.
    std::vector<uint8_t> runs(1200);
    for (size_t i = 0; i < runs.size(); ++i)
        runs[i] = static_cast<uint8_t>(i / 50);
    const auto packed = *Zu_LzwCodec::PackRle(runs.data(), runs.size());
    const int32_t sum = ud::Checksum(plain.data(), plain.size());
    uint8_t version[ud::kVersionText] = {'1', '.', '0', '1', 't'};
    const std::vector<std::vector<uint8_t>> seeds[] = {
        {ud::EncodeFileHeader('A', "plain.dat", 1200, 0, sum),
         ud::EncodeFileData('A', "plain.dat", 0, 0, plain.data(), 1000),
         ud::EncodeFileData('A', "plain.dat", 0, 1000, plain.data() + 1000, 200),
         ud::EncodeControl(ud::kAllSent, 0)},
        {ud::EncodeFileHeader('A', "p.spr", 1200, static_cast<uint32_t>(packed.size()),
                              ud::Checksum(runs.data(), runs.size())),
         ud::EncodeFileData('A', "p.spr", 1, 0, packed.data(),
                            static_cast<uint32_t>(std::min<size_t>(packed.size(), 1000)))},
        {ud::EncodeVersion(version), ud::EncodeControl(ud::kCurrent, 0), ud::EncodeAck(3)},
    };
    int n = 0;
    for (const auto& seed : seeds) {
        const std::string name = "seed" + std::to_string(n++);
        std::vector<uint8_t> bytes;
        for (const auto& d : seed) {
            bytes.push_back(static_cast<uint8_t>(d.size()));
            bytes.push_back(static_cast<uint8_t>(d.size() >> 8));
            bytes.insert(bytes.end(), d.begin(), d.end());
            corpus.Check(ud::DecodeHeader(d.data(), d.size()).has_value(), "updatedatagram", name,
                         "the reader refuses a datagram");
        }
        corpus.Write("updatedatagram", name, bytes);
    }
    // The first transfer's blocks make the file whole again.
    const GameFolder nowhere{std::string()};
    UpdateFileTable table;
    const auto header = ud::DecodeFileHeader(seeds[0][0].data(), seeds[0][0].size());
    UpdateFileRecord* r = header ? table.Add(*header, nowhere) : nullptr;
    bool stored = r != nullptr;
    for (int i = 1; stored && i <= 2; ++i) {
        const auto block = ud::DecodeFileData(seeds[0][i].data(), seeds[0][i].size());
        stored = block && UpdateFileTable::Store(*r, block->offset, block->data, block->count, nullptr);
    }
    corpus.Check(stored && r->Contents() == plain, "updatedatagram", "seed0",
                 "the transfer does not make the file");
}
