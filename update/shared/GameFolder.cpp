#include "update/shared/GameFolder.h"

#include <fstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool IsBig5Lead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Splits at "\" and "/", keeping empty components so that the caller can refuse them.
std::vector<std::string> Components(std::string_view name) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsBig5Lead(c) && i + 1 < name.size()) {
            parts.back() += name[i];
            parts.back() += name[++i];
        } else if (c == '\\' || c == '/') {
            parts.emplace_back();
        } else {
            parts.back() += name[i];
        }
    }
    return parts;
}

bool SameFolded(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        // Only ASCII letters fold; a Big5 trail byte in the letter range must match exactly.
        const bool trail = i > 0 && IsBig5Lead(static_cast<unsigned char>(a[i - 1]));
        if (trail ? a[i] != b[i] : Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

// The entry of `folder` called `part`, in any case; the exact spelling first.
std::string FindEntry(const fs::path& folder, const std::string& part) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder / part, ec))) return part;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (SameFolded(entry, part)) return entry;
    }
    return part;
}

bool Inside(const fs::path& root, const fs::path& path) {
    auto r = root.begin();
    auto p = path.begin();
    for (; r != root.end(); ++r, ++p) {
        if (p == path.end() || *r != *p) return false;
    }
    return p != path.end();
}

} // namespace

GameFolder::GameFolder(std::string root) {
    std::error_code ec;
    if (root.empty()) return;
    fs::path canonical = fs::canonical(fs::path(root), ec);
    if (ec || !fs::is_directory(canonical, ec)) return;
    root_ = canonical;
}

bool GameFolder::IsPlainRelativeName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (const auto& part : Components(name)) {
        if (part.empty() || part == "." || part == "..") return false;
        for (char ch : part) {
            const auto c = static_cast<unsigned char>(ch);
            if (c < 0x20 || c == 0x7F || c == ':') return false;
        }
    }
    return true;
}

std::optional<fs::path> GameFolder::Resolve(std::string_view name) const {
    if (!IsOpen() || !IsPlainRelativeName(name)) return std::nullopt;
    const auto parts = Components(name);
    fs::path path = root_;
    std::error_code ec;
    for (size_t i = 0; i < parts.size(); ++i) {
        path /= FindEntry(path, parts[i]);
        const bool last = i + 1 == parts.size();
        if (!last && !fs::is_directory(path, ec)) return std::nullopt;
    }
    // Links on the way or at the end must stay inside the folder.
    const fs::path real = fs::weakly_canonical(path, ec);
    if (ec || !Inside(root_, real)) return std::nullopt;
    if (fs::is_directory(path, ec)) return std::nullopt;
    return path;
}

std::optional<fs::path> GameFolder::WriteTemporary(const fs::path& target, const uint8_t* data, size_t size) {
    fs::path temporary = target;
    temporary.replace_filename("." + target.filename().string() + ".update");
    std::error_code ec;
    fs::remove(temporary, ec); // a stale one, or a link planted in its place
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return std::nullopt;
        if (size) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, ec);
            return std::nullopt;
        }
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            return std::nullopt;
        }
    }
    if (fs::file_size(temporary, ec) != size || ec) {
        fs::remove(temporary, ec);
        return std::nullopt;
    }
    return temporary;
}

bool GameFolder::CommitTemporary(const fs::path& temporary, const fs::path& target, bool program) {
    std::error_code ec;
    fs::perms mode = program ? fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec
                             : fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                   fs::perms::others_read;
    const fs::file_status old = fs::symlink_status(target, ec);
    if (!ec && fs::is_regular_file(old))
        mode = (old.permissions() & fs::perms::mask) | fs::perms::owner_write;
    if (fs::is_directory(fs::status(target, ec))) {
        DiscardTemporary(temporary);
        return false;
    }
    fs::permissions(temporary, mode, fs::perm_options::replace, ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        DiscardTemporary(temporary);
        return false;
    }
    return true;
}

void GameFolder::DiscardTemporary(const fs::path& temporary) {
    std::error_code ec;
    fs::remove(temporary, ec);
}

bool GameFolder::ReplaceFile(const fs::path& target, const uint8_t* data, size_t size, bool program) {
    const auto temporary = WriteTemporary(target, data, size);
    return temporary && CommitTemporary(*temporary, target, program);
}
