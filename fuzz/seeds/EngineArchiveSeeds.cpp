// Seeds of the packed archive, its lh5 blocks and the run-length frames.
#include "SeedCorpus.h"

#include "engine/Archive.h"
#include "engine/Lh5.h"
#include "engine/LzwCodec.h"
#include "fuzz/seeds/builders/ArchiveFixtures.h"
#include "fuzz/seeds/builders/Lh5Encoder.h"

void WriteArchiveSeeds(SeedCorpus& corpus) {
    using archfix::Bytes;
    archfix::Layout small;
    small.entries = {archfix::Packed(archfix::SampleBytes(200, 8), "x"),
                     archfix::Stored(archfix::Picture(1, 1, {7}))};
    const struct {
        const char* name;
        archfix::Layout layout;
    } archives[] = {{"v9.rom", archfix::Version9()}, {"v10.rom", archfix::Version10()}, {"small.rom", small}};
    for (const auto& a : archives) {
        const archfix::Bytes bytes = archfix::Build(a.layout);
        corpus.Write("archive", a.name, bytes);
        const std::string file = corpus.Scratch("seed.rom", bytes);
        Zu_Archive archive;
        const bool open =
            archive.Open(file.c_str(), platform::OF_READ, platform::OF_SHARE_DENY_NONE, 0, -1, nullptr) == 1;
        corpus.Check(open && archive.GetCount() == int(a.layout.entries.size()), "archive", a.name,
                     "not opened with all its entries");
        for (int i = 0; open && i < archive.GetCount(); ++i) // an empty entry has nothing to read
            corpus.Check(archive.ReadEntry(i, 1).has_value() || archive.GetEntrySize(i) == 0, "archive",
                         a.name, "entry " + std::to_string(i) + " is not read");
    }

    const Bytes text = archfix::SampleBytes(2000, 9);
    const Bytes run(500, 0x41);
    const struct {
        const char* name;
        Bytes packed;
        size_t size;
    } blocks[] = {
        {"text.lzh", lh5enc::PackedBlock(text.data(), text.size()), text.size()},
        {"blocks.lzh", lh5enc::PackedBlock(text.data(), 600, {.maxBlockCodes = 50}), 600},
        {"literals.lzh", lh5enc::PackedBlock(text.data(), 300, {.matches = false}), 300},
        {"stored.lzh", lh5enc::StoredBlock(text.data(), 40), 40},
        {"run.lzh", lh5enc::PackedBlock(run.data(), run.size()), run.size()},
    };
    for (const auto& b : blocks) {
        corpus.Write("lh5", b.name, b.packed);
        const auto out = Lh5::Unpack(b.packed.data(), b.packed.size());
        corpus.Check(out && out->size() == b.size, "lh5", b.name, "not unpacked whole");
    }

    Bytes frame;
    for (int i = 0; i < 600; ++i)
        frame.push_back(static_cast<uint8_t>((i / 40) % 2 ? 0xC8 : (i % 97 == 0 ? i : 0)));
    const auto packed = Zu_LzwCodec::PackRle(frame.data(), frame.size());
    if (!packed) {
        corpus.Check(false, "runlength", "frame.rle", "the frame does not pack");
        return;
    }
    corpus.Write("runlength", "frame.rle", *packed);
    const auto back = Zu_LzwCodec::UnpackRle(packed->data(), packed->size());
    corpus.Check(back && *back == frame, "runlength", "frame.rle", "does not unpack to the frame");
    const Bytes codes = {4, 0, 0, 0, 3, 0, 0, 0, 0xC3, 0x41, 0x42};
    corpus.Write("runlength", "codes.rle", codes);
    corpus.Check(Zu_LzwCodec::UnpackRle(codes.data(), codes.size()).has_value(), "runlength", "codes.rle",
                 "does not unpack");
}
