// The command line: "/w" and "%x" as they were always read, the
// screensaver host's forms, malformed host window ids, and numbers that
// cannot name a window.
#include "desktop/app/command_line.h"

#include <gtest/gtest.h>

using namespace lumivane;

TEST(LvCommandLine, ThePartsFormsGiveTheirModes) {
    StartOptions o = ParseCommandLine({"/W1a2b"}, nullptr);
    EXPECT_EQ(o.mode, StartMode::Window);
    EXPECT_EQ(o.hostWindow, 0x1a2bu);
    o = ParseCommandLine({"/w", "1A2B"}, nullptr);
    EXPECT_EQ(o.mode, StartMode::Window);
    EXPECT_EQ(o.hostWindow, 0x1a2bu);
    o = ParseCommandLine({"1a2b"}, nullptr);
    EXPECT_EQ(o.mode, StartMode::Desktop);
    EXPECT_EQ(o.hostWindow, 0x1a2bu);
    EXPECT_FALSE(o.hostedScreensaver);
    // No number at all: the screen saver, whatever else the line holds.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"\"/usr/bin/lumivane\"", "1a"}, {"/s"}, {"/w"}, {"--root"}}) {
        o = ParseCommandLine(args, nullptr);
        EXPECT_EQ(o.mode, StartMode::Screensaver) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(o.hostWindow, 0u);
        EXPECT_FALSE(o.hostedScreensaver);
    }
}

TEST(LvCommandLine, TheScreensaverHostsFormsDrawIntoItsWindow) {
    StartOptions o = ParseCommandLine({"--root"}, "0x2a");
    EXPECT_EQ(o.mode, StartMode::Screensaver);
    EXPECT_TRUE(o.hostedScreensaver);
    EXPECT_EQ(o.hostWindow, 0x2au);
    o = ParseCommandLine({"-root", "--window-id", "0x3C00007"}, nullptr);
    EXPECT_TRUE(o.hostedScreensaver);
    EXPECT_EQ(o.hostWindow, 0x3c00007u);
    o = ParseCommandLine({"--window"}, nullptr);
    EXPECT_EQ(o.mode, StartMode::Window);
    EXPECT_TRUE(o.ownWindow);
    EXPECT_TRUE(o.notice.empty());
    // "--root" with no host window: the full-screen saver, and it says so.
    o = ParseCommandLine({"--root"}, nullptr);
    EXPECT_EQ(o.mode, StartMode::Screensaver);
    EXPECT_FALSE(o.hostedScreensaver);
    EXPECT_NE(o.notice.find("--root without XSCREENSAVER_WINDOW"), std::string::npos) << o.notice;
    EXPECT_NE(o.notice.find("full-screen screen saver"), std::string::npos) << o.notice;
    EXPECT_TRUE(ParseCommandLine({}, nullptr).notice.empty());
}

TEST(LvCommandLine, TheHostsWindowIdMustBeOne) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--window-id", "0xZZZ"},
                                               {"--window-id", "12zz"},
                                               {"--window-id", "0x"},
                                               {"--window-id", "0x0"},
                                               {"--window-id", ""},
                                               {"--window-id"}}) {
        const StartOptions o = ParseCommandLine(args, nullptr);
        EXPECT_FALSE(o.refusal.empty()) << args.back();
        EXPECT_FALSE(o.hostedScreensaver) << args.back();
    }
    StartOptions o = ParseCommandLine({"--root"}, "window 5");
    EXPECT_NE(o.refusal.find("XSCREENSAVER_WINDOW \"window 5\""), std::string::npos) << o.refusal;
    // Well formed, with or without "0x" and blanks around it.
    o = ParseCommandLine({"--window-id", " 3c00007 "}, nullptr);
    EXPECT_TRUE(o.refusal.empty());
    EXPECT_EQ(o.hostWindow, 0x3c00007u);
    // Well formed but past what X11 ids reach: a window never found.
    o = ParseCommandLine({"--window-id", "0x1ffffffff"}, nullptr);
    EXPECT_TRUE(o.refusal.empty());
    EXPECT_EQ(o.hostWindow, kNoSuchWindow);
}

TEST(LvCommandLine, NumbersAreReadLikePercentX) {
    EXPECT_EQ(ReadWindowNumber("   \t0x1F zz"), 0x1fu);
    EXPECT_EQ(ReadWindowNumber("12zz"), 0x12u);
    EXPECT_EQ(ReadWindowNumber("0x"), 0u); // "0" read, the "x" stops it
    EXPECT_EQ(ReadWindowNumber("zz"), 0u);
    EXPECT_EQ(ReadWindowNumber("+ff"), 0xffu);
    EXPECT_EQ(ReadWindowNumber("ffffffff"), 0xffffffffu);
    // Too large or negative: a window that can never be found, not a wrap.
    EXPECT_EQ(ReadWindowNumber("100000000"), kNoSuchWindow);
    EXPECT_EQ(ReadWindowNumber("123456789abcdef0123456789"), kNoSuchWindow);
    EXPECT_EQ(ReadWindowNumber("-5"), kNoSuchWindow);
    EXPECT_EQ(ParseCommandLine({"fffffffff"}, nullptr).mode, StartMode::Desktop);
}

TEST(LvCommandLine, HelpAndUnknownOptionsAreToldApartFromNumbersAndHostForms) {
    EXPECT_TRUE(ParseCommandLine({"--help"}, nullptr).help);
    EXPECT_TRUE(ParseCommandLine({"-h"}, "0x2a").help);
    EXPECT_TRUE(ParseCommandLine({"1a2b", "-h"}, nullptr).help);
    StartOptions o = ParseCommandLine({"--fullscreen"}, nullptr);
    EXPECT_FALSE(o.help);
    EXPECT_EQ(o.unknownOption, "--fullscreen");
    EXPECT_EQ(ParseCommandLine({"-q", "--root"}, "0x2a").unknownOption, "-q");
    // The old forms are no options: a signed number, "/w", "/s".
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-1a2b"}, {"+1a2b"}, {"/s"}, {"/w1a2b"}, {"-root"}, {"--window"}}) {
        o = ParseCommandLine(args, nullptr);
        EXPECT_FALSE(o.help) << args[0];
        EXPECT_EQ(o.unknownOption, "") << args[0];
    }
    // What follows the host's window id is the host's.
    EXPECT_EQ(ParseCommandLine({"--window-id", "0x2a", "-x"}, nullptr).unknownOption, "");
}
