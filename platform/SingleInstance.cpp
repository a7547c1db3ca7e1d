#include "platform/SingleInstance.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

struct Held {
    int lockFd = -1;
    int listenFd = -1;
    std::string socketPath;
};

std::mutex heldMutex;
std::map<std::string, Held> held;
std::function<void(InstanceRequest)> handler;
std::atomic<bool> stopListening{false};
// Joined at exit at the latest, so the process never ends with the thread running.
struct ListenerThread {
    std::thread thread;
    ~ListenerThread() {
        stopListening = true;
        if (thread.joinable()) thread.join();
    }
};
ListenerThread listenerThread;
std::thread& listener = listenerThread.thread;

std::string SafeName(const std::string& name) {
    std::string out;
    for (char c : name)
        out += (std::isalnum(static_cast<unsigned char>(c)) || c == '-') ? c : '_';
    return out;
}

std::string LockPath(const std::string& name) {
    return InstanceLockFolder() + "/kardol-" + SafeName(name) + ".lock";
}
std::string SocketPath(const std::string& name) {
    return InstanceLockFolder() + "/kardol-" + SafeName(name) + ".sock";
}

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void ListenLoop() {
    while (!stopListening.load()) {
        std::vector<pollfd> fds;
        {
            std::lock_guard lock(heldMutex);
            for (auto& [name, h] : held)
                if (h.listenFd >= 0) fds.push_back(pollfd{h.listenFd, POLLIN, 0});
        }
        if (fds.empty()) return;
        if (poll(fds.data(), fds.size(), 100) <= 0) continue;
        for (const pollfd& p : fds) {
            if (!(p.revents & POLLIN)) continue;
            int c = accept(p.fd, nullptr, nullptr);
            if (c < 0) continue;
            pollfd cp{c, POLLIN, 0};
            char byte = 0;
            if (poll(&cp, 1, 1000) > 0 && read(c, &byte, 1) == 1) {
                std::function<void(InstanceRequest)> h;
                {
                    std::lock_guard lock(heldMutex);
                    h = handler;
                }
                if (h && byte == 'R') h(InstanceRequest::Restore);
                if (h && byte == 'F') h(InstanceRequest::Raise);
                (void)!write(c, "k", 1);
            }
            close(c);
        }
    }
}

void StartListening(Held& h, const std::string& name) {
    h.socketPath = SocketPath(name);
    unlink(h.socketPath.c_str());
    sockaddr_un addr;
    if (!FillAddress(h.socketPath, addr)) return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return;
    }
    h.listenFd = fd;
    if (!listener.joinable()) {
        stopListening = false;
        listener = std::thread(ListenLoop);
    }
}

} // namespace

std::string InstanceLockFolder() {
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir) return dir;
    std::string dir = "/tmp/kardol-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    return dir;
}

bool ClaimInstance(const std::string& name) {
    std::lock_guard lock(heldMutex);
    if (held.count(name)) return true;
    int fd = open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true; // no lock folder: nothing can tell two copies apart, so run
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    Held& h = held[name];
    h.lockFd = fd;
    StartListening(h, name);
    return true;
}

bool InstanceRunningElsewhere(const std::string& name) {
    return !ClaimInstance(name);
}

bool SignalRunningInstance(const std::string& name, InstanceRequest request) {
    sockaddr_un addr;
    if (!FillAddress(SocketPath(name), addr)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool ok = false;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        char byte = request == InstanceRequest::Restore ? 'R' : 'F';
        pollfd p{fd, POLLIN, 0};
        char answer = 0;
        ok = write(fd, &byte, 1) == 1 && poll(&p, 1, 1000) > 0 && read(fd, &answer, 1) == 1;
    }
    close(fd);
    return ok;
}

void SetInstanceRequestHandler(std::function<void(InstanceRequest)> h) {
    std::lock_guard lock(heldMutex);
    handler = std::move(h);
}

void ReleaseInstances() {
    stopListening = true;
    if (listener.joinable()) listener.join();
    std::lock_guard lock(heldMutex);
    for (auto& [name, h] : held) {
        if (h.listenFd >= 0) {
            close(h.listenFd);
            unlink(h.socketPath.c_str());
        }
        if (h.lockFd >= 0) close(h.lockFd);
    }
    held.clear();
}

} // namespace platform
