#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

// The help lines the tooltip window shows by number, from "HelpMessage.txt".
class HelpTexts {
public:
    static constexpr int kSlots = 77;

    // Empties every slot, then fills them from the file's bytes (text mode already applied).
    void Parse(std::span<const uint8_t> bytes);
    // Empties every slot and reads the file, a game name in the working folder. False when the
    // file could not be opened (the slots stay empty).
    bool Load(const std::string& path = "HelpMessage.txt");
    void Clear();

    // Help text n, or null for an empty slot or a number out of range.
    const char* Text(int n) const;
    int Count() const;

private:
    std::array<std::optional<std::string>, kSlots> slots_;
};

// The program's help table.
HelpTexts& GameHelpTexts();
void LoadHelpMessages();
