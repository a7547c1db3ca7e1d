#include "platform/Mmio.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

using namespace platform;

namespace {

void Chunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    uint32_t n = static_cast<uint32_t>(body.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(n >> (8 * i)));
    out.insert(out.end(), body.begin(), body.end());
    if (n & 1) out.push_back(0);
}

} // namespace

TEST(MmioTest, DescendFindsChunksInsideTheirParentAndReadsRunPastChunkEnds) {
    std::vector<uint8_t> inner;
    inner.insert(inner.end(), {'W', 'A', 'V', 'E'});
    Chunk(inner, "odd1", {1, 2, 3});
    Chunk(inner, "data", {9, 8, 7, 6});
    std::vector<uint8_t> file;
    Chunk(file, "RIFF", inner);
    Chunk(file, "data", {5}); // outside the RIFF: never found from inside it

    MMIOINFO info;
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<const char*>(file.data());
    info.cchBuffer = static_cast<int32_t>(file.size());
    HMMIO h = mmioOpen(nullptr, &info, MMIO_READ);
    ASSERT_NE(h, nullptr);
    MMCKINFO riff;
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    MMCKINFO first;
    ASSERT_EQ(mmioDescend(h, &first, &riff, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(first.ckid, mmioFOURCC('o', 'd', 'd', '1'));
    EXPECT_EQ(first.cksize, 3u);
    uint8_t bytes[8] = {};
    // A read is not held to the chunk: it runs on into the pad byte and the next header.
    EXPECT_EQ(mmioRead(h, bytes, 5), 5);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[4], 'd');
    mmioAscend(h, &first, 0);
    MMCKINFO data;
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ASSERT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(data.cksize, 4u);
    EXPECT_EQ(mmioRead(h, bytes, 4), 4);
    EXPECT_EQ(bytes[0], 9);
    mmioAscend(h, &data, 0);
    MMCKINFO more;
    more.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(h, &more, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    uint8_t rest[100];
    int32_t at = mmioSeek(h, 0, SEEK_CUR_);
    EXPECT_EQ(mmioRead(h, rest, 100), static_cast<int32_t>(file.size()) - at); // short at the end
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioOpen("/no/such/file.wav", nullptr, MMIO_READ), nullptr);
}

TEST(MmioTest, HugeChunkSizesNeverMoveOutsideTheFile) {
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W',  'A',
                                 'V', 'E', 'f', 'm', 't',  ' ',  0xF0, 0xFF, 0xFF, 0xFF};
    MMIOINFO info;
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<const char*>(file.data());
    info.cchBuffer = static_cast<int32_t>(file.size());
    HMMIO h = mmioOpen(nullptr, &info, MMIO_READ);
    MMCKINFO riff;
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    MMCKINFO data;
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    uint8_t b[4];
    EXPECT_EQ(mmioRead(h, b, 4), 0);
    mmioClose(h, 0);
}
