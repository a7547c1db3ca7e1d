#pragma once

#include <functional>
#include <string>

// One running copy per window class: a lock file in the user's runtime folder marks the copy
// that owns the class, and a socket beside it lets a later copy ask that one to restore and
// raise its window.
namespace platform {

enum class InstanceRequest { Restore, Raise };

// The folder of the lock: $XDG_RUNTIME_DIR, else /tmp/kardol-<uid>.
std::string InstanceLockFolder();

// Takes the lock for `name` unless another process holds it. Returns true when this process
// holds it now (also when it already did).
bool ClaimInstance(const std::string& name);
// True when another process holds the lock for `name`; claims it otherwise.
bool InstanceRunningElsewhere(const std::string& name);
// Asks the copy holding `name` to carry out the request; false when none answers.
bool SignalRunningInstance(const std::string& name, InstanceRequest request);
// Called on a helper thread of the holding copy for each request it receives.
void SetInstanceRequestHandler(std::function<void(InstanceRequest)> handler);
// Drops every lock this process holds and stops listening.
void ReleaseInstances();

} // namespace platform
