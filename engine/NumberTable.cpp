#include "engine/NumberTable.h"

#include "platform/Files.h"

#include <cstdlib>
#include <string>
#include <vector>

double NumberValues[NumberTableSize] = {};
NumberTable* TheNumberTable = nullptr;

// Each line: the number, a blank, any comment, CR LF. A missing file leaves the table as it is.
NumberTable::NumberTable() {
    platform::HFILE f = platform::_lopen("data.txt", platform::OF_READ);
    if (f == platform::HFILE_ERROR) return;
    std::vector<char> bytes;
    char chunk[4096];
    for (;;) {
        const uint32_t got = platform::_lread(f, chunk, sizeof chunk);
        if (got == 0 || got == static_cast<uint32_t>(platform::HFILE_ERROR)) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    platform::_lclose(f);

    size_t pos = 0;
    int index = 0;
    while (pos < bytes.size() && index < NumberTableSize) {
        std::string word;
        while (pos < bytes.size() && bytes[pos] != ' ' && bytes[pos] != '\t' && bytes[pos] != '\r' &&
               bytes[pos] != '\n')
            word += bytes[pos++];
        while (pos < bytes.size() && bytes[pos] != '\n')
            ++pos;
        ++pos; // the line feed
        if (word == "end") break;
        NumberValues[index++] = std::atof(word.c_str());
    }
}
