// Warning and fatal boxes: captions from the language table, the body rule,
// the activation notices, and the fatal box's restore and exit code.
#include "desktop/shell/desktop_backend.h"
#include "desktop/shell/language_table.h"
#include "desktop/shell/message_boxes.h"
#include "desktop/shell/registry.h"
#include "platform/message_box.h"
#include "shell_test_support.h"

#include <gtest/gtest.h>

using namespace lumivane;
using namespace shell_test;

namespace {

using LvBoxes = ShellTest;

TEST_F(LvBoxes, WarningTakesCaption3AndHoldsBodyAndCaptionTo255) {
    WriteFile(Dir() / "Langfile.csv", "h\nh\n3,w,Caf\xE9 warning " + std::string(300, 'c') + "\n");
    LanguageTable table;
    ASSERT_TRUE(table.Load((Dir() / "Langfile.csv").string(), LanguageTable::kColumn1));
    gpLanguageTable = &table;
    std::vector<std::string> events;
    SetActivationHandler([&](bool active) { events.push_back(active ? "active" : "inactive"); });
    std::vector<platform::MessageBoxRequest> boxes;
    platform::SetMessageBoxHook([&](const platform::MessageBoxRequest& box) {
        events.push_back("box");
        boxes.push_back(box);
        return platform::MessageBoxResult::Ok;
    });

    ShowWarning("Texture too large:", "\"models\\textures\\sky.dds\"");
    ShowWarning(std::string(400, 't').c_str(), nullptr);

    platform::SetMessageBoxHook(nullptr);
    SetActivationHandler(nullptr);
    gpLanguageTable = nullptr;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].kind, platform::MessageBoxKind::Warning);
    EXPECT_EQ(boxes[0].text, "Texture too large:\n\"models\\textures\\sky.dds\"");
    // 255 bytes of the table's code page, shown as UTF-8 (é takes two).
    EXPECT_EQ(boxes[0].title.rfind("Caf\xC3\xA9 warning ccc", 0), 0u) << boxes[0].title;
    EXPECT_EQ(boxes[0].title.size(), 256u);
    EXPECT_EQ(boxes[1].text, std::string(255, 't'));
    EXPECT_EQ(events,
              (std::vector<std::string>{"inactive", "box", "active", "inactive", "box", "active"}));
}

TEST_F(LvBoxes, FatalErrorPutsTheDesktopBackAndExitsNonZero) {
    WriteFile(Dir() / "Langfile.csv", "h\nh\n1,caption,Lumivane stopped\n");
    {
        Registry registry;
        ASSERT_TRUE(registry.TryOpen());
        const WallpaperBytes saved = WallpaperToBytes(MakeWallpaperPath(u"/home/ann/sea.png"));
        registry.SetBinary("SaveWallpaper", saved.data(), saved.size(), KeyRoot::User);
        auto desktop = CreateDesktopBackend();
        desktop->SetWallpaper(u"file:///opt/lumivane/Lumivane.htm");
        desktop->Apply(kApplyAll);
    }
    Child program(HelperArgs({"fatal", (Dir() / "Langfile.csv").string()}));
    EXPECT_EQ(program.Finish(), 1);
    EXPECT_NE(program.Stderr().find(
                  "[Error] Lumivane stopped: The scene cannot go on.\nscenes\\broken.mis"),
              std::string::npos)
        << program.Stderr();
    auto desktop = CreateDesktopBackend();
    EXPECT_TRUE(WallpaperText(desktop->GetWallpaper()) == u"/home/ann/sea.png");
}

} // namespace
