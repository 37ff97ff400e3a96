// Shared set-up of the desktop menu tests: on top of the shell tests' own
// settings folder and named-object prefix, each test gets its own home
// folder (for ~/.xscreensaver), a data folder named by "WorkingDir" with a
// language table, and an "xdg-open" early in PATH that only records what
// it was asked to open.
#pragma once

#include "desktop/shell/registry.h"
#include "desktop_menu/interface/shell_extension.h"
#include "desktop_menu/module/pallowen_handler.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "tests/desktop/shell/shell_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace menu_test {

using namespace lumivane::menu;
using shell_test::ReadFile;
using shell_test::WriteFile;

// Language entries of the fixture table: the text of entry n is "T<n>".
inline std::string Label(int id) {
    return "T" + std::to_string(id);
}

class MenuTest : public shell_test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Remember("HOME");
        Remember("PATH");
        for (const char* folder : {"home", "bin", "data/Scenes"})
            std::filesystem::create_directories(Dir() / folder);
        setenv("HOME", (Dir() / "home").c_str(), 1);
        WriteFile(Dir() / "bin" / "xdg-open",
                  "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + OpenRecord().string() + "'\n");
        std::filesystem::permissions(Dir() / "bin" / "xdg-open", std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        setenv("PATH", ((Dir() / "bin").string() + ":" + (path ? path : "/usr/bin:/bin")).c_str(),
               1);
        store_ = platform::SettingsStore::Open();
        ASSERT_TRUE(store_);
        // An installation: both keys exist, the data folder is named.
        SetMachineString("WorkingDir", DataDir().string());
        store_->CreateKey(platform::SettingsScope::User, lumivane::SettingsKey::kKeyPath);
        std::string table = "Lumivane\nId,Text\n";
        for (int id = 10000; id < 10200; ++id)
            table += std::to_string(id) + ",," + Label(id) + "\n";
        WriteFile(DataDir() / "Langfile.csv", table);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value.second) {
                setenv(name.c_str(), value.first.c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        store_.reset();
        ShellTest::TearDown();
    }

    std::filesystem::path DataDir() const { return Dir() / "data"; }
    std::filesystem::path HomeDir() const { return Dir() / "home"; }
    std::filesystem::path OpenRecord() const { return Dir() / "opened.txt"; }

    // A scene file, with a companion table naming it when `displayName` is
    // given.
    void AddScene(const std::string& fileName, const std::string& displayName = {}) {
        WriteFile(DataDir() / "Scenes" / fileName, "MISS");
        if (displayName.empty()) return;
        const std::string stem = fileName.substr(0, fileName.rfind('.'));
        WriteFile(DataDir() / "Scenes" / (stem + ".csv"),
                  "Scene\nId,Name\n1,name," + displayName + "\n");
    }

    void SetUserDword(const char* name, uint32_t value) {
        store_->SetDword(platform::SettingsScope::User, lumivane::SettingsKey::kKeyPath, name,
                         value);
    }
    void SetUserByte(const char* name, uint8_t value) {
        store_->SetBinary(platform::SettingsScope::User, lumivane::SettingsKey::kKeyPath, name,
                          &value, 1);
    }
    void SetUserString(const char* name, const std::string& value) {
        store_->SetString(platform::SettingsScope::User, lumivane::SettingsKey::kKeyPath, name,
                          value);
    }
    void SetMachineString(const char* name, const std::string& value) {
        store_->SetString(platform::SettingsScope::Machine, lumivane::SettingsKey::kKeyPath, name,
                          value);
    }
    void SetMachineDword(const char* name, uint32_t value) {
        store_->SetDword(platform::SettingsScope::Machine, lumivane::SettingsKey::kKeyPath, name,
                         value);
    }
    // A value of the user key; -1 when missing.
    int64_t UserDword(const char* name) {
        uint32_t value = 0;
        return store_->GetDword(platform::SettingsScope::User, lumivane::SettingsKey::kKeyPath,
                                name, value) == platform::SettingsStatus::Ok
                   ? value
                   : -1;
    }
    int UserByte(const char* name) {
        uint8_t value = 0;
        return store_->GetBinary(platform::SettingsScope::User, lumivane::SettingsKey::kKeyPath,
                                 name, &value, 1) == platform::SettingsStatus::Ok
                   ? value
                   : -1;
    }
    std::string UserString(const char* name) {
        std::string value;
        store_->GetString(platform::SettingsScope::User, lumivane::SettingsKey::kKeyPath, name,
                          value);
        return value;
    }

    // What the recording xdg-open was asked to open, one line a call,
    // waiting up to a few seconds for `count` lines (it runs detached).
    std::vector<std::string> Opened(size_t count) {
        std::vector<std::string> lines;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (true) {
            lines.clear();
            std::string text = ReadFile(OpenRecord());
            size_t start = 0;
            for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
                lines.push_back(text.substr(start, end - start));
            if (lines.size() >= count || std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return lines;
    }

    void Remember(const char* name) {
        const char* value = std::getenv(name);
        saved_.push_back({name, {value ? value : "", value != nullptr}});
    }

    std::unique_ptr<platform::SettingsStore> store_;

private:
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> saved_;
};

// A menu object of the module linked into the tests, as a shell makes one.
class Handler {
public:
    Handler() {
        PallowenClassFactory().CreateInstance(nullptr, kIidContextMenu3, menu_.Out());
        menu_->QueryInterface(kIidShellExtInit, init_.Out());
    }
    ShellExtInit* Init() { return init_.Get(); }
    ContextMenu3* Menu() { return menu_.Get(); }

    // Initialises for the desktop background and builds the popup.
    HRESULT Build(MenuModel& model, uint32_t idFirst = 0, uint32_t flags = 0) {
        const ItemIdList desktop{0};
        init_->Initialize(&desktop, nullptr, nullptr);
        return menu_->QueryContextMenu(&model, 0, idFirst, idFirst + 0x7FFF, flags);
    }
    void Invoke(int offset) {
        InvokeCommandInfo info;
        info.verb = VerbFromOffset(uint16_t(offset));
        menu_->InvokeCommand(&info);
    }
    // Builds a fresh popup, then picks the item at the offset.
    void Pick(int offset) {
        MenuModel model;
        Build(model);
        Invoke(offset);
    }

private:
    Ref<ContextMenu3> menu_;
    Ref<ShellExtInit> init_;
};

// Every key and value of one scope below `key`, as text, to compare whole
// stores before and after.
inline void DumpKey(platform::SettingsStore& store, platform::SettingsScope scope,
                    const std::string& key, std::string& out) {
    out += "[" + key + "]\n";
    std::vector<platform::SettingsValueInfo> values;
    store.EnumerateValues(scope, key, values);
    for (const auto& value : values) {
        std::vector<uint8_t> data;
        platform::SettingsValueInfo info;
        store.GetInfo(scope, key, value.name, info);
        out += value.name + "=" + std::to_string(int(info.type)) + ":";
        if (info.type == platform::SettingsType::String) {
            std::string text;
            store.GetString(scope, key, value.name, text);
            out += text;
        } else if (info.type == platform::SettingsType::Dword) {
            uint32_t number = 0;
            store.GetDword(scope, key, value.name, number);
            out += std::to_string(number);
        } else {
            store.GetBinary(scope, key, value.name, data);
            for (uint8_t byte : data)
                out += std::to_string(byte) + ",";
        }
        out += "\n";
    }
    std::vector<std::string> subkeys;
    store.EnumerateSubkeys(scope, key, subkeys);
    for (const std::string& subkey : subkeys)
        DumpKey(store, scope, key.empty() ? subkey : key + "\\" + subkey, out);
}

inline std::string DumpStore(platform::SettingsStore& store) {
    std::string out;
    for (auto scope : {platform::SettingsScope::User, platform::SettingsScope::Machine}) {
        out += scope == platform::SettingsScope::User ? "user\n" : "machine\n";
        DumpKey(store, scope, "", out);
    }
    return out;
}

// The item of the menu with the identifier, searched through every popup.
inline const MenuItem* FindItem(const MenuModel& menu, uint32_t id) {
    for (const MenuItem& item : menu.Items()) {
        if (item.kind == MenuItemKind::Command && item.id == id) return &item;
        if (item.kind == MenuItemKind::Popup)
            if (const MenuItem* found = FindItem(item.popup, id)) return found;
    }
    return nullptr;
}

} // namespace menu_test
