#include "platform/Files.h"
#include "support/TempFolder.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

using testsupport::TempFolder;

using namespace platform;

namespace {

struct ResolveCase {
    const char* name;
    const char* expected; // nullptr: refused
};

TEST(Files, ResolvesGameNamesCaseInsensitivelyInsideTheWorkingFolder) {
    TempFolder folder;
    TempFolder::Write("Ani/Weapon.anm", "w");
    TempFolder::Write("ani2/000.ANM", "a");
    TempFolder::Write("Save/X.age", "s");
    TempFolder::Write("track10.MP3", "m");
    TempFolder::Write("Data/Sub/File.TXT", "f");
    TempFolder::Write("\xB3\x5C.txt", "b");  // a Big5 name whose trail byte is a backslash
    TempFolder::Write("\xA4\x41.dat", "b2"); // a Big5 name whose trail byte is an upper-case letter

    const ResolveCase cases[] = {
        {"Ani\\Weapon.anm", "Ani/Weapon.anm"},
        {"ani\\weapon.ANM", "Ani/Weapon.anm"},
        {"ANI2\\000.anm", "ani2/000.ANM"},
        {".\\Save\\x.age", "Save/X.age"},
        {"Track10.Mp3", "track10.MP3"},
        {"data/SUB\\file.txt", "Data/Sub/File.TXT"},
        {"Ani\\\\Weapon.anm", "Ani/Weapon.anm"},
        {"save\\", "Save"},
        {".", "."},
        {"Save\\New.Age", "Save/New.Age"}, // missing: the case given
        {"NoDir\\Deeper\\f.Bin", "NoDir/Deeper/f.Bin"},
        {"\xB3\x5C.TXT", "\xB3\x5C.txt"}, // not split at the trail byte
        {"\xA4\x61.dat", "\xA4\x61.dat"}, // the trail byte is not folded: no match
        {"\xA4\x41.DAT", "\xA4\x41.dat"},
        {"", nullptr},
        {"\\Windows\\x.ini", nullptr},
        {"/etc/passwd", nullptr},
        {"C:\\x.ini", nullptr},
        {"c:x.ini", nullptr},
        {"..\\x", nullptr},
        {"Save\\..\\..\\x", nullptr},
        {"Save/../Save/X.age", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto resolved = ResolvePath(c.name);
        if (c.expected) {
            ASSERT_TRUE(resolved.has_value());
            EXPECT_EQ(*resolved, c.expected);
        } else {
            EXPECT_FALSE(resolved.has_value());
        }
    }
    EXPECT_FALSE(ResolvePath(nullptr).has_value());
}

TEST(Files, HandleCallsFollowTheirResultTable) {
    TempFolder folder;
    TempFolder::Write("Dir/Existing.Bin", "0123456789");
    char buffer[16] = {};
    HFILE h = HFILE_ERROR;
    HFILE r = HFILE_ERROR;

    struct Step {
        const char* what;
        std::function<int64_t()> run;
        int64_t expected;
    };
    const Step steps[] = {
        {"open missing", [&] { return _lopen("Missing.bin", OF_READ); }, HFILE_ERROR},
        {"open refused name", [&] { return _lopen("..\\Dir\\Existing.Bin", OF_READ); }, HFILE_ERROR},
        {"open a folder", [&] { return _lopen("dir", OF_READ); }, HFILE_ERROR},
        {"create refused name", [&] { return _lcreat("\\x.bin", 0); }, HFILE_ERROR},
        {"create", [&] { return (h = _lcreat("dir\\New.Bin", 0)) >= 0; }, 1},
        {"write 5", [&] { return _lwrite(h, "abcde", 5); }, 5},
        {"seek end", [&] { return _llseek(h, 0, FILE_END); }, 5},
        {"seek past the end", [&] { return _llseek(h, 10, FILE_BEGIN); }, 10},
        {"read past the end", [&] { return _lread(h, buffer, 4); }, 0},
        {"seek before the start", [&] { return _llseek(h, -1, FILE_BEGIN); }, HFILE_ERROR},
        {"bad origin", [&] { return _llseek(h, 0, 7); }, HFILE_ERROR},
        {"seek 2", [&] { return _llseek(h, 2, FILE_BEGIN); }, 2},
        {"short read", [&] { return _lread(h, buffer, 10); }, 3},
        {"bytes read", [&] { return std::memcmp(buffer, "cde", 3); }, 0},
        {"seek relative", [&] { return _llseek(h, -4, FILE_CURRENT); }, 1},
        {"write nothing ends the file here", [&] { return _lwrite(h, "", 0); }, 0},
        {"size after the cut", [&] { return _llseek(h, 0, FILE_END); }, 1},
        {"close", [&] { return _lclose(h); }, 0},
        {"close again", [&] { return _lclose(h); }, HFILE_ERROR},
        {"read a closed handle", [&] { return _lread(h, buffer, 1); }, static_cast<uint32_t>(HFILE_ERROR)},
        {"open other case", [&] { return (r = _lopen("DIR\\existing.bin", OF_READ)) >= 0; }, 1},
        {"write to a read handle", [&] { return _lwrite(r, "x", 1); }, static_cast<uint32_t>(HFILE_ERROR)},
        {"whole read", [&] { return _lread(r, buffer, 16); }, 10},
        {"close read handle", [&] { return _lclose(r); }, 0},
        {"open read-write",
         [&] { return (r = _lopen("dir\\existing.bin", OF_READWRITE | OF_SHARE_DENY_NONE)) >= 0; }, 1},
        {"overwrite 2", [&] { return _lwrite(r, "XY", 2); }, 2},
        {"read on", [&] { return _lread(r, buffer, 3); }, 3},
        {"bytes after the overwrite", [&] { return std::memcmp(buffer, "234", 3); }, 0},
        {"close read-write", [&] { return _lclose(r); }, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(step.run(), step.expected);
    }
    EXPECT_EQ(TempFolder::Read("Dir/New.Bin"), "a");
    EXPECT_EQ(TempFolder::Read("Dir/Existing.Bin"), "XY23456789");
}

TEST(Files, TextModeStripsTheCarriageReturnOfLineEnds) {
    TempFolder folder;
    TempFolder::Write("Help.txt", "one\r\ntwo\rthree\r\n\r\n\xA4\x40\r\nlast\r");

    for (const char* mode : {"rt", "r"}) {
        SCOPED_TRACE(mode);
        FILE* f = platform::fopen("HELP.TXT", mode);
        ASSERT_NE(f, nullptr);
        std::vector<std::string> lines;
        char line[128];
        while (std::fgets(line, sizeof line, f))
            lines.push_back(line);
        std::fclose(f);
        const std::vector<std::string> expected = {"one\n", "two\rthree\n", "\n", "\xA4\x40\n", "last\r"};
        EXPECT_EQ(lines, expected);
    }

    FILE* binary = platform::fopen("help.txt", "rb");
    ASSERT_NE(binary, nullptr);
    char bytes[64];
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, binary), 27u);
    std::fclose(binary);

    // A line end split across the stream's buffer refills still loses its CR.
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += "line " + std::to_string(i) + "\r\n";
    TempFolder::Write("Big.txt", big);
    FILE* f = platform::fopen("big.txt", "rt");
    ASSERT_NE(f, nullptr);
    std::string read;
    for (int c; (c = std::fgetc(f)) != EOF;)
        read += static_cast<char>(c);
    std::fclose(f);
    EXPECT_EQ(read.size(), big.size() - 3000);
    EXPECT_EQ(read.find('\r'), std::string::npos);

    EXPECT_EQ(platform::fopen("Missing.txt", "rt"), nullptr);
    EXPECT_EQ(platform::fopen("..\\Help.txt", "rt"), nullptr);
}

TEST(Files, TextModeWritesLineEndsAsCarriageReturnLineFeed) {
    TempFolder folder;
    FILE* f = platform::fopen("Log\\..", "wt");
    EXPECT_EQ(f, nullptr);
    f = platform::fopen("Error.lst", "w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "\n%s,%d", "Archive.cpp", 12);
    std::fclose(f);
    f = platform::fopen("ERROR.LST", "a");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "\nsecond\n");
    std::fclose(f);
    EXPECT_EQ(TempFolder::Read("Error.lst"), "\r\nArchive.cpp,12\r\nsecond\r\n");

    f = platform::fopen("error.lst", "rt");
    ASSERT_NE(f, nullptr);
    char text[64] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text - 1, f), 23u);
    std::fclose(f);
    EXPECT_STREQ(text, "\nArchive.cpp,12\nsecond\n");

    f = platform::fopen("Raw.bin", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("a\nb", f);
    std::fclose(f);
    EXPECT_EQ(TempFolder::Read("Raw.bin"), "a\nb");
}

