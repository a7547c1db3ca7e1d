#include "stagefiles/TalkTexts.h"

#include "Program/GameController.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"

#include <optional>
#include <vector>

namespace {
constexpr int32_t kMaxNumber = 9999999; // seven digits

// The file as the text-mode read gives it: each "\r\n" becomes "\n".
std::vector<uint8_t> TextMode(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        out.push_back(bytes[i]);
    }
    return out;
}

bool Lead(uint8_t c) {
    return c >= 0x80;
}

void FillFromFile(const char* name, const char* fallback, TalkTable table) {
    std::optional<std::vector<uint8_t>> bytes = StageReader::ReadFile(name);
    if (!bytes) bytes = StageReader::ReadFile(fallback);
    if (bytes)
        ReadTalkFile(*bytes, table);
    else
        ClearTalkTable(table);
}

TalkTable StageTable(GameController& c) {
    return {c.blocks, c.blockKeys};
}

TalkTable CommonTable(GameController& c) {
    return {c.textBlocks, c.textBlockKeys};
}
} // namespace

void ClearTalkTable(TalkTable table) {
    for (int i = 0; i < TalkTable::kEntries; ++i) {
        delete[] table.texts[i];
        table.texts[i] = nullptr;
        table.numbers[i] = TalkTable::kEmptyNumber;
    }
}

int ReadTalkFile(std::span<const uint8_t> raw, TalkTable table) {
    ClearTalkTable(table);
    const std::vector<uint8_t> b = TextMode(raw);
    const size_t n = b.size();
    size_t pos = 0;
    int stored = 0;
    std::vector<uint8_t> text;
    while (pos < n) {
        // Up to the "#" that opens an entry; a Big5 character is passed over whole.
        while (pos < n && b[pos] != '#')
            pos += Lead(b[pos]) ? 2 : 1;
        if (pos >= n) break;
        ++pos;
        int32_t number = 0;
        int digits = 0;
        for (; pos < n && b[pos] != '\n'; ++pos) {
            const uint8_t c = b[pos];
            if (c < '0' || c > '9') continue;
            if (digits++ < 7) number = number * 10 + (c - '0');
        }
        if (number > kMaxNumber) number = kMaxNumber;
        if (pos < n) ++pos; // the header's line end
        text.clear();
        while (pos < n) {
            const uint8_t c = b[pos];
            if (c == '#') {
                ++pos;
                break;
            }
            const size_t width = Lead(c) && pos + 1 < n ? 2 : 1;
            // A long text keeps its first 1023 bytes and never half a character.
            if (text.size() + width <= TalkTable::kMaxTextBytes)
                text.insert(text.end(), &b[pos], &b[pos] + width);
            pos += width;
        }
        if (text.empty() || stored >= TalkTable::kEntries) continue;
        auto* copy = new uint8_t[text.size() + 1]();
        std::copy(text.begin(), text.end(), copy);
        table.texts[stored] = copy;
        table.numbers[stored] = number;
        ++stored;
    }
    return stored;
}

std::string StageTalkFileName(int32_t campaignStage) {
    if ((campaignStage >= 1 && campaignStage <= 4) || campaignStage < 0 || campaignStage > 99)
        return "Talk01.txt";
    std::string name = "Talk";
    name += static_cast<char>('0' + campaignStage / 10);
    name += static_cast<char>('0' + campaignStage % 10);
    return name + ".txt";
}

int TemplateTables::LoadTalkTexts() {
    GameController* c = TheGameController;
    if (!c) return 1;
    FillFromFile(StageTalkFileName(c->campaignStage).c_str(), "Talk01.txt", StageTable(*c));
    LoadExtraTalkTexts();
    c->talkTextsLoaded = 1;
    return 1;
}

int TemplateTables::LoadExtraTalkTexts() {
    GameController* c = TheGameController;
    if (!c) return 1;
    FillFromFile("Talk100", "Talk00.txt", CommonTable(*c));
    return 1;
}
