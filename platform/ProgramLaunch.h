#pragma once

#include <string>
#include <vector>

// Starting another program, as WinExec does, but with an argument vector: the words reach the
// program exactly as given, never through a shell.
namespace platform {

// Starts `path` with `arguments` (not counting the program itself) in `folder` (empty: the current
// folder) and returns at once; false when it could not be started.
bool LaunchProgram(const std::string& path, const std::vector<std::string>& arguments,
                   const std::string& folder = std::string());

} // namespace platform
