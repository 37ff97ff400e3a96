// The library as a shell sees it: its exports, class object and unload
// answer, its registration in the settings store, and the host program
// that loads it through that registration.
#include "desktop_menu/interface/module_exports.h"
#include "desktop_menu/module/registration.h"
#include "menu_test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace menu_test;

namespace {

std::string LibraryPath() {
    return (platform::ProgramFolder() / kModuleFileName).string();
}

std::string HostPath() {
    return (platform::ProgramFolder() / "lumivane-menu").string();
}

class MenuModule : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        handle_ = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_TRUE(handle_) << dlerror();
        canUnload_ = Find<DllCanUnloadNowFunction>(kDllCanUnloadNow);
        getClassObject_ = Find<DllGetClassObjectFunction>(kDllGetClassObject);
    }
    void TearDown() override {
        if (handle_) dlclose(handle_);
        MenuTest::TearDown();
    }
    template <typename Function> Function Find(const char* name) {
        return reinterpret_cast<Function>(dlsym(handle_, name));
    }
    // Runs the host program; answers its exit code.
    int Host(const std::vector<std::string>& args, std::string* out = nullptr,
             std::string* err = nullptr) {
        std::vector<std::string> argv = {HostPath()};
        argv.insert(argv.end(), args.begin(), args.end());
        shell_test::Child child(argv);
        const int code = child.Finish();
        if (out) *out = child.Stdout();
        if (err) *err = child.Stderr();
        return code;
    }

    void* handle_ = nullptr;
    DllCanUnloadNowFunction canUnload_ = nullptr;
    DllGetClassObjectFunction getClassObject_ = nullptr;
};

TEST_F(MenuModule, ExportsOnlyItsEntryPointsAndServesOnlyItsClass) {
    for (const char* name :
         {kDllCanUnloadNow, kDllGetClassObject, kDllRegisterServer, kDllUnregisterServer, kTurnOn,
          kTurnOff, kTurnOnRunDll, kTurnOffRunDll, kHelpIS})
        EXPECT_TRUE(dlsym(handle_, name)) << name;
    // The libraries linked into it stay private.
    EXPECT_FALSE(dlsym(handle_, "_ZN8lumivane6TurnOnEv"));

    void* object = &object;
    const Guid other = *ParseGuid("{75048700-EF1F-11D0-9888-006097DEACF9}");
    EXPECT_EQ(getClassObject_(&other, &kIidClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);

    Ref<ClassFactory> factory;
    ASSERT_EQ(getClassObject_(&kPallowenHandlerClassId, &kIidClassFactory, factory.Out()), S_OK);
    Ref<Unknown> aggregate;
    EXPECT_EQ(factory->CreateInstance(factory.Get(), kIidUnknown, aggregate.Out()),
              CLASS_E_NOAGGREGATION);
    Ref<ContextMenu> menu;
    ASSERT_EQ(factory->CreateInstance(nullptr, kIidContextMenu, menu.Out()), S_OK);
    Ref<ContextMenu3> menu3;
    EXPECT_EQ(menu->QueryInterface(kIidContextMenu3, menu3.Out()), S_OK);
    EXPECT_EQ(static_cast<void*>(menu3.Get()), static_cast<void*>(menu.Get()));
    // Nothing here calls automation: the dual interface is not served.
    Ref<Unknown> dispatch;
    EXPECT_EQ(menu->QueryInterface(kIidPallowenDispatch, dispatch.Out()), E_NOINTERFACE);
    EXPECT_EQ(menu->QueryInterface(kIidDispatch, dispatch.Out()), E_NOINTERFACE);
    EXPECT_FALSE(dispatch);
}

TEST_F(MenuModule, StaysLoadedWhileAnObjectOrALockLives) {
    EXPECT_EQ(canUnload_(), S_OK);
    Ref<ClassFactory> factory;
    ASSERT_EQ(getClassObject_(&kPallowenHandlerClassId, &kIidClassFactory, factory.Out()), S_OK);
    EXPECT_EQ(canUnload_(), S_FALSE); // the class object itself is held
    Ref<ShellExtInit> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, kIidShellExtInit, object.Out()), S_OK);
    factory->LockServer(true);
    factory.Reset();
    EXPECT_EQ(canUnload_(), S_FALSE);
    object.Reset();
    EXPECT_EQ(canUnload_(), S_FALSE); // the lock
    ASSERT_EQ(getClassObject_(&kPallowenHandlerClassId, &kIidUnknown, factory.Out()), S_OK);
    factory->LockServer(false);
    factory.Reset();
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(MenuModule, RegisteringThenUnregisteringLeavesTheStoreAsItWas) {
    // Another class is registered already, as in any classes root.
    const std::string otherClass = std::string(kClassesRoot) +
                                   "\\CLSID\\{11111111-2222-3333-4444-555555555555}\\"
                                   "InprocServer32";
    store_->SetString(platform::SettingsScope::Machine, otherClass, "", "/opt/other.so");
    const std::string before = DumpStore(*store_);

    ASSERT_EQ(Find<DllRegisterServerFunction>(kDllRegisterServer)(), S_OK);
    std::string path, threading, progId;
    store_->GetString(platform::SettingsScope::Machine,
                      InprocServerKeyPath(kPallowenHandlerClassId), "", path);
    store_->GetString(platform::SettingsScope::Machine,
                      InprocServerKeyPath(kPallowenHandlerClassId), "ThreadingModel", threading);
    store_->GetString(platform::SettingsScope::Machine,
                      std::string(kClassesRoot) + "\\Pallowen.PallowenHandler\\CurVer", "", progId);
    EXPECT_EQ(std::filesystem::canonical(path), std::filesystem::canonical(LibraryPath()));
    EXPECT_EQ(threading, "Apartment");
    EXPECT_EQ(progId, "Pallowen.PallowenHandler.1");
    EXPECT_TRUE(store_->KeyExists(platform::SettingsScope::Machine,
                                  ClassKeyPath(kPallowenHandlerClassId) + "\\Programmable"));
    // Nothing hooks the class into any menu.
    const std::string registered = DumpStore(*store_);
    for (const char* hook : {"shellex", "ContextMenuHandlers", "Background"})
        EXPECT_EQ(registered.find(hook), std::string::npos) << hook;

    // Registering again makes the class key afresh.
    store_->SetString(platform::SettingsScope::Machine, ClassKeyPath(kPallowenHandlerClassId),
                      "Stale", "x");
    ASSERT_EQ(Find<DllRegisterServerFunction>(kDllRegisterServer)(), S_OK);
    EXPECT_EQ(DumpStore(*store_), registered);

    ASSERT_EQ(Find<DllUnregisterServerFunction>(kDllUnregisterServer)(), S_OK);
    EXPECT_EQ(DumpStore(*store_), before);
}

