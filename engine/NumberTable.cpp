#include "engine/NumberTable.h"

#include "engine/ResourceStoreFiles.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <vector>

double NumberTableValues[kNumberTableSize];
NumberTable* TheNumberTable = nullptr;

namespace {

// atof in the "C" locale, whatever locale the program runs in.
double CLocaleAtof(const char* word) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (!c) return std::atof(word);
    return strtod_l(word, nullptr, c);
}

} // namespace

int ParseNumberTable(std::span<const uint8_t> text, double* table, int capacity) {
    constexpr size_t kMaxWord = 63;
    size_t pos = 0;
    int stored = 0;
    while (stored < capacity && pos < text.size()) {
        char word[kMaxWord + 1];
        size_t len = 0;
        bool blank = false;
        while (pos < text.size()) {
            const uint8_t b = text[pos];
            if (b == ' ' || b == '\t') {
                blank = true;
                break;
            }
            if (b == '\r' || b == '\n') break;
            if (len < kMaxWord) word[len++] = char(b);
            ++pos;
        }
        word[len] = 0;
        if (std::strcmp(word, "end") == 0 || !blank) break;
        table[stored++] = CLocaleAtof(word);
        // The comment and the line end.
        while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n')
            ++pos;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
    }
    return stored;
}

NumberTable::NumberTable() {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile("data.txt", bytes)) return;
    ParseNumberTable(bytes, NumberTableValues, kNumberTableSize);
}
