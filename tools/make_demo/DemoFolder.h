#pragma once

#include <string>

// Writes the demo game folder into `folder` (made when missing). False when a file cannot be
// written; `error` then names it.
bool WriteDemoFolder(const std::string& folder, std::string& error);
