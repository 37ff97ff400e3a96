// The popup's commands: what each writes, turning the desktop on and off,
// the pages and programs they open, the screen saver, and the raise request
// they leave for the running desktop program.
#include "desktop/shell/desktop_backend.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop_menu/module/screen_saver.h"
#include "menu_test_support.h"
#include "platform/named/shared_block.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

using namespace menu_test;

namespace {

// With no scenes the commands start at offset 20.
constexpr int kTurnOnOrOff = 20, kScreenSaver = 21, kFreeze = 22, kHighQuality = 23,
              kDisplayProperties = 24, kRandomNow = 25, kRandomStartup = 26, kMute = 27, kLogo = 28,
              kHelp = 29, kHomePage = 30;
constexpr int kFirstPeriod = 11;

constexpr const char* kProductPage = "file:///opt/lumivane/Lumivane.htm";

class MenuCommands : public MenuTest {
protected:
    bool Running() {
        auto desktop = lumivane::CreateDesktopBackend();
        const lumivane::WallpaperPath wallpaper = desktop->GetWallpaper();
        const auto text = lumivane::WallpaperText(wallpaper);
        return desktop->GetOptions().activeDesktop && text.find(u"Lumivane.htm") != text.npos;
    }
    // The item at the offset of a freshly built popup (a plain one when
    // there is none).
    MenuItem ItemAt(int offset) {
        MenuModel menu;
        Handler handler;
        handler.Build(menu);
        const MenuItem* item = FindItem(menu, uint32_t(offset));
        return item ? *item : MenuItem{};
    }
    bool Checked(int offset) { return ItemAt(offset).checked; }
    bool Grayed(int offset) { return ItemAt(offset).grayed; }
    std::string ProductPage() {
        std::string page;
        store_->GetString(platform::SettingsScope::Machine, lumivane::SettingsKey::kKeyPath, "html",
                          page);
        return page;
    }
};

TEST_F(MenuCommands, SettingsCommandsWriteTheirValues) {
    Handler handler;
    SetUserByte("Mute", 1);
    handler.Pick(10); // volume "0"
    EXPECT_EQ(UserDword("Volume"), 0);
    EXPECT_EQ(UserByte("Mute"), 0);
    handler.Pick(0); // volume "10"
    EXPECT_EQ(UserDword("Volume"), 10);

    handler.Pick(kFirstPeriod + 8);
    EXPECT_EQ(UserDword("RandomPeriod"), 86400);
    handler.Pick(kFirstPeriod);
    EXPECT_EQ(UserDword("RandomPeriod"), 0);

    // Random now also unfreezes; "RandomNow" is a one-byte value.
    SetUserDword("Freeze", 1);
    handler.Pick(kRandomNow);
    EXPECT_EQ(UserByte("RandomNow"), 1);
    EXPECT_EQ(UserDword("Freeze"), 0);

    // Not running: the item freezes.
    handler.Pick(kFreeze);
    EXPECT_EQ(UserDword("Freeze"), 1);

    // An offset outside every range, and a verb given as text, do nothing.
    SetUserDword("Volume", 3);
    handler.Pick(31);
    InvokeCommandInfo info;
    info.verb = "open";
    handler.Menu()->InvokeCommand(&info);
    EXPECT_EQ(UserDword("Volume"), 3);
}

TEST_F(MenuCommands, TogglesStartFromTheirDefaults) {
    Handler handler;
    handler.Pick(kMute);
    EXPECT_EQ(UserByte("Mute"), 1);
    handler.Pick(kRandomStartup);
    EXPECT_EQ(UserByte("RandomStartup"), 0);
    handler.Pick(kLogo);
    EXPECT_EQ(UserByte("Logo"), 0);
    const bool highQuality = Checked(kHighQuality);
    handler.Pick(kHighQuality);
    EXPECT_EQ(UserByte("HighQualityMode"), highQuality ? 0 : 1);
    for (int offset : {kMute, kRandomStartup, kLogo, kHighQuality})
        handler.Pick(offset);
    EXPECT_EQ(UserByte("Mute"), 0);
    EXPECT_EQ(UserByte("RandomStartup"), 1);
    EXPECT_EQ(UserByte("Logo"), 1);
    EXPECT_EQ(UserByte("HighQualityMode"), highQuality ? 1 : 0);
}

TEST_F(MenuCommands, TheOnItemTurnsOnWhenUncheckedAndOffWhenChecked) {
    SetMachineString("html", kProductPage);
    {
        auto desktop = lumivane::CreateDesktopBackend();
        desktop->SetOptions({12, 1, 0});
        desktop->SetWallpaper(u"/home/ann/fjord.png");
        desktop->Apply(lumivane::kApplyAll);
    }
    SetUserDword("Freeze", 1);
    Handler handler;
    EXPECT_FALSE(Checked(kTurnOnOrOff));
    handler.Pick(kTurnOnOrOff);
    EXPECT_TRUE(Running());
    EXPECT_EQ(UserDword("Freeze"), 0);
    EXPECT_TRUE(Checked(kTurnOnOrOff));

    // Running, the freeze item now freezes and unfreezes.
    handler.Pick(kFreeze);
    EXPECT_EQ(UserDword("Freeze"), 1);
    handler.Pick(kFreeze);
    EXPECT_EQ(UserDword("Freeze"), 0);

    handler.Pick(kTurnOnOrOff);
    EXPECT_FALSE(Running());
    auto desktop = lumivane::CreateDesktopBackend();
    EXPECT_EQ(desktop->GetOptions().enableComponents, 1u);
    EXPECT_TRUE(lumivane::WallpaperText(desktop->GetWallpaper()) == u"/home/ann/fjord.png");
}

TEST_F(MenuCommands, TurningOnNamesTheDataFoldersPageSoTheMenuShowsItOn) {
    WriteFile(DataDir() / "Lumivane.htm", "<html></html>");
    Handler handler;
    EXPECT_TRUE(Grayed(kFreeze));
    handler.Pick(kTurnOnOrOff);
    EXPECT_EQ(ProductPage(), "file://" + (DataDir() / "Lumivane.htm").string());
    EXPECT_TRUE(Running());
    EXPECT_TRUE(Checked(kTurnOnOrOff));
    EXPECT_FALSE(Grayed(kFreeze));
    EXPECT_FALSE(Grayed(kRandomNow));

    handler.Pick(kTurnOnOrOff);
    EXPECT_FALSE(Running());
    EXPECT_EQ(ProductPage(), "");
    EXPECT_FALSE(Checked(kTurnOnOrOff));
    EXPECT_TRUE(Grayed(kRandomNow));
}

TEST_F(MenuCommands, PagesAndDisplayPropertiesOpenWithoutWaiting) {
    WriteFile(DataDir() / "ReadMe.htm", "<html></html>");
    SetMachineDword("AdVariation", 7);
    Handler handler;
    handler.Pick(kHelp);
    handler.Pick(kHomePage);
    // Both run detached, so either may be recorded first.
    auto opened = Opened(2);
    ASSERT_EQ(opened.size(), 2u);
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened[0], (DataDir() / "ReadMe.htm").string());
    EXPECT_EQ(opened[1].rfind("https://", 0), 0u) << opened[1];
    EXPECT_NE(opened[1].find("/7/"), std::string::npos) << opened[1];

