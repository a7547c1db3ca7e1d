#pragma once

#include "platform/GdiText.h"

#include <cstdint>
#include <cstring>

// The game's Big5 text fonts all ask for the same kind of face: fixed pitch, stroke precision,
// draft quality; only the height and the face name differ.
inline platform::LOGFONTA Big5FontSpec(int32_t height, const char* face) {
    platform::LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = platform::FW_NORMAL;
    lf.lfCharSet = platform::CHINESEBIG5_CHARSET;
    lf.lfOutPrecision = platform::OUT_STROKE_PRECIS;
    lf.lfClipPrecision = platform::CLIP_STROKE_PRECIS;
    lf.lfQuality = platform::DRAFT_QUALITY;
    lf.lfPitchAndFamily = platform::FIXED_PITCH | platform::FF_MODERN;
    std::strncpy(lf.lfFaceName, face, platform::LF_FACESIZE - 1);
    return lf;
}
