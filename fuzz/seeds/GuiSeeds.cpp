// Seeds of the ".gui" window layout reader, read back on a headless display.
#include "SeedCorpus.h"

#include "engine/GameFileWriters.h"
#include "fuzz/seeds/builders/TestDisplay.h"
#include "gui/GuiLayout.h"

void WriteGuiSeeds(SeedCorpus& corpus) {
    using gamefiles::LayoutWriter;
    TestDisplay display(565);
    corpus.Check(display.ok, "guilayout", "-", "no headless display");
    LayoutWriter endOnly;
    endOnly.End();
    LayoutWriter small;
    small.Block(0, 1).Element(10, 10, 42, 34, 32, 24, 0, 0x3B3F);
    small.Block(1, 1);
    for (int n = 0; n < 4; ++n)
        small.Element(2, 2, 10, 8, 8, 6, 7, uint16_t(0x0700 * (n + 1)));
    small.Block(2, 2).Element(2, 10, 30, 14, 0, 0, 100).Element(2, 15, 30, 22, 0, 0, 150);
    small.Block(3, 1).Element(24, 2, 30, 22, 6, 20, 0, 0x52AA);
    small.Block(4, 1).Element(12, 2, 18, 8);
    small.Block(5, 1).Element(0, 0, 4, 4);
    small.Block(6, 1);
    for (int n = 0; n < 4; ++n)
        small.Element(2, 16, 22, 22, 20, 6, 9, uint16_t(0x8000 >> n));
    small.End();
    LayoutWriter odd;
    odd.Block(7, 2).Block(2, 1).Element(-5, -5, 5, 5, 2, 1, 150).Block(2, 1).Element(0, 0, 1, 1).End();
    // Each seed reads back with the elements it was written with.
    const struct {
        const char* name;
        const LayoutWriter& writer;
        int elements;
        int firstWidth; // 0: no first picture to look at
    } seeds[] = {{"end", endOnly, 0, 0}, {"window", small, 14, 32}, {"repeated-kinds", odd, 2, 0}};
    for (const auto& seed : seeds) {
        corpus.Write("guilayout", seed.name, seed.writer.Bytes());
        GuiLayout layout(corpus.Scratch("seed.gui", seed.writer.Bytes()).c_str());
        int read = 0;
        for (const GuiImage* e : layout.elements)
            read += e != nullptr;
        corpus.Check(read == seed.elements, "guilayout", seed.name, "not every element is read");
        if (seed.firstWidth > 0)
            corpus.Check(layout.elements[0] && layout.elements[0]->width == seed.firstWidth, "guilayout",
                         seed.name, "the first picture is not read at its size");
    }
}
