// What LumivaneMenu exports by name, as the shapes a loader binds with
// dlsym, and where its registration lives in the settings store. A loader
// finds the library through its class's "InprocServer32" key and never
// links it.
#pragma once

#include "desktop_menu/interface/component.h"

#include <cstdint>
#include <string>

namespace lumivane::menu {

using DllCanUnloadNowFunction = HRESULT (*)();
using DllGetClassObjectFunction = HRESULT (*)(const Guid* classId, const Guid* iid, void** object);
using DllRegisterServerFunction = HRESULT (*)();
using DllUnregisterServerFunction = HRESULT (*)();
// TurnOn, TurnOff and HelpIS: three words, all ignored; they answer 0.
using WordsEntryFunction = uint32_t (*)(uint32_t, uint32_t, uint32_t);
// TurnOnRunDll and TurnOffRunDll: the shape of a command-line entry
// (window, instance, command line, show), all ignored.
using RunDllEntryFunction = void (*)(void* window, void* instance, const char* commandLine,
                                     int32_t show);

inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";
inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";
inline constexpr const char* kTurnOn = "TurnOn";
inline constexpr const char* kTurnOff = "TurnOff";
inline constexpr const char* kTurnOnRunDll = "TurnOnRunDll";
inline constexpr const char* kTurnOffRunDll = "TurnOffRunDll";
inline constexpr const char* kHelpIS = "HelpIS";

// The library's file name in the runtime folder.
inline constexpr const char* kModuleFileName = "LumivaneMenu.so";

// The classes root: the machine scope of the settings store, below this
// key. A class's key is "CLSID\{...}" there; the default value of a key is
// the value with the empty name.
inline constexpr const char* kClassesRoot = "Software\\Classes";

inline std::string ClassKeyPath(const Guid& classId) {
    return std::string(kClassesRoot) + "\\CLSID\\" + FormatGuid(classId);
}

// The key whose default value is the library's path.
inline std::string InprocServerKeyPath(const Guid& classId) {
    return ClassKeyPath(classId) + "\\InprocServer32";
}

} // namespace lumivane::menu
