#include "engine/Tools.h"
#include "engine/ErrorList.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace {

TEST(Tools, FormatNumberKeepsTheLastDigitsThatFit) {
    struct {
        int size, value;
        const char* text;
    } cases[] = {
        {6, 407, "407"}, {3, 12345, "45"}, {4, 0, "0"},
        {2, 7, "7"},     {2, 10, "0"},     {11, 2147483647, "2147483647"},
        {4, 100, "100"}, {5, 905, "905"},  {4, -5, "0"},
    };
    for (const auto& c : cases) {
        char buf[16];
        std::memset(buf, 'z', sizeof buf);
        Zu_Tools::FormatNumber(buf, c.size, c.value);
        EXPECT_STREQ(buf, c.text) << c.size << " " << c.value;
        EXPECT_EQ(buf[c.size], 'z') << "wrote past the buffer";
    }
}

TEST(Tools, FormatNumberWithATinyBufferStaysInside) {
    char guard[3] = {'z', 'z', 'z'};
    Zu_Tools::FormatNumber(guard + 1, 1, 42);
    EXPECT_EQ(guard[0], 'z');
    EXPECT_EQ(guard[1], 0);
    EXPECT_EQ(guard[2], 'z');
    Zu_Tools::FormatNumber(guard + 1, 0, 42);
    Zu_Tools::FormatNumber(guard + 1, -3, 42);
    EXPECT_EQ(guard[0], 'z');
    EXPECT_EQ(guard[2], 'z');
}

TEST(Tools, ParseNumberTakesCharactersAsDigitsUnchecked) {
    struct {
        const char* text;
        int count, base, value;
    } cases[] = {
        {"2.00t", 4, 10, 1800}, // the point counts as the digit -2
        {"2.00t", 0, 10, 0},    {"2.00t", -1, 10, 0}, {"123", 3, 10, 123},
        {"123", 2, 10, 12},     {"101", 3, 2, 5},     {"777", 3, 8, 511},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Zu_Tools::ParseNumber(c.text, c.count, c.base), c.value) << c.text;
    EXPECT_EQ(Zu_Tools::ParseDigits("2.00", 4, 10), 1800);
}

