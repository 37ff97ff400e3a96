// The instance beacon: one listener per name, requests from other processes,
// and names freed when their listener goes.
#include "platform/instance_beacon.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

using platform::InstanceBeacon;

namespace {

std::string UniqueName(const char* what) {
    return std::string("beacon-test-") + what + "-" + std::to_string(getpid());
}

} // namespace

TEST(InstanceBeacon, OneListenerPerNameHearsEachBurstOfRequestsOnce) {
    const std::string name = UniqueName("one");
    EXPECT_FALSE(InstanceBeacon::Send(name)); // nobody listens yet
    auto first = InstanceBeacon::Listen(name);
    ASSERT_TRUE(first);
    EXPECT_FALSE(InstanceBeacon::Listen(name)); // taken while the first lives
    EXPECT_FALSE(first->TakeRequest());
    EXPECT_TRUE(InstanceBeacon::Send(name));
    EXPECT_TRUE(InstanceBeacon::Send(name));
    EXPECT_TRUE(first->TakeRequest());
    EXPECT_FALSE(first->TakeRequest());
    // Another name is another beacon.
    EXPECT_FALSE(InstanceBeacon::Send(UniqueName("other")));
    first.reset();
    EXPECT_FALSE(InstanceBeacon::Send(name));
    EXPECT_TRUE(InstanceBeacon::Listen(name)); // free again
}

TEST(InstanceBeacon, ANameIsFreedWhenItsProcessEndsHoweverItEnds) {
    const std::string name = UniqueName("child");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto held = InstanceBeacon::Listen(name);
        if (!held) _exit(2);
        for (int i = 0; i < 5000; ++i) {
            if (held->TakeRequest()) _exit(0); // ends without letting go of it
            usleep(1000);
        }
        _exit(3);
    }
    // The child listens once it is up; its requests reach it from here.
    bool sent = false;
    for (int i = 0; i < 2000 && !sent; ++i) {
        sent = InstanceBeacon::Send(name);
        if (!sent) usleep(1000);
    }
    EXPECT_TRUE(sent);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(InstanceBeacon::Listen(name));
}
