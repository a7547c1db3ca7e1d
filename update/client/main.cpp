// Patchrunner: the online update client.
#include "platform/Window.h"
#include "update/client/ClientShell.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    ClientShell shell;
    const int result = shell.ClientMain(words, platform::SW_SHOW);
    if (result == 0) return 0;
    return shell.session.failed ? 1 : 0;
}
