#include "engine/Lh5.h"
#include "engine/LzwCodec.h"
#include "engine/RunLength.h"
#include "fuzz/seeds/builders/Lh5Encoder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RleBlock(uint32_t unpacked, uint32_t packed, const Bytes& codes) {
    Bytes b;
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(unpacked >> (8 * i)));
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(packed >> (8 * i)));
    b.insert(b.end(), codes.begin(), codes.end());
    return b;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

struct RleCase {
    const char* name;
    Bytes block;
    std::optional<Bytes> expected;
};

TEST(RunLength, UnpacksCodesAndRefusesBadBlocks) {
    const RleCase cases[] = {
        {"run then literal", RleBlock(4, 3, {0xC3, 0x41, 0x42}), Text("AAAB")},
        {"escaped literal", RleBlock(2, 3, {0xC1, 0xD0, 0x42}), Bytes{0xD0, 0x42}},
        {"run of zero produces nothing", RleBlock(1, 3, {0xC0, 0x41, 0x42}), Text("B")},
        {"short codes leave a zero tail", RleBlock(4, 1, {0x41}), Bytes{0x41, 0, 0, 0}},
        {"run code without its byte ends the codes", RleBlock(2, 2, {0x41, 0xC5}), Bytes{0x41, 0}},
        {"one byte too many", RleBlock(3, 3, {0xC3, 0x41, 0x42}), std::nullopt},
        {"literal past the end", RleBlock(1, 2, {0x41, 0x42}), std::nullopt},
        {"packed length past the buffer", RleBlock(4, 4, {0xC3, 0x41, 0x42}), std::nullopt},
        {"packed length near 4 GiB", RleBlock(4, 0xFFFFFFFF, {0xC3, 0x41}), std::nullopt},
        {"unpacked size 0", RleBlock(0, 1, {0x41}), std::nullopt},
        {"packed length 0", RleBlock(4, 0, {}), std::nullopt},
        {"unpacked size past the cap", RleBlock(0x7FFFFFFF, 2, {0xC1, 0x41}), std::nullopt},
        {"header cut short", Bytes{4, 0, 0, 0, 3, 0, 0}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Zu_LzwCodec::UnpackRle(c.block.data(), c.block.size()), c.expected);
    }
    EXPECT_EQ(Zu_LzwCodec::UnpackRle(nullptr, 100), std::nullopt);
}

TEST(RunLength, PacksWithTheGameCodes) {
    EXPECT_EQ(Zu_LzwCodec::PackRle(Text("AAAA").data(), 4), RleBlock(4, 4, {0xC2, 0x41, 0x41, 0x41}));
    const uint8_t d0 = 0xD0;
    EXPECT_EQ(Zu_LzwCodec::PackRle(&d0, 1), std::nullopt); // C1 D0 is longer than the input
    EXPECT_EQ(Zu_LzwCodec::PackRle(nullptr, 4), std::nullopt);

    // 100 equal bytes then "xy": runs are capped at 63 copies; the last two bytes stay literals.
    Bytes data(100, 0x07);
    data.push_back('x');
    data.push_back('y');
    EXPECT_EQ(Zu_LzwCodec::PackRle(data.data(), data.size()),
              RleBlock(102, 7, {0xFF, 0x07, 0xE4, 0x07, 0x07, 'x', 'y'}));
}

TEST(RunLength, RoundTripsWhatItPacks) {
    std::vector<Bytes> inputs = {Bytes(5000, 0xFF), Bytes{0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0x01},
                                 Bytes(64, 0)};
    Bytes mixed;
    for (int i = 0; i < 4000; ++i)
        mixed.push_back(static_cast<uint8_t>((i / 7) % 3 == 0 ? 0xE0 + (i % 5) : (i / 50) & 0xFF));
    inputs.push_back(mixed);
    for (const auto& in : inputs) {
        SCOPED_TRACE(in.size());
        const auto packed = Zu_LzwCodec::PackRle(in.data(), in.size());
        ASSERT_TRUE(packed.has_value());
        EXPECT_EQ(Zu_LzwCodec::UnpackRle(packed->data(), packed->size()), in);
    }
    // Data with no runs and high bytes grows, so it is refused.
    Bytes noisy;
    for (int i = 0; i < 256; ++i)
        noisy.push_back(static_cast<uint8_t>(0xC0 | (i & 1) | ((i >> 1) & 2)));
    EXPECT_EQ(Zu_LzwCodec::PackRle(noisy.data(), noisy.size()), std::nullopt);
}