// Blob: word 0 = offset of the index; index = {start, end, count, item offsets...}.
std::vector<uint8_t> MakeBlob(uint32_t indexOffset, uint32_t start, uint32_t end, uint32_t count,
                              const std::vector<uint32_t>& items, size_t size) {
    std::vector<uint8_t> blob(size, 0);
    auto put = [&](size_t pos, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            blob[pos + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0, indexOffset);
    put(indexOffset, start);
    put(indexOffset + 4, end);
    put(indexOffset + 8, count);
    for (size_t i = 0; i < items.size(); ++i)
        put(indexOffset + 12 + 4 * i, items[i]);
    return blob;
}

TEST(Tools, GetBlobItemCountsItemsOnFirstUseAndClampsTheIndex) {
    // Items at 32, 40, 48 and 57 (the last offset's low bits are ignored: 56).
    auto blob = MakeBlob(4, 16, 32, 0, {32, 40, 48, 57}, 64);
    std::memcpy(&blob[32], "host0", 6);
    std::memcpy(&blob[56], "srv", 4);
    EXPECT_EQ(Zu_Tools::GetBlobItem(blob.data(), blob.size(), 0), &blob[32]);
    EXPECT_EQ(blob[12], 4); // the count is stored back
    EXPECT_EQ(Zu_Tools::GetBlobItem(blob.data(), blob.size(), 1), &blob[40]);
    EXPECT_EQ(Zu_Tools::GetBlobItem(blob.data(), blob.size(), 3), &blob[56]);
    EXPECT_EQ(Zu_Tools::GetBlobItem(blob.data(), blob.size(), 9), &blob[56]);
    EXPECT_STREQ(reinterpret_cast<const char*>(Zu_Tools::GetBlobItem(blob.data(), blob.size(), 3)), "srv");

    // A stored count is used as it is.
    auto counted = MakeBlob(4, 16, 32, 2, {32, 40, 48, 56}, 64);
    EXPECT_EQ(Zu_Tools::GetBlobItem(counted.data(), counted.size(), 3), &counted[40]);
}

TEST(Tools, GetBlobItemRejectsOffsetsOutsideTheBlob) {
    struct {
        const char* what;
        std::vector<uint8_t> blob;
        size_t size;
        int index;
    } cases[] = {
        {"index past the end", MakeBlob(4, 16, 32, 0, {32}, 64), 8, 0},
        {"no word 0", MakeBlob(4, 16, 32, 0, {32}, 64), 3, 0},
        {"end before start", MakeBlob(4, 32, 16, 0, {32}, 64), 64, 0},
        {"no items", MakeBlob(4, 16, 16, 0, {32}, 64), 64, 0},
        {"huge count, entry outside", MakeBlob(4, 16, 32, 0xFFFFFFF, {32}, 64), 64, 1000},
        {"item offset outside", MakeBlob(4, 16, 32, 0, {32, 640}, 64), 64, 1},
        {"negative index", MakeBlob(4, 16, 32, 0, {32}, 64), 64, -1},
        {"index offset far away", MakeBlob(4, 16, 32, 0, {32}, 64), 64, 0},
    };
    cases[7].blob[0] = 0xF0; // word 0 points far beyond the blob
    cases[7].blob[3] = 0x7F;
    for (auto& c : cases) {
        EXPECT_EQ(Zu_Tools::GetBlobItem(c.blob.data(), c.size, c.index), nullptr) << c.what;
    }
    EXPECT_EQ(Zu_Tools::GetBlobItem(nullptr, 64, 0), nullptr);
}

TEST(Tools, OffsetTablesFallBackToWordThree) {
    std::vector<uint8_t> blob(32, 0);
    blob[0] = 20;  // word 0: offset 20
    blob[12] = 24; // word 3: fallback offset 24
    EXPECT_EQ(Zu_Tools::BlobEntry(blob.data(), blob.size(), 0), &blob[20]);
    EXPECT_EQ(Zu_Tools::BlobEntry(blob.data(), blob.size(), 1), &blob[24]);
    EXPECT_EQ(Zu_Tools::BlobEntry(blob.data(), blob.size(), 8), nullptr);
    EXPECT_EQ(Zu_Tools::WordTableEntry(blob.data(), blob.size(), 0), 20u);
    EXPECT_EQ(Zu_Tools::WordTableEntry(blob.data(), blob.size(), 2), 24u);
    EXPECT_EQ(Zu_Tools::WordTableEntry(blob.data(), blob.size(), 9), 0u);
    blob[12] = 0;
    EXPECT_EQ(Zu_Tools::BlobEntry(blob.data(), blob.size(), 1), nullptr);
}

TEST(Tools, SmallArithmetic) {
    EXPECT_EQ(Zu_Tools::IsLeapYear(2000), 1);
    EXPECT_EQ(Zu_Tools::IsLeapYear(1900), 0);
    EXPECT_EQ(Zu_Tools::IsLeapYear(2024), 1);
    EXPECT_EQ(Zu_Tools::IsLeapYear(2023), 0);
    EXPECT_EQ(Zu_Tools::AddClamped(5, 10, 12, 0), 12);
    EXPECT_EQ(Zu_Tools::AddClamped(5, -10, 12, 0), 0);
    EXPECT_EQ(Zu_Tools::AddClamped(5, 2, 12, 0), 7);
    EXPECT_EQ(Zu_Tools::NearPoint(10, 10, 13, 7, 3), 1);
    EXPECT_EQ(Zu_Tools::NearPoint(10, 10, 14, 10, 3), 0);
    EXPECT_EQ(Zu_Tools::ByteSum("\xFF\x02\x03", 3), 4);

    int32_t value = 0, count = 0;
    EXPECT_EQ(Zu_Tools::ReadDigits("0420x", &value, &count), 4);
    EXPECT_EQ(value, 420);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(Zu_Tools::ReadDigits("x1", &value, &count), 0);
    EXPECT_EQ(value, 0);

    EXPECT_EQ(Zu_Tools::CompareFixed("abc  ", "abc\0\0", 5), 0);
    EXPECT_EQ(Zu_Tools::CompareFixed("abc", "abd", 3), -1);
    EXPECT_EQ(Zu_Tools::CompareFixed("abcd", "abc ", 4), 1);
    EXPECT_EQ(Zu_Tools::CompareFixed("ab\0zz", "ab\0yy", 5), 0);
}

TEST(Tools, StepTowardStopsAtTheTarget) {
    struct {
        int value, target, step, after;
        bool arrived;
    } cases[] = {
        {0, 10, 3, 3, false}, {9, 10, 3, 10, false}, {10, 10, 3, 10, true},  {10, 0, 4, 6, false},
        {2, 0, 4, 0, false},  {0, 10, 0, 0, false},  {0, 10, -2, -2, false}, {5, 0, -1, 6, false},
    };
    for (const auto& c : cases) {
        int32_t v = c.value;
        EXPECT_EQ(Zu_Tools::StepToward(&v, c.target, c.step), c.arrived);
        EXPECT_EQ(v, c.after) << c.value << "->" << c.target << " by " << c.step;
        int32_t w = c.value;
        Zu_Tools::StepToward(w, c.target, c.step);
        EXPECT_EQ(w, c.after);
        float f = static_cast<float>(c.value);
        Zu_Tools::StepToward(f, static_cast<float>(c.target), static_cast<float>(c.step));
        EXPECT_EQ(f, static_cast<float>(c.after));
    }
}

TEST(Tools, ArrayHelpers) {
    int32_t a[5] = {0, 7, 0, 9, 0};
    EXPECT_EQ(Zu_Tools::CompactAndAppend(a, 5, 4), 2);
    EXPECT_EQ(std::vector<int32_t>(a, a + 5), (std::vector<int32_t>{7, 9, 4, 0, 0}));
    int32_t full[2] = {1, 2};
    EXPECT_EQ(Zu_Tools::CompactAndAppend(full, 2, 3), -1);
    int32_t marked[4] = {-1, 0, -1, 5};
    EXPECT_EQ(Zu_Tools::CompactAndAppendMarked(marked, 4, 8), 2);
    EXPECT_EQ(std::vector<int32_t>(marked, marked + 4), (std::vector<int32_t>{0, 5, 8, -1}));

    int32_t list[4] = {};
    int32_t count = 0;
    EXPECT_EQ(Zu_Tools::AddUnique(list, &count, 4, 3), 1);
    EXPECT_EQ(Zu_Tools::AddUnique(list, &count, 4, 3), 0);
    EXPECT_EQ(Zu_Tools::AddUnique(list, &count, 4, 5), 1);
    EXPECT_EQ(Zu_Tools::AddUnique(list, &count, 4, 6), 1);
    EXPECT_EQ(Zu_Tools::AddUnique(list, &count, 4, 7), 0); // count must stay below capacity - 1
    EXPECT_EQ(count, 3);

    const int32_t values[] = {4, -1, 9, 9, 2, 2};
    const int32_t ties[] = {0, 0, 5, 5, 1, 0};
    EXPECT_EQ(Zu_Tools::IndexOfMax(values, ties, 6), 3);
    EXPECT_EQ(Zu_Tools::IndexOfMin(values, ties, 6), 5);
    const int32_t lowerTie[] = {0, 0, 5, 4, 1, 2};
    EXPECT_EQ(Zu_Tools::IndexOfMax(values, lowerTie, 6), 2);
    EXPECT_EQ(Zu_Tools::IndexOfMin(values, lowerTie, 6), 4);
    const int32_t none[] = {-1, -1};
    EXPECT_EQ(Zu_Tools::IndexOfMax(none, nullptr, 2), -1);

    int32_t s[5] = {3, 1, 4, 1, 5};
    Zu_Tools::SortInts(s, 5, 0);
    EXPECT_EQ(std::vector<int32_t>(s, s + 5), (std::vector<int32_t>{1, 1, 3, 4, 5}));
    Zu_Tools::SortInts(s, 5, 1);
    EXPECT_EQ(std::vector<int32_t>(s, s + 5), (std::vector<int32_t>{5, 4, 3, 1, 1}));

    const int32_t v[4] = {10, 30, 10, 20};
    int32_t r[4];
    Zu_Tools::RankValues(v, r, 4, 0);
    EXPECT_EQ(std::vector<int32_t>(r, r + 4), (std::vector<int32_t>{2, 0, 2, 1}));
    Zu_Tools::RankValues(v, r, 4, 1);
    EXPECT_EQ(std::vector<int32_t>(r, r + 4), (std::vector<int32_t>{2, 0, 3, 1}));
    Zu_Tools::RankValues(v, r, 4, 2);
    EXPECT_EQ(std::vector<int32_t>(r, r + 4), (std::vector<int32_t>{1, 3, 0, 2}));
}

TEST(Tools, ColoursTo16Bit) {
    EXPECT_EQ(Zu_Tools::ColorTo16(0x0000FF, 0), 0xF800);
    EXPECT_EQ(Zu_Tools::ColorTo16(0x00FF00, 0), 0x07E0);
    EXPECT_EQ(Zu_Tools::ColorTo16(0xFF0000, 0), 0x001F);
    EXPECT_EQ(Zu_Tools::ColorTo16(0x0000FF, 1), 0x7C00);
    EXPECT_EQ(Zu_Tools::ColorTo16(0x00FF00, 1), 0x03E0);
    EXPECT_EQ(Zu_Tools::ColorTo16(0x0404FF, 0), 0xF820); // green keeps 6 bits in 5-6-5
    uint8_t pal[768] = {};
    pal[3] = 0xFF;   // colour 1 red
    pal[767] = 0xFF; // colour 255 blue
    auto table = Zu_Tools::PaletteTo16(pal, 1);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 0x7C00);
    EXPECT_EQ(table[255], 0x001F);
}

