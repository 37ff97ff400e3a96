// Programs started while the platform layer has files, the settings database
// and sockets open inherit none of them.
#include "platform/binary_io.h"
#include "platform/net_session.h"
#include "platform/settings_store.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <set>
#include <sstream>

using namespace platform;

namespace {

// Descriptors the test program was started with (the test runner's own) are
// not the platform layer's doing: they are kept from the child.
void CloseOnExecEverythingOpen() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::atoi(entry.path().filename().c_str());
        if (fd > 2) fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    }
}

// Every descriptor this process holds now, as the helper prints them.
std::set<std::string> DescriptorsHeldNow() {
    std::set<std::string> held;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        if (!error) held.insert(entry.path().filename().string() + " " + target.string());
    }
    return held;
}

} // namespace

TEST(FdInheritance, StartedProgramsInheritNoOpenFileOrSocket) {
    CloseOnExecEverythingOpen();
    platform_test::TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.Path() / "in.bin", std::string_view("data")));
    FileReader reader;
    ASSERT_TRUE(reader.Open(dir.Path() / "in.bin"));
    FileWriter writer;
    ASSERT_TRUE(writer.Open(dir.Path() / "out.bin"));
    std::string error;
    auto store = SettingsStore::OpenFolder(dir.Str(), &error);
    ASSERT_TRUE(store) << error;
    ASSERT_EQ(store->SetDword(SettingsScope::User, "A", "v", 1), SettingsStatus::Ok);
    auto watcher = store->Watch(SettingsScope::User, "A");
    ASSERT_TRUE(watcher);

    NetHostConfig config;
    config.port = 0;
    config.discoveryPort = 0;
    config.bindAddress = "127.0.0.1";
    NetSession host;
    ASSERT_TRUE(host.Host(config, &error)) << error;
    NetSession joiner;
    ASSERT_TRUE(joiner.Join("127.0.0.1", host.Port(), 3000, &error)) << error;
    NetBrowser browser;
    ASSERT_TRUE(browser.Start({"127.0.0.1"}, host.DiscoveryPort(), config.application, 50, &error))
        << error;

    platform_test::Child child({platform_test::HelperPath(), "list-fds"});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.Finish(), 0) << child.Stderr();
    // A sanitizer runtime can hold a pipe of its own for an instant while the
    // child starts; what matters is that nothing the platform layer keeps
    // open (still held here, at the same number) reached the child.
    const auto held = DescriptorsHeldNow();
    std::istringstream inherited(child.Stdout());
    for (std::string line; std::getline(inherited, line);)
        EXPECT_FALSE(held.contains(line)) << "the child inherited " << line;
}
