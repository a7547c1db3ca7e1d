#include "engine/ResourceStoreFormats.h"

#include "engine/ByteReader.h"
#include "engine/PixelFormat.h"
#include "engine/StoreImage.h"

#include <algorithm>

void FreeSpriteFrame(SpriteFrame* frame) {
    if (!frame) return;
    if (frame->storage == 0) {
        if (frame->block) {
            platform::GlobalUnlock(frame->block);
            platform::GlobalFree(frame->block);
        }
    } else {
        delete[] frame->pixels;
    }
    delete frame;
}

void FreePortraitImage(PortraitImage* portrait) {
    if (!portrait) return;
    if (portrait->block) {
        platform::GlobalUnlock(portrait->block);
        platform::GlobalFree(portrait->block);
    }
    delete portrait;
}

StoreImage* DecodeIndexedImage(std::span<const uint8_t> file, int index, int tableCount,
                               const uint16_t* palette) {
    if (index < 0 || index >= tableCount || !palette) return nullptr;
    ByteReader in(file);
    if (!in.seek(size_t(index) * 4)) return nullptr;
    const uint32_t offset = in.u32();
    if (!in.ok() || !in.seek(offset)) return nullptr;
    const uint16_t w = in.u16();
    const uint16_t h = in.u16();
    const size_t count = size_t(w) * h;
    if (!in.ok() || count == 0 || !in.has(count)) return nullptr;
    auto* image = new StoreImage;
    image->width = w;
    image->height = h;
    image->pixels.resize(count);
    for (size_t i = 0; i < count; ++i)
        image->pixels[i] = palette[in.here()[i]];
    return image;
}