TEST_F(MenuModule, RegisteringNamesTheDataFolderBesideTheLibraryForMenusOpenedAnywhere) {
    ASSERT_EQ(store_->DeleteValue(platform::SettingsScope::Machine, lumivane::SettingsKey::kKeyPath,
                                  "WorkingDir"),
              platform::SettingsStatus::Ok);
    ASSERT_EQ(Host({"register"}), 0);
    std::string workingDir;
    store_->GetString(platform::SettingsScope::Machine, lumivane::SettingsKey::kKeyPath,
                      "WorkingDir", workingDir);
    const auto shipped = std::filesystem::canonical(LibraryPath()).parent_path() / "LumivaneData";
    EXPECT_EQ(workingDir, shipped.string());

    // Opened from the home folder, the popup has the shipped texts and scenes.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(HomeDir());
    std::string out, err;
    const int listed = Host({"list"}, &out, &err);
    std::filesystem::current_path(previous);
    ASSERT_EQ(listed, 0) << err;
    EXPECT_EQ(out.find("\"\""), std::string::npos) << out; // no empty label
    EXPECT_NE(out.find("Hell's Heart"), std::string::npos) << out;

    // The recorded folder goes with the registration; an installation's stays.
    ASSERT_EQ(Host({"unregister"}), 0);
    EXPECT_EQ(store_->GetString(platform::SettingsScope::Machine, lumivane::SettingsKey::kKeyPath,
                                "WorkingDir", workingDir),
              platform::SettingsStatus::NotFound);
    SetMachineString("WorkingDir", DataDir().string());
    ASSERT_EQ(Host({"register"}), 0);
    ASSERT_EQ(Host({"unregister"}), 0);
    store_->GetString(platform::SettingsScope::Machine, lumivane::SettingsKey::kKeyPath,
                      "WorkingDir", workingDir);
    EXPECT_EQ(workingDir, DataDir().string());
}

TEST_F(MenuModule, HostListsAndInvokesThroughTheRegistration) {
    std::string out, err;
    EXPECT_EQ(Host({"list"}, &out, &err), 1);
    EXPECT_NE(err.find("not registered"), std::string::npos) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(Host({"invoke", "x"}, nullptr, &err), 2);
    EXPECT_NE(err.find("usage"), std::string::npos);

    AddScene("b.mis", "Beta v1.2");
    ASSERT_EQ(Host({"register"}, nullptr, &err), 0) << err;
    ASSERT_EQ(Host({"list"}, &out, &err), 0) << err;
    EXPECT_EQ(out.rfind("popup \"T10007\"\n  item 21 \"T10114\" check=0 gray=0\n", 0), 0u) << out;
    EXPECT_NE(out.find("\n    item 11 \"Beta v1\" check=0 gray=0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n    item 10 \"0\" check=0 gray=0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n  item 31 \"T10031\" check=0 gray=0\nseparator\nanswer 33\n"),
              std::string::npos)
        << out;

    // A second process watching the key sees each command's write.
    auto watcher = store_->Watch(platform::SettingsScope::User, "");
    ASSERT_TRUE(watcher);
    for (const char* offset : {"10", "11", "12", "21", "22", "23", "24", "26", "27", "28", "29"}) {
        ASSERT_EQ(Host({"invoke", offset}, nullptr, &err), 0) << err;
        EXPECT_TRUE(watcher->Wait(5000)) << "offset " << offset;
    }
    EXPECT_EQ(UserDword("Volume"), 0);
    EXPECT_EQ(UserString("Scene"), "b.mis");

    SetMachineString("html", "file:///opt/lumivane/Lumivane.htm");
    ASSERT_EQ(Host({"turn-on"}), 0);
    ASSERT_EQ(Host({"list"}, &out), 0);
    EXPECT_NE(out.find("item 21 \"T10114\" check=1"), std::string::npos) << out;
    ASSERT_EQ(Host({"turn-off"}), 0);
    ASSERT_EQ(Host({"help"}), 0);
    EXPECT_EQ(Opened(1), std::vector<std::string>{(DataDir() / "readme.htm").string()});

    ASSERT_EQ(Host({"unregister"}), 0);
    EXPECT_EQ(Host({"list"}), 1);
}

} // namespace
