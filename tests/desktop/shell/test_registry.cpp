// The settings key: defaults, types and sizes, change notice across
// processes, and the fatal box when it cannot be opened.
#include "desktop/shell/registry.h"
#include "platform/settings_store.h"
#include "shell_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace lumivane;
using namespace shell_test;

namespace {

using LvRegistry = ShellTest;
using platform::SettingsScope;

constexpr const char* kKey = SettingsKey::kKeyPath;

TEST_F(LvRegistry, MissingOrMistypedValuesReadAsTheirDefaults) {
    Registry registry;
    ASSERT_TRUE(registry.TryOpen());
    EXPECT_EQ(registry.Read(values::kVolume), 5u);
    EXPECT_EQ(registry.Read(values::kRandomPeriod), 600u);
    EXPECT_EQ(registry.Read(values::kRandomStartup), 1);
    EXPECT_EQ(registry.Read(values::kScene), "Hell's Heart.mis");
    EXPECT_EQ(registry.Read(values::kHighQualityMode, HighQualityDefault(1024)), 1);
    EXPECT_EQ(registry.Read(values::kHighQualityMode, HighQualityDefault(1280)), 0);

    auto store = platform::SettingsStore::Open();
    ASSERT_TRUE(store);
    store->SetString(SettingsScope::User, kKey, "Volume", "9");
    const uint32_t fourBytes = 1;
    store->SetBinary(SettingsScope::User, kKey, "Mute", &fourBytes, sizeof fourBytes);
    store->SetString(SettingsScope::User, kKey, "Scene", std::string(260, 'a'));
    store->SetDword(SettingsScope::Machine, kKey, "WorkingDir", 3);
    EXPECT_EQ(registry.Read(values::kVolume), 5u);
    EXPECT_EQ(registry.Read(values::kMute), 0);
    EXPECT_EQ(registry.Read(values::kScene), "Hell's Heart.mis"); // no room for the terminator
    EXPECT_EQ(registry.Read(values::kWorkingDir), "");

    // A text exactly one byte short of the buffer fits, terminated.
    store->SetString(SettingsScope::User, kKey, "Scene", std::string(259, 'b'));
    char buffer[260];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_TRUE(registry.GetString("Scene", buffer, sizeof buffer, KeyRoot::User));
    EXPECT_EQ(std::string(buffer), std::string(259, 'b'));
    uint32_t untouched = 77;
    EXPECT_FALSE(registry.GetDword("NoSuchValue", untouched, KeyRoot::Machine));
    EXPECT_EQ(untouched, 77u);
}

TEST_F(LvRegistry, WritesKeepTheirTypesAndScopes) {
    Registry registry;
    ASSERT_TRUE(registry.TryOpen());
    ASSERT_TRUE(registry.Write(values::kMute, 1));
    ASSERT_TRUE(registry.SetFlag("BossDefeated"));
    ASSERT_TRUE(registry.SetDword("Unicode", 1, KeyRoot::Machine));

    auto store = platform::SettingsStore::Open();
    ASSERT_TRUE(store);
    platform::SettingsValueInfo info;
    ASSERT_EQ(store->GetInfo(SettingsScope::User, kKey, "Mute", info),
              platform::SettingsStatus::Ok);
    EXPECT_EQ(info.type, platform::SettingsType::Binary);
    EXPECT_EQ(info.size, 1u);
    uint32_t flag = 0, unicode = 0;
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "BossDefeated", flag),
              platform::SettingsStatus::Ok);
    EXPECT_EQ(flag, 1u);
    EXPECT_EQ(store->GetDword(SettingsScope::Machine, kKey, "Unicode", unicode),
              platform::SettingsStatus::Ok);
    EXPECT_EQ(unicode, 1u);
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "Unicode", unicode),
              platform::SettingsStatus::NotFound);
}

TEST_F(LvRegistry, ChangesByAnotherProcessAreNoticedOnce) {
    Registry registry;
    ASSERT_TRUE(registry.TryOpen());
    EXPECT_TRUE(registry.HasChanged()); // the first pass reads everything
    EXPECT_FALSE(registry.HasChanged());

    Child menu(HelperArgs({"settings-string", "user", "Scene", "Ice Rings.mis"}));
    ASSERT_EQ(menu.Finish(), 0) << menu.Stderr();
    EXPECT_TRUE(registry.HasChanged());
    EXPECT_FALSE(registry.HasChanged());
    EXPECT_EQ(registry.Read(values::kScene), "Ice Rings.mis");

    Child installer(HelperArgs({"settings-dword", "machine", "Unicode", "1"}));
    ASSERT_EQ(installer.Finish(), 0) << installer.Stderr();
    EXPECT_TRUE(registry.HasChanged());
    EXPECT_FALSE(registry.HasChanged());
}

TEST_F(LvRegistry, KeysThatCannotBeOpenedEndTheProgramWithBox25) {
    WriteFile(Dir() / "Langfile.csv", "Lumivane\nId,Note,Text\n1,caption,Lumivane error\n"
                                      "25,text,The settings cannot be opened.\n");
    // A file where the settings folder should be.
    WriteFile(Dir() / "blocked", "not a folder");
    setenv("JENTRA_SETTINGS_DIR", (Dir() / "blocked").c_str(), 1);
    Child program(HelperArgs({"registry-open", (Dir() / "Langfile.csv").string()}));
    EXPECT_EQ(program.Finish(), 1);
    EXPECT_NE(program.Stderr().find("Lumivane error: The settings cannot be opened."),
              std::string::npos)
        << program.Stderr();

    // The menu's key object goes on quietly with its defaults.
    MenuKey key;
    key.Open();
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Read(values::kLogo), 1);
    EXPECT_FALSE(key.Write(values::kLogo, 0));
}

} // namespace