std::vector<std::vector<char>> DecodeHelpLines(std::span<const uint8_t> text, int capacity) {
    // The text-mode stream: CR LF reads as LF.
    std::vector<char> stream;
    stream.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        stream.push_back(char(text[i]));
    }
    std::vector<std::vector<char>> lines;
    constexpr size_t kReadMax = 126; // fgets into 127 bytes
    size_t pos = 0;
    while (pos < stream.size() && int(lines.size()) < capacity) {
        std::vector<char> line;
        while (pos < stream.size() && line.size() < kReadMax) {
            const char c = stream[pos++];
            line.push_back(c);
            if (c == '\n') break;
        }
        size_t k = 0;
        while (k < line.size() && uint8_t(line[k]) >= 1 && uint8_t(line[k]) <= 32)
            ++k;
        if (k < line.size() && line[k] == '#') continue;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<SpriteFrame*> DecodeSpriteFrames(std::span<const uint8_t> file, int capacity) {
    ByteReader in(file);
    const uint32_t count = in.u32();
    if (!in.ok()) return {};
    const size_t wanted = std::min<size_t>({count, size_t(std::max(capacity, 0)), file.size() / 4});
    std::vector<SpriteFrame*> frames(wanted, nullptr);
    for (size_t i = 0; i < wanted; ++i) {
        const uint32_t wh = in.u32();
        if (!in.ok()) break;
        if (wh == 0) continue; // no frame: the entry is this word alone
        const uint32_t offsets = in.u32();
        const uint16_t w = uint16_t(wh & 0xFFFF);
        const uint16_t h = uint16_t(wh >> 16);
        const size_t bytes = size_t(w) * h;
        if (!in.ok() || !in.has(bytes)) break;
        if (bytes == 0) continue;
        auto* frame = new SpriteFrame;
        frame->width = w;
        frame->height = h;
        frame->xOffset = int16_t(offsets & 0xFFFF);
        frame->yOffset = int16_t(offsets >> 16);
        frame->block = platform::GlobalAlloc(platform::GHND, bytes);
        frame->pixels = static_cast<uint8_t*>(platform::GlobalLock(frame->block));
        if (!frame->pixels) {
            FreeSpriteFrame(frame);
            break;
        }
        in.bytes(frame->pixels, bytes);
        frames[i] = frame;
    }
    return frames;
}

std::vector<SpriteAction> DecodeSpriteActions(std::span<const uint8_t> file, int capacity) {
    ByteReader in(file);
    const uint32_t count = in.u32();
    if (!in.ok()) return {};
    const size_t wanted = std::min<size_t>({count, size_t(std::max(capacity, 0)), file.size()});
    std::vector<SpriteAction> actions;
    actions.reserve(wanted);
    for (size_t i = 0; i < wanted; ++i) {
        const uint8_t steps = in.u8();
        if (!in.ok() || steps > 127 || !in.has(size_t(steps) * 3)) break;
        SpriteAction action;
        action.stepCount = int8_t(steps);
        action.steps = new SpriteStep[steps ? steps : 1];
        for (int s = 0; s < steps; ++s) {
            action.steps[s].value = in.u8();
            action.steps[s].frame = in.u16();
        }
        actions.push_back(action);
    }
    return actions;
}

void FreeSpriteActionSteps(SpriteAction& action) {
    delete[] action.steps;
    action.steps = nullptr;
    action.stepCount = 0;
}

PortraitImage* DecodePortrait(std::span<const uint8_t> file, int n) {
    ByteReader in(file);
    const uint32_t stride = in.u32();
    if (!in.ok() || n < 0) return nullptr;
    const uint64_t at = 4 + uint64_t(n) * stride;
    if (at > file.size() || !in.seek(size_t(at))) return nullptr;
    const uint32_t w = in.u32();
    const uint32_t h = in.u32();
    in.u32();
    if (!in.ok() || w == 0 || h == 0 || w > kMaxSpriteSide || h > kMaxSpriteSide) return nullptr;
    const size_t count = size_t(w) * h;
    if (!in.has(count * 2)) return nullptr;
    auto* p = new PortraitImage;
    p->width = int32_t(w);
    p->height = int32_t(h);
    p->block = platform::GlobalAlloc(platform::GHND, count * 2);
    p->pixels = static_cast<uint16_t*>(platform::GlobalLock(p->block));
    if (!p->pixels) {
        FreePortraitImage(p);
        return nullptr;
    }
    for (size_t i = 0; i < count; ++i)
        p->pixels[i] = in.u16();
    if (PixelFormat == 555) ConvertRgb565To555(p->pixels, p->width, p->height);
    return p;
}

KingdomCells::~KingdomCells() {
    for (uint16_t* c : ground)
        delete[] c;
    for (uint16_t* c : layer)
        delete[] c;
}

namespace {

void DecodeCellTable(ByteReader& in, std::vector<uint16_t*>& table) {
    const uint32_t count = in.u32();
    if (!in.ok()) return;
    table.assign(std::min<size_t>(count, in.remaining() / 4), nullptr);
    for (uint16_t*& slot : table) {
        const uint32_t present = in.u32();
        if (!in.ok()) return;
        if (!present) continue;
        if (!in.has(800)) {
            in.skip(800); // leaves the reader failed: the following tables are not there
            return;
        }
        auto* cell = new uint16_t[400];
        bool any = false;
        for (int i = 0; i < 400; ++i) {
            cell[i] = in.u16();
            any = any || cell[i] != 0;
        }
        if (!any) {
            delete[] cell;
            continue;
        }
        if (PixelFormat == 555) ConvertRgb565To555(cell, 400, 1);
        slot = cell;
    }
}

} // namespace

void DecodeKingdomCells(std::span<const uint8_t> file, int maxSprites, KingdomCells& out) {
    ByteReader in(file);
    DecodeCellTable(in, out.ground);
    if (!in.ok()) return;
    DecodeCellTable(in, out.layer);
    if (!in.ok()) return;
    const uint32_t count = in.u32();
    if (!in.ok()) return;
    out.sprites.resize(std::min<size_t>({count, size_t(std::max(maxSprites, 0)), in.remaining() / 4}));
    for (KingdomCells::Sprite& sprite : out.sprites) {
        const uint32_t present = in.u32();
        if (!in.ok()) return;
        if (!present) continue;
        KingdomSprite head;
        head.word0 = in.u32();
        head.word1 = in.u32();
        head.width = in.u32();
        head.height = in.u32();
        head.pixelField = in.u32();
        if (!in.ok() || head.width == 0 || head.height == 0 || head.width > kMaxSpriteSide ||
            head.height > kMaxSpriteSide)
            return;
        const size_t n = size_t(head.width) * head.height;
        if (!in.has(n * 2)) return;
        sprite.head = head;
        sprite.pixels.resize(n);
        for (size_t i = 0; i < n; ++i)
            sprite.pixels[i] = in.u16();
        sprite.present = true;
    }
}