TEST(Tools, EvaluateConditionReadsTermsLeftToRight) {
    const int32_t m[] = {5, 7};
    const int32_t a[] = {3};
    const int32_t s[] = {-1, 0, 8};
    struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"M0", 5},
        {"M1 + A0", 10},
        {"M0 * 2 + 1", 11}, // no precedence: left to right
        {"1 + 2 * 3", 9},
        {"M0 > A0 ? 100 : 200", 100},
        {"M0 < A0 ? 100 : 200", 200},
        {"M0 >= 5", 1},
        {"M0 <= 4", 0},
        {"M1 == 7", 1},
        {"M1 != 7", 0},
        {"S2 & 12", 8},
        {"S2 | 1", 9},
        {"S2 ^ 8", 0},
        {"~0", -1},
        {"!(M0 == 5)", 0},
        {"!M0 == 4", 1},
        {"(1 + 2) * (3 + 4)", 21},
        {"M9", 0}, // past the count
        {"S3 + 1", 1},
        {"M4294967295", 0},
        {"7 / 0", 0},
        {"1, 2, M1", 7},
        {"  ( M0 - 6 )  ", -1},
        {"((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((1))))))", 0},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Zu_Tools::EvaluateCondition(c.text, m, 2, a, 1, s, 3), c.value) << c.text;
}

