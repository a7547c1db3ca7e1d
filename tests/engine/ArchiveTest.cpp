#include "engine/Archive.h"
#include "engine/ErrorList.h"
#include "engine/Lh5.h"
#include "engine/PictureSet.h"
#include "engine/RomImage.h"
#include "engine/RomPicture.h"
#include "engine/RunLength.h"
#include "engine/Tools.h"
#include "fuzz/seeds/builders/ArchiveFixtures.h"
#include "fuzz/seeds/builders/Lh5Encoder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using archfix::Bytes;
using platform::OF_READ;
using platform::OF_READWRITE;
using platform::OF_SHARE_DENY_NONE;

struct Record {
    int32_t line, kind;
};

std::vector<Record> Records() {
    std::vector<Record> out;
    for (const ErrorRecord* r = Zu_ErrorList::Global().GetFirst(); r; r = r->next)
        out.push_back({r->line, r->kind});
    return out;
}

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { Zu_ErrorList::Global().Clear(); }
    void TearDown() override { Zu_ErrorList::Global().Clear(); }

    int OpenRead(Zu_Archive& a, const char* name, int version = -1, const char* signature = nullptr) {
        return a.Open(name, OF_READ, OF_SHARE_DENY_NONE, 0, version, signature);
    }

    testsupport::TempFolder folder;
};

TEST_F(ArchiveTest, ReadsBothVersionsByteExact) {
    for (const auto& layout : {archfix::Version9(), archfix::Version10()}) {
        SCOPED_TRACE(int(layout.version));
        archfix::WriteFile("Data/Zu_Test.Rom", archfix::Build(layout));
        Zu_Archive a;
        ASSERT_EQ(OpenRead(a, "data\\zu_test.rom"), 1);
        EXPECT_EQ(a.GetCount(), 5);
        EXPECT_EQ(a.GetEntryBytes(), layout.version < 10 ? 16u : 40u);
        EXPECT_STREQ(a.GetSignature(), layout.signature.c_str());

        EXPECT_EQ(a.ReadEntry(0, 1), layout.entries[0].data);
        EXPECT_EQ(a.ReadEntry(1, 1), archfix::SampleBytes(5000, 2));
        EXPECT_EQ(a.ReadEntry(1, 0), layout.entries[1].data); // as stored, packed header included
        EXPECT_EQ(a.GetEntrySize(1), 5000u);
        EXPECT_EQ(a.ReadEntry(2, 1), std::nullopt);
        EXPECT_EQ(a.GetEntrySize(2), 0u);
        EXPECT_EQ(a.ReadEntry(4, 1), archfix::SampleBytes(100, 3));
        EXPECT_EQ(a.GetEntrySize(4), 100u);
        EXPECT_EQ(a.ReadEntry(5, 1), std::nullopt);
        EXPECT_EQ(a.ReadEntry(-1, 1), std::nullopt);

        uint16_t f[4] = {9, 9, 9, 9};
        EXPECT_EQ(a.GetEntryInfo(1, &f[0], &f[1], &f[2], &f[3]), 1);
        EXPECT_EQ((std::vector<uint16_t>{f[0], f[1], f[2], f[3]}), (std::vector<uint16_t>{1, 0, 3, 4}));
        EXPECT_EQ(a.GetEntryInfo(7, &f[0], &f[1], &f[2], &f[3]), 0);
        EXPECT_EQ((std::vector<uint16_t>{f[0], f[1], f[2], f[3]}), (std::vector<uint16_t>{0, 0, 0, 0}));

        uint8_t raw[8];
        EXPECT_EQ(a.ReadRaw(0, raw, 8), 8u);
        EXPECT_EQ(std::memcmp(raw, layout.entries[0].data.data(), 8), 0);

        uint32_t size = 99;
        const auto named = a.FindByName("PACKED.dat", &size);
        if (layout.version < 10) {
            EXPECT_EQ(named, std::nullopt); // 16-byte entries carry no names
            EXPECT_EQ(size, 0u);
        } else {
            EXPECT_EQ(named, archfix::SampleBytes(5000, 2));
            EXPECT_EQ(size, 5000u);
        }
        EXPECT_EQ(a.FindByName("Packed", &size), std::nullopt);
    }
    EXPECT_TRUE(Records().empty());
}

