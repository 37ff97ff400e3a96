// Shared set-up of the Lumivane shell tests: each test gets its own settings
// folder, named-object prefix and desktop folder (children inherit them), and
// a way to start the helper program.
#pragma once

#include "platform/named/named_segment.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace shell_test {

using platform_test::Child;
using platform_test::TempDir;

inline std::string HelperPath() {
    return (platform_test::TestProgramFolder() / "lumivane_shell_test_helper").string();
}

inline std::vector<std::string> HelperArgs(std::vector<std::string> args) {
    args.insert(args.begin(), HelperPath());
    return args;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Points the settings store, the named objects and the desktop folder of
// this process (and of every child it starts) at places of this test alone.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        Remember("JENTRA_SETTINGS_DIR");
        Remember("JENTRA_NAMED_PREFIX");
        Remember("XDG_DESKTOP_DIR");
        // Tests may change these for the programs they start.
        Remember("DISPLAY");
        Remember("SDL_VIDEODRIVER");
        std::filesystem::create_directories(dir_.Path() / "settings");
        std::filesystem::create_directories(dir_.Path() / "Desktop");
        setenv("JENTRA_SETTINGS_DIR", (dir_.Path() / "settings").c_str(), 1);
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        prefix_ = "lvtest_" + std::to_string(getpid()) + "_" + test->name() + "_";
        setenv("JENTRA_NAMED_PREFIX", prefix_.c_str(), 1);
        setenv("XDG_DESKTOP_DIR", (dir_.Path() / "Desktop").c_str(), 1);
    }
    void TearDown() override {
        // Segments that killed children left behind.
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ec))
            if (entry.path().filename().string().rfind(prefix_, 0) == 0)
                std::filesystem::remove(entry.path(), ec);
        for (const auto& [name, value] : saved_) {
            if (value.second) {
                setenv(name.c_str(), value.first.c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

    const std::filesystem::path& Dir() const { return dir_.Path(); }
    std::filesystem::path DesktopDir() const { return dir_.Path() / "Desktop"; }
    // What the names of this test's named objects begin with in
    // /dev/shm, on any display.
    const std::string& NamedPrefix() const { return prefix_; }
    // Where a named object's segment shows in the file system (on the
    // display this process runs on).
    std::filesystem::path SegmentFile(const std::string& mappedName) const {
        return std::filesystem::path("/dev/shm") /
               platform::named_detail::SystemName(mappedName).substr(1);
    }

private:
    void Remember(const char* name) {
        const char* value = std::getenv(name);
        saved_.push_back({name, {value ? value : "", value != nullptr}});
    }

    TempDir dir_;
    std::string prefix_;
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> saved_;
};

} // namespace shell_test
