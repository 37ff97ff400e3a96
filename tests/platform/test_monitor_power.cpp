// The monitor's power management: which X display the windows go to, and
// an X server that cannot be reached named in the reason. (The program's
// display asks a real server without DPMS in the Lumivane program tests.)
#include "platform/monitor_power.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (saved_) {
            setenv(name_, saved_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

} // namespace

TEST(MonitorPower, TheWindowsGoToDisplayUnlessAnotherVideoDriverIsNamed) {
    ScopedEnv display("DISPLAY", ":42");
    {
        ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
        EXPECT_EQ(platform::WindowsXDisplay(), ":42");
    }
    {
        ScopedEnv driver("SDL_VIDEODRIVER", "x11");
        EXPECT_EQ(platform::WindowsXDisplay(), ":42");
    }
    for (const char* other : {"offscreen", "dummy", "wayland"}) {
        ScopedEnv driver("SDL_VIDEODRIVER", other);
        EXPECT_EQ(platform::WindowsXDisplay(), "") << other;
    }
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    ScopedEnv none("DISPLAY", nullptr);
    EXPECT_EQ(platform::WindowsXDisplay(), "");
}

TEST(MonitorPower, AnXServerThatIsNotThereIsNamedInTheReason) {
    // Display numbers this high are never served here; nothing listens on
    // the network either.
    std::string why;
    EXPECT_EQ(platform::OpenMonitorPower(":6553", &why), nullptr);
    EXPECT_EQ(why, "the X display :6553 cannot be opened");
}
