// Building the desktop popup: its 18 positions with their identifiers,
// checks and grays, the scene list (search, names, sort, limit), the
// safe-mode item, and menus that get nothing.
#include "desktop/shell/desktop_backend.h"
#include "menu_test_support.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace menu_test;

namespace {

using Kind = MenuItemKind;

struct Expected {
    Kind kind;
    uint32_t id;
    int textId; // 0: no text
    bool checked;
    bool grayed;
};

void ExpectItems(const MenuModel& menu, const std::vector<Expected>& expected) {
    ASSERT_EQ(menu.Count(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("position " + std::to_string(i));
        const MenuItem& item = menu.Items()[i];
        EXPECT_EQ(item.kind, expected[i].kind);
        if (expected[i].kind == Kind::Separator) continue;
        EXPECT_EQ(item.text, expected[i].textId ? Label(expected[i].textId) : "");
        if (expected[i].kind == Kind::Popup) continue;
        EXPECT_EQ(item.id, expected[i].id);
        EXPECT_EQ(item.checked, expected[i].checked);
        EXPECT_EQ(item.grayed, expected[i].grayed);
    }
}

std::vector<std::string> Texts(const MenuModel& menu) {
    std::vector<std::string> texts;
    for (const MenuItem& item : menu.Items())
        texts.push_back(item.text);
    return texts;
}

class DesktopMenu : public MenuTest {
protected:
    void SetDesktop(bool active, const std::u16string& wallpaper) {
        auto desktop = lumivane::CreateDesktopBackend();
        ASSERT_TRUE(desktop);
        desktop->SetOptions({12, 0, active ? 1u : 0u});
        desktop->SetWallpaper(wallpaper);
        desktop->Apply(lumivane::kApplyAll);
    }
    const MenuModel& Product(const MenuModel& menu) { return menu.Items().at(0).popup; }
    const MenuModel& ScenesOf(const MenuModel& menu) { return Product(menu).Items().at(7).popup; }
};

TEST_F(DesktopMenu, EighteenPositionsNumberedFromTheRangesAndTheCommands) {
    AddScene("b.mis");
    AddScene("a.mis");
    AddScene("c.mis");
    MenuModel menu;
    menu.Append(MenuItem::Command(900, "shell's own"));
    Handler handler;
    EXPECT_EQ(handler.Build(menu), 32 + 3);

    // The popup and a separator go to the top; the shell's item follows.
    ASSERT_EQ(menu.Count(), 3u);
    EXPECT_EQ(menu.Items()[0].kind, Kind::Popup);
    EXPECT_EQ(menu.Items()[0].text, Label(10007));
    EXPECT_EQ(menu.Items()[1].kind, Kind::Separator);
    EXPECT_EQ(menu.Items()[2].id, 900u);

    // Not running, defaults: Volume 5, RandomPeriod 600, RandomStartup and
    // Logo on, Mute off; the commands start at 20 + S.
    const uint32_t k = 23;
    const uint8_t highQuality = lumivane::HighQualityDefault(platform::DesktopWidth());
    ExpectItems(Product(menu), {
                                   {Kind::Command, k, 10114, false, false},
                                   {Kind::Command, k + 1, 10115, false, false},
                                   {Kind::Separator, 0, 0, false, false},
                                   {Kind::Command, k + 2, 10005, false, true},
                                   {Kind::Command, k + 3, 10035, highQuality != 0, false},
                                   {Kind::Command, k + 4, 10116, false, false},
                                   {Kind::Separator, 0, 0, false, false},
                                   {Kind::Popup, 0, 10002, false, false},
                                   {Kind::Command, k + 5, 10009, false, true},
                                   {Kind::Popup, 0, 10011, false, false},
                                   {Kind::Command, k + 6, 10008, true, false},
                                   {Kind::Separator, 0, 0, false, false},
                                   {Kind::Popup, 0, 10003, false, false},
                                   {Kind::Command, k + 7, 10004, false, false},
                                   {Kind::Separator, 0, 0, false, false},
                                   {Kind::Command, k + 8, 10036, true, false},
                                   {Kind::Command, k + 9, 10030, false, false},
                                   {Kind::Command, k + 10, 10031, false, false},
                               });
    const MenuModel& volume = Product(menu).Items()[12].popup;
    ASSERT_EQ(volume.Count(), 11u);
    for (uint32_t i = 0; i < 11; ++i) {
        EXPECT_EQ(volume.Items()[i].id, i);
        EXPECT_EQ(volume.Items()[i].text, std::to_string(10 - i));
        EXPECT_EQ(volume.Items()[i].checked, i == 5);
    }
    EXPECT_EQ(Texts(ScenesOf(menu)), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(ScenesOf(menu).Items()[0].id, 11u);
    const MenuModel& periods = Product(menu).Items()[9].popup;
    ASSERT_EQ(periods.Count(), 9u);
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(periods.Items()[i].id, 14 + i);
        EXPECT_EQ(periods.Items()[i].text, Label(10012 + int(i)));
        EXPECT_EQ(periods.Items()[i].checked, i == 2); // 600 seconds
    }

    // Identifiers count from the first one the shell gives.
    MenuModel shifted;
    Handler second;
    EXPECT_EQ(second.Build(shifted, 1000), 35);
    EXPECT_EQ(Product(shifted).Items()[0].id, 1023u);
    EXPECT_EQ(ScenesOf(shifted).Items()[2].id, 1013u);
}

TEST_F(DesktopMenu, ChecksAndGraysFollowTheRunningDesktopAndTheSettings) {
    SetDesktop(true, u"file:///opt/lumivane/Lumivane.htm");
    SetUserDword("Freeze", 1);
    SetUserDword("Volume", 0);
    SetUserByte("Mute", 0);
    SetUserByte("RandomStartup", 0);
    SetUserDword("RandomPeriod", 86400);
    SetUserByte("Logo", 0);
    SetUserByte("HighQualityMode", 1);
    WriteFile(HomeDir() / ".xscreensaver",
              "mode: one\nselected: 1\nprograms: \\\n"
              "  qix -root \\n\\\n  \"L\" /opt/x/Lumivane --root\\n\n");
    MenuModel menu;
    Handler handler;
    handler.Build(menu);
    const MenuModel& product = Product(menu);
    EXPECT_TRUE(product.Items()[0].checked); // running
    EXPECT_TRUE(product.Items()[1].checked); // Lumivane is the screen saver
    EXPECT_TRUE(product.Items()[3].checked); // frozen while running
    EXPECT_FALSE(product.Items()[3].grayed);
    EXPECT_FALSE(product.Items()[8].grayed);   // random now
    EXPECT_TRUE(product.Items()[4].checked);   // high quality
    EXPECT_FALSE(product.Items()[10].checked); // random startup
    EXPECT_FALSE(product.Items()[13].checked); // mute
    EXPECT_FALSE(product.Items()[15].checked); // logo
    // Volume 0 checks "0" although Mute is off.
    EXPECT_TRUE(product.Items()[12].popup.Items()[10].checked);
    EXPECT_TRUE(product.Items()[9].popup.Items()[8].checked);

    // Another program selected, or the desktop page not shown: no checks.
    WriteFile(HomeDir() / ".xscreensaver",
              "mode: one\nselected: 0\nprograms: \\\n"
              "  qix -root \\n\\\n  \"L\" /opt/x/Lumivane --root\\n\n");
    SetDesktop(true, u"/home/ann/fjord.png");
    MenuModel other;
    handler.Build(other);
    EXPECT_FALSE(Product(other).Items()[0].checked);
    EXPECT_FALSE(Product(other).Items()[1].checked);
    EXPECT_FALSE(Product(other).Items()[3].checked); // Freeze is set, but nothing runs
    EXPECT_TRUE(Product(other).Items()[3].grayed);
}

TEST_F(DesktopMenu, ScenesAreNamedByTheirTablesAndSortedStablyWithoutCase) {
    AddScene("1.mis", "Same");
    AddScene("2.mis", "Same");
    AddScene("3.mis", "alpha");
    AddScene("4.mis", "Beta v1.2");
    AddScene("Zulu.Mis");       // no table: the file name without extension
    AddScene("5.MIS", "GAMMA"); // the extension in any case
    WriteFile(DataDir() / "Scenes" / "notes.txt", "not a scene");
    std::filesystem::create_directory(DataDir() / "Scenes" / "folder.mis");
    SetUserString("Scene", "2.MIS");
    MenuModel menu;
    Handler handler;
    EXPECT_EQ(handler.Build(menu), 32 + 6);
    EXPECT_EQ(Texts(ScenesOf(menu)),
              (std::vector<std::string>{"alpha", "Beta v1", "GAMMA", "Same", "Same", "Zulu"}));
    // Equal names keep their search order: "1.mis" before "2.mis", which
    // the setting checks.
    EXPECT_FALSE(ScenesOf(menu).Items()[3].checked);
    EXPECT_TRUE(ScenesOf(menu).Items()[4].checked);
    handler.Invoke(11 + 3);
    EXPECT_EQ(UserString("Scene"), "1.mis");
}

TEST_F(DesktopMenu, AtMostOneHundredScenesAreListed) {
    for (int i = 0; i < 101; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "s%03d.mis", i);
        AddScene(name);
    }
    MenuModel menu;
    Handler handler;
    EXPECT_EQ(handler.Build(menu), 32 + 100);
    ASSERT_EQ(ScenesOf(menu).Count(), 100u);
    EXPECT_EQ(ScenesOf(menu).Items().back().text, "s099");
}

TEST_F(DesktopMenu, WithoutWorkingDirTheScenesOfTheCurrentFolderAreListed) {
    AddScene("here.mis");
    SetMachineString("WorkingDir", "");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(DataDir());
    MenuModel menu;
    Handler handler;
    handler.Build(menu);
    std::filesystem::current_path(previous);
    EXPECT_EQ(menu.Items()[0].text, Label(10007));
    EXPECT_EQ(Texts(ScenesOf(menu)), std::vector<std::string>{"here"});
}

TEST_F(DesktopMenu, UnicodeTablesAreReadAsUtf16) {
    auto utf16 = [](const std::u16string& text) {
        std::string bytes = "\xFF\xFE";
        for (char16_t unit : text) {
            bytes += char(unit & 0xFF);
            bytes += char(unit >> 8);
        }
        return bytes;
    };
    SetMachineDword("Unicode", 1);
    SetMachineDword("CodePage", 1252);
    WriteFile(DataDir() / "LANGFILE.TXT", utf16(u"L\r\nId\tText\r\n10007\t\tLumivan\u00e9\r\n"));
    AddScene("n.mis");
    WriteFile(DataDir() / "Scenes" / "n.txt", utf16(u"S\r\nId\tName\r\n1\tn\tN\u00e9bula\r\n"));
    MenuModel menu;
    Handler handler;
    handler.Build(menu);
    EXPECT_EQ(menu.Items()[0].text, "Lumivan\u00e9");
    EXPECT_EQ(Texts(ScenesOf(menu)), std::vector<std::string>{"N\u00e9bula"});
}

TEST_F(DesktopMenu, SafeModeGivesOnlyTheGrayedItem) {
    AddScene("a.mis");
    SetDesktop(true, u"C:\\Windows\\Web\\safemode.htm");
    MenuModel menu;
    Handler handler;
    EXPECT_EQ(handler.Build(menu, 500), 2);
    ASSERT_EQ(menu.Count(), 2u);
    EXPECT_EQ(menu.Items()[0].id, 500u);
    EXPECT_EQ(menu.Items()[0].text, Label(10010));
    EXPECT_TRUE(menu.Items()[0].grayed);
    EXPECT_EQ(menu.Items()[1].kind, Kind::Separator);
    // Its identifier is no command.
    SetUserDword("Volume", 7);
    handler.Invoke(0);
    EXPECT_EQ(UserDword("Volume"), 7);
}

TEST_F(DesktopMenu, OtherFoldersAndDefaultOnlyMenusGetNothing) {
    Handler handler;
    MenuModel menu;
    menu.Append(MenuItem::Command(7, "open"));
    const ItemIdList folder{14};
    handler.Init()->Initialize(&folder, nullptr, nullptr);
    EXPECT_EQ(handler.Menu()->QueryContextMenu(&menu, 0, 0, 100, 0), 0);
    handler.Init()->Initialize(nullptr, nullptr, nullptr);
    EXPECT_EQ(handler.Menu()->QueryContextMenu(&menu, 0, 0, 100, 0), 0);
    EXPECT_EQ(handler.Build(menu, 0, kMenuDefaultOnly), 0);
    ASSERT_EQ(menu.Count(), 1u);
    EXPECT_EQ(menu.Items()[0].id, 7u);
}

} // namespace
