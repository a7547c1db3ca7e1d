#pragma once

// The description tooltip; its first word is the object it describes.
struct InfoText {
    void* currentObject = nullptr;
};

extern InfoText TheInfoText;
