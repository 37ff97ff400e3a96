// Hosts for displays under test: a window of the test's own in place of
// the one a desktop hands the program, and display settings that ask for
// high quality (drawn at the window's size) and never wait.
#pragma once

#include "desktop/display/device/display_host.h"
#include "desktop/display/host_window.h"
#include "platform/window.h"

#include <cstdint>
#include <memory>
#include <utility>

namespace display_test {

class OwnWindowHost : public lumivane::HostWindow {
public:
    explicit OwnWindowHost(std::unique_ptr<platform::Window> w) : window(std::move(w)) {}
    uint64_t Handle() const override { return 7; }
    bool Exists() override { return true; }
    bool ClientSize(int& w, int& h) override {
        w = window->Width();
        h = window->Height();
        return true;
    }
    bool IsCovered() override { return false; }
    platform::Window* OwnWindow() override { return window.get(); }
    std::unique_ptr<platform::Window> window;
};

class QuietHost : public lumivane::DisplayHost {
public:
    explicit QuietHost(bool high = true) : highQuality(high) {}
    bool HighQualityMode(int) const override { return highQuality; }
    void Sleep(uint32_t) override {}
    bool highQuality;
};

} // namespace display_test
