// The registration keys of PallowenHandler, written and removed.
#include "desktop_menu/module/registration.h"

#include "desktop/shell/registry.h"
#include "desktop_menu/interface/module_exports.h"
#include "desktop_menu/interface/shell_extension.h"
#include "platform/settings_store.h"

#include <filesystem>
#include <vector>

namespace lumivane::menu {

namespace {

using platform::SettingsScope;
using platform::SettingsStatus;

// The default value of a key: the value without a name.
constexpr const char* kDefault = "";

std::string ClassesKey(const std::string& relative) {
    return std::string(kClassesRoot) + "\\" + relative;
}

platform::SettingsBatchItem Text(const std::string& key, const char* name,
                                 const std::string& value) {
    return {SettingsScope::Machine, key, name, platform::SettingsType::String,
            std::vector<uint8_t>(value.begin(), value.end())};
}

bool Removed(SettingsStatus status) {
    return status == SettingsStatus::Ok || status == SettingsStatus::NotFound;
}

// The data folder registration names: the one beside the library.
std::string DataFolderBeside(const std::string& modulePath) {
    return (std::filesystem::path(modulePath).parent_path() / kDataFolderName).string();
}

SettingsStatus RemoveKeys(platform::SettingsStore& store) {
    for (const std::string& key : {ClassesKey(kProgId), ClassesKey(kVersionIndependentProgId),
                                   ClassKeyPath(kPallowenHandlerClassId)}) {
        const SettingsStatus status = store.DeleteKey(SettingsScope::Machine, key);
        if (!Removed(status)) return status;
    }
    return SettingsStatus::Ok;
}

} // namespace

HRESULT RegisterServer(const std::string& modulePath) {
    auto store = platform::SettingsStore::Open();
    if (!store) return SELFREG_E_CLASS;
    const std::string classId = FormatGuid(kPallowenHandlerClassId);
    // The type library the class key names describes the automation
    // interface, which nothing here calls; the library itself is not
    // registered.
    const std::string typeLibrary = FormatGuid(kIidPallowenDispatch);
    const std::string progId = ClassesKey(kProgId);
    const std::string independent = ClassesKey(kVersionIndependentProgId);
    const std::string classKey = ClassKeyPath(kPallowenHandlerClassId);

    // The class key is made afresh; the "CLSID" key above it stays.
    if (!Removed(store->DeleteKey(SettingsScope::Machine, classKey))) return SELFREG_E_CLASS;
    const std::vector<platform::SettingsBatchItem> values = {
        Text(progId, kDefault, kClassDescription),
        Text(progId + "\\CLSID", kDefault, classId),
        Text(independent, kDefault, kClassDescription),
        Text(independent + "\\CLSID", kDefault, classId),
        Text(independent + "\\CurVer", kDefault, kProgId),
        Text(classKey, kDefault, kClassDescription),
        Text(classKey + "\\ProgID", kDefault, kProgId),
        Text(classKey + "\\VersionIndependentProgID", kDefault, kVersionIndependentProgId),
        Text(classKey + "\\InprocServer32", kDefault, modulePath),
        Text(classKey + "\\InprocServer32", "ThreadingModel", "Apartment"),
        Text(classKey + "\\TypeLib", kDefault, typeLibrary),
    };
    if (store->SetValues(values) != SettingsStatus::Ok ||
        store->CreateKey(SettingsScope::Machine, classKey + "\\Programmable") !=
            SettingsStatus::Ok) {
        RemoveKeys(*store);
        return SELFREG_E_CLASS;
    }
    std::string workingDir;
    store->GetString(SettingsScope::Machine, SettingsKey::kKeyPath, values::kWorkingDir.name,
                     workingDir);
    if (workingDir.empty() &&
        store->SetString(SettingsScope::Machine, SettingsKey::kKeyPath, values::kWorkingDir.name,
                         DataFolderBeside(modulePath)) != SettingsStatus::Ok) {
        RemoveKeys(*store);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterServer(const std::string& modulePath) {
    auto store = platform::SettingsStore::Open();
    if (!store) return SELFREG_E_CLASS;
    if (RemoveKeys(*store) != SettingsStatus::Ok) return SELFREG_E_CLASS;
    // An installation's own folder stays; the one registration recorded goes.
    std::string workingDir;
    store->GetString(SettingsScope::Machine, SettingsKey::kKeyPath, values::kWorkingDir.name,
                     workingDir);
    if (workingDir == DataFolderBeside(modulePath) &&
        !Removed(store->DeleteValue(SettingsScope::Machine, SettingsKey::kKeyPath,
                                    values::kWorkingDir.name)))
        return SELFREG_E_CLASS;
    return S_OK;
}

} // namespace lumivane::menu
