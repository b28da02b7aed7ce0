#include "desktop/shell_command.h"

#include "platform/shell.h"

namespace zoral::desktop {

std::string runShellCommand(std::string_view command) {
    return platform::shell::run(command).output;
}

}  // namespace zoral::desktop
