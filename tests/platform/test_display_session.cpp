// The display a program runs on: the names of one X server judged the same,
// named objects kept apart per display, and the check that it opens.
#include "platform/display_session.h"
#include "platform/named/named_event.h"
#include "tests/desktop/app/private_x_server.h"

#include <gtest/gtest.h>
// After the test framework, whose names Xlib's macros would take.
#include <X11/Xlib.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

using platform::CanonicalDisplayName;

namespace {

// Sets an environment variable for one test, putting the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        Set(value);
    }
    ~ScopedEnv() { Set(had_ ? old_.c_str() : nullptr); }
    void Set(const char* value) {
        if (value) {
            setenv(name_, value, 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

} // namespace

TEST(DisplaySession, NamesOfOneServerAreOneDisplay) {
    // The local socket, however it is written; a screen is not a session.
    for (const char* name : {":0", ":0.0", ":0.1", "unix:0", "UNIX:0.0", "unix/:0", ":00"})
        EXPECT_EQ(CanonicalDisplayName(name), ":0") << name;
    // TCP to this machine is kept apart from the socket (ssh forwards there).
    char host[256] = "";
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    for (const std::string& name :
         {std::string("localhost:10.0"), std::string("127.0.0.1:10"),
          std::string("tcp/localhost:10"), std::string("[::1]:10"), std::string(host) + ":10"})
        EXPECT_EQ(CanonicalDisplayName(name), "localhost:10") << name;
    EXPECT_EQ(CanonicalDisplayName("Far.Example.org:3.1"), "far.example.org:3");
    EXPECT_EQ(CanonicalDisplayName(":1"), ":1");
    // No display name: kept as it stands.
    EXPECT_EQ(CanonicalDisplayName(""), "");
    EXPECT_EQ(CanonicalDisplayName("wayland-0"), "wayland-0");
    EXPECT_EQ(CanonicalDisplayName(":x"), ":x");
}

TEST(DisplaySession, NamedObjectsAreTheirDisplaysOwn) {
    const std::string prefix = "display_session_test_" + std::to_string(getpid()) + "_";
    ScopedEnv named("JENTRA_NAMED_PREFIX", prefix.c_str());
    ScopedEnv display("DISPLAY", ":5");
    auto onFive = platform::NamedEvent::Create("Session: Exit", false, false);
    ASSERT_TRUE(onFive);
    // The same display, named otherwise, finds it.
    display.Set(":5.0");
    auto again = platform::NamedEvent::Open("Session: Exit");
    ASSERT_TRUE(again);
    again->Set();
    EXPECT_TRUE(onFive->Poll());
    // Another display, and no display, do not.
    for (const char* other : {":6", "localhost:5", static_cast<const char*>(nullptr)}) {
        display.Set(other);
        EXPECT_FALSE(platform::NamedEvent::Open("Session: Exit")) << (other ? other : "unset");
    }
}

// On a server with no other client, closing the check's connection would
// reset the server, and the program's next connection (its window's) could
// be refused during the reset. A reset forgets every atom: an atom made after
// the check, asked for after its maker has left, shows whether one happened.
TEST(DisplaySession, TheDisplayCheckLeavesABareServerAsItIs) {
    app_test::PrivateXServer server("64x64x24", app_test::WhenIdle::Reset);
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    ScopedEnv display("DISPLAY", server.Name().c_str());
    ASSERT_TRUE(platform::CanOpenXDisplay());
    constexpr const char* kMark = "DISPLAY_SESSION_TEST_MARK";
    Display* maker = XOpenDisplay(nullptr);
    ASSERT_NE(maker, nullptr);
    XInternAtom(maker, kMark, False);
    XSync(maker, False);
    XCloseDisplay(maker);
    // A server resets as soon as its last client has gone.
    usleep(300000);
    Display* asker = XOpenDisplay(nullptr);
    ASSERT_NE(asker, nullptr);
    EXPECT_NE(XInternAtom(asker, kMark, True), Atom(0));
    XCloseDisplay(asker);
}
