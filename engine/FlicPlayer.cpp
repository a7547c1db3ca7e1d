#include "engine/FlicPlayer.h"

#include "engine/ByteReader.h"
#include "engine/ResourceStoreFiles.h"

#include <algorithm>

namespace {

constexpr uint16_t kFrameChunk = 0xF1FA;
constexpr uint16_t kPrefixChunk = 0xF100;
enum : uint16_t {
    COLOR_256 = 4,
    DELTA_FLC = 7,
    COLOR_64 = 11,
    DELTA_FLI = 12,
    BLACK = 13,
    BYTE_RUN = 15,
    FLI_COPY = 16,
    PSTAMP = 18,
};

} // namespace

bool FlicPlayer::Open(const char* path) {
    std::vector<uint8_t> bytes;
    return ReadGameFile(path, bytes) && Open(bytes);
}

bool FlicPlayer::Open(std::span<const uint8_t> bytes) {
    *this = FlicPlayer();
    ByteReader h(bytes);
    h.u32();
    const uint16_t magic = h.u16();
    const uint16_t frames = h.u16();
    const uint16_t width = h.u16();
    const uint16_t height = h.u16();
    if (!h.ok() || bytes.size() < 128 || (magic != 0xAF11 && magic != 0xAF12)) return false;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
    file_.assign(bytes.begin(), bytes.end());
    width_ = width;
    height_ = height;
    frames_ = frames;
    firstFrame_ = 128;
    if (magic == 0xAF12) {
        ByteReader o(bytes);
        o.seek(80);
        const uint32_t oframe1 = o.u32();
        if (oframe1 >= 128 && oframe1 < bytes.size()) firstFrame_ = oframe1;
    }
    next_ = firstFrame_;
    frame_.assign(size_t(width_) * height_, 0);
    return true;
}

void FlicPlayer::Rewind() {
    next_ = firstFrame_;
    current_ = 0;
}

bool FlicPlayer::TakePaletteChanged() {
    const bool changed = paletteChanged_;
    paletteChanged_ = false;
    return changed;
}

void FlicPlayer::SaveFrame() {
    saved_ = frame_;
}

void FlicPlayer::RestoreFrame() {
    if (saved_.size() == frame_.size()) frame_ = saved_;
}

bool FlicPlayer::NextFrame() {
    if (file_.empty()) return false;
    if (current_ >= frames_) Rewind();
    for (;;) {
        if (next_ + 6 > file_.size()) return false;
        ByteReader c(file_.data() + next_, file_.size() - next_);
        const uint32_t size = c.u32();
        const uint16_t type = c.u16();
        if (size < 6 || size > file_.size() - next_) return false;
        const std::span<const uint8_t> chunk(file_.data() + next_, size);
        next_ += size;
        if (type == kPrefixChunk) continue;
        if (type != kFrameChunk) return false;
        ++current_;
        return DecodeFrame(chunk);
    }
}

bool FlicPlayer::DecodeFrame(std::span<const uint8_t> chunk) {
    ByteReader in(chunk);
    in.skip(6);
    const uint16_t count = in.u16();
    in.skip(8);
    if (!in.ok()) return false;
    for (int i = 0; i < count; ++i) {
        const size_t at = in.pos();
        const uint32_t size = in.u32();
        const uint16_t type = in.u16();
        if (!in.ok() || size < 6 || size > chunk.size() - at) return false;
        const std::span<const uint8_t> data = chunk.subspan(at + 6, size - 6);
        bool ok = true;
        switch (type) {
        case COLOR_256:
            ok = Colours(data, 0);
            break;
        case COLOR_64:
            ok = Colours(data, 2);
            break;
        case DELTA_FLC:
            ok = DeltaFlc(data);
            break;
        case DELTA_FLI:
            ok = DeltaFli(data);
            break;
        case BLACK:
            std::fill(frame_.begin(), frame_.end(), uint8_t(0));
            break;
        case BYTE_RUN:
            ok = ByteRun(data);
            break;
        case FLI_COPY:
            if (data.size() < frame_.size()) return false;
            std::copy(data.begin(), data.begin() + ptrdiff_t(frame_.size()), frame_.begin());
            break;
        case PSTAMP:
        default:
            break;
        }
        if (!ok) return false;
        in.seek(at + size);
    }
    return true;
}

