#pragma once

#include "platform/Files.h"

#include <cstdint>
#include <string>

struct AniFrame;

// The name of a skill animation: the file in the folder ".\skill\".
std::string SkillAnimationPath(const char* fileName);

// Reads the frames of an open ".ani" file one at a time, in file order, each frame sized by its
// own header; frames may be skipped without being kept.
class AniFrameStream {
public:
    // Opens the file and reads its header; a missing or short file gives a stream with no frames.
    explicit AniFrameStream(const char* fileName);
    ~AniFrameStream();
    AniFrameStream(const AniFrameStream&) = delete;
    AniFrameStream& operator=(const AniFrameStream&) = delete;

    bool IsOpen() const { return file != platform::HFILE_ERROR; }
    // The frame count the header gives.
    uint32_t FrameCount() const { return count; }
    // Passes over n frames; false once a frame header cannot be read or is out of range.
    bool Skip(uint32_t n);
    // The next frame (the caller frees it with FreeAniFrame), or null at the end or on damage.
    AniFrame* Next();

private:
    // Reads the next frame header and leaves the file at its pixels; false at the end.
    bool ReadHeader(int32_t (&header)[4]);

    platform::HFILE file = platform::HFILE_ERROR;
    uint32_t count = 0;
    uint32_t read = 0;
};
