#include "platform/ProgramLaunch.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace platform {

bool LaunchProgram(const std::string& path, const std::vector<std::string>& arguments,
                   const std::string& folder) {
    std::vector<std::string> words;
    words.push_back(path);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t child = 0;
    const int result = posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0;
}

} // namespace platform
