// Lumivane, the animated space desktop and screen saver.
#include "desktop/app/desktop_app.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Never destroyed: the process ends right after its life, and what the
    // end leaves is the system's to take back.
    auto* app = new lumivane::DesktopApp(lumivane::DefaultAppServices());
    app->EndProcess(app->InitInstance(args));
}
