// Where the program's own files sit: the settings file lives beside the executable.
#pragma once

#include <string>

namespace ulz {

// Folder of the running executable, ending with '/'; "./" when the system
// cannot tell.
std::string executableDir();

}  // namespace ulz