TEST_F(ArchiveTest, OpenChecksFileVersionAndSignature) {
    archfix::WriteFile("v9.rom", archfix::Build(archfix::Version9()));
    Zu_Archive a;
    EXPECT_EQ(OpenRead(a, "missing.rom"), 0);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].line, 34);
    EXPECT_EQ(Records()[0].kind, Zu_ErrorList::KindOpen);

    Zu_ErrorList::Global().Clear();
    EXPECT_EQ(OpenRead(a, "v9.rom", 10), 0);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].line, 46);
    EXPECT_EQ(Records()[0].kind, Zu_ErrorList::KindVersion);
    EXPECT_FALSE(a.IsOpen()); // a refused file is closed
    EXPECT_EQ(a.ReadEntry(0, 1), std::nullopt);

    Zu_ErrorList::Global().Clear();
    EXPECT_EQ(OpenRead(a, "v9.rom", 9, "zudata9"), 0); // the signature is case-sensitive
    EXPECT_FALSE(a.IsOpen());
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(OpenRead(a, "v9.rom", 9, "ZuData9"), 1);
    EXPECT_EQ(a.GetCount(), 5);

    // The reader can be reused for another file.
    archfix::WriteFile("v10.rom", archfix::Build(archfix::Version10()));
    EXPECT_EQ(OpenRead(a, "v10.rom"), 1);
    EXPECT_EQ(a.GetEntryBytes(), 40u);
}

