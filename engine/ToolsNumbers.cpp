#include "engine/Tools.h"

#include <cstring>

int32_t Zu_Tools::ParseNumber(const char* text, int32_t digitCount, int32_t base) {
    if (digitCount == 0 || digitCount == -1) return 0;
    return ParseDigits(text, digitCount, base);
}

int32_t Zu_Tools::ParseDigits(const char* text, int32_t digitCount, int32_t base) {
    // Wrapping arithmetic: the characters are not checked, so any byte may come in.
    uint32_t value = 0;
    for (int32_t i = 0; i < digitCount; ++i) {
        const int32_t digit = static_cast<int32_t>(static_cast<signed char>(text[i])) - '0';
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(value);
}

void Zu_Tools::FormatNumber(char* buffer, int32_t size, int32_t value) {
    if (!buffer || size < 1) return;
    if (size == 1) {
        buffer[0] = 0;
        return;
    }
    uint32_t v = value > 0 ? static_cast<uint32_t>(value) : 0;
    std::memset(buffer, '0', static_cast<size_t>(size - 1));
    int32_t pos = size - 2;
    do {
        buffer[pos] = static_cast<char>('0' + v % 10);
        v /= 10;
        --pos;
    } while (v != 0 && pos >= 0);
    buffer[size - 1] = 0;

    int32_t start = 0;
    while (start < size - 2 && buffer[start] == '0')
        ++start;
    if (start > 0) std::memmove(buffer, buffer + start, static_cast<size_t>(size - start));
}

int Zu_Tools::ReadDigits(const char* text, int32_t* value, int32_t* count) {
    uint32_t v = 0;
    int32_t n = 0;
    while (text && text[n] >= '0' && text[n] <= '9') {
        v = v * 10 + static_cast<uint32_t>(text[n] - '0');
        ++n;
    }
    if (value) *value = static_cast<int32_t>(v);
    if (count) *count = n;
    return n;
}

// Fixed-width fields end at their first zero byte; trailing blanks do not count.
int Zu_Tools::CompareFixed(const char* a, const char* b, int32_t n) {
    auto textLength = [n](const char* s) {
        int32_t len = 0;
        while (len < n && s[len] != 0)
            ++len;
        while (len > 0 && s[len - 1] == ' ')
            --len;
        return len;
    };
    const int32_t la = textLength(a);
    const int32_t lb = textLength(b);
    for (int32_t i = 0; i < la && i < lb; ++i) {
        const auto ca = static_cast<uint8_t>(a[i]);
        const auto cb = static_cast<uint8_t>(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (la == lb) return 0;
    return la < lb ? -1 : 1;
}

int Zu_Tools::IsLeapYear(int32_t year) {
    return (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 1 : 0;
}

int Zu_Tools::NearPoint(int32_t x0, int32_t y0, int32_t x, int32_t y, int32_t r) {
    const int64_t dx = static_cast<int64_t>(x) - x0;
    const int64_t dy = static_cast<int64_t>(y) - y0;
    return (dx >= -r && dx <= r && dy >= -r && dy <= r) ? 1 : 0;
}

uint8_t Zu_Tools::ByteSum(const void* data, int32_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    uint8_t sum = 0;
    for (int32_t i = 0; i < n; ++i)
        sum = static_cast<uint8_t>(sum + p[i]);
    return sum;
}

int32_t Zu_Tools::AddClamped(int32_t value, int32_t delta, int32_t maximum, int32_t minimum) {
    int64_t v = static_cast<int64_t>(value) + delta;
    if (v > maximum) v = maximum;
    if (v < minimum) v = minimum;
    return static_cast<int32_t>(v);
}

// A step below 1 moves the value away from the target by the step's size.
bool Zu_Tools::StepToward(int32_t& value, int32_t target, int32_t step) {
    if (value == target) return true;
    const bool up = value < target;
    if (step < 1) {
        const int64_t away = -static_cast<int64_t>(step);
        value = static_cast<int32_t>(up ? value - away : value + away);
        return false;
    }
    if (up) {
        value = (static_cast<int64_t>(target) - value <= step) ? target : value + step;
    } else {
        value = (static_cast<int64_t>(value) - target <= step) ? target : value - step;
    }
    return false;
}

bool Zu_Tools::StepToward(int32_t* value, int32_t target, int32_t step) {
    if (!value) return false;
    return StepToward(*value, target, step);
}

bool Zu_Tools::StepToward(float& value, float target, float step) {
    if (value == target) return true;
    const bool up = value < target;
    if (step < 1.0f) {
        const float away = step < 0.0f ? -step : step;
        value += up ? -away : away;
        return false;
    }
    if (up) {
        value = (target - value <= step) ? target : value + step;
    } else {
        value = (value - target <= step) ? target : value - step;
    }
    return false;
}

uint16_t Zu_Tools::ColorTo16(uint32_t colorRef, int32_t mode) {
    const uint32_t r = colorRef & 0xFF;
    const uint32_t g = (colorRef >> 8) & 0xFF;
    const uint32_t b = (colorRef >> 16) & 0xFF;
    if (mode == 1) return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

std::unique_ptr<uint16_t[]> Zu_Tools::PaletteTo16(const uint8_t* rgb768, int32_t mode) {
    if (!rgb768) return nullptr;
    auto table = std::make_unique<uint16_t[]>(256);
    for (int i = 0; i < 256; ++i) {
        const uint32_t colorRef = rgb768[i * 3] | (rgb768[i * 3 + 1] << 8) | (rgb768[i * 3 + 2] << 16);
        table[i] = ColorTo16(colorRef, mode);
    }
    return table;
}
