#pragma once

// The Big5 text font that draws on surfaces.
class Big5BitmapFont {
public:
    Big5BitmapFont() = default;
    virtual ~Big5BitmapFont() = default;
};
