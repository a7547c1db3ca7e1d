#include "gui/GuiLayout.h"

#include "engine/ByteReader.h"
#include "engine/LinkList.h"
#include "platform/Files.h"

#include <vector>

// Reads the background record: the first block of kind 0 and its first element.
GuiLayout::GuiLayout(const char* fileName) : name(fileName ? fileName : "") {
    platform::HFILE f = platform::_lopen(name.c_str(), platform::OF_READ);
    if (f == platform::HFILE_ERROR) return;
    // The background record sits in the first block; its head is all this needs.
    std::vector<uint8_t> bytes(8 + 28);
    const uint32_t got = platform::_lread(f, bytes.data(), static_cast<uint32_t>(bytes.size()));
    platform::_lclose(f);
    bytes.resize(got == static_cast<uint32_t>(platform::HFILE_ERROR) ? 0 : got);
    ByteReader r(bytes.data(), bytes.size());
    while (r.has(8)) {
        const uint32_t kind = r.u32();
        const uint32_t count = r.u32();
        if (kind == 0xFFFFFFFFu) break;
        if (kind == 0 && count > 0 && r.has(28)) {
            background.left = static_cast<int16_t>(r.u32());
            background.top = static_cast<int16_t>(r.u32());
            background.right = static_cast<int16_t>(r.u32());
            background.bottom = static_cast<int16_t>(r.u32());
            background.width = static_cast<int16_t>(r.u32());
            background.height = static_cast<int16_t>(r.u32());
            background.value = static_cast<int16_t>(r.u32());
            hasBackground = true;
        }
        break;
    }
}

LinkList* GuiLayout::CreateControls(GuiPanel*, Window*) {
    return new LinkList;
}
