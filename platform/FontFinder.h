#pragma once

#include <optional>
#include <string>

namespace platform {

struct FontFile {
    std::string path;
    int index = 0; // face index inside a collection
    std::string family;
};

// The font file that fontconfig holds for exactly this family, or nothing. fontconfig answers
// every query with some font; a face of another family is not taken.
std::optional<FontFile> FindFontFamily(const std::string& family);

// The face to draw a game font name with ("細明體" and the like, as Big5 or UTF-8 bytes): the game's
// Ming faces map to AR PL UMing TW and its Kai face to AR PL UKai TW; any other name is asked for as
// it is and falls back to the Ming face.
std::optional<FontFile> FindGameFont(const std::string& faceName);

} // namespace platform
