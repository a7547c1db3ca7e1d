#pragma once

#include "engine/ScreenSettings.h"
#include "platform/AudioDevice.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

// Sound on the silent backend with its calls recorded, the settings object in place and a folder
// for the sound files.
class NullAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetAudioBackend(platform::AudioBackend::Null);
        platform::TakeAudioCalls();
        TheScreenSettings = &settings;
    }
    void TearDown() override {
        TheScreenSettings = nullptr;
        platform::SetAudioBackend(platform::AudioBackend::Mixer);
    }
    ScreenSettings settings;
    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
};