TEST(Tools, FilesListLoadAndDeleteTree) {
    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
    const auto base = folder.path() / "save";
    std::filesystem::create_directories(base / "slot" / "inner");
    std::filesystem::create_directories(base / "slot" / ".hidden");
    testsupport::TempFolder::Write(base / "slot" / "b.dat", "bb");
    testsupport::TempFolder::Write(base / "slot" / "a.dat", "a");
    testsupport::TempFolder::Write(base / "slot" / "inner" / "c.dat", "ccc");
    testsupport::TempFolder::Write(base / "slot" / ".hidden" / "d.dat", "d");

    Zu_ErrorList list;
    list.Add("stale", 1, 1, 1);
    EXPECT_EQ(Zu_Tools::ListFiles(base.string().c_str(), "slot", list), 2);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(std::string(list.GetFirst()->fileText.get()), base.string() + "\\slot\\a.dat");
    EXPECT_EQ(std::string(list.GetFirst()->next->fileText.get()), base.string() + "\\slot\\b.dat");

    std::unique_ptr<uint8_t[]> data;
    const std::string gamePath = base.string() + "\\slot\\b.dat";
    EXPECT_EQ(Zu_Tools::LoadWholeFile(gamePath.c_str(), data), 2u);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[1], 'b');
    EXPECT_EQ(Zu_Tools::LoadWholeFile((base.string() + "/missing").c_str(), data), 0u);
    EXPECT_EQ(data, nullptr);

    // Plain files and folders go; the dot folder stays, so its parent stays too.
    EXPECT_EQ(Zu_Tools::DeleteTree((base / "slot").string().c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(base / "slot" / "a.dat"));
    EXPECT_FALSE(std::filesystem::exists(base / "slot" / "inner"));
    EXPECT_TRUE(std::filesystem::exists(base / "slot" / ".hidden" / "d.dat"));
    std::filesystem::remove_all(base / "slot" / ".hidden");
    testsupport::TempFolder::Write(base / "slot" / "e.dat", "e");
    EXPECT_EQ(Zu_Tools::DeleteTree((base / "slot").string().c_str()), 1);
    EXPECT_FALSE(std::filesystem::exists(base / "slot"));
}

} // namespace