    // None configured: nothing runs. Configured: the command line runs.
    handler.Pick(kDisplayProperties);
    const auto marker = Dir() / "display.txt";
    SetMachineString("DisplayPropertiesCommand", "echo shown > '" + marker.string() + "'");
    handler.Pick(kDisplayProperties);
    for (int i = 0; i < 1000 && ReadFile(marker).empty(); ++i)
        usleep(10000);
    EXPECT_EQ(ReadFile(marker), "shown\n");
}

const char* const kUsersScreenSaver = "# XScreenSaver Preferences File\n"
                                      "timeout:\t0:10:00\n"
                                      "mode:\t\trandom\n"
                                      "selected:\t1\n"
                                      "\n"
                                      "programs:\t\t\t\t\t\t\t\t      \\\n"
                                      "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
                                      "- GL:\t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
                                      "\n"
                                      "pointerPollTime:\t0:00:05\n";

TEST_F(MenuCommands, SettingThenRemovingTheScreenSaverLeavesEverythingAsItWas) {
    const auto config = HomeDir() / ".xscreensaver";
    WriteFile(config, kUsersScreenSaver);
    const std::string storeBefore = DumpStore(*store_);
    Handler handler;
    EXPECT_FALSE(Checked(kScreenSaver));
    handler.Pick(kScreenSaver);
    EXPECT_TRUE(Checked(kScreenSaver));
    const std::string set = ReadFile(config);
    EXPECT_NE(set.find("mode:\t\tone\n"), std::string::npos) << set;
    EXPECT_NE(set.find("selected:\t2\n"), std::string::npos) << set;
    EXPECT_NE(set.find("--root"), std::string::npos) << set;
    EXPECT_NE(set.find("timeout:\t0:10:00\n"), std::string::npos);
    std::string program;
    store_->GetString(platform::SettingsScope::User, kSystemScreenSaverKey, kSystemScreenSaverValue,
                      program);
    EXPECT_EQ(std::filesystem::path(program).filename(), "Lumivane");

    handler.Pick(kScreenSaver);
    EXPECT_FALSE(Checked(kScreenSaver));
    EXPECT_EQ(ReadFile(config), kUsersScreenSaver);
    EXPECT_EQ(DumpStore(*store_), storeBefore);
}

