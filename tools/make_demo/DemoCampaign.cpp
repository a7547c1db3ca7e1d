#include "DemoCampaign.h"

#include "DemoPictures.h"
#include "DemoStage.h"
#include "engine/GameFileWriters.h"
#include "records/AgeTable.h"
#include "records/ItemRecord.h"
#include "records/SkillRecord.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using gamefiles::Bytes;
using gamefiles::LayoutBox;

constexpr int kCampaignStage = 23;
constexpr const char* kChosenGeneral = "Zhao Feng";
constexpr int kLabelText = 150, kLabelPicture = 200;

const uint16_t kFace = Rgb565(90, 60, 40);
const uint16_t kGold = Rgb565(230, 190, 90);
const uint16_t kInk = Rgb565(250, 230, 180);

LayoutBox Box(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

struct Button {
    LayoutBox box;
    std::string caption;
};

// A layout of a background, captioned buttons (0x100 + n), labels (0x200 + n, with their draw
// mode) and scroll bars (0x300 + n).
Bytes PanelLayout(LayoutBox frame, DemoPicture back, const std::vector<Button>& buttons,
                  const std::vector<std::pair<LayoutBox, int>>& labels, const std::vector<LayoutBox>& bars) {
    // The background carries every button's normal face: a button draws itself only when its state
    // changes.
    for (const Button& b : buttons) {
        // The preparation's enter-at-once button starts hidden: it shows only its own faces.
        if (b.caption == "ENTER") continue;
        DemoPicture face(b.box.Width(), b.box.Height());
        face.pixels = gamefiles::ButtonFaces(b.box.Width(), b.box.Height(), kFace)[0];
        face.CentredText(0, 0, face.width, face.height, b.caption, 1, kInk);
        back.Paste(face, b.box.left, b.box.top);
    }
    gamefiles::LayoutWriter w;
    w.Block(0, 1).ElementPixels(frame.left, frame.top, frame.right, frame.bottom, back.width, back.height, 0,
                                back.pixels);
    w.Block(1, uint32_t(buttons.size()));
    for (const Button& b : buttons) {
        int face = 0;
        for (const std::vector<uint16_t>& pixels :
             gamefiles::ButtonFaces(b.box.Width(), b.box.Height(), kFace)) {
            DemoPicture p(b.box.Width(), b.box.Height());
            p.pixels = pixels;
            p.CentredText(0, 0, p.width, p.height, b.caption, 1, face == 3 ? Rgb565(70, 70, 70) : kInk);
            w.ElementPixels(b.box.left, b.box.top, b.box.right, b.box.bottom, p.width, p.height, 0, p.pixels);
            ++face;
        }
    }
    w.Block(2, uint32_t(labels.size()));
    for (const auto& [l, mode] : labels)
        w.Element(l.left, l.top, l.right, l.bottom, 0, 0, mode);
    if (!bars.empty()) {
        w.Block(3, uint32_t(bars.size()));
        for (const LayoutBox& b : bars)
            w.Solid(b.left, b.top, b.right, b.bottom, Rgb565(40, 40, 60));
    }
    w.End();
    return w.Bytes();
}

// The preparation window: the whole screen, the age's titles along the top, the briefing and the
// counts on the right with the five buttons.
Bytes PreparationLayout() {
    DemoPicture back(800, 600);
    back.Gradient(Rgb565(30, 40, 30), Rgb565(60, 50, 30));
    back.Frame(0, 0, 800, 600, 3, kGold);
    back.Fill(630, 270, 790, 420, Rgb565(20, 20, 24));
    back.Text(640, 250, "BRIEFING", 1, kGold);
    back.Text(640, 364, "CHOSEN  CAMP", 1, kGold);
    const std::vector<Button> buttons = {{Box(630, 60, 160, 36), "GENERALS"},
                                         {Box(630, 110, 160, 36), "STOCK"},
                                         {Box(630, 160, 160, 36), "ITEMS"},
                                         {Box(630, 470, 160, 44), "READY"},
                                         {Box(630, 530, 160, 36), "ENTER"}};
    const std::vector<std::pair<LayoutBox, int>> labels = {
        {Box(16, 8, 180, 28), kLabelText},    {Box(200, 8, 180, 28), kLabelText},
        {Box(384, 8, 240, 28), kLabelText},   {Box(636, 276, 150, 20), kLabelText},
        {Box(636, 298, 150, 20), kLabelText}, {Box(636, 320, 150, 20), kLabelText},
        {Box(636, 342, 150, 20), kLabelText}, {Box(636, 380, 70, 28), kLabelText},
        {Box(716, 380, 70, 28), kLabelText}};
    return PanelLayout({0, 0, 800, 600}, back, buttons, labels, {});
}

// The troop list beside the unit panel: scroll buttons, six row buttons, portraits and row places
// for the "Win12.gui" rows, and the scroll bar.
Bytes TroopListLayout() {
    const LayoutBox frame{300, 300, 620, 560};
    DemoPicture back(frame.Width(), frame.Height());
    back.Gradient(Rgb565(36, 30, 58), Rgb565(58, 30, 24));
    back.Frame(0, 0, back.width, back.height, 2, kGold);
    back.Text(6, 4, "GENERALS", 1, kGold);
    std::vector<Button> buttons = {{Box(292, 16, 18, 18), "U"}};
    for (int r = 0; r < 6; ++r)
        buttons.push_back({Box(40, 38 + 32 * r, 20, 30), ">"});
    buttons.push_back({Box(292, 236, 18, 18), "D"});
    std::vector<std::pair<LayoutBox, int>> labels;
    for (int r = 0; r < 6; ++r) {
        labels.push_back({Box(6, 38 + 32 * r, 30, 30), kLabelPicture});
        labels.push_back({Box(64, 38 + 32 * r, 210, 30), kLabelText});
    }
    return PanelLayout(frame, back, buttons, labels, {Box(294, 38, 14, 194)});
}

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

void Set32(Bytes& b, size_t at, int32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}

void SetText(Bytes& b, size_t at, const char* text) {
    std::memcpy(b.data() + at, text, std::strlen(text));
}

// Two items of level 1 the camp's merchant can offer, then the profile.
Bytes ItemTable() {
    Bytes b;
    Put32(b, 2);
    Put32(b, ItemRecord::kSize);
    const char* names[2] = {"Iron Sword", "Leather Cap"};
    for (int i = 0; i < 2; ++i) {
        Bytes row(ItemRecord::kSize, 0);
        SetText(row, 0, names[i]);
        Set32(row, ItemLayout::kNumber, i + 1);
        Set32(row, ItemLayout::kCategory, i + 1);
        Set32(row, ItemLayout::kPrice, 100);
        Set32(row, ItemLayout::kLevel, 1);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// The skill table holds one empty row: an empty table would end the loading before the items and
// the ages.
Bytes SkillTable() {
    Bytes b;
    Put32(b, 1);
    Put32(b, SkillRecord::kSize);
    b.resize(b.size() + SkillRecord::kSize, 0);
    return b;
}

// The campaign profiles: record k is campaign number 11 + k; only stage 23's is filled. Its camp
// gets 1500 gold, eight spearmen and six archers, and needs two generals.
Bytes AgeTable() {
    constexpr int kRows = kCampaignStage - kFirstAgeEntry + 1;
    Bytes b;
    Put32(b, kRows);
    Put32(b, kAgeBlockBytes);
    for (int k = 0; k < kRows; ++k) {
        Bytes row(kAgeBlockBytes, 0);
        if (k + kFirstAgeEntry == kCampaignStage) {
            SetText(row, 4, "THE RIVER FORTS");
            SetText(row, 36, "ACT II");
            SetText(row, 56, "STAGE 23");
            SetText(row, 76, "CROSS THE RIVER");
            SetText(row, 108, "HOLD THE RED KEEP");
            SetText(row, 140, "SPRING 190");
            Set32(row, 160, 1500);
            Set32(row, 164 + 4 * (416 - 415), 6);
            Set32(row, 164 + 4 * (419 - 415), 8);
            Set32(row, 232, 1); // group 0: two items of level 1
            Set32(row, 236, 2);
            Set32(row, 256, 1); // one iron sword besides
            Set32(row, 260, 1);
            Set32(row, 272, 2);
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

} // namespace

bool WriteDemoCampaign(const std::string& folder, std::string& error) {
    const std::pair<const char*, Bytes> files[] = {
        {"Win80.gui", PreparationLayout()},
        {"Win80_1.gui", TroopListLayout()},
        {"skill.ini", SkillTable()},
        {"item.ini", ItemTable()},
        {"age.ini", AgeTable()},
    };
    for (const auto& [name, bytes] : files)
        if (!gamefiles::WriteBytes((std::filesystem::path(folder) / name).string(), bytes)) {
            error = name;
            return false;
        }
    return WriteDemoStageAs(folder, "stage23", kCampaignStage, kChosenGeneral, error);
}
