// Seeds of the engine's file readers: the store's formats, the picture and movie files, sound.
#include "SeedCorpus.h"

#include "engine/AniFrame.h"
#include "engine/AniFrameStream.h"
#include "engine/BmpFile.h"
#include "engine/EffectAnimationCache.h"
#include "engine/FlicPlayer.h"
#include "engine/NumberTable.h"
#include "engine/PcxFile.h"
#include "engine/PictureReaders.h"
#include "engine/ResourceStoreFormats.h"
#include "engine/StoreImage.h"
#include "fuzz/seeds/builders/PictureFixtures.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "platform/Surface.h"

#include <string>
#include <tuple>

namespace {

using storefix::Bytes;

void AniSeeds(SeedCorpus& corpus) {
    const storefix::AniFrameSpec a{0, 0, 2, 2, {0, 0xF800, 0x001F, 0x07E0}, {0, 128, 255, 0}};
    const storefix::AniFrameSpec b{1, 1, 3, 1, {1, 2, 3}, {255, 255, 255}};
    const struct {
        const char* name;
        Bytes bytes;
        int frames;
    } seeds[] = {{"two", storefix::AniFile({a, a}), 2},
                 {"offsets", storefix::AniFile({b, a}), 2},
                 {"empty", storefix::AniFile({}), 0}};
    for (const auto& seed : seeds) {
        corpus.Write("effectani", seed.name, seed.bytes);
        corpus.Write("anistream", seed.name, seed.bytes);
        corpus.Write("ani", seed.name, seed.bytes);
        // The frame reader finds each frame; the effect cache's reader and the stream list them all.
        for (int n = 0; n < seed.frames; ++n) {
            AniFrame* f = DecodeAniFrame(seed.bytes, n);
            corpus.Check(f != nullptr, "ani", seed.name, "frame " + std::to_string(n) + " is not read");
            FreeAniFrame(f);
        }
        EffectAnimation* animation = DecodeEffectAnimation(seed.bytes, {"seed.ani", nullptr, 1, 1});
        corpus.Check(animation->frameCount == seed.frames, "effectani", seed.name, "frames missing");
        FreeEffectAnimation(animation);
        AniFrameStream stream(corpus.Scratch("seed.ani", seed.bytes).c_str());
        int read = 0;
        for (AniFrame* f = stream.Next(); f; f = stream.Next(), ++read)
            FreeAniFrame(f);
        corpus.Check(read == seed.frames, "anistream", seed.name, "frames missing");
    }
    // Three frames of one small picture.
    const storefix::AniFrameSpec frame{0, 0, 2, 1, {0xF800, 0x0020}, {255, 0}};
    const Bytes three = storefix::AniFile({frame, frame, frame});
    EffectAnimation* animation = DecodeEffectAnimation(three, {"x.ani", nullptr, 1, 1});
    corpus.Check(animation->frameCount == 3, "effectani", "three", "frames missing");
    FreeEffectAnimation(animation);
    corpus.Write("effectani", "three", three);
}

void StoreSeeds(SeedCorpus& corpus) {
    const auto images = storefix::IndexedImageSet(4, {{2, 2, {0, 1, 2, 3}}, {1, 1, {9}}}, {0, 1, 1, 5});
    corpus.Write("imageset", "two", images);
    uint16_t palette[256] = {};
    for (int i = 0; i < 3; ++i) {
        StoreImage* image = DecodeIndexedImage(images, i, 4, palette);
        corpus.Check(image != nullptr, "imageset", "two", "image " + std::to_string(i) + " is not read");
        delete image;
    }

    const auto sprites =
        storefix::AnmFile({{2, 1, -1, 2, {4, 5}}, {0, 0, 0, 0, {}}, {1, 3, 0, 0, {6, 7, 8}}});
    corpus.Write("anm", "three", sprites);
    std::vector<SpriteFrame*> frames = DecodeSpriteFrames(sprites, 800);
    corpus.Check(frames.size() >= 3 && frames[0] && !frames[1] && frames[2] && frames[2]->height == 3, "anm",
                 "three", "the frames are not read as written");
    for (SpriteFrame* f : frames)
        FreeSpriteFrame(f);

    const auto actions = storefix::ActFile({{{{1, 2}, {3, 0x0102}}}, {{}}});
    corpus.Write("act", "two", actions);
    std::vector<SpriteAction> read = DecodeSpriteActions(actions, 150);
    corpus.Check(read.size() >= 2 && read[0].stepCount == 2 && read[1].stepCount == 0, "act", "two",
                 "the actions are not read as written");
    for (SpriteAction& a : read)
        FreeSpriteActionSteps(a);

    const auto portraits = storefix::PicFile(20, {{2, 2, {1, 2, 3, 4}}, {2, 2, {5, 6, 7, 8}}});
    corpus.Write("pic", "two", portraits);
    for (int n : {0, 1}) {
        PortraitImage* p = DecodePortrait(portraits, n);
        corpus.Check(p && p->width == 2, "pic", "two", "portrait " + std::to_string(n) + " is not read");
        if (p) FreePortraitImage(p);
    }

    storefix::SpriteSpec s0{true, 3, 2, {1, 2, 3, 4, 5, 6}};
    storefix::CellSpec c0{true, std::vector<uint16_t>(400, 3)};
    const auto cells = storefix::KingdomCel({c0, {}}, {c0}, {s0, {}});
    corpus.Write("kingdomcel", "small", cells);
    KingdomCells kingdom;
    DecodeKingdomCells(cells, 12000, kingdom);
    corpus.Check(kingdom.sprites.size() == 2 && kingdom.sprites[0].present, "kingdomcel", "small",
                 "the sprites are not read");

    const std::string help = "# c\r\n  # c\r\n\r\ntext\r\n" + std::string(130, 'x') + "\n";
    corpus.Write("helptext", "lines", help);
    corpus.Check(DecodeHelpLines(Bytes(help.begin(), help.end()), 77).size() >= 2, "helptext", "lines",
                 "the lines are not read");

    const std::string data = "1 a\r\n2.5 b\nend\r\n";
    corpus.Write("numbertable", "lines", data);
    double table[90] = {};
    corpus.Check(ParseNumberTable(Bytes(data.begin(), data.end()), table, 90) == 2 && table[1] == 2.5,
                 "numbertable", "lines", "the numbers are not read");
}

void PictureFileSeeds(SeedCorpus& corpus) {
    for (const auto& [name, bytes, w, h] : {std::tuple{"bottomup", storefix::BmpFile8(5, 3), 5, 3},
                                            std::tuple{"topdown", storefix::BmpFile8(3, 2, true), 3, 2}}) {
        corpus.Write("bmp", name, bytes);
        BmpFile bmp(bytes);
        corpus.Check(bmp.ok() && bmp.Width() == w && bmp.Height() == h, "bmp", name, "not read at its size");
    }
    const auto pcx = storefix::PcxFile8(5, 3);
    corpus.Write("pcx", "small", pcx);
    corpus.Check(DecodePcx(pcx).size() == 4u + 5 * 3, "pcx", "small", "not read at its size");
    const auto flic = storefix::FlicFile(4, 3);
    corpus.Write("flic", "two", flic);
    FlicPlayer player;
    corpus.Check(player.Open(flic) && player.NextFrame(), "flic", "two", "its first frame does not play");
}

void PictureReaderSeeds(SeedCorpus& corpus) {
    using namespace picfix;
    for (const auto& [name, w, h] :
         std::vector<std::tuple<std::string, int, int>>{{"w1", 1, 3}, {"w4", 4, 2}, {"w5", 5, 5}}) {
        const Bytes file = bgrPicture(w, h, gradient);
        corpus.Write("xmp", name, file);
        corpus.Write("rawpicture", name, file);
        auto xmp = DecodeXmpPicture(file, 565);
        corpus.Check(xmp && xmp->width == w && xmp->height == h, "xmp", name, "not read at its size");
        int32_t rw = 0, rh = 0;
        platform::Surface* raw = DecodeRawPicture(
            file, 565,
            [](int width, int height) {
                return new platform::Surface(width, height, 565, width * 2, platform::DDSCAPS_OFFSCREENPLAIN);
            },
            &rw, &rh);
        corpus.Check(raw && rw == w && rh == h, "rawpicture", name, "not read at its size");
        if (raw) raw->Release();
    }
    corpus.Write("psd", "simple", simplePsd());
    corpus.Check(DecodePsdPicture(simplePsd()) != nullptr, "psd", "simple", "not read");
    Layer l{0, 0, 1, 130, {}};
    l.channels.push_back(packedChannel({{0x80, 0xF0, 0x00, 0x0F}}));
    l.channels.push_back(packedChannel({{0x80, 0xFF, 0x00, 0xFF}}));
    l.channels.push_back(packedChannel({{0x80, 0x3C, 0x00, 0x3C}}));
    l.channels.push_back(rawChannel(Bytes(130, 0xAA)));
    const Bytes mask = psdFile(130, 1, {l, l}, 2);
    corpus.Write("psd", "mask", mask);
    auto masked = DecodePsdPicture(mask);
    corpus.Check(masked && masked->width == 130, "psd", "mask", "not read at its size");
}

} // namespace

void WriteEngineSeeds(SeedCorpus& corpus) {
    AniSeeds(corpus);
    StoreSeeds(corpus);
    PictureFileSeeds(corpus);
    PictureReaderSeeds(corpus);
    WriteArchiveSeeds(corpus);
    WriteMediaSeeds(corpus);
}
