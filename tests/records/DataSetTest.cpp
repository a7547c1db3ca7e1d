#include "engine/ByteReader.h"
#include "fuzz/seeds/builders/RecordKinds.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace recordfix;

namespace {

enum class Stored { Block, Shorter, Longer, Zero, Huge, OverCap };

struct LengthCase {
    const char* name;
    Stored length;
    int64_t present; // bytes after the length word; -1: as many as the length says
    bool loads;
};

const LengthCase kLengthCases[] = {
    {"equal", Stored::Block, -1, true},       {"shorter", Stored::Shorter, -1, true},
    {"longer", Stored::Longer, -1, true},     {"empty", Stored::Zero, -1, true},
    {"huge", Stored::Huge, 64, false},        {"over the cap", Stored::OverCap, -1, false},
    {"truncated", Stored::Block, 100, false},
};

uint32_t StoredLength(Stored s, uint32_t block) {
    switch (s) {
    case Stored::Block:
        return block;
    case Stored::Shorter:
        return block - 24;
    case Stored::Longer:
        return block + 12;
    case Stored::Zero:
        return 0;
    case Stored::Huge:
        return 0xFFFFFFFF;
    case Stored::OverCap:
        return DataSet::kMaxRecordBytes + 4;
    }
    return 0;
}

// Every record kind keeps min(length, block) bytes, zero past them, and leaves the reader after
// the record; a record that cannot be what it claims fails and changes nothing.
TEST(DataSetLoad, LengthCasesForEveryRecordKind) {
    for (const RecordKind& kind : PlainKinds()) {
        for (const LengthCase& c : kLengthCases) {
            SCOPED_TRACE(std::string(kind.name) + ": " + c.name);
            const uint32_t length = StoredLength(c.length, kind.bytes);
            const size_t present = c.present < 0 ? length : static_cast<size_t>(c.present);
            const std::vector<uint8_t> stored = Pattern(static_cast<uint32_t>(present), 3);
            std::vector<uint8_t> file;
            PutU32(file, length);
            file.insert(file.end(), stored.begin(), stored.end());
            if (c.loads) PutU32(file, 0xA5A5A5A5); // the next record's first word

            auto record = kind.make();
            const std::vector<uint8_t> before = Pattern(kind.bytes, 99);
            std::memcpy(record->block, before.data(), kind.bytes);
            ByteReader in(file.data(), file.size());
            ASSERT_EQ(record->Load(in), c.loads ? 1 : 0);
            if (!c.loads) {
                EXPECT_EQ(std::memcmp(record->block, before.data(), kind.bytes), 0);
                continue;
            }
            const uint32_t keep = std::min(length, kind.bytes);
            if (keep) EXPECT_EQ(std::memcmp(record->block, stored.data(), keep), 0);
            for (uint32_t i = keep; i < kind.bytes; ++i)
                ASSERT_EQ(record->block[i], 0) << i;
            EXPECT_EQ(in.u32(), 0xA5A5A5A5u);
        }
    }
}

TEST(DataSetLoad, AShortLengthWordFails) {
    OfficerRecord record(100, -1);
    const uint8_t two[2] = {0xB0, 0x01};
    ByteReader in(two, sizeof two);
    EXPECT_EQ(record.Load(in), 0);
}

// Save writes the block size and the block; loading that back gives the same bytes.
TEST(DataSetSave, RoundTripsEveryRecordKindByteForByte) {
    for (const RecordKind& kind : PlainKinds()) {
        SCOPED_TRACE(kind.name);
        auto record = kind.make();
        const std::vector<uint8_t> block = Pattern(kind.bytes, 17);
        std::memcpy(record->block, block.data(), kind.bytes);
        ByteWriter out;
        EXPECT_EQ(record->Save(out), 1);
        std::vector<uint8_t> expected;
        PutU32(expected, kind.bytes);
        expected.insert(expected.end(), block.begin(), block.end());
        EXPECT_EQ(out.buffer(), expected);

        auto copy = kind.make();
        ByteReader in(out.buffer().data(), out.size());
        ASSERT_EQ(copy->Load(in), 1);
        ByteWriter again;
        copy->Save(again);
        EXPECT_EQ(again.buffer(), expected);
    }
}

// Through file handles: the longer record is skipped so the next one is read from its start, and a
// file that ends inside a record fails the load.
TEST(DataSetFile, RecordsFollowEachOtherInAFile) {
    testsupport::TempFolder folder;
    std::vector<uint8_t> file;
    PutU32(file, 440);
    const std::vector<uint8_t> first = Pattern(440, 1);
    file.insert(file.end(), first.begin(), first.end());
    OfficerRecord second(100, -1);
    second.SetInt(OfficerLayout::kLevel, 17);
    ByteWriter w;
    second.Save(w);
    file.insert(file.end(), w.buffer().begin(), w.buffer().end());
    PutU32(file, 432);
    file.insert(file.end(), 100, 0x11); // the third record is cut short
    folder.Put("records.bin", file);

    const platform::HFILE h = platform::_lopen("records.bin", platform::OF_READ);
    ASSERT_NE(h, platform::HFILE_ERROR);
    OfficerRecord a(100, -1), b(100, -1), c(100, -1);
    EXPECT_EQ(a.Load(h), 1);
    EXPECT_EQ(std::memcmp(a.block, first.data(), 432), 0);
    EXPECT_EQ(b.Load(h), 1);
    EXPECT_EQ(b.Get(OfficerLayout::kLevel), 17);
    c.SetInt(OfficerLayout::kLevel, 5);
    EXPECT_EQ(c.Load(h), 0);
    EXPECT_EQ(c.Get(OfficerLayout::kLevel), 5);
    platform::_lclose(h);

    const platform::HFILE out = platform::_lcreat("saved.bin", 0);
    ASSERT_NE(out, platform::HFILE_ERROR);
    EXPECT_EQ(b.Save(out), 1);
    platform::_lclose(out);
    EXPECT_EQ(folder.Read("saved.bin"), std::string(w.buffer().begin(), w.buffer().end()));
}

// The columns of every schema sit at the offsets the data tables use.
TEST(FieldSchemaLayout, FieldsAtTheirOffsets) {
    struct Probe {
        const char* name;
        const FieldSchema& schema;
        uint32_t dwords, fields, index, type, offset, bytes;
    };
    const Probe probes[] = {
        {"officer name", OfficerSchema(), 108, 104, 0, kFieldText, 0, 20},
        {"officer person", OfficerSchema(), 108, 104, 1, kFieldInt, 20, 4},
        {"officer attribute", OfficerSchema(), 108, 104, 89, kFieldInt, 372, 4},
        {"officer physique rest", OfficerSchema(), 108, 104, 103, kFieldInt, 428, 4},
        {"item number", ItemSchema(), 48, 44, 1, kFieldInt, 20, 4},
        {"item added strength", ItemSchema(), 48, 44, 43, kFieldInt, 188, 4},
        {"skill not used yet", SkillSchema(), 49, 37, 32, kFieldInt, 144, 4},
        {"skill picture", SkillSchema(), 49, 37, 33, kFieldText, 148, 20},
        {"skill description", SkillSchema(), 49, 37, 34, kFieldText, 168, 20},
        {"skill centre y", SkillSchema(), 49, 37, 36, kFieldInt, 192, 4},
        {"soldier sea counterpart", SoldierTypeSchema(), 26, 22, 9, kFieldInt, 52, 4},
        {"soldier defence", SoldierTypeSchema(), 26, 22, 21, kFieldInt, 100, 4},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(p.schema.BlockDwords(), p.dwords);
        EXPECT_EQ(p.schema.FieldCount(), p.fields);
        const SchemaField f = p.schema.Field(p.index);
        EXPECT_EQ(f.type, p.type);
        EXPECT_EQ(f.offset, p.offset);
        EXPECT_EQ(f.bytes, p.bytes);
    }
}

// A schema whose words claim more than the block holds stops at the block's end.
TEST(FieldSchemaLayout, AMalformedSchemaNeverNamesBytesPastTheBlock) {
    const uint32_t words[] = {2, 4, kFieldInt, kFieldText, 5, kFieldInt, kFieldInt};
    const FieldSchema schema{words};
    int seen = 0;
    schema.ForEach([&](uint32_t, const SchemaField& f) {
        EXPECT_LE(f.offset + f.bytes, 8u);
        ++seen;
    });
    EXPECT_EQ(seen, 1);
}

TEST(DataSetSlots, PlainRecordsHaveNoChildren) {
    for (const RecordKind& kind : PlainKinds()) {
        auto record = kind.make();
        EXPECT_EQ(record->CreateChild(0x66), nullptr);
        EXPECT_EQ(record->RefreshChild(0x66, nullptr), 1);
        EXPECT_EQ(record->NewChild(0x66), nullptr);
        EXPECT_EQ(record->childList, nullptr);
        EXPECT_EQ(record->recordKind, 0);
    }
}

// "趙雲" and "諸葛亮孔明字臥龍先生" (twenty bytes, no zero byte).
const char kZhao[] = "\xbb\xaf\xb6\xb3";
const char kFullName[] = "\xbd\xd1\xb8\xaf\xab\x47\xa4\xd5\xa9\xfa\xa6\x72\xaa\xd7\xc0\x73\xa5\xfd\xa5\xcd";

std::string Zeros(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "0\t";
    return s;
}

TEST(DataSetExport, OfficerListAsTabSeparatedText) {
    OfficerRecord zhao(100, -1);
    zhao.SetText(OfficerLayout::kName, 20, kZhao);
    zhao.Set(OfficerLayout::kPersonNumber, 12);
    zhao.Set(OfficerLayout::kClass, 1);
    zhao.Set(OfficerLayout::kLevel, 7);
    zhao.Set(OfficerLayout::kPhysiqueRest, -3);
    OfficerRecord full(100, -1);
    std::memcpy(full.block, kFullName, 20);
    full.Set(OfficerLayout::kPersonNumber, 13);
    full.Set(OfficerLayout::kStrengthRest, 5);

    std::string text;
    zhao.WriteTextHeader(text);
    zhao.WriteTextRow(text);
    full.WriteTextRow(text);

    // "姓名", "人物編號", "職業" first; "武力餘.", "體魄餘." last.
    const std::string header =
        std::string("\xa9\x6d\xa6\x57\t\xa4\x48\xaa\xab\xbd\x73\xb8\xb9\t\xc2\xbe\xb7\x7e\t");
    const std::string headerEnd = "\xaa\x5a\xa4\x4f\xbe\x6c.\t\xc5\xe9\xbe\x7a\xbe\x6c.\t\n";
    const size_t firstLine = text.find('\n') + 1;
    const std::string head = text.substr(0, firstLine);
    EXPECT_EQ(head.substr(0, header.size()), header);
    EXPECT_EQ(head.substr(head.size() - headerEnd.size()), headerEnd);
    EXPECT_EQ(std::count(head.begin(), head.end(), '\t'), 104);
    EXPECT_NE(head.find("\t AI\t"), std::string::npos);

    const std::string rows = std::string(kZhao) + "\t12\t1\t7\t" + Zeros(99) + "-3\t\n" +
                             std::string(kFullName, 20) + "\t13\t" + Zeros(100) + "5\t0\t\n";
    EXPECT_EQ(text.substr(firstLine), rows);
}

TEST(DataSetExport, TextExportThroughAFileHandle) {
    testsupport::TempFolder folder;
    SkillRecord skill(100);
    std::memcpy(skill.block + SkillLayout::kPicture, "skill22-with-20bytes", 20);
    const platform::HFILE h = platform::_lcreat("skill.txt", 0);
    ASSERT_NE(h, platform::HFILE_ERROR);
    EXPECT_EQ(skill.WriteTextRow(h), 1);
    platform::_lclose(h);
    const std::string text = folder.Read("skill.txt");
    EXPECT_EQ(text, "\t" + Zeros(32) + "skill22-with-20bytes\t\t0\t0\t\n");
}

TEST(DataSetText, StoredTextIsCutWithoutSplittingACharacter) {
    OfficerRecord o(100, -1);
    o.SetText(OfficerLayout::kName, 20, std::string(kFullName, 20) + "\xa4\x48");
    // Nineteen bytes fit: nine characters, the tenth would be cut in half.
    EXPECT_EQ(o.Name(), std::string_view(kFullName, 18));
    EXPECT_EQ(o.block[18], 0);
    EXPECT_EQ(o.block[19], 0);
}

} // namespace
