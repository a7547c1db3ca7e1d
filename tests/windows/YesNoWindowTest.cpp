#include "MainPanelFixture.h"

#include "windows/main/YesNoWindow.h"

#include <string>

using screentest::ControlById;

TEST_F(MainPanelFixture, TheQuestionIsLaidOutByItsLengthInRowsOf32Bytes) {
    const std::string hundred(100, 'x');
    struct Case {
        std::string text;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {std::string(35, 'a'), {"", std::string(35, 'a'), ""}},
        {std::string(32, 'a') + "bbbb", {"", std::string(32, 'a'), "bbbb"}},
        {std::string(63, 'c'), {"", std::string(32, 'c'), std::string(31, 'c')}},
        {hundred, {std::string(32, 'x'), std::string(32, 'x'), std::string(32, 'x')}},
        // A Big5 pair across byte 32 is cut where it lies: "要" is \xad\x6e.
        {std::string(31, 'd') + "\xad\x6e" + std::string(10, 'e'),
         {"", std::string(31, 'd') + "\xad", "\x6e" + std::string(10, 'e')}},
    };
    AnswerLog owner;
    for (const Case& k : cases) {
        auto* q = new YesNoWindow(TheRootWidget, &owner, k.text.c_str());
        for (int r = 0; r < 3; ++r)
            EXPECT_EQ(LabelText(q->controls, 0x200 + r), k.rows[size_t(r)]) << k.text.size() << " row " << r;
        EXPECT_EQ(q->rows[1].size, 20);
        EXPECT_EQ(q->rows[1].face, 1);
        q->Close(1);
        FlushDeferredDeletes();
    }
}

TEST_F(MainPanelFixture, YesAndNoAnswerTheOwnerByClickAndTheWindowStaysOpen) {
    AnswerLog owner;
    auto* q = new YesNoWindow(TheRootWidget, &owner, "Q");
    ClickControl(ControlById(q->controls, 0x100));
    ClickControl(ControlById(q->controls, 0x101));
    EXPECT_EQ(owner.heard, (std::vector<std::pair<Window*, int>>{{q, 0}, {q, 1}}));
    EXPECT_NE(q->panel, nullptr);
    q->Close(1);
    FlushDeferredDeletes();
}
