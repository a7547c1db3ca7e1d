// Kardol: the game and its editor mode.
#include "Program/FrontEndScreens.h"
#include "Program/Startup.h"

#include <string>

int main(int argc, char** argv) {
    // The command line as one string, the way the start-up reads it.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    // The scene machine opens the front-end screens.
    InstallFrontEndScreens();
    return WinMain(nullptr, nullptr, line.c_str(), 1);
}
