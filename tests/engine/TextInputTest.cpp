#include "engine/Tools.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kOn = Zu_Tools::kInputOn;
constexpr uint32_t kDigits = Zu_Tools::kDigitsOnly;
constexpr uint32_t kEnter = Zu_Tools::kEnterPressed;
constexpr uint32_t kEsc = Zu_Tools::kEscapePressed;

// Big5 texts used below: "\xA4\xA4" is 中, "\xA4\x40" is 一 (its trail byte is '@'), "\xA5\xA1"
// is 冊.
struct InputCase {
    const char* name;
    std::string initial;
    int32_t capacity;
    uint32_t flags;
    std::vector<std::string> feeds; // one FeedChars call each
    std::string text;
    uint32_t flagsAfter;
    int lastResult;
};

const std::string k34(34, 'x');
const std::string k33(33, 'x');
const std::string k35(35, 'x');

const std::vector<InputCase> kCases = {
    // Backspace removes the whole last character, found by walking from the start.
    {"BackspaceBig5", "\xA4\xA4", 36, kOn, {"\b"}, "", kOn, 1},
    {"BackspaceAscii", "ab", 36, kOn, {"\b"}, "a", kOn, 1},
    {"BackspaceLetterAfterBig5",
     "\xA4\xA4"
     "a",
     36,
     kOn,
     {"\b"},
     "\xA4\xA4",
     kOn,
     1},
    {"BackspaceBig5WithAsciiTrail", "a\xA4\x40", 36, kOn, {"\b"}, "a", kOn, 1},
    {"BackspaceLetterAfterAsciiTrail",
     "\xA4\x40"
     "b",
     36,
     kOn,
     {"\b"},
     "\xA4\x40",
     kOn,
     1},
    {"BackspaceSecondOfTwoBig5", "\xA4\xA4\xA5\xA1", 36, kOn, {"\b"}, "\xA4\xA4", kOn, 1},
    {"BackspaceTrailThatLooksLikeLead",
     "\xA4\xA4\xA5\xA1"
     "c",
     36,
     kOn,
     {"\b", "\b"},
     "\xA4\xA4",
     kOn,
     1},
    {"BackspaceLoneLeadByte", "\xA5\xA1\xA4", 36, kOn, {"\b"}, "\xA5\xA1", kOn, 1},
    {"BackspaceOnEmpty", "", 36, kOn, {"\b"}, "", kOn, 1},
    {"BackspaceEndsTheInput", "ab", 36, kOn, {"\bxyz"}, "a", kOn, 1},
    // Typing.
    {"TypesBytes", "", 36, kOn, {"a", "b", "c"}, "abc", kOn, 1},
    {"InputOffTakesOnlyEnter", "", 36, 0, {"a", "\r"}, "", kEnter, 0},
    {"DigitsOnly", "", 36, kOn | kDigits, {"a", "1", "b", "2"}, "12", kOn | kDigits, 1},
    {"ThirtySixthByteIsRefused", k35, 36, kOn, {"y"}, k35, kOn, 1},
    {"CapacityAboveTheFieldStillStopsAt35", k34, 99, kOn, {"yz"}, k34 + "y", kOn, 1},
    {"AmpersandAndParenAreText", "", 36, kOn, {"&", "("}, "&(", kOn, 1},
    {"EscapeStopsTheInput",
     "",
     36,
     kOn,
     {"a\x1b"
      "b"},
     "a",
     kOn | kEsc,
     1},
    {"EnterStopsTheInput", "", 36, kOn, {"ab\rcd"}, "ab", kOn | kEnter, 1},
    {"Big5InTwoCalls", "", 36, kOn, {"\xA4", "\x40"}, "\xA4\x40", kOn, 1},
    // A double-byte character goes in whole or not at all.
    {"Big5FitsExactly", k33, 36, kOn, {"\xA4", "\xA4"}, k33 + "\xA4\xA4", kOn, 1},
    {"Big5AtTheLimitIsDropped", k34, 36, kOn, {"\xA4", "\xA4"}, k34, kOn, 1},
    {"AsciiTrailOfADroppedLeadIsDropped", k34, 36, kOn, {"\xA4", "\x40", "z"}, k34 + "z", kOn, 1},
    {"Big5InOneCallAtTheLimit", k34, 36, kOn, {"\xA4\xA4z"}, k34 + "z", kOn, 1},
    {"EnterAfterADroppedLeadCounts", k34, 36, kOn, {"\xA4", "\r"}, k34, kOn | kEnter, 1},
    {"ShortField", "1234567", 8, kOn, {"\xA4", "\xA4"}, "1234567", kOn, 1},
    {"ShortFieldFilled", "123456", 8, kOn, {"\xA4", "\xA4", "9"}, "123456\xA4\xA4", kOn, 1},
};

