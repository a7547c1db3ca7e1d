#include "engine/Tools.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint8_t kBackspace = 8;
constexpr uint8_t kEnter = 13;
constexpr uint8_t kEscape = 27;
// The text never grows past 35 bytes, whatever the capacity says.
constexpr int32_t kMaxText = Zu_Tools::kFieldSize - 1;

bool IsLeadByte(uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(uint8_t b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
}
} // namespace

Zu_Tools& Zu_Tools::Global() {
    static Zu_Tools tools;
    return tools;
}

int Zu_Tools::AttachBuffer(char* newBuffer, int32_t newCapacity, uint32_t newFlags) {
    buffer = newBuffer;
    capacity = newCapacity;
    flags = newFlags;
    length = buffer ? static_cast<int32_t>(strnlen(buffer, kMaxText)) : 0;
    dropTrail = false;
    return 1;
}

// Walks the text from its start by Big5 characters, so a trail byte is never taken for a lead.
bool Zu_Tools::EndsInLeadByte() const {
    const auto* text = reinterpret_cast<const uint8_t*>(buffer);
    int32_t i = 0;
    bool lone = false;
    while (i < length) {
        lone = IsLeadByte(text[i]) && i + 1 >= length;
        i += (IsLeadByte(text[i]) && i + 1 < length) ? 2 : 1;
    }
    return lone;
}

void Zu_Tools::Backspace() {
    const auto* text = reinterpret_cast<const uint8_t*>(buffer);
    int32_t i = 0;
    int32_t lastStart = 0;
    while (i < length) {
        lastStart = i;
        i += (IsLeadByte(text[i]) && i + 1 < length) ? 2 : 1;
    }
    length = std::max(lastStart, 0);
}

int Zu_Tools::StoreByte(uint8_t byte, int32_t limit) {
    if (length >= limit) return 0;
    buffer[length] = static_cast<char>(byte);
    ++length;
    if (length < kFieldSize) buffer[length] = 0;
    if (length + 1 < kFieldSize) buffer[length + 1] = 0;
    return 1;
}

int Zu_Tools::FeedChars(const char* bytes, int count) {
    if (!bytes || count <= 0) return 0;
    const auto* in = reinterpret_cast<const uint8_t*>(bytes);
    if (in[0] == kEnter) flags |= kEnterPressed;
    if (!(flags & kInputOn) || !buffer) return 0;

    const int32_t limit = std::min(capacity, kMaxText);
    for (int k = 0; k < count; ++k) {
        const uint8_t b = in[k];
        if (b == kBackspace) {
            Backspace();
            break;
        }
        if (b == kEnter) {
            flags |= kEnterPressed;
            break;
        }
        if (b == kEscape) {
            flags |= kEscapePressed;
            break;
        }
        if (dropTrail) {
            // The lead byte before it did not fit, so neither does its trail.
            dropTrail = false;
            if (IsTrailByte(b)) continue;
        }
        if (length >= limit) break;
        if ((flags & kDigitsOnly) && (b < '0' || b > '9')) continue;
        if (EndsInLeadByte()) {
            StoreByte(b, limit);
        } else if (IsLeadByte(b)) {
            // A double-byte character goes in whole or not at all.
            if (length + 2 > limit) {
                dropTrail = true;
                continue;
            }
            StoreByte(b, limit);
        } else {
            StoreByte(b, limit);
        }
    }

    if (length >= 0 && length < kFieldSize) buffer[length] = 0;
    if (length + 1 >= 0 && length + 1 < kFieldSize) buffer[length + 1] = 0;
    buffer[kFieldSize - 1] = 0;
    return 1;
}

int Zu_Tools::FeedArrowKey(int keyCode) {
    if (!(flags & kInputOn) || !buffer) return 0;
    if (keyCode == kKeyUp) {
        flags |= kUpPressed;
        return 1;
    }
    if (keyCode == kKeyDown) {
        flags |= kDownPressed;
        return 1;
    }
    return 0;
}
