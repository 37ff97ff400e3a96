// Registering PallowenHandler in the classes root of the settings store, as
// a shell finds extensions: its program identifiers and its class key with
// "InprocServer32" naming the library. Nothing here hooks the class into a
// desktop menu; an installer does that.
#pragma once

#include "desktop_menu/interface/component.h"

#include <string>

namespace lumivane::menu {

inline constexpr const char* kProgId = "Pallowen.PallowenHandler.1";
inline constexpr const char* kVersionIndependentProgId = "Pallowen.PallowenHandler";
inline constexpr const char* kClassDescription = "PallowenHandler Class";

// Writes the keys, the class key made afresh, with the library at
// `modulePath`. S_OK, or SELFREG_E_CLASS when the store refuses (then
// nothing is left half written).
HRESULT RegisterServer(const std::string& modulePath);

// Removes the program identifiers and the class key, never the "CLSID" key
// that holds every class. S_OK, or SELFREG_E_CLASS when the store refuses.
HRESULT UnregisterServer();

} // namespace lumivane::menu
