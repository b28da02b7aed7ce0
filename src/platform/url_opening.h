#pragma once

// Opening a link with the application the system has for it (a browser for web addresses, the
// mail program for mail addresses, the file's application for a file).
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <string_view>

namespace zoral::platform {

// Whether the text forms a URL: a scheme (a letter, then letters, digits, "+", "-" or "."), a
// colon and more, with no blanks or control characters.
bool isValidURL(std::string_view text);

// False when the text forms no URL or no application opens its scheme.
bool openURL(std::string_view url);

}  // namespace zoral::platform
