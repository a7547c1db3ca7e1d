#include "platform/MediaFileName.h"
#include "platform/Mmio.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using testsupport::TempFolder;

using namespace platform;

namespace {

// Enters a sub-folder of the current one for the object's life.
class EnteredSubFolder {
public:
    explicit EnteredSubFolder(const std::string& name) : previous_(std::filesystem::current_path()) {
        std::filesystem::create_directories(name);
        std::filesystem::current_path(name);
    }
    ~EnteredSubFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

TEST(MediaFileName, NamesFromTheGameStayInsideTheWorkingFolder) {
    TempFolder outer;
    TempFolder::Write("secret.wav", "RIFF");
    TempFolder::Write("game/Sound/Hit.WAV", "RIFF");
    EnteredSubFolder game("game");

    EXPECT_EQ(ResolveMediaFileName("sound\\hit.wav"), "Sound/Hit.WAV");
    for (const char* name : {"..\\secret.wav", "../secret.wav", "Sound\\..\\..\\secret.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(std::filesystem::exists(ResolveMediaFileName(name)));
        HMMIO h = mmioOpen(name, nullptr, MMIO_READ);
        EXPECT_EQ(h, nullptr);
        if (h) mmioClose(h, 0);
    }
}

} // namespace
