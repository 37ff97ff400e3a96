// Lumivane, the animated space desktop and screen saver.
#include "desktop/app/desktop_app.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    lumivane::DesktopApp app(lumivane::DefaultAppServices());
    return app.InitInstance(args);
}
