#include "update/client/UpdateDatagram.h"
#include "engine/LzwCodec.h"
#include "update/client/UpdateFileTable.h"
#include "update/shared/GameFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace ud = UpdateDatagram;

namespace {

std::vector<uint8_t> WithLength(std::vector<uint8_t> d, uint16_t length) {
    d[2] = static_cast<uint8_t>(length);
    d[3] = static_cast<uint8_t>(length >> 8);
    return d;
}

TEST(UpdateDatagramTest, LayoutsOfTheFourKinds) {
    const auto control = ud::EncodeControl(ud::kHaveFile, 0x11223344);
    EXPECT_EQ(control, (std::vector<uint8_t>{1, 4, 20, 0, 0, 0, 0,    0,    0,    0,
                                             0, 0, 4,  0, 0, 0, 0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(ud::EncodeAck(0x01020304), (std::vector<uint8_t>{1, 1, 12, 0, 4, 3, 2, 1, 2, 0, 0, 0}));

    const auto header = ud::EncodeFileHeader('A', "Data\\x.evt", 5000, 700, -3);
    ASSERT_EQ(header.size(), 284u);
    EXPECT_EQ(header[12], 'A');
    EXPECT_EQ(header[13], '\\');
    const auto h = ud::DecodeFileHeader(header.data(), header.size());
    ASSERT_TRUE(h);
    EXPECT_EQ(h->name, "Data\\x.evt");
    EXPECT_EQ(h->unpackedSize, 5000u);
    EXPECT_EQ(h->packedSize, 700u);
    EXPECT_EQ(h->checksum, -3);

    const std::vector<uint8_t> bytes{9, 8, 7};
    const auto data = ud::EncodeFileData('A', "x", 1, 2000, bytes.data(), 3);
    ASSERT_EQ(data.size(), 1284u);
    const auto d = ud::DecodeFileData(data.data(), data.size());
    ASSERT_TRUE(d);
    EXPECT_EQ(d->name, "x");
    EXPECT_EQ(d->packedFlag, 1u);
    EXPECT_EQ(d->offset, 2000u);
    EXPECT_EQ(d->count, 3u);
    EXPECT_EQ(std::vector<uint8_t>(d->data, d->data + 3), bytes);

    // Signed bytes, wrapping.
    const std::vector<uint8_t> sum{0xFF, 0x80, 0x7F, 2};
    EXPECT_EQ(ud::Checksum(sum.data(), sum.size()), -1 - 128 + 127 + 2);
}

TEST(UpdateDatagramTest, DecodersRefuseWhatDoesNotAddUp) {
    const std::vector<uint8_t> block(1000, 5);
    auto count = [&](uint32_t n) {
        auto d = ud::EncodeFileData('A', "x", 0, 0, block.data(), 1000);
        d[280] = static_cast<uint8_t>(n);
        d[281] = static_cast<uint8_t>(n >> 8);
        return d;
    };
    auto shortData = ud::EncodeFileData('A', "x", 0, 0, block.data(), 10);
    shortData.resize(294);
    auto header = ud::EncodeFileHeader('A', "x", 1, 0, 0);
    auto unterminated = header;
    std::fill(unterminated.begin() + 12, unterminated.begin() + 272, 'n');
    struct Case {
        const char* label;
        std::vector<uint8_t> datagram;
        bool accepted;
    };
    const Case cases[] = {
        {"block of 1000", count(1000), true},
        {"block of 1001", count(1001), false},
        {"short datagram with a short block", WithLength(shortData, 294), true},
        {"count beyond the datagram", WithLength(count(1000), 1284), true},
        {"length word differs", WithLength(count(10), 1283), false},
        {"header one byte long",
         WithLength(
             [&] {
                 auto h = header;
                 h.push_back(0);
                 return h;
             }(),
             285),
         false},
        {"no marker",
         [&] {
             auto h = header;
             h[0] = 0;
             return h;
         }(),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const bool data = c.datagram.size() >= 2 && c.datagram[1] == ud::FileData;
        const bool ok = data ? ud::DecodeFileData(c.datagram.data(), c.datagram.size()).has_value()
                             : ud::DecodeFileHeader(c.datagram.data(), c.datagram.size()).has_value();
        EXPECT_EQ(ok, c.accepted);
    }
    auto beyond = WithLength(shortData, 294);
    beyond[280] = 11;
    EXPECT_FALSE(ud::DecodeFileData(beyond.data(), beyond.size()));
    // A name without its zero byte ends inside its field.
    const auto name = ud::DecodeFileHeader(unterminated.data(), unterminated.size());
    ASSERT_TRUE(name);
    EXPECT_EQ(name->name, std::string(257, 'n'));
}

TEST(UpdateDatagramTest, FileRecordsTakeOnlyBlocksInsideThemAndCheckTheirContents) {
    const GameFolder nowhere{std::string()};
    UpdateFileTable table;
    std::vector<uint8_t> bytes(1500);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i < 700 ? 0x41 : i);
    const auto packed = *Zu_LzwCodec::PackRle(bytes.data(), bytes.size());
    ud::FileHeaderFields f{"p.spr", static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(packed.size()),
                           ud::Checksum(bytes.data(), bytes.size())};
    UpdateFileRecord* r = table.Add(f, nowhere);
    ASSERT_TRUE(r);
    EXPECT_FALSE(table.Add(f, nowhere)) << "a name is announced once";
    EXPECT_FALSE(
        UpdateFileTable::Store(*r, static_cast<uint32_t>(packed.size()) - 1, packed.data(), 2, nullptr));
    EXPECT_FALSE(UpdateFileTable::Store(*r, 0xFFFFFFFFu, packed.data(), 2, nullptr));
    EXPECT_FALSE(r->Contents()) << "nothing arrived yet";
    bool fresh = false;
    ASSERT_TRUE(UpdateFileTable::Store(*r, 0, packed.data(), static_cast<uint32_t>(packed.size()), &fresh));
    EXPECT_TRUE(fresh);
    ASSERT_TRUE(UpdateFileTable::Store(*r, 0, packed.data(), 1, &fresh));
    EXPECT_FALSE(fresh);
    EXPECT_EQ(r->Contents(), bytes);

    struct Refused {
        const char* label;
        ud::FileHeaderFields header;
    };
    const Refused refused[] = {
        {"empty file", {"a", 0, 0, 0}},
        {"over the per-file cap", {"b", UpdateFileTable::kMaxFileSize + 1, 0, 0}},
        {"packed block without codes", {"c", 10, 8, 0}},
        {"climbs out", {"..\\d", 10, 0, 0}},
    };
    for (const Refused& c : refused) {
        SCOPED_TRACE(c.label);
        EXPECT_FALSE(table.Add(c.header, nowhere));
    }
    // The total cap holds across files.
    int taken = 0;
    for (int i = 0; i < 10; ++i)
        taken +=
            table.Add({"big" + std::to_string(i), UpdateFileTable::kMaxFileSize, 0, 0}, nowhere) != nullptr;
    EXPECT_EQ(taken, static_cast<int>(UpdateFileTable::kMaxTotalSize / UpdateFileTable::kMaxFileSize) - 1);
}

} // namespace
