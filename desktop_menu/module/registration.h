// Registering PallowenHandler in the classes root of the settings store, as
// a shell finds extensions: its program identifiers and its class key with
// "InprocServer32" naming the library. Nothing here hooks the class into a
// desktop menu; an installer does that. What an installer also did, naming
// the data folder in the machine value "WorkingDir", registration does when
// nothing names one: the folder beside the library. The menu then finds its
// texts and scenes from whatever folder it is opened in.
#pragma once

#include "desktop_menu/interface/component.h"

#include <string>

namespace lumivane::menu {

inline constexpr const char* kProgId = "Pallowen.PallowenHandler.1";
inline constexpr const char* kVersionIndependentProgId = "Pallowen.PallowenHandler";
inline constexpr const char* kClassDescription = "PallowenHandler Class";

// Writes the keys, the class key made afresh, with the library at
// `modulePath`, and "WorkingDir" when it is missing or empty. S_OK, or
// SELFREG_E_CLASS when the store refuses (then nothing is left half
// written).
HRESULT RegisterServer(const std::string& modulePath);

// Removes the program identifiers and the class key, never the "CLSID" key
// that holds every class, and "WorkingDir" when it is the folder that
// registering the library at `modulePath` records. S_OK, or SELFREG_E_CLASS
// when the store refuses.
HRESULT UnregisterServer(const std::string& modulePath);

} // namespace lumivane::menu
