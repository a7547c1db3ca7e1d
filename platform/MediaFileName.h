#pragma once

#include <string>

namespace platform {

// Turns a game file name (skill\Skill22.avi) into a path that exists here: a backslash separates folders
// and each component is matched without regard to ASCII case. A name that matches nothing comes
// back with only its separators turned, so the open that follows fails in the ordinary way; a
// relative name that climbs out of the working folder comes back empty.
std::string ResolveMediaFileName(const char* name);

} // namespace platform