TEST(Files, FolderAndNameHelpersWorkOnGameNames) {
    TempFolder folder;
    TempFolder::Write("save/Old.age", "old");

    EXPECT_TRUE(FileExists("SAVE\\old.AGE"));
    EXPECT_FALSE(FileExists("save"));
    EXPECT_TRUE(DirectoryExists("Save"));
    EXPECT_FALSE(DirectoryExists("save\\old.age"));
    EXPECT_FALSE(FileExists("..\\save\\old.age"));

    EXPECT_TRUE(CreateDirectory(
        "SAVE\\Slot1")); // the existing folder keeps its case, the new one gets the case given
    EXPECT_TRUE(CreateDirectory("save\\slot1")); // already there
    EXPECT_FALSE(CreateDirectory("Missing\\Deeper"));
    EXPECT_FALSE(CreateDirectory("..\\Outside"));

    EXPECT_TRUE(RenameFile("Save\\OLD.age", "save\\Slot1\\Moved.Age"));
    EXPECT_FALSE(RenameFile("save\\old.age", "save\\x.age"));
    EXPECT_FALSE(RenameFile("save\\slot1\\moved.age", "..\\x.age"));

    const auto entries = ListDirectory("SAVE");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "Slot1");
    EXPECT_TRUE(entries[0].isDirectory);
    const auto inner = ListDirectory("save\\slot1");
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner[0].name, "Moved.Age");
    EXPECT_FALSE(inner[0].isDirectory);
    EXPECT_TRUE(ListDirectory("Nowhere").empty());

    EXPECT_FALSE(RemoveDirectory("save\\slot1")); // not empty
    EXPECT_TRUE(DeleteFile("SAVE\\SLOT1\\moved.age"));
    EXPECT_FALSE(DeleteFile("save\\slot1\\moved.age"));
    EXPECT_FALSE(DeleteFile("save"));
    EXPECT_TRUE(RemoveDirectory("save\\SLOT1"));
    EXPECT_FALSE(DirectoryExists("save\\slot1"));
    EXPECT_FALSE(RemoveDirectory("."));
}