TEST_F(MenuCommands, AMissingScreenSaverFileIsMadeWithOnlyTheseLinesAndGoesAgain) {
    const auto config = HomeDir() / ".xscreensaver";
    const std::string storeBefore = DumpStore(*store_);
    Handler handler;
    handler.Pick(kScreenSaver);
    const std::string made = ReadFile(config);
    EXPECT_EQ(made.rfind("mode:\t\tone\nselected:\t0\nprograms:\t\\\n\t\t\"Lumivane\"  ", 0), 0u)
        << made;
    EXPECT_EQ(std::count(made.begin(), made.end(), '\n'), 4);
    handler.Pick(kScreenSaver);
    EXPECT_FALSE(std::filesystem::exists(config));
    EXPECT_EQ(DumpStore(*store_), storeBefore);
}

// The raise request in a block the test holds, as a running program would.
class RaiseRequest : public MenuCommands {
protected:
    void Publish(pid_t pid) {
        block_ = platform::SharedBlock::Create(lumivane::kFileMappingName);
        ASSERT_TRUE(block_);
        block_->SetWord(lumivane::kProcessIdWord, uint32_t(pid));
    }
    bool TakeRequest() { return lumivane::TakeRaiseRequest(*block_); }

    std::unique_ptr<platform::SharedBlock> block_;
};

TEST_F(RaiseRequest, EveryCommandButDisplayAndScreenSaverAsksALiveProgram) {
    AddScene("a.mis");
    Publish(getpid());
    Handler handler;
    // With one scene: volume 0-10, the scene 11, periods 12-20, commands 21-31.
    for (int offset : {0, 10, 11, 12, 20, 21, 21, 23, 24, 26, 27, 28, 29, 30, 31}) {
        handler.Pick(offset);
        EXPECT_TRUE(TakeRequest()) << "offset " << offset;
    }
    for (int offset : {22, 25, 22}) {
        handler.Pick(offset);
        EXPECT_FALSE(TakeRequest()) << "offset " << offset;
    }
    EXPECT_EQ(Opened(2).size(), 2u); // help and home page ran detached
}

TEST_F(RaiseRequest, ADeadProgramOrNoneIsNeverAskedAndNoBlockIsMade) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    Publish(child);
    Handler handler;
    handler.Pick(kMute);
    EXPECT_EQ(block_->Word(lumivane::kRequestWord), 0u);

    block_.reset();
    ASSERT_FALSE(std::filesystem::exists(SegmentFile("Lumivane_File_Mapping")));
    handler.Pick(kMute);
    EXPECT_FALSE(std::filesystem::exists(SegmentFile("Lumivane_File_Mapping")));
}

} // namespace