namespace {

TEST(Tools, GameNamesInTheWorkingFolderAreFoundWhateverTheirCase) {
    testsupport::TempFolder folder;
    std::filesystem::create_directories(folder.path() / "Save" / "Slot1");
    testsupport::TempFolder::Write(folder.path() / "Save" / "Slot1" / "Data.BIN", "xyz");
    std::unique_ptr<uint8_t[]> data;
    EXPECT_EQ(Zu_Tools::LoadWholeFile("save\\slot1\\data.bin", data), 3u);
    Zu_ErrorList list;
    EXPECT_EQ(Zu_Tools::ListFiles("SAVE", "slot1", list), 1);
    EXPECT_STREQ(list.GetFirst()->fileText.get(), "SAVE\\slot1\\Data.BIN");
}

} // namespace

TEST(Tools, ResolveHostWritesTheDottedAddressOrFails) {
    char out[16];
    ASSERT_EQ(Zu_Tools::ResolveHost("127.0.0.1", out, sizeof out), 1);
    EXPECT_STREQ(out, "127.0.0.1");
    char tiny[4] = "xyz";
    EXPECT_EQ(Zu_Tools::ResolveHost("127.0.0.1", tiny, sizeof tiny), 0); // does not fit
    EXPECT_STREQ(tiny, "xyz");
    EXPECT_EQ(Zu_Tools::ResolveHost("", out, sizeof out), 0);
    // Names come from the hosts file only: a test never asks a name server.
    ASSERT_EQ(Zu_Tools::ResolveHost("localhost", out, sizeof out), 1);
    EXPECT_EQ(std::string(out).rfind("127.", 0), 0u);
}

// The counterpart of a shell link: a desktop entry that starts the target in its folder, its name
// in UTF-8, the path quoted and escaped; inside the game folder and at a path outside it.
TEST(Tools, CreateShortcutWritesADesktopEntry) {
    testsupport::TempFolder folder;
    std::filesystem::create_directories("bin 1");
    const std::string program = (folder.path() / "bin 1" / "Kar$dol").string();
    const std::string expected = "[Desktop Entry]\nType=Application\nName=\xE4\xB8\x89\xE5\x9C\x8B\n"
                                 "Comment=\xE4\xB8\x89\xE5\x9C\x8B\nExec=\"" +
                                 folder.str() + "/bin 1/Kar\\\\$dol\"\nPath=" + folder.str() + "/bin 1\n";
    // "三國"
    EXPECT_EQ(Zu_Tools::CreateShortcut("bin 1\\Kar$dol", "\xA4\x54\xB0\xEA", "Kardol.desktop"), 1);
    EXPECT_EQ(testsupport::TempFolder::Read("Kardol.desktop"), expected);
    testsupport::TempFolder elsewhere(testsupport::TempFolder::Stay);
    const std::string outside = (elsewhere.path() / "Kardol.desktop").string();
    EXPECT_EQ(Zu_Tools::CreateShortcut(program.c_str(), "\xA4\x54\xB0\xEA", outside.c_str()), 1);
    EXPECT_EQ(testsupport::TempFolder::Read(outside), expected);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(elsewhere.path()), {}), 1)
        << "no temporary left";
    EXPECT_EQ(
        Zu_Tools::CreateShortcut(program.c_str(), "x", (folder.str() + "/no/such/folder/x.desktop").c_str()),
        0);
    EXPECT_EQ(Zu_Tools::CreateShortcut("", "x", "x.desktop"), 0);
}
