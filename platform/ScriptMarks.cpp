#include "platform/ScriptMarks.h"

#include <cstring>

namespace platform {

namespace {

// A handful of names, each a string literal of the game: a fixed table, nothing allocated.
struct Mark {
    const char* name = nullptr;
    int value = -1;
};
Mark marks[16];

Mark* Find(const char* name, bool add) {
    for (Mark& m : marks) {
        if (m.name && std::strcmp(m.name, name) == 0) return &m;
        if (!m.name) {
            if (!add) return nullptr;
            m.name = name;
            return &m;
        }
    }
    return nullptr;
}

} // namespace

void SetScriptMark(const char* name, int value) {
    if (Mark* m = Find(name, true)) m->value = value;
}

int ScriptMark(const char* name) {
    const Mark* m = Find(name, false);
    return m ? m->value : -1;
}

} // namespace platform
