#pragma once

// Runs a command through "/bin/bash -c" and gives back its standard output: empty when the output
// is not UTF-8 or the command cannot run. Blocks the caller; never fails.

#include <string>
#include <string_view>

namespace zoral::desktop {

std::string runShellCommand(std::string_view command);

}  // namespace zoral::desktop
