#include "Program/HelpTexts.h"

#include "platform/Files.h"

#include <cstdio>
#include <cstring>
#include <vector>

void HelpTexts::Clear() {
    for (auto& slot : slots_)
        slot.reset();
}

void HelpTexts::Parse(std::span<const uint8_t> bytes) {
    Clear();
    int next = 0;
    size_t pos = 0;
    while (pos < bytes.size() && next < kSlots) {
        size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\n')
            ++end;
        std::string line(reinterpret_cast<const char*>(bytes.data() + pos), end - pos);
        pos = end < bytes.size() ? end + 1 : end;
        // Only a real line end goes; a last line without one keeps all of its bytes.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line.resize(std::strlen(line.c_str()));

        size_t first = 0;
        while (first < line.size() && (line[first] == ' ' || line[first] == '\t'))
            ++first;
        if (first < line.size() && line[first] == '#') continue;
        // Leading blanks stay; an empty line still takes a slot.
        slots_[next++] = std::move(line);
    }
}

bool HelpTexts::Load(const std::string& path) {
    Clear();
    std::FILE* f = platform::fopen(path.c_str(), "r");
    if (!f) return false;
    std::vector<uint8_t> bytes;
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    Parse(bytes);
    return true;
}

const char* HelpTexts::Text(int n) const {
    if (n < 0 || n >= kSlots || !slots_[n]) return nullptr;
    return slots_[n]->c_str();
}

int HelpTexts::Count() const {
    int count = 0;
    for (const auto& slot : slots_)
        count += slot ? 1 : 0;
    return count;
}

HelpTexts& GameHelpTexts() {
    static HelpTexts texts;
    return texts;
}

void LoadHelpMessages() {
    GameHelpTexts().Load();
}