TEST_F(ArchiveTest, RefusesCorruptArchives) {
    const archfix::Layout layout = archfix::Version10();
    const Bytes good = archfix::Build(layout);
    auto entry = [&](size_t i) { return archfix::EntryAt(layout, i); };
    auto with = [&](auto change) {
        Bytes b = good;
        change(b);
        return b;
    };
    struct Case {
        const char* name;
        Bytes file;
        bool opens;
        int badEntry; // entry that must read as none (and size 0)
    };
    const uint32_t fileSize = static_cast<uint32_t>(good.size());
    Bytes badLh5 = good;
    {
        // Break the first pt table of the packed entry: 20 lengths where 19 exist.
        const size_t data = good[entry(1)] | (good[entry(1) + 1] << 8);
        badLh5[data + 12 + 2] = 0xA0;
    }
    const Case cases[] = {
        {"header cut short", Bytes(good.begin(), good.begin() + 10), false, -1},
        {"table cut short", Bytes(good.begin(), good.begin() + 16 + 40 * 5 - 1), false, -1},
        {"entry size below 16", with([](Bytes& b) { b[5] = 8; }), false, -1},
        {"count past the file", with([](Bytes& b) { b[0] = 0xFF, b[1] = 0xFF; }), false, -1},
        {"offset past the end", with([&](Bytes& b) { archfix::PutU32(b, entry(0), fileSize); }), true, 0},
        {"size past the end", with([&](Bytes& b) { archfix::PutU32(b, entry(0) + 4, fileSize); }), true, 0},
        {"offset and size wrap", with([&](Bytes& b) {
             archfix::PutU32(b, entry(0), 0xFFFFFFF0u);
             archfix::PutU32(b, entry(0) + 4, 0x20);
         }),
         true, 0},
        {"packed entry shorter than its header",
         with([&](Bytes& b) { archfix::PutU32(b, entry(1) + 4, 11); }), true, 1},
        {"packed size past the cap", with([&](Bytes& b) {
             const size_t data = b[entry(1)] | (b[entry(1) + 1] << 8);
             archfix::PutU32(b, data + 4, 0x7FFFFFFF);
         }),
         true, 1},
        {"stored method claims more than it holds", with([&](Bytes& b) {
             const size_t data = b[entry(4)] | (b[entry(4) + 1] << 8);
             archfix::PutU32(b, data + 4, 101);
         }),
         true, 4},
        {"bad lh5 table", badLh5, true, 1},
        {"file cut inside the last entry", Bytes(good.begin(), good.end() - 1), true, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        archfix::WriteFile("bad.rom", c.file);
        Zu_ErrorList::Global().Clear();
        Zu_Archive a;
        ASSERT_EQ(OpenRead(a, "bad.rom"), c.opens ? 1 : 0);
        if (!c.opens) {
            EXPECT_FALSE(a.IsOpen());
            EXPECT_EQ(Records().size(), 1u);
            continue;
        }
        EXPECT_EQ(a.ReadEntry(c.badEntry, 1), std::nullopt);
        if (std::strcmp(c.name, "bad lh5 table") != 0) {
            EXPECT_EQ(a.GetEntrySize(c.badEntry), 0u);
        }
        // The other entries still read.
        EXPECT_EQ(a.ReadEntry(3, 1), layout.entries[3].data);
    }

    // Every truncation of the file either fails to open or reads within bounds.
    for (size_t n = 0; n < good.size(); n += 13) {
        archfix::WriteFile("cut.rom", Bytes(good.begin(), good.begin() + static_cast<ptrdiff_t>(n)));
        Zu_Archive a;
        if (!OpenRead(a, "cut.rom")) continue;
        for (int i = 0; i < a.GetCount(); ++i) {
            const auto data = a.ReadEntry(i, 1);
            if (data && i != 2) {
                EXPECT_EQ(data->size(), a.GetEntrySize(i));
            }
        }
    }
}

TEST_F(ArchiveTest, ReadsPictureRowsIntoAPitch) {
    archfix::WriteFile("pic.rom", archfix::Build(archfix::Version10()));
    Zu_Archive a;
    ASSERT_EQ(OpenRead(a, "pic.rom"), 1);
    int w = -1, h = -1;
    EXPECT_EQ(a.ReadPictureSize(3, &w, &h), 1);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(a.ReadPictureSize(0, &w, &h), 0); // text: its "size" would run past the entry
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);

    struct Case {
        int convert;
        std::vector<uint16_t> expected;
    };
    const uint16_t pad = 0xABCD;
    const Case cases[] = {
        {0, {0x07E0, 0xFFFF, 0x0020, pad, pad, 0xF800, 0x07E0, 0x001F, pad, pad}},
        {1, {0x0000, 0x7FFF, 0x0000, pad, pad, 0x7C00, 0x0000, 0x001F, pad, pad}},
    };
    for (const auto& c : cases) {
        std::vector<uint16_t> surface(10, pad); // pitch of 5 pixels
        EXPECT_EQ(a.ReadPictureRows(3, reinterpret_cast<uint8_t*>(surface.data()), 3, 2, 10, c.convert, 0),
                  1);
        EXPECT_EQ(surface, c.expected);
    }
    EXPECT_TRUE(Records().empty());

    // A third row is not there: one record, the missing row zeroed.
    std::vector<uint16_t> surface(9, pad);
    EXPECT_EQ(a.ReadPictureRows(3, reinterpret_cast<uint8_t*>(surface.data()), 3, 3, 6, 0, 0), 0);
    EXPECT_EQ(surface, (std::vector<uint16_t>{0x07E0, 0xFFFF, 0x0020, 0xF800, 0x07E0, 0x001F, 0, 0, 0}));
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].line, 100);
    EXPECT_EQ(Records()[0].kind, Zu_ErrorList::KindRead);
}

