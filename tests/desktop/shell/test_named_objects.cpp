// Named events and the shared block between two processes, the desktop
// program's named objects, the raise request and the priority class.
#include "desktop/shell/desktop_objects.h"
#include "platform/process_priority.h"
#include "shell_test_support.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>

using namespace lumivane;
using namespace shell_test;

namespace {

using LvNamed = ShellTest;

TEST_F(LvNamed, ExitSetByAnotherProcessIsSeenOnce) {
    auto exitEvent = platform::NamedEvent::Create("Lumivane: Exit", false, false);
    ASSERT_TRUE(exitEvent);
    EXPECT_FALSE(exitEvent->Poll());
    Child child(HelperArgs({"event-set", "Lumivane: Exit"}));
    ASSERT_EQ(child.Finish(), 0) << child.Stderr();
    EXPECT_TRUE(exitEvent->Poll());
    EXPECT_FALSE(exitEvent->Poll());
}

TEST_F(LvNamed, ManualEventStaysSetAndWaitsWakeAcrossProcesses) {
    auto manual = platform::NamedEvent::Create("Lumivane: Preload", true, false);
    ASSERT_TRUE(manual);
    Child setter(HelperArgs({"event-set-manual", "Lumivane: Preload"}));
    ASSERT_EQ(setter.Finish(), 0) << setter.Stderr();
    EXPECT_TRUE(manual->Poll());
    EXPECT_TRUE(manual->Wait(0));
    manual->Reset();
    EXPECT_FALSE(manual->Poll());

    auto paint = platform::NamedEvent::Create("Lumivane: Paint", false, false);
    ASSERT_TRUE(paint);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(paint->Wait(50));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    Child later(HelperArgs({"event-set-after", "Lumivane: Paint", "100"}));
    ASSERT_EQ(later.ReadLine(), "ready");
    EXPECT_TRUE(paint->Wait(platform::NamedEvent::kInfinite));
    EXPECT_FALSE(paint->Poll()); // the wait took it
    EXPECT_EQ(later.Finish(), 0);
}

TEST_F(LvNamed, ProgramPublishesZeroAndItsProcessIdAndTakesRaiseRequests) {
    Child program(HelperArgs({"publish"}));
    ASSERT_EQ(program.ReadLine(), "ready");
    auto mapping = platform::SharedBlock::Create(kFileMappingName);
    ASSERT_TRUE(mapping);
    EXPECT_EQ(mapping->Word(kRequestWord), 0u);
    EXPECT_EQ(mapping->Word(kProcessIdWord), uint32_t(program.Pid()));
    // The events the program made are the same objects here.
    auto loading = platform::NamedEvent::Create("Lumivane: Loading", true, false);
    ASSERT_TRUE(loading);
    EXPECT_TRUE(loading->Poll());
    auto exitEvent = platform::NamedEvent::Create("Lumivane: Exit", false, true);
    ASSERT_TRUE(exitEvent);
    EXPECT_FALSE(exitEvent->Poll()); // it existed: the initial state given here is ignored

    RequestRaise();
    EXPECT_TRUE(TakeRaiseRequest(*mapping));
    EXPECT_FALSE(TakeRaiseRequest(*mapping));
    program.CloseInput();
    EXPECT_EQ(program.Finish(), 0);
}

TEST_F(LvNamed, SegmentsOfKilledProcessesAreSetUpAfresh) {
    Child holder(HelperArgs({"event-hold", kScreensaverRunningEvent.name, "1", "1"}));
    ASSERT_EQ(holder.ReadLine(), "ready");
    Child program(HelperArgs({"publish"}));
    ASSERT_EQ(program.ReadLine(), "ready");
    kill(holder.Pid(), SIGKILL);
    kill(program.Pid(), SIGKILL);
    holder.Finish();
    program.Finish();
    ASSERT_TRUE(std::filesystem::exists(SegmentFile("Lumivane_Screensaver_running")));

    auto event = platform::NamedEvent::Create(kScreensaverRunningEvent.name, true, false);
    ASSERT_TRUE(event);
    EXPECT_FALSE(event->Poll()); // not the dead process's signalled state
    auto mapping = platform::SharedBlock::Create(kFileMappingName);
    ASSERT_TRUE(mapping);
    EXPECT_EQ(mapping->Word(kProcessIdWord), 0u); // no stale process id to raise
    EXPECT_EQ(mapping->CreatorPid(), getpid());
}

TEST_F(LvNamed, LastUserRemovesTheNameAndKindsStayApart) {
    {
        auto first = platform::NamedEvent::Create("Lumivane: Redraw", false, false);
        auto second = platform::NamedEvent::Create("Lumivane: Redraw", false, false);
        ASSERT_TRUE(first && second);
        first->Set();
        EXPECT_TRUE(second->Poll());
        first.reset();
        EXPECT_TRUE(std::filesystem::exists(SegmentFile("Lumivane_Redraw")));
    }
    EXPECT_FALSE(std::filesystem::exists(SegmentFile("Lumivane_Redraw")));

    // The menu asking with no program running leaves nothing behind.
    RequestRaise();
    EXPECT_FALSE(std::filesystem::exists(SegmentFile("Lumivane_File_Mapping")));

    auto event = platform::NamedEvent::Create("Lumivane: Exit", false, false);
    ASSERT_TRUE(event);
    std::string error;
    EXPECT_FALSE(platform::SharedBlock::Create("Lumivane: Exit", &error));
    EXPECT_NE(error.find("another kind"), std::string::npos) << error;
}

TEST_F(LvNamed, PriorityClassIsLogicalAndIdleReachesTheScheduler) {
    Child program(HelperArgs({"publish"}));
    ASSERT_EQ(program.ReadLine(), "ready");
    auto mapping = platform::SharedBlock::Create(kFileMappingName);
    ASSERT_TRUE(mapping);
    platform::SetProcessPriority(platform::PriorityClass::Idle);
    EXPECT_EQ(platform::CurrentNiceValue(), 19);
    RequestRaise();
    if (TakeRaiseRequest(*mapping)) platform::SetProcessPriority(platform::PriorityClass::High);
    EXPECT_EQ(platform::GetProcessPriority(), platform::PriorityClass::High);
    platform::SetProcessPriority(platform::PriorityClass::Normal);
    EXPECT_EQ(platform::GetProcessPriority(), platform::PriorityClass::Normal);
    program.CloseInput();
    EXPECT_EQ(program.Finish(), 0);
}

} // namespace
