// dlopen, dlsym and dlclose for the menu module, and the registration look-up.
#include "desktop_menu/host/module_loader.h"

#include "desktop_menu/interface/module_exports.h"
#include "platform/settings_store.h"

#include <dlfcn.h>

namespace lumivane::menu {

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::string& path, std::string* error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        if (error) *error = "cannot load " + path + ": " + (reason ? reason : "unknown reason");
        return nullptr;
    }
    return std::unique_ptr<LoadedModule>(new LoadedModule(path, handle));
}

std::unique_ptr<LoadedModule> LoadedModule::LoadRegistered(const Guid& classId,
                                                           std::string* error) {
    std::string storeError;
    auto store = platform::SettingsStore::Open(&storeError);
    if (!store) {
        if (error) *error = "cannot open the settings store: " + storeError;
        return nullptr;
    }
    std::string path;
    const auto status =
        store->GetString(platform::SettingsScope::Machine, InprocServerKeyPath(classId), "", path);
    if (status != platform::SettingsStatus::Ok || path.empty()) {
        if (error)
            *error = "the class " + FormatGuid(classId) +
                     " is not registered (run \"lumivane-menu register\" first)";
        return nullptr;
    }
    return Load(path, error);
}

LoadedModule::~LoadedModule() {
    const auto canUnload = Find<DllCanUnloadNowFunction>(kDllCanUnloadNow);
    if (!canUnload || canUnload() == S_OK) dlclose(handle_);
}

void* LoadedModule::FindSymbol(const char* name) const {
    return dlsym(handle_, name);
}

} // namespace lumivane::menu
