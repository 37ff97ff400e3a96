// The functions LumivaneMenu exports by name: the component-server entry
// points a shell calls (class object, unloading, registration), turning the
// animated desktop on and off, and opening the help page. Plain C shapes,
// so any loader can bind them with dlsym.
#include "desktop/shell/active_desktop.h"
#include "desktop_menu/interface/module_exports.h"
#include "desktop_menu/interface/shell_extension.h"
#include "desktop_menu/module/menu_commands.h"
#include "desktop_menu/module/module_lock.h"
#include "desktop_menu/module/module_path.h"
#include "desktop_menu/module/pallowen_handler.h"
#include "desktop_menu/module/registration.h"

#define LUMIVANE_MENU_EXPORT extern "C" __attribute__((visibility("default")))

using namespace lumivane::menu;

LUMIVANE_MENU_EXPORT HRESULT DllCanUnloadNow() {
    return ModuleInUse() ? S_FALSE : S_OK;
}

LUMIVANE_MENU_EXPORT HRESULT DllGetClassObject(const Guid* classId, const Guid* iid,
                                               void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!classId || !iid) return E_POINTER;
    if (!(*classId == kPallowenHandlerClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    return PallowenClassFactory().QueryInterface(*iid, object);
}

LUMIVANE_MENU_EXPORT HRESULT DllRegisterServer() {
    const std::string path = ModulePath().string();
    return path.empty() ? SELFREG_E_CLASS : RegisterServer(path);
}

LUMIVANE_MENU_EXPORT HRESULT DllUnregisterServer() {
    return UnregisterServer(ModulePath().string());
}

LUMIVANE_MENU_EXPORT uint32_t TurnOn(uint32_t, uint32_t, uint32_t) {
    return uint32_t(lumivane::TurnOn());
}

LUMIVANE_MENU_EXPORT uint32_t TurnOff(uint32_t, uint32_t, uint32_t) {
    return TurnOffAnimatedDesktop();
}

// The command-line forms. Nothing needs setting up on the calling thread
// first: the desktop stand-in is reached through the settings store.
LUMIVANE_MENU_EXPORT void TurnOnRunDll(void*, void*, const char*, int32_t) {
    lumivane::TurnOn();
}

LUMIVANE_MENU_EXPORT void TurnOffRunDll(void*, void*, const char*, int32_t) {
    TurnOffAnimatedDesktop();
}

LUMIVANE_MENU_EXPORT uint32_t HelpIS(uint32_t, uint32_t, uint32_t) {
    return OpenHelp();
}
