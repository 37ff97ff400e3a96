// Turning the animated desktop on and off, and the program's own restore,
// against the stand-in desktop in the settings store.
#include "desktop/shell/active_desktop.h"
#include "desktop/shell/desktop_backend.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop/shell/registry.h"
#include "platform/settings_store.h"
#include "shell_test_support.h"

#include <gtest/gtest.h>

using namespace lumivane;
using namespace shell_test;

namespace {

constexpr const char* kProductPage = "file:///opt/lumivane/Lumivane.htm";
constexpr const char16_t* kProductPage16 = u"file:///opt/lumivane/Lumivane.htm";

struct DesktopState {
    uint32_t components = 0;
    uint32_t active = 0;
    std::u16string wallpaper;
};

class LvDesktop : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        store_ = platform::SettingsStore::Open();
        ASSERT_TRUE(store_);
    }
    void TearDown() override {
        SetDesktopBackendFactory(nullptr);
        gpRegistry = nullptr;
        gpDesktopObjects = nullptr;
        ShellTest::TearDown();
    }

    void SetProductPage(const char* page) {
        store_->SetString(platform::SettingsScope::Machine, SettingsKey::kKeyPath, "html", page);
    }
    void SetDesktop(const DesktopState& state) {
        auto desktop = CreateDesktopBackend();
        ASSERT_TRUE(desktop);
        desktop->SetOptions({12, state.components, state.active});
        desktop->SetWallpaper(state.wallpaper);
        desktop->Apply(kApplyAll);
    }
    DesktopState Desktop() {
        auto desktop = CreateDesktopBackend();
        const DesktopOptions options = desktop->GetOptions();
        return {options.enableComponents, options.activeDesktop,
                std::u16string(WallpaperText(desktop->GetWallpaper()))};
    }

    std::unique_ptr<platform::SettingsStore> store_;
};

void ExpectDesktop(const DesktopState& actual, const DesktopState& expected) {
    EXPECT_EQ(actual.components, expected.components);
    EXPECT_EQ(actual.active, expected.active);
    EXPECT_TRUE(actual.wallpaper == expected.wallpaper);
}

TEST_F(LvDesktop, OnThenOffAndOnTwiceThenOffGiveTheUsersDesktopBack) {
    SetProductPage(kProductPage);
    const DesktopState users{1, 0, u"/home/ann/Pictures/Fjord \u00e5.png"};
    SetDesktop(users);

    EXPECT_EQ(TurnOn(), 0);
    ExpectDesktop(Desktop(), {0, 1, kProductPage16});
    platform::SettingsValueInfo saved;
    ASSERT_EQ(store_->GetInfo(platform::SettingsScope::User, SettingsKey::kKeyPath, "SaveWallpaper",
                              saved),
              platform::SettingsStatus::Ok);
    EXPECT_EQ(saved.type, platform::SettingsType::Binary);
    EXPECT_EQ(saved.size, 520u);
    EXPECT_EQ(TurnOff(), 0);
    ExpectDesktop(Desktop(), users);

    // A second turn-on must not save the product page over the user's own.
    TurnOn();
    TurnOn();
    TurnOff();
    ExpectDesktop(Desktop(), users);
}

TEST_F(LvDesktop, RestoreWithNothingSavedGivesActiveWithoutComponentsOrWallpaper) {
    SetProductPage(kProductPage);
    SetDesktop({1, 0, kProductPage16});
    Registry registry;
    ASSERT_TRUE(registry.TryOpen());
    gpRegistry = &registry;
    EXPECT_EQ(RestoreDesktop(), 0);
    ExpectDesktop(Desktop(), {0, 1, u""});

    // A saved wallpaper that is the product page is no wallpaper either.
    const WallpaperBytes page = WallpaperToBytes(MakeWallpaperPath(kProductPage16));
    registry.SetBinary("SaveWallpaper", page.data(), page.size(), KeyRoot::User);
    registry.Write(values::kSaveActiveDesktop, 0);
    RestoreDesktop();
    ExpectDesktop(Desktop(), {0, 0, u""});
}

// Records whether "Lumivane: Exe Turn Off" was signalled when applying.
class WatchingDesktop : public DesktopBackend {
public:
    WatchingDesktop(platform::NamedEvent* event, int* applies, bool* signalledAtApply)
        : event_(event), applies_(applies), signalledAtApply_(signalledAtApply) {}
    DesktopOptions GetOptions() override { return {}; }
    void SetOptions(const DesktopOptions&) override {}
    WallpaperPath GetWallpaper() override { return {}; }
    void SetWallpaper(std::u16string_view) override {}
    void Apply(uint32_t flags) override {
        ++*applies_;
        EXPECT_EQ(flags, kApplyAll);
        *signalledAtApply_ = event_->Poll();
    }

private:
    platform::NamedEvent* event_;
    int* applies_;
    bool* signalledAtApply_;
};

TEST_F(LvDesktop, ProgramRestoreSignalsExeTurnOffBeforeApplyingAndNeedsItsRegistry) {
    auto objects = DesktopObjects::Create();
    ASSERT_TRUE(objects);
    auto observer = platform::NamedEvent::Create("Lumivane: Exe Turn Off", false, false);
    ASSERT_TRUE(observer);
    int applies = 0;
    bool signalledAtApply = false;
    SetDesktopBackendFactory([&] {
        return std::make_unique<WatchingDesktop>(observer.get(), &applies, &signalledAtApply);
    });

    RestoreDesktop(); // no Registry yet: nothing happens
    EXPECT_EQ(applies, 0);

    Registry registry;
    ASSERT_TRUE(registry.TryOpen());
    gpRegistry = &registry;
    gpDesktopObjects = objects.get();
    RestoreDesktop();
    EXPECT_EQ(applies, 1);
    EXPECT_TRUE(signalledAtApply);

    TurnOff(); // the menu's restore signals nothing
    EXPECT_EQ(applies, 2);
    EXPECT_FALSE(signalledAtApply);
}

} // namespace
