#pragma once

// The texts of the package's controls (the recorder), compiled into the program, so that there is
// nothing to locate at run time and nothing that can be missing.

#include <string>
#include <string_view>

namespace zoral::shortcuts {

class ResourceBundle {
public:
    // The text under the key; the key itself for a key without a text, as the system's bundles
    // answer.
    std::string localizedString(std::string_view key) const;
};

}  // namespace zoral::shortcuts