TEST_F(ArchiveTest, PictureEntriesReadStoredOrPacked) {
    const Bytes picture = archfix::Picture(2, 2, {0x07E0, 0x1234, 0xFFFF, 0x0001});
    archfix::Layout layout;
    layout.entries = {archfix::Stored(picture), archfix::Packed(picture),
                      archfix::Stored(Bytes(picture.begin(), picture.end() - 2))};
    archfix::WriteFile("pics.rom", archfix::Build(layout));
    Zu_Archive a;
    ASSERT_EQ(OpenRead(a, "pics.rom"), 1);
    for (int index : {0, 1}) {
        SCOPED_TRACE(index);
        std::memset(Zu_Tools::Global().pictureHeader, 0, 16);
        RomPicture p;
        ASSERT_TRUE(ReadRomPicture(a, index, p));
        EXPECT_EQ(p.width, 2);
        EXPECT_EQ(p.height, 2);
        EXPECT_EQ(std::memcmp(p.header, picture.data(), 16), 0);
        EXPECT_EQ(std::memcmp(Zu_Tools::Global().pictureHeader, picture.data(), 16), 0);
        std::vector<uint16_t> rows(6, 0x5555);
        EXPECT_EQ(ReadRomPictureRows(a, index, p, reinterpret_cast<uint8_t*>(rows.data()), 6, 1, 0), 1);
        EXPECT_EQ(rows, (std::vector<uint16_t>{0, 0x0914, 0x5555, 0x7FFF, 0x0001, 0x5555}));
    }
    RomPicture p;
    EXPECT_FALSE(ReadRomPicture(a, 2, p)); // one pixel short
    EXPECT_FALSE(ReadRomPicture(a, 3, p));
}

