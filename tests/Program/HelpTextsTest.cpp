#include "Program/HelpTexts.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using testsupport::TempFolder;

namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::vector<std::optional<std::string>> Slots(const HelpTexts& h, int n) {
    std::vector<std::optional<std::string>> out;
    for (int i = 0; i < n; ++i)
        out.push_back(h.Text(i) ? std::optional<std::string>(h.Text(i)) : std::nullopt);
    return out;
}

} // namespace

TEST(HelpTexts, LinesFillSlotsInOrder) {
    using S = std::optional<std::string>;
    const std::string big5 =
        "\xB9\x43\xC0\xB8\xB0\xD1\xBC\xC6\xA4\x40\xA4\x47\xA4\x54\xA5\x7C\x31"; // 17 bytes
    struct Case {
        const char* what;
        std::string file;
        std::vector<S> want;
    };
    const Case cases[] = {
        {"leading blanks kept", "  two\n\tTab\n", {S("  two"), S("\tTab"), std::nullopt}},
        {"comments skipped", "#a\n  \t#b\nc\n", {S("c"), std::nullopt}},
        {"empty line takes a slot", "a\n\nb\n", {S("a"), S(""), S("b")}},
        {"blank line is text", "   \nx\n", {S("   "), S("x")}},
        {"last line without line end", "a\nlast", {S("a"), S("last"), std::nullopt}},
        {"CR LF left by a binary read", "a\r\nb\r\n", {S("a"), S("b"), std::nullopt}},
        {"Big5 line", big5 + "\n", {S(big5), std::nullopt}},
        {"long line read whole", std::string(130, 'q') + "\nz\n", {S(std::string(130, 'q')), S("z")}},
        {"hash after text is text", "a # b\n", {S("a # b")}},
    };
    for (const auto& c : cases) {
        HelpTexts h;
        h.Parse(Bytes(c.file));
        EXPECT_EQ(Slots(h, static_cast<int>(c.want.size())), c.want) << c.what;
    }
}

TEST(HelpTexts, StopsAfterTheLastSlotAndClearsBeforeReading) {
    std::string file;
    for (int i = 0; i < 80; ++i)
        file += "line " + std::to_string(i) + "\n";
    HelpTexts h;
    h.Parse(Bytes(file));
    EXPECT_EQ(h.Count(), HelpTexts::kSlots);
    EXPECT_STREQ(h.Text(76), "line 76");
    EXPECT_EQ(h.Text(77), nullptr);
    EXPECT_EQ(h.Text(-1), nullptr);
    h.Parse(Bytes("only\n"));
    EXPECT_EQ(h.Count(), 1);
}

TEST(HelpTexts, LoadsTheFileInTextMode) {
    TempFolder folder;
    HelpTexts h;
    h.Parse(Bytes("stale\n"));
    EXPECT_FALSE(h.Load());
    EXPECT_EQ(h.Count(), 0);
    TempFolder::Write("helpmessage.TXT", "# header\r\n  first\r\n\r\nthird");
    ASSERT_TRUE(h.Load());
    EXPECT_STREQ(h.Text(0), "  first");
    EXPECT_STREQ(h.Text(1), "");
    EXPECT_STREQ(h.Text(2), "third");
    EXPECT_EQ(h.Count(), 3);
}