TEST(Files, AtomicWritesReplaceWholeOrLeaveTheOldFile) {
    TempFolder folder;
    TempFolder::Write("Save/Game.Age", "old contents");

    EXPECT_TRUE(WriteFileAtomic("save\\game.age", "new", 3));
    EXPECT_EQ(TempFolder::Read("Save/Game.Age"), "new");
    EXPECT_TRUE(WriteFileAtomic("save\\Fresh.Age", "", 0));
    EXPECT_TRUE(FileExists("Save\\Fresh.Age"));
    EXPECT_FALSE(WriteFileAtomic("Nowhere\\x.age", "x", 1));
    EXPECT_FALSE(WriteFileAtomic("..\\x.age", "x", 1));
    EXPECT_FALSE(WriteFileAtomic("save", "x", 1));

    {
        AtomicFile abandoned("SAVE\\GAME.AGE");
        ASSERT_NE(abandoned.handle(), HFILE_ERROR);
        EXPECT_EQ(_lwrite(abandoned.handle(), "half", 4), 4u);
    }
    EXPECT_EQ(TempFolder::Read("Save/Game.Age"), "new");
    {
        AtomicFile file("save\\game.age");
        ASSERT_NE(file.handle(), HFILE_ERROR);
        EXPECT_EQ(_lwrite(file.handle(), "head", 4), 4u);
        EXPECT_EQ(_lwrite(file.handle(), "+tail", 5), 5u);
        EXPECT_TRUE(file.Commit());
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(TempFolder::Read("Save/Game.Age"), "head+tail");

    // No temporary file is left behind.
    const auto entries = ListDirectory("save");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Fresh.Age");
    EXPECT_EQ(entries[1].name, "Game.Age");
}

} // namespace
