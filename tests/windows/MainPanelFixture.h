#pragma once

#include "../Program/ScreenTestSupport.h"

#include "DemoMainPanel.h"
#include "gui/FontRecord.h"
#include "gui/TextLabel.h"
#include "gui/Window.h"

#include <string>
#include <vector>

// The working set of the front-end screens with the demo folder's main panel layouts in the
// folder, and a window that records the answers it is told.
class MainPanelFixture : public screentest::ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        for (const auto& [name, bytes] : MainPanelLayouts())
            ASSERT_TRUE(gamefiles::WriteBytes(name, bytes));
    }

    struct AnswerLog : Window {
        std::vector<std::pair<Window*, int>> heard;
        void OnNotify(Window* w, int result) override { heard.emplace_back(w, result); }
    };

    // The screen point of the middle of a control.
    static std::pair<int, int> Middle(Widget* w) {
        int x = (w->rect.left + w->rect.right) / 2, y = (w->rect.top + w->rect.bottom) / 2;
        for (Widget* p = w->parent; p; p = p->parent) {
            x += p->rect.left;
            y += p->rect.top;
        }
        return {x, y};
    }
    void ClickControl(Widget* w) {
        ASSERT_NE(w, nullptr);
        const auto [x, y] = Middle(w);
        Click(x, y);
    }
    // The text a label of the list shows, or "" without one.
    static std::string LabelText(LinkList* controls, int id) {
        auto* label = dynamic_cast<TextLabel*>(screentest::ControlById(controls, id));
        return label && label->textRecord && label->textRecord->text ? label->textRecord->text : "";
    }
};
