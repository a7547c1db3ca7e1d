#include "fuzz/seeds/builders/CgFixture.h"

#include <cstdio>
#include <fstream>

namespace cgfixture {

namespace {
// "# 遊戲參數" in Big5.
const char kBig5Title[] = "# \xB9\x43\xC0\xB8\xB0\xD1\xBC\xC6";
} // namespace

int ValueCount(int n) {
    static const int counts[kLines] = {
        20, 10, 10, 10, 10, 4,  1,  3,  3,  3, 3,  3,  3,  4,  4,  1,  1,  1,  1,  4,  5,  5,  11, 1,  1,
        1,  1,  1,  2,  2,  2,  2,  1,  4,  3, 3,  3,  1,  6,  1,  11, 11, 2,  1,  26, 6,  8,  8,  8,  8,
        8,  8,  8,  8,  8,  8,  8,  8,  8,  8, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 12, 17, 17, 17, 17,
        1,  1,  3,  5,  5,  5,  5,  5,  4,  5, 3,  4,  10, 10, 10, 12, 12, 12, 12, 12, 12, 3,  14, 14, 14,
        14, 14, 14, 14, 14, 14, 14, 14, 14, 1, 2,  1,  2,  2,  2,  1,  1,  1,  1,  3,  5,  2,  5,  3,  5,
        3,  5,  2,  4,  5,  5,  5,  5,  5,  5, 5,  5,  5,  5,  5,  5,  5,  5,  5,  4,  4,  4,  4,  4,  8,
        8,  8,  8,  8,  8,  8,  8,  5,  5,  5, 5,  5,  5,  5,  5,  8,  1,  4,  3,  3,  3,  3,  3,  2,  2,
        1,  1,  2,  2,  2,  3,  3,  3,  3,  1, 3,  12, 9,  10, 10, 4,  4,  5,  3,
    };
    if (n < 0 || n >= kLines) return 3;
    // The five-of-six tables get a sixth value that the reader must leave alone.
    if (n == 120 || n == 122 || n == 124 || n == 126) return counts[n] + 1;
    return counts[n];
}

int32_t Value(int n, int i) {
    return (n * 37 + i * 11) % 250 + 1;
}

std::string ValueLine(int n) {
    if (n == 39) return "0.25 ##No use!!!";
    std::string text;
    const int count = ValueCount(n);
    for (int i = 0; i < count; ++i) {
        const int32_t v = Value(n, i);
        char buf[32];
        // The game's reader took 126 bytes at a time, so shipped value lines stay short.
        switch (i < 6 ? (n + i) % 3 : 0) {
        case 0:
            std::snprintf(buf, sizeof buf, "%d", v);
            break;
        case 1:
            std::snprintf(buf, sizeof buf, "0x%X", v);
            break;
        default:
            std::snprintf(buf, sizeof buf, "0%o", v);
            break;
        }
        if (i) text += (i % 4 == 0) ? "\t" : " ";
        text += buf;
    }
    if (n % 5 == 0) text += " ;";
    if (n % 7 == 0) text += "   ##No use!!!";
    return text;
}

std::string MakeFile(const Options& options) {
    const std::string eol = options.crlf ? "\r\n" : "\n";
    std::string out;
    out += std::string(kBig5Title) + eol;
    out += "   \t#  indented comment " + eol;
    out += eol;
    const int total = kLines + options.extraLines;
    for (int n = 0; n < total; ++n) {
        if (n % 10 == 0) out += "#" + std::to_string(n) + " \xA4\x40\xA4\x47" + eol; // "一二"
        if (n % 13 == 0) out += " \t " + eol;
        if (n % 17 == 0) out += "\x81\xFE\x01 # high and control bytes before the mark" + eol;
        if (options.longComment && n == 50) out += "# " + std::string(200, 'x') + eol;
        std::string line = n < kLines ? ValueLine(n) : "999 999 999";
        if (n < static_cast<int>(options.replace.size()) && !options.replace[n].empty())
            line = options.replace[n];
        if (n % 11 == 0) line = "  " + line; // values may be indented
        out += line + eol;
    }
    return out;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

} // namespace cgfixture
