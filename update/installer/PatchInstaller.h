#pragma once

#include <cstdint>

// The offline patch installer: checks the installation, records where the update client lives,
// writes the carried files into the game folder and sets the new version.
namespace PatchInstaller {

struct PayloadEntry {
    const char* name; // begins with a backslash, relative to the game folder
    uint32_t resourceId;
};

constexpr int kPayloadCount = 12;
extern const PayloadEntry kPayload[kPayloadCount];

extern const char kVersion[]; // "2.02T"
extern const char kCaption[]; // caption of every message box
extern const char kNotInstalled[];
extern const char kSourceError[];
extern const char kTargetError[];

// Exit statuses: every failure has its own, so scripts can tell them from success.
constexpr int kExitSuccess = 0;
constexpr int kExitNotInstalled = 2;
constexpr int kExitSourceMissing = 3;
constexpr int kExitTargetFailed = 4;

// The whole run; ends with a message box and returns the exit status.
int InstallerMain();

} // namespace PatchInstaller
