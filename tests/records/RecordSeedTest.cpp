#include "RecordTestSupport.h"
#include "engine/ByteReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace recordtest;

// Writes the record block reader's fuzz seeds: records of each kind as saved, a shorter and a
// longer one in a row, and checks the reader takes each back.
TEST(RecordFuzzSeed, WritesSeedCorpus) {
    const char* dir = std::getenv("KARDOL_SEED_DIR");
    const std::filesystem::path folder = std::filesystem::path(dir ? dir : KARDOL_SEED_DIR) / "records";
    std::filesystem::create_directories(folder);
    int n = 0;
    for (const RecordKind& kind : PlainKinds()) {
        auto record = kind.make();
        const std::vector<uint8_t> block = Pattern(kind.bytes, static_cast<uint8_t>(n));
        std::memcpy(record->block, block.data(), kind.bytes);
        ByteWriter out;
        record->Save(out);
        PutU32(out.buffer(), 8);
        out.zeros(8);
        PutU32(out.buffer(), kind.bytes + 16);
        out.zeros(kind.bytes + 16);
        const std::vector<uint8_t>& bytes = out.buffer();
        std::ofstream(folder / ("seed" + std::to_string(n++) + ".bin"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

        auto back = kind.make();
        ByteReader in(bytes.data(), bytes.size());
        for (int r = 0; r < 3; ++r)
            ASSERT_EQ(back->Load(in), 1) << kind.name << " record " << r;
        EXPECT_EQ(in.remaining(), 0u);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);
}
