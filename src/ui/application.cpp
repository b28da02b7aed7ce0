#include "ui/application.h"

#include <QApplication>
#include <cstdlib>
#include <memory>

namespace zoral::ui {

void ensureApplication() {
    if (QApplication::instance() != nullptr)
        return;
    // The toolkit keeps references to the arguments for the application's whole life.
    static int argc = 1;
    static char name[] = "zoral";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> application;
    application = std::make_unique<QApplication>(argc, argv);
    // Gone before the toolkit's own globals, which the application made after this static.
    std::atexit([] { application.reset(); });
}

}  // namespace zoral::ui