bool FlicPlayer::Colours(std::span<const uint8_t> data, int shift) {
    ByteReader in(data);
    const uint16_t packets = in.u16();
    int index = 0;
    for (int p = 0; p < packets; ++p) {
        index += in.u8();
        int n = in.u8();
        if (n == 0) n = 256;
        if (!in.ok()) return false;
        for (int k = 0; k < n; ++k, ++index) {
            uint8_t rgb[3];
            if (!in.bytes(rgb, 3)) return false;
            if (index < 256)
                for (int j = 0; j < 3; ++j)
                    palette_[3 * index + j] = uint8_t(rgb[j] << shift);
        }
    }
    paletteChanged_ = true;
    return true;
}

bool FlicPlayer::DeltaFlc(std::span<const uint8_t> data) {
    ByteReader in(data);
    int lines = in.u16();
    int y = 0;
    while (lines > 0 && in.ok()) {
        if (y >= height_) return false;
        const int16_t op = in.i16();
        if (!in.ok()) return false;
        if ((op & 0xC000) == 0xC000) { // lines to skip
            y -= op;
            continue;
        }
        uint8_t* row = frame_.data() + size_t(y) * width_;
        if ((op & 0xC000) == 0x8000) { // the last pixel of the line
            row[width_ - 1] = uint8_t(op);
            continue;
        }
        int x = 0;
        for (int p = 0; p < op; ++p) {
            x += in.u8();
            const int8_t n = int8_t(in.u8());
            if (!in.ok()) return false;
            if (n > 0) {
                for (int k = 0; k < n; ++k) {
                    const uint8_t a = in.u8(), b = in.u8();
                    if (!in.ok()) return false;
                    if (x < width_) row[x] = a;
                    if (x + 1 < width_) row[x + 1] = b;
                    x += 2;
                }
            } else {
                const uint8_t a = in.u8(), b = in.u8();
                if (!in.ok()) return false;
                for (int k = 0; k < -n; ++k) {
                    if (x < width_) row[x] = a;
                    if (x + 1 < width_) row[x + 1] = b;
                    x += 2;
                }
            }
        }
        ++y;
        --lines;
    }
    return in.ok();
}

bool FlicPlayer::DeltaFli(std::span<const uint8_t> data) {
    ByteReader in(data);
    int y = in.u16();
    const int lines = in.u16();
    for (int l = 0; l < lines; ++l, ++y) {
        const int packets = in.u8();
        if (!in.ok() || y >= height_) return false;
        uint8_t* row = frame_.data() + size_t(y) * width_;
        int x = 0;
        for (int p = 0; p < packets; ++p) {
            x += in.u8();
            const int8_t n = int8_t(in.u8());
            if (!in.ok()) return false;
            if (n >= 0) {
                for (int k = 0; k < n; ++k, ++x) {
                    const uint8_t v = in.u8();
                    if (x < width_) row[x] = v;
                }
            } else {
                const uint8_t v = in.u8();
                for (int k = 0; k < -n; ++k, ++x)
                    if (x < width_) row[x] = v;
            }
            if (!in.ok()) return false;
        }
    }
    return true;
}

bool FlicPlayer::ByteRun(std::span<const uint8_t> data) {
    ByteReader in(data);
    for (int y = 0; y < height_; ++y) {
        uint8_t* row = frame_.data() + size_t(y) * width_;
        in.u8(); // packet count: the line's width decides
        int x = 0;
        while (x < width_) {
            const int8_t n = int8_t(in.u8());
            if (!in.ok()) return false;
            if (n > 0) {
                const uint8_t v = in.u8();
                for (int k = 0; k < n && x < width_; ++k)
                    row[x++] = v;
            } else {
                for (int k = 0; k < -n; ++k) {
                    const uint8_t v = in.u8();
                    if (x < width_) row[x++] = v;
                }
            }
            if (!in.ok()) return false;
        }
    }
    return true;
}
