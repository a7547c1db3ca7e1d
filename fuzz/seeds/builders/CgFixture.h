#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a "Cg001.wz" the way the game's data file is laid out: Big5 comments (some indented),
// blank lines, CR LF line ends, trailing remarks after the values, and every number format the
// reader accepts. Value i of line n is CgValue(n, i); line 39 holds CgFloatValue.
namespace cgfixture {

constexpr int kLines = 194;
constexpr float kFloatValue = 0.25f;

// Number of values written on line n (the width the game reads, plus one extra value on a few
// lines to show that the reader stops at its count).
int ValueCount(int n);
// Small positive values that fit every destination width.
int32_t Value(int n, int i);
// The value text of line n, numbers in decimal, "0x" hexadecimal or leading-0 octal.
std::string ValueLine(int n);

struct Options {
    bool crlf = true;
    int extraLines = 2;               // value lines after the last one the game reads
    bool longComment = false;         // one comment line longer than the game's 126-byte reads
    std::vector<std::string> replace; // replace[n], when not empty, is written in place of line n
};

std::string MakeFile(const Options& options = {});
bool WriteFile(const std::string& path, const std::string& bytes);

} // namespace cgfixture
