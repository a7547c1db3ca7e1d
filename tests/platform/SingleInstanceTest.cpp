#include "platform/SingleInstance.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace platform;

namespace {

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Starts the game in `folder` with the given extra environment; returns its pid.
pid_t StartGame(const std::filesystem::path& folder, const std::vector<std::string>& extraEnv) {
    // The extra variables replace inherited ones of the same name: with duplicates, the first wins.
    auto nameOf = [](const std::string& e) { return e.substr(0, e.find('=')); };
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const auto& x : extraEnv)
            replaced = replaced || nameOf(x) == nameOf(entry);
        if (!replaced) env.push_back(entry);
    }
    for (const auto& e : extraEnv)
        env.push_back(e);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string binary = std::string(KARDOL_BINARY_DIR) + "/Kardol";
    std::string arg0 = binary;
    char* argv[] = {arg0.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = -1;
    if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit code, or -1 when the process did not end in time.
int WaitExit(pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

} // namespace

TEST(SingleInstance, TheHolderHearsRestoreAndRaiseRequests) {
    const testsupport::TempFolder runtimeFolder{testsupport::TempFolder::Stay};
    const auto& runtime = runtimeFolder.path();
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    std::atomic<int> restores{0}, raises{0};
    SetInstanceRequestHandler([&](InstanceRequest r) {
        if (r == InstanceRequest::Restore) ++restores;
        if (r == InstanceRequest::Raise) ++raises;
    });
    EXPECT_FALSE(SignalRunningInstance("TestClass", InstanceRequest::Raise)); // nobody holds it yet
    ASSERT_TRUE(ClaimInstance("TestClass"));
    EXPECT_FALSE(InstanceRunningElsewhere("TestClass")); // this process holds it
    EXPECT_TRUE(SignalRunningInstance("TestClass", InstanceRequest::Restore));
    EXPECT_TRUE(SignalRunningInstance("TestClass", InstanceRequest::Raise));
    EXPECT_EQ(restores.load(), 1);
    EXPECT_EQ(raises.load(), 1);
    ReleaseInstances();
    SetInstanceRequestHandler(nullptr);
    unsetenv("XDG_RUNTIME_DIR");
}

TEST(SingleInstance, ASecondCopyExitsOneAndTouchesNothing) {
    const testsupport::TempFolder runtimeFolder{testsupport::TempFolder::Stay};
    const auto& runtime = runtimeFolder.path();
    const testsupport::TempFolder firstFolder{testsupport::TempFolder::Stay};
    const auto& first = firstFolder.path();
    const testsupport::TempFolder secondFolder{testsupport::TempFolder::Stay};
    const auto& second = secondFolder.path();
    const auto registry = first / "registry.ini";
    {
        std::ofstream out(registry, std::ios::binary);
        out << "[HKEY_CLASSES_ROOT\\Software\\VelmoraII]\nWorkPath=sz:/games/kardol\n";
    }
    const std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + runtime.string(),
                                          "KARDOL_REGISTRY=" + registry.string(), "KARDOL_HEADLESS=1",
                                          "KARDOL_FRAMES=1000000", "SDL_AUDIODRIVER=dummy"};
    // The first copy runs on a game folder, so that it stays on its main menu until told to end.
    const std::string makeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";
    ASSERT_EQ(std::system((makeDemo + " " + first.string() + " > /dev/null").c_str()), 0);
    const pid_t a = StartGame(first, env);
    ASSERT_GT(a, 0);
    // Never leave the first copy running, whatever fails below.
    struct Reaper {
        pid_t pid;
        bool done = false;
        ~Reaper() {
            if (done) return;
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    } reaper{a};
    // The first copy holds the lock from its first step and records the client just after.
    const auto socket = runtime / "kardol-VelmoraII.sock";
    for (int i = 0; i < 800 && !(std::filesystem::exists(socket) &&
                                 ReadFile(registry).find("UpDate") != std::string::npos);
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_TRUE(std::filesystem::exists(socket));
    const std::string registryBefore = ReadFile(registry);
    EXPECT_NE(registryBefore.find("UpDate"), std::string::npos); // the first copy recorded the client

    const pid_t b = StartGame(second, env);
    ASSERT_GT(b, 0);
    EXPECT_EQ(WaitExit(b, 30), 1);
    EXPECT_TRUE(std::filesystem::is_empty(second));
    EXPECT_EQ(ReadFile(registry), registryBefore);

    // The first copy closes its window on SIGTERM and ends normally.
    kill(a, SIGTERM);
    const int firstExit = WaitExit(a, 30);
    reaper.done = firstExit >= 0;
    EXPECT_EQ(firstExit, 0);
}
