// Talk files read into the controller's two tables, and the names of the files read.
#include "stagefiles/TalkTexts.h"
#include "Program/GameController.h"
#include "records/TemplateTables.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct Table {
    uint8_t* texts[TalkTable::kEntries] = {};
    int32_t numbers[TalkTable::kEntries] = {};
    Table() = default;
    Table(const Table&) = delete;
    ~Table() { ClearTalkTable(ref()); }
    TalkTable ref() { return {texts, numbers}; }
    std::vector<std::pair<int32_t, std::string>> Entries() const {
        std::vector<std::pair<int32_t, std::string>> out;
        for (int i = 0; i < TalkTable::kEntries && texts[i]; ++i)
            out.emplace_back(numbers[i], reinterpret_cast<const char*>(texts[i]));
        return out;
    }
};

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

using Entries = std::vector<std::pair<int32_t, std::string>>;

} // namespace

TEST(TalkTexts, EntriesAreReadFromTheFileBytes) {
    const struct {
        std::string file;
        Entries want;
    } cases[] = {
        {"#12\nHello there#", {{12, "Hello there"}}},
        {"junk before\n# 3 \t4\r\nline one\r\nline two#ignored between#5\nfive#",
         {{34, "line one\nline two"}, {5, "five"}}},
        // An entry closed at once stores nothing and its number is lost.
        {"#7\n#\n#8\neight#", {{8, "eight"}}},
        // A Big5 character is copied whole: a trail byte of "#" neither opens nor closes an entry.
        {"\xA4#\n#9\n\xA7#\xA8\x40#", {{9, "\xA7#\xA8\x40"}}},
        // The last entry runs to the end of the file.
        {"#1\nfirst#\n#2\nunfinished", {{1, "first"}, {2, "unfinished"}}},
        {"#4\n", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        Table t;
        ReadTalkFile(Bytes(c.file), t.ref());
        EXPECT_EQ(t.Entries(), c.want) << c.file;
    }
}

TEST(TalkTexts, LimitsOfTheTableAreKept) {
    std::string many;
    for (int i = 0; i < 310; ++i)
        many += "#" + std::to_string(i) + "\nt#";
    Table t;
    EXPECT_EQ(ReadTalkFile(Bytes(many), t.ref()), TalkTable::kEntries);
    EXPECT_EQ(t.numbers[299], 299);

    // A long text keeps its first 1023 bytes and the entry after it is still found; a long number
    // keeps its first seven digits.
    const std::string text = "#123456789\n" + std::string(2000, 'x') + "#\n#6\nsix#";
    ReadTalkFile(Bytes(text), t.ref());
    const Entries got = t.Entries();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].first, 1234567);
    EXPECT_EQ(got[0].second.size(), 1023u);
    EXPECT_EQ(got[1], (std::pair<int32_t, std::string>{6, "six"}));
    // Reading again empties the table first.
    ReadTalkFile(Bytes("#1\none#"), t.ref());
    EXPECT_EQ(t.Entries(), (Entries{{1, "one"}}));
    EXPECT_EQ(t.numbers[1], TalkTable::kEmptyNumber);
}

TEST(TalkTexts, StageFileNames) {
    const std::pair<int32_t, const char*> cases[] = {
        {1, "Talk01.txt"}, {2, "Talk01.txt"},  {3, "Talk01.txt"},  {4, "Talk01.txt"},   {0, "Talk00.txt"},
        {5, "Talk05.txt"}, {12, "Talk12.txt"}, {99, "Talk99.txt"}, {100, "Talk01.txt"}, {-1, "Talk01.txt"},
    };
    for (auto [stage, name] : cases)
        EXPECT_EQ(StageTalkFileName(stage), name) << stage;
}

TEST(TalkTexts, ControllerLooksTextsUpByNumberWithFallbacks) {
    testsupport::TempFolder folder;
    TheGameController = new GameController;
    folder.Put("Talk01.txt", Bytes("#5\nfirst five#\n#5\nsecond five#"));
    folder.Put("Talk12.txt", Bytes("#40\nforty#"));
    folder.Put("Talk00.txt", Bytes("#7\ncommon#"));
    TemplateTables tables;
    const struct {
        int stage;
        int32_t key;
        const char* text;
    } cases[] = {{12, 40, "forty"}, {12, 5, nullptr}, {3, 5, "first five"}, {30, 5, "first five"}};
    for (const auto& c : cases) {
        TheGameController->campaignStage = uint8_t(c.stage);
        TheGameController->talkTextsLoaded = 0;
        EXPECT_EQ(tables.LoadTalkTexts(), 1);
        EXPECT_EQ(TheGameController->talkTextsLoaded, 1);
        const uint8_t* got = TheGameController->FindBlockByKey(c.key);
        if (c.text) {
            EXPECT_STREQ(reinterpret_cast<const char*>(got), c.text) << c.stage;
        } else {
            EXPECT_EQ(got, nullptr) << c.stage;
        }
        // "Talk100" is missing: the common texts come from "Talk00.txt".
        EXPECT_STREQ(reinterpret_cast<const char*>(TheGameController->FindTextBlockByKey(7)), "common");
    }
    folder.Put("Talk100", Bytes("#7\nshared#"));
    tables.LoadExtraTalkTexts();
    EXPECT_STREQ(reinterpret_cast<const char*>(TheGameController->FindTextBlockByKey(7)), "shared");
    delete TheGameController;
    TheGameController = nullptr;
}
