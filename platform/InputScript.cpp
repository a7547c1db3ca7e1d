#include "platform/InputScript.h"

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

bool ReadPoint(const std::string& args, InputStep& step) {
    int used = 0;
    return std::sscanf(args.c_str(), "%d,%d%n", &step.x, &step.y, &used) == 2 && args[size_t(used)] == 0 &&
           step.x >= 0 && step.y >= 0;
}

bool ReadStep(const std::string& text, InputStep& step) {
    // An await needs no count of its own: it waits for its mark.
    if (text.rfind("await ", 0) == 0) return ReadStep("0:" + text, step);
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    unsigned long long count = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%llu%n", &count, &used) != 1 || text[0] < '0' || text[0] > '9')
        return false;
    step.inMilliseconds =
        text.compare(size_t(used), colon - size_t(used), "ms") == 0 && colon == size_t(used) + 2;
    if (size_t(used) != colon && !step.inMilliseconds) return false;
    step.after = count;
    const std::string rest = text.substr(colon + 1);
    if (rest == "close") {
        step.kind = InputStep::Close;
        return true;
    }
    const size_t blank = rest.find(' ');
    if (blank == std::string::npos) return false;
    const std::string action = rest.substr(0, blank);
    const std::string args = rest.substr(blank + 1);
    if (action == "move" || action == "click" || action == "rclick") {
        step.kind = action == "move"    ? InputStep::Move
                    : action == "click" ? InputStep::Click
                                        : InputStep::RightClick;
        return ReadPoint(args, step);
    }
    if (action == "key") {
        step.kind = InputStep::Key;
        static const struct {
            const char* prefix;
            int bit;
        } kModifiers[] = {{"ctrl+", InputStep::Ctrl}, {"shift+", InputStep::Shift}, {"alt+", InputStep::Alt}};
        size_t at = 0;
        for (bool found = true; found;) {
            found = false;
            for (const auto& m : kModifiers)
                if (args.compare(at, std::strlen(m.prefix), m.prefix) == 0 && !(step.modifiers & m.bit)) {
                    step.modifiers |= m.bit;
                    at += std::strlen(m.prefix);
                    found = true;
                }
        }
        const std::string code = args.substr(at);
        return !code.empty() && code[0] >= '0' && code[0] <= '9' &&
               std::sscanf(code.c_str(), "%d%n", &step.key, &used) == 1 && code[size_t(used)] == 0 &&
               step.key > 0 && step.key < 256;
    }
    if (action == "await") {
        step.kind = InputStep::Await;
        const size_t equals = args.find('=');
        if (equals == std::string::npos || equals == 0) return false;
        step.text = args.substr(0, equals);
        const std::string value = args.substr(equals + 1);
        return !value.empty() && ((value[0] >= '0' && value[0] <= '9') || value[0] == '-') &&
               std::sscanf(value.c_str(), "%d%n", &step.key, &used) == 1 && value[size_t(used)] == 0;
    }
    if (action == "text") {
        step.kind = InputStep::Text;
        step.text = args;
        return !args.empty();
    }
    return false;
}

} // namespace

std::optional<std::vector<InputStep>> ReadInputScript(const char* text) {
    if (!text || !*text) return std::nullopt;
    std::vector<InputStep> steps;
    const std::string all(text);
    size_t at = 0;
    while (at <= all.size()) {
        size_t end = all.find(';', at);
        if (end == std::string::npos) end = all.size();
        InputStep step;
        if (!ReadStep(all.substr(at, end - at), step)) return std::nullopt;
        for (auto it = steps.rbegin(); it != steps.rend() && it->kind != InputStep::Await; ++it)
            if (it->inMilliseconds == step.inMilliseconds) {
                if (step.after < it->after) return std::nullopt;
                break;
            }
        steps.push_back(step);
        at = end + 1;
    }
    return steps;
}

} // namespace platform
