// Kardol: the game and its editor mode.
#include "Program/Autoplay.h"
#include "Program/FrontEndScreens.h"
#include "Program/Startup.h"
#include "platform/Present.h"
#include "platform/Window.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// The test seams of the environment are checked before the game starts: a value that cannot
// be what the caller meant is refused rather than ignored.
bool SeamsAreSound() {
    if (const char* frames = std::getenv("KARDOL_FRAMES")) {
        char* end = nullptr;
        errno = 0;
        const long n = std::strtol(frames, &end, 10);
        if (end == frames || *end != 0 || errno == ERANGE || n < 0) {
            std::fprintf(stderr, "KARDOL_FRAMES must be a number of frames, not \"%s\"\n", frames);
            return false;
        }
    }
    if (const char* pointer = std::getenv("KARDOL_POINTER");
        pointer && !platform::ReadPointerScript(pointer).valid) {
        std::fprintf(stderr, "KARDOL_POINTER must be \"x,y\" or \"x,y,frames\", not \"%s\"\n", pointer);
        return false;
    }
    if (const char* input = std::getenv("KARDOL_INPUT"); input && !platform::ReadInputScript(input)) {
        std::fprintf(stderr,
                     "KARDOL_INPUT must be steps such as \"30:click x,y\", \"2500ms:key vk\", "
                     "\"40:text word\" or \"90:close\" separated by \";\", not \"%s\"\n",
                     input);
        return false;
    }
    if (const char* dump = std::getenv("KARDOL_DUMP"); dump && *dump) {
        // The folder must take the dump; a trial file shows it without touching an existing dump.
        const std::filesystem::path path(dump);
        std::error_code ec;
        const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
        const std::filesystem::path trial = folder / (".kardol-dump-check-" + std::to_string(::getpid()));
        std::FILE* f = std::fopen(trial.c_str(), "wb");
        if (!f || std::filesystem::is_directory(path, ec)) {
            if (f) std::fclose(f), std::filesystem::remove(trial, ec);
            std::fprintf(stderr, "KARDOL_DUMP: cannot write the frame dump \"%s\"\n", dump);
            return false;
        }
        std::fclose(f);
        std::filesystem::remove(trial, ec);
    }
    AutoplaySettings autoplay;
    std::string error;
    if (!ReadAutoplaySettings(autoplay, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    InstallAutoplay(autoplay);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (!SeamsAreSound()) return 2;
    // The command line as one string, the way the start-up reads it.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    // The scene machine opens the front-end screens.
    InstallFrontEndScreens();
    int result = WinMain(nullptr, nullptr, line.c_str(), 1);
    if (const char* dump = std::getenv("KARDOL_DUMP");
        dump && *dump && platform::PresentCount() > 0 && !platform::DumpLastFrame(dump)) {
        std::fprintf(stderr, "KARDOL_DUMP: the frame dump \"%s\" could not be written\n", dump);
        if (result == 0) result = 1;
    }
    if (AutoplayFailed() && result == 0) result = 1;
    return result;
}
