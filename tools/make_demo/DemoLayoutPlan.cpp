#include "DemoLayoutPlan.h"

namespace demolayout {

using gamefiles::Bytes;
using gamefiles::LayoutBox;

const uint16_t kGold = Rgb565(230, 190, 90);
const uint16_t kCaption = Rgb565(250, 230, 180);
const uint16_t kFace = Rgb565(120, 70, 40);
const uint16_t kWell = Rgb565(18, 16, 24);

LayoutBox Box(int x, int y, int w, int h) {
    return {x, y, x + w, y + h};
}

Plan::Plan(const LayoutBox& f, const std::string& title) : frame(f), back(f.Width(), f.Height()) {
    back.Gradient(Rgb565(40, 32, 60), Rgb565(60, 30, 24));
    back.Frame(0, 0, back.width, back.height, 2, kGold);
    if (!title.empty()) back.CentredText(0, 6, back.width, 24, title, 2, kGold);
}

std::vector<DemoPicture> Plan::Faces(const Captioned& b, uint16_t colour) const {
    std::vector<DemoPicture> out;
    int face = 0;
    for (const std::vector<uint16_t>& pixels :
         gamefiles::ButtonFaces(b.box.Width(), b.box.Height(), colour)) {
        DemoPicture p(b.box.Width(), b.box.Height());
        p.pixels = pixels;
        const int shift = face == 1 ? 1 : 0;
        const int scale = b.box.Height() >= 30 && DemoPicture::TextWidth(b.caption, 2) < p.width - 8 ? 2 : 1;
        if (!b.caption.empty())
            p.CentredText(shift, shift, p.width + shift, p.height + shift, b.caption, scale,
                          face == 3 ? Rgb565(60, 60, 60) : kCaption);
        out.push_back(p);
        ++face;
    }
    return out;
}

Bytes Plan::Build() {
    for (const LayoutBox& l : labels)
        back.Fill(l.left, l.top, l.right, l.bottom, kWell);
    // Buttons draw their pictures only when their state changes: the background shows them
    // at rest.
    for (const auto* set : {&buttons, &textButtons, &plain})
        for (const Captioned& b : *set)
            back.Paste(Faces(b, set == &textButtons ? Rgb565(30, 30, 50) : kFace)[0], b.box.left, b.box.top);
    gamefiles::LayoutWriter w;
    w.Block(0, 1).ElementPixels(frame.left, frame.top, frame.right, frame.bottom, back.width, back.height, 0,
                                back.pixels);
    auto faces = [&](uint32_t kind, const std::vector<Captioned>& set, uint16_t colour) {
        if (set.empty()) return;
        w.Block(kind, uint32_t(set.size()));
        for (const Captioned& b : set)
            for (const DemoPicture& p : Faces(b, colour))
                w.ElementPixels(b.box.left, b.box.top, b.box.right, b.box.bottom, p.width, p.height, 0,
                                p.pixels);
    };
    faces(1, buttons, kFace);
    faces(6, textButtons, Rgb565(30, 30, 50));
    if (!labels.empty()) {
        w.Block(2, uint32_t(labels.size()));
        for (const LayoutBox& l : labels)
            w.ElementPixels(l.left, l.top, l.right, l.bottom, l.Width(), l.Height(), 150,
                            std::vector<uint16_t>(size_t(l.Width()) * l.Height(), kWell));
    }
    if (!bars.empty()) {
        w.Block(3, uint32_t(bars.size()));
        for (const LayoutBox& b : bars)
            w.ElementPixels(b.left, b.top, b.right, b.bottom, b.Width(), b.Height(), 0,
                            std::vector<uint16_t>(size_t(b.Width()) * b.Height(), Rgb565(50, 44, 60)));
    }
    if (!plain.empty()) {
        w.Block(5, uint32_t(plain.size()));
        for (const Captioned& b : plain)
            w.Element(b.box.left, b.box.top, b.box.right, b.box.bottom);
    }
    w.End();
    return w.Bytes();
}

} // namespace demolayout