// A block with one literal/length code of zero bits: 16-bit count, empty pt table, a c table that
// is only `symbol`, and a p table that is only `position`.
Bytes SingleCodeStream(uint16_t count, uint16_t symbol, uint16_t position) {
    lh5enc::BitWriter bw;
    bw.put(16, count);
    bw.put(5, 0);
    bw.put(5, 0);
    bw.put(9, 0);
    bw.put(9, symbol);
    bw.put(4, 0);
    bw.put(4, position);
    return bw.finish();
}

TEST(Lh5, StoredBlocksAndTheHandMadeStream) {
    const Bytes data = Text("stored bytes");
    const Bytes stored = lh5enc::StoredBlock(data.data(), data.size());
    EXPECT_EQ(Lh5::Unpack(stored.data(), stored.size()), data);
    EXPECT_EQ(Lh5::Unpack(stored.data(), stored.size() - 1), std::nullopt); // stored data cut short

    const Bytes seven = SingleCodeStream(40, 'A', 0);
    ASSERT_EQ(seven.size(), 7u);
    const Bytes block = lh5enc::WithHeader(seven, 40, 5);
    EXPECT_EQ(Lh5::Unpack(block.data(), block.size()), Bytes(40, 'A'));
}

TEST(Lh5, EncodedDataDecodesByteExact) {
    struct Case {
        const char* name;
        Bytes data;
        lh5enc::Options options;
    };
    Bytes noise(20000);
    uint32_t s = 7;
    for (auto& b : noise) {
        s = s * 1103515245u + 12345u;
        b = static_cast<uint8_t>(s >> 23);
    }
    const Case cases[] = {
        {"one byte", Bytes{0x5A}, {}},
        {"text", lh5enc::SampleText(100000), {}},
        {"text in small blocks", lh5enc::SampleText(30000, 3), {.maxBlockCodes = 300}},
        {"literals only", lh5enc::SampleText(5000, 4), {.matches = false}},
        {"noise", noise, {}},
        {"long run", Bytes(70000, 0xAB), {}},
        {"two symbols", Text("abababababbbbbbbbaaaaaaaaaaaaaaaaaaaaaab"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes block = lh5enc::PackedBlock(c.data.data(), c.data.size(), c.options);
        EXPECT_EQ(Lh5::Unpack(block.data(), block.size()), c.data);
    }
}

TEST(Lh5, RefusesCorruptStreams) {
    const Bytes text = lh5enc::SampleText(4000);
    const Bytes good = lh5enc::PackedBlock(text.data(), text.size());

    lh5enc::BitWriter incomplete; // pt lengths 1 and 2 leave a quarter of the codes unused
    incomplete.put(16, 1);
    incomplete.put(5, 2);
    incomplete.put(3, 1);
    incomplete.put(3, 2);
    lh5enc::BitWriter oversubscribed; // three codes of one bit
    oversubscribed.put(16, 1);
    oversubscribed.put(5, 3);
    for (int i = 0; i < 3; ++i)
        oversubscribed.put(3, 1);
    oversubscribed.put(2, 0);
    lh5enc::BitWriter tooMany; // 20 pt lengths where 19 exist
    tooMany.put(16, 1);
    tooMany.put(5, 20);
    lh5enc::BitWriter badSingle; // a single c symbol past the 510 codes
    badSingle.put(16, 1);
    badSingle.put(10, 0);
    badSingle.put(9, 0);
    badSingle.put(9, 511);

    struct Case {
        const char* name;
        Bytes block;
    };
    Bytes hugeSize = good;
    hugeSize[4] = 0xFF, hugeSize[5] = 0xFF, hugeSize[6] = 0xFF, hugeSize[7] = 0x7F;
    const Case cases[] = {
        {"incomplete table", lh5enc::WithHeader(incomplete.finish(), 10, 5)},
        {"oversubscribed table", lh5enc::WithHeader(oversubscribed.finish(), 10, 5)},
        {"too many lengths", lh5enc::WithHeader(tooMany.finish(), 10, 5)},
        {"single symbol out of range", lh5enc::WithHeader(badSingle.finish(), 10, 5)},
        {"distance before the start", lh5enc::WithHeader(SingleCodeStream(5, 256, 0), 10, 5)},
        {"unpacked size past the cap", hugeSize},
        {"header cut short", Bytes(good.begin(), good.begin() + 11)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Lh5::Unpack(c.block.data(), c.block.size()), std::nullopt);
    }
    EXPECT_EQ(Lh5::Unpack(nullptr, 64), std::nullopt);
}

TEST(Lh5, ClampsAndFeedsZerosInsteadOfOverrunning) {
    // A match that runs past the unpacked size stops at it.
    const Bytes run(300, 'A');
    Bytes block = lh5enc::PackedBlock(run.data(), run.size());
    block[4] = 5, block[5] = 0;
    EXPECT_EQ(Lh5::Unpack(block.data(), block.size()), Bytes(5, 'A'));

    // A coded length past the bytes there is reads zeros after them, never the memory beyond.
    const Bytes text = lh5enc::SampleText(3000, 9);
    Bytes inflated = lh5enc::PackedBlock(text.data(), text.size());
    inflated[3] = 0x40;
    EXPECT_EQ(Lh5::Unpack(inflated.data(), inflated.size()), text);

    // Every truncation and many single-bit flips either decode or are refused, within bounds.
    const Bytes good = lh5enc::PackedBlock(text.data(), text.size());
    for (size_t n = 0; n < good.size(); n += 7) {
        const auto r = Lh5::Unpack(good.data(), n);
        if (r) {
            EXPECT_EQ(r->size(), text.size());
        }
    }
    for (size_t at = 12; at < good.size(); at += 3) {
        Bytes bad = good;
        bad[at] ^= static_cast<uint8_t>(1u << (at % 8));
        const auto r = Lh5::Unpack(bad.data(), bad.size());
        if (r) {
            EXPECT_EQ(r->size(), text.size());
        }
    }
}

TEST(Lh5, DecodersRunSideBySide) {
    const Bytes a = lh5enc::SampleText(200000, 11), b = lh5enc::SampleText(150000, 12);
    const Bytes pa = lh5enc::PackedBlock(a.data(), a.size()), pb = lh5enc::PackedBlock(b.data(), b.size());
    bool okA = true, okB = true;
    std::thread ta([&] {
        for (int i = 0; i < 4; ++i)
            okA = okA && Lh5::Unpack(pa.data(), pa.size()) == a;
    });
    std::thread tb([&] {
        for (int i = 0; i < 4; ++i)
            okB = okB && Lh5::Unpack(pb.data(), pb.size()) == b;
    });
    ta.join();
    tb.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
}

TEST(LzwCodec, BitStreamIsMostSignificantBitFirstAndBounded) {
    Zu_LzwCodec codec;
    codec.BeginWrite(2);
    EXPECT_TRUE(codec.WriteBits(3, 0b101));
    EXPECT_TRUE(codec.WriteBits(11, 0x7FF));
    EXPECT_FALSE(codec.WriteBits(3, 0)); // the third byte is past the capacity
    EXPECT_EQ(codec.WrittenBytes(), 2u);

    const uint8_t in[] = {0xB3, 0x0F};
    codec.BeginRead(in, sizeof in);
    EXPECT_EQ(codec.ReadBits(1), 1);
    EXPECT_EQ(codec.ReadBits(3), 0b011);
    EXPECT_EQ(codec.ReadBits(12), 0x30F);
    EXPECT_EQ(codec.ReadBits(1), -1);
}

TEST(LzwCodec, LzwAndWindowCodersRoundTrip) {
    Zu_LzwCodec codec;
    const Bytes inputs[] = {lh5enc::SampleText(20000, 5), Bytes(3000, 'z'), Text("abababababababababababab")};
    for (const auto& in : inputs) {
        const auto lzw = codec.PackLzw(in.data(), in.size());
        ASSERT_TRUE(lzw.has_value());
        EXPECT_LT(lzw->size(), in.size());
        EXPECT_EQ(codec.UnpackLzw(lzw->data(), lzw->size()), in);
        EXPECT_EQ(codec.UnpackLzw(lzw->data(), lzw->size() - 1), std::nullopt);

        const auto window = codec.PackWindow(in.data(), in.size());
        ASSERT_TRUE(window.has_value());
        EXPECT_EQ(codec.UnpackWindow(window->data(), window->size()), in);
        EXPECT_EQ(codec.UnpackWindow(window->data(), window->size() / 2), std::nullopt);
    }
    const Bytes shortText = Text("abc");
    EXPECT_EQ(codec.PackLzw(shortText.data(), shortText.size()), std::nullopt); // would not get smaller
}

} // namespace