TEST_F(ArchiveTest, WriterResizesEntriesAndMovesTheirData) {
    archfix::Layout layout;
    layout.entries = {archfix::Stored(archfix::SampleBytes(50, 1), "a"),
                      archfix::Stored(archfix::SampleBytes(60, 2), "b"),
                      archfix::Stored(archfix::SampleBytes(70, 3), "c")};
    archfix::WriteFile("w.rom", archfix::Build(layout));
    std::vector<Bytes> expected = {layout.entries[0].data, layout.entries[1].data, layout.entries[2].data};

    Zu_Archive a;
    ASSERT_EQ(a.Open("w.rom", OF_READWRITE, OF_SHARE_DENY_NONE, 0, -1, nullptr), 1);
    expected[0] = archfix::SampleBytes(500, 4); // grow the first: the others move up
    ASSERT_EQ(a.ResizeEntry(0, 500), 1);
    ASSERT_EQ(a.WriteEntryData(0, expected[0].data()), 1);
    expected[1] = archfix::SampleBytes(10, 5); // shrink the middle: the last moves down
    ASSERT_EQ(a.ResizeEntry(1, 10), 1);
    ASSERT_EQ(a.WriteEntryData(1, expected[1].data()), 1);
    // A new entry past the end grows the table, which must not cover the first entry's data.
    expected.push_back({});
    expected.push_back(archfix::SampleBytes(33, 6));
    ASSERT_EQ(a.ResizeEntry(4, 33), 1);
    ASSERT_EQ(a.WriteEntryData(4, expected[4].data()), 1);
    a.Close();

    Zu_Archive b;
    ASSERT_EQ(OpenRead(b, "w.rom"), 1);
    ASSERT_EQ(b.GetCount(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        if (expected[static_cast<size_t>(i)].empty())
            EXPECT_EQ(b.ReadEntry(i, 1), std::nullopt);
        else
            EXPECT_EQ(b.ReadEntry(i, 1), expected[static_cast<size_t>(i)]);
    }
    uint32_t size = 0;
    EXPECT_EQ(b.FindByName("B", &size), expected[1]);
    EXPECT_EQ(b.ResizeEntry(0, 5), 0); // a read-only handle refuses the writes
}

TEST(RomImage, OffersTheReaderOperationsOnMemory) {
    const archfix::Layout layout = archfix::Version10();
    RomImage image;
    ASSERT_TRUE(image.Attach(archfix::Build(layout)));
    EXPECT_EQ(image.GetCount(), 5);
    EXPECT_EQ(image.CopyEntry(1, 1), archfix::SampleBytes(5000, 2));
    EXPECT_EQ(image.CopyEntry(1, 0), layout.entries[1].data);
    EXPECT_EQ(image.GetEntrySize(1), 5000u);
    EXPECT_EQ(image.CopyEntry(2, 1), std::nullopt);
    int w = 0, h = 0;
    EXPECT_EQ(image.ReadPictureSize(3, &w, &h), 1);
    EXPECT_EQ(w * 10 + h, 32);
    std::vector<uint16_t> rows(8, 1);
    EXPECT_EQ(image.ReadPictureRows(3, reinterpret_cast<uint8_t*>(rows.data()), 3, 2, 8, 1, 0x1111), 1);
    EXPECT_EQ(rows, (std::vector<uint16_t>{0x1111, 0x7FFF, 0, 1, 0x7C00, 0x1111, 0x001F, 1}));
    uint16_t info[4];
    EXPECT_EQ(image.GetEntryInfo(0, &info[0], &info[1], &info[2], &info[3]), 1);
    EXPECT_EQ(info[2] + info[3] * 10, 21);

    const Bytes patch = {'x', 'y', 'z'};
    EXPECT_EQ(image.OverwriteEntry(0, patch.data(), 3), 1);
    EXPECT_EQ(image.OverwriteEntry(0, patch.data(), 301), 0); // larger than the entry
    uint8_t first[4] = {};
    EXPECT_EQ(image.CopyFirst(0, first, 4), 4u);
    EXPECT_EQ(std::memcmp(first, "xyz", 3), 0);
    EXPECT_EQ(first[3], layout.entries[0].data[3]);

    Bytes bad = archfix::Build(layout);
    bad.resize(40);
    EXPECT_FALSE(image.Attach(bad));
    EXPECT_EQ(image.GetCount(), 0);
    EXPECT_EQ(image.CopyEntry(0, 1), std::nullopt);
}

// A layer block whose entry 2 holds one 3x1 frame with the given colour indexes.
Bytes LayerBlock(uint8_t a, uint8_t b, uint8_t c) {
    Bytes frames = {1, 0, 0, 0, 3, 0, 1, 0, a, b, c};
    archfix::Layout layer;
    layer.version = 9;
    layer.entries = {archfix::Empty(), archfix::Stored({0}), archfix::Packed(frames)};
    return archfix::Build(layer);
}

TEST(PictureSet, DrawsItsLayersDoubledInTheFixedOrder) {
    testsupport::TempFolder folder;
    Bytes palette(768);
    for (size_t i = 0; i < 768; ++i)
        palette[i] = static_cast<uint8_t>(i * 7);
    archfix::Layout layout;
    layout.entries.push_back(archfix::Stored(palette));
    // Pixel 0: every layer paints, the last drawn (6) wins. Pixel 1: layers 0 and 4 only; 4 is never
    // drawn. Pixel 2: only layer 5, never drawn.
    const uint8_t first[7] = {10, 11, 12, 13, 14, 15, 16};
    for (int layer = 0; layer < 7; ++layer)
        layout.entries.push_back(archfix::Stored(LayerBlock(first[layer],
                                                            layer == 0   ? 20
                                                            : layer == 4 ? 24
                                                                         : 0,
                                                            layer == 5 ? 25 : 0)));
    archfix::WriteFile("layers.rom", archfix::Build(layout));

    PictureSet set;
    ASSERT_TRUE(set.Load("layers.rom", 0));
    EXPECT_EQ(set.GetLayerCount(), 7);
    EXPECT_EQ(set.GetFrameCount(3), 1);
    const auto colours = Zu_Tools::PaletteTo16(palette.data(), 0);
    const uint16_t bg = 0x4242;
    std::vector<uint16_t> surface(8 * 2, bg); // 8 wide, 2 high; drawn at (1, 1): the doubled row is clipped
    set.Draw(0, reinterpret_cast<uint8_t*>(surface.data()), 16, 8, 2, 1, 1);
    const uint16_t c6 = colours[16], c0 = colours[20];
    std::vector<uint16_t> expected(8, bg);
    for (uint16_t p : {bg, c6, c6, c0, c0, bg, bg, bg})
        expected.push_back(p);
    EXPECT_EQ(surface, expected);
    set.Draw(1, reinterpret_cast<uint8_t*>(surface.data()), 16, 8, 2, 0, 0); // no such frame: nothing
    EXPECT_EQ(surface, expected);
    EXPECT_FALSE(set.Load("missing.rom", 0));
}

} // namespace
