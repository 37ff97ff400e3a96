// The program as a person sees it: "Lumivane --window" on a virtual X
// server shows its moving space scene (two pictures a second apart, both
// with many colours and not black, that differ) and ends with code 0 when
// its window is closed. The looking is done by the window probe. The
// server is the test's own, on a display number the server itself picks,
// so tests that run at the same time never meet on one display.
#include "tests/desktop/app/private_x_server.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(LvProgramWindow, ShowsItsMovingSceneAndEndsWhenItsWindowCloses) {
    app_test::PrivateXServer server("1600x900x24");
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
    platform_test::TempDir settings;
    // The program draws into a real X11 window here, not off screen.
    // The leak checker of the sanitizer build is told about the session
    // bus library's own block (see x11_leaks.supp).
    const std::string command =
        "env -u SDL_VIDEODRIVER LSAN_OPTIONS=suppressions='" + std::string(JENTRA_TEST_SOURCE_DIR) +
        "/x11_leaks.supp' JENTRA_SETTINGS_DIR='" + settings.Path().string() + "' DISPLAY='" +
        server.Name() + "' '" LUMIVANE_WINDOW_PROBE "' '" LUMIVANE_PROGRAM "' 2>&1";
    FILE* probe = popen(command.c_str(), "r");
    ASSERT_NE(probe, nullptr);
    std::string report;
    char line[256];
    while (std::fgets(line, sizeof line, probe))
        report += line;
    const int status = pclose(probe);
    EXPECT_EQ(status, 0) << report;
}