void PrintTo(const InputCase& c, std::ostream* os) {
    *os << c.name;
}

class TextInput : public testing::TestWithParam<InputCase> {};

TEST_P(TextInput, FeedsTheAttachedField) {
    const InputCase& c = GetParam();
    char field[40];
    std::memset(field, 'Z', sizeof field);
    std::memcpy(field, c.initial.c_str(), c.initial.size() + 1);

    Zu_Tools tools;
    EXPECT_EQ(tools.AttachBuffer(field, c.capacity, c.flags), 1);
    EXPECT_EQ(tools.GetLength(), static_cast<int32_t>(c.initial.size()));
    int result = -1;
    for (const std::string& feed : c.feeds)
        result = tools.FeedChars(feed.data(), static_cast<int>(feed.size()));

    EXPECT_EQ(result, c.lastResult);
    EXPECT_EQ(std::string(field), c.text);
    EXPECT_EQ(tools.GetLength(), static_cast<int32_t>(c.text.size()));
    EXPECT_EQ(tools.GetFlags(), c.flagsAfter);
    if (c.lastResult == 1) {
        EXPECT_EQ(field[35], 0);
    }
    for (int i = 36; i < 40; ++i)
        EXPECT_EQ(field[i], 'Z') << "wrote past the field at " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, TextInput, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<InputCase>& info) { return info.param.name; });

TEST(TextInputKeys, ArrowsHaveTheirOwnEntryAndOwnersClearTheBits) {
    char field[36] = "ab";
    Zu_Tools tools;
    tools.AttachBuffer(field, 36, Zu_Tools::kInputOn);
    EXPECT_EQ(tools.FeedArrowKey(Zu_Tools::kKeyUp), 1);
    EXPECT_EQ(tools.FeedArrowKey(Zu_Tools::kKeyDown), 1);
    EXPECT_EQ(tools.FeedArrowKey(0x25), 0); // Left is not the input's
    EXPECT_EQ(tools.GetFlags(), Zu_Tools::kInputOn | Zu_Tools::kUpPressed | Zu_Tools::kDownPressed);
    EXPECT_STREQ(field, "ab");
    tools.ToggleFlags(Zu_Tools::kUpPressed | Zu_Tools::kDownPressed);
    EXPECT_EQ(tools.GetIMEFlag(), Zu_Tools::kInputOn);

    // Detached: the keys go on to the game, Enter is still noticed.
    EXPECT_EQ(tools.AttachBuffer(nullptr, 0, 0), 1);
    EXPECT_EQ(tools.FeedArrowKey(Zu_Tools::kKeyUp), 0);
    EXPECT_EQ(tools.FeedChars("\r", 1), 0);
    EXPECT_EQ(tools.GetFlags(), Zu_Tools::kEnterPressed);
    EXPECT_EQ(tools.FeedChars("x", 1), 0);
}

TEST(TextInputKeys, AttachingAnUnterminatedFieldTakesAtMost35Bytes) {
    char field[36];
    std::memset(field, 'q', sizeof field);
    Zu_Tools tools;
    tools.AttachBuffer(field, 36, Zu_Tools::kInputOn);
    EXPECT_EQ(tools.GetLength(), 35);
    EXPECT_EQ(tools.FeedChars("\b", 1), 1);
    EXPECT_EQ(tools.GetLength(), 34);
    EXPECT_EQ(field[34], 0);
    EXPECT_EQ(field[35], 0);
}

TEST(TextInputKeys, TheGlobalObjectKeepsThePictureHeader) {
    Zu_Tools& tools = Zu_Tools::Global();
    EXPECT_EQ(&tools, &Zu_Tools::Global());
    EXPECT_EQ(sizeof tools.pictureHeader, 16u);
    tools.pictureHeader[15] = 0x5A;
    EXPECT_EQ(Zu_Tools::Global().pictureHeader[15], 0x5A);
}

} // namespace
