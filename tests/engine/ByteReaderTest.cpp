#include "engine/ByteReader.h"

#include <gtest/gtest.h>

TEST(ByteReader, ReadsLittleEndianAndFailsPastTheEnd) {
    const uint8_t data[] = {0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u32(), 0x04030201u);
    EXPECT_EQ(r.i16(), -1);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.seek(7));
}

TEST(ByteWriter, RoundTripsThroughTheReader) {
    ByteWriter w;
    w.u32(0xDEADBEEF);
    w.i16(-2);
    w.u8(7);
    w.patchU32(0, 42);
    ByteReader r(w.buffer().data(), w.size());
    EXPECT_EQ(r.u32(), 42u);
    EXPECT_EQ(r.i16(), -2);
    EXPECT_EQ(r.u8(), 7);
    EXPECT_EQ(r.remaining(), 0u);
}
