#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The installed game's folder as the update tools write into it. A name is a relative game name of
// plain components ("\" or "/" between them); it is found case-insensitively and never leads
// outside the folder, not through "..", a drive, an absolute name nor a symbolic link.
class GameFolder {
public:
    explicit GameFolder(std::string root);

    // True when the folder exists.
    bool IsOpen() const { return !root_.empty(); }
    const std::filesystem::path& Root() const { return root_; }

    // Names longer than this are refused (the tools keep them in 260-byte fields).
    static constexpr size_t kMaxNameLength = 259;

    // Plain components only: none empty, ".", ".." nor holding ':' or control characters. The
    // second byte of a Big5 pair is never taken for a separator.
    static bool IsPlainRelativeName(std::string_view name);

    // The file the name stands for inside the folder (an existing entry of another case when there
    // is one), or none when the name is refused, a folder on the way is missing, or the place is a
    // folder.
    std::optional<std::filesystem::path> Resolve(std::string_view name) const;

    // Writes the bytes to a temporary file beside the target and renames it over the target. A
    // replaced file keeps its mode (made writable); a new one is executable when `program` is set.
    // Nothing is left behind on failure.
    static bool ReplaceFile(const std::filesystem::path& target, const uint8_t* data, size_t size,
                            bool program);

    // The two halves of ReplaceFile, for writers that replace several files together.
    static std::optional<std::filesystem::path> WriteTemporary(const std::filesystem::path& target,
                                                               const uint8_t* data, size_t size);
    static bool CommitTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target,
                                bool program);
    static void DiscardTemporary(const std::filesystem::path& temporary);

private:
    std::filesystem::path root_;
};
