#pragma once

// The toolkit's application object, which every window and every drawing needs. The program makes
// it at start; code that draws makes sure it exists, so that tests and tools need not.

namespace zoral::ui {

// Makes the application object when there is none yet; main thread only.
void ensureApplication();

}  // namespace zoral::ui
