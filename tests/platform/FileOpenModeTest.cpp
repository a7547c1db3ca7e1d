#include "platform/Files.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {
std::string Contents(const char* name) {
    const auto bytes = ReadFileBytes(name);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}
void WriteAt(HFILE f, const char* text) {
    _lwrite(f, text, uint32_t(std::char_traits<char>::length(text)));
}
} // namespace

// Read needs the file; Overwrite writes from the start and keeps the tail (creating a missing
// file); Create empties the file first.
TEST(FileOpenMode, EachModeTreatsAnExistingAndAMissingFileAsItSays) {
    testsupport::TempFolder folder;
    folder.Put("old.bin", {'a', 'b', 'c', 'd', 'e', 'f'});

    EXPECT_EQ(OpenFile("missing.bin", FileOpenMode::Read), HFILE_ERROR);
    const HFILE r = OpenFile("OLD.BIN", FileOpenMode::Read);
    ASSERT_NE(r, HFILE_ERROR);
    _lclose(r);

    HFILE w = OpenFile("old.bin", FileOpenMode::Overwrite);
    ASSERT_NE(w, HFILE_ERROR);
    WriteAt(w, "XY");
    _lclose(w);
    EXPECT_EQ(Contents("old.bin"), "XYcdef");

    w = OpenFile("new.bin", FileOpenMode::Overwrite);
    ASSERT_NE(w, HFILE_ERROR);
    WriteAt(w, "n");
    _lclose(w);
    EXPECT_EQ(Contents("new.bin"), "n");

    w = OpenFile("old.bin", FileOpenMode::Create);
    ASSERT_NE(w, HFILE_ERROR);
    WriteAt(w, "Z");
    _lclose(w);
    EXPECT_EQ(Contents("old.bin"), "Z");

    EXPECT_FALSE(ReadFileBytes("missing.bin"));
    EXPECT_FALSE(ReadFileBytes("old.bin", 0));
    EXPECT_EQ(OpenFile("../escape.bin", FileOpenMode::Create), HFILE_ERROR);
}
