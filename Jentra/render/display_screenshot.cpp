// JTDisplay::Screenshot: the picture on the screen as a 24-bit bitmap on the
// user's desktop, numbered after the ones already there.
#include "Jentra/JTDisplay.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Jentra/JTGame.h"
#include "Jentra/render/screenshot_file.h"

namespace {

// $XDG_DESKTOP_DIR, else ~/Desktop when it exists, else the home folder;
// empty when there is no home.
std::filesystem::path DesktopFolder() {
    std::error_code error;
    if (const char* desktop = std::getenv("XDG_DESKTOP_DIR"); desktop && *desktop) {
        if (std::filesystem::is_directory(desktop, error)) return desktop;
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home || !std::filesystem::is_directory(home, error)) return {};
    const std::filesystem::path desktop = std::filesystem::path(home) / "Desktop";
    if (std::filesystem::is_directory(desktop, error)) return desktop;
    return home;
}

} // namespace

void JTDisplay::Screenshot() {
    if (!device) return;
    const std::filesystem::path folder = DesktopFolder();
    if (folder.empty()) return;

    // The first free number; when all thousand are taken the last is
    // written over.
    const char* app = gpJTGame ? gpJTGame->GetAppName() : "Jentra";
    std::filesystem::path path;
    std::error_code error;
    for (int number = 0; number < 1000; ++number) {
        char name[300];
        std::snprintf(name, sizeof name, "%s %4.4i.bmp", app, number);
        path = folder / name;
        if (!std::filesystem::exists(path, error)) break;
    }

    // Nothing is written when the file cannot be made.
    JTWriteFrontBufferBitmap(*device, path);
}
