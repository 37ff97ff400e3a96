// lumivane-menu: drives LumivaneMenu as a desktop shell and its command-line
// entry points would. It registers and unregisters the library, builds the
// popup of the desktop background and prints it, carries out one of its
// items, turns the animated desktop on and off, and opens the help page.
// The library is loaded through its registration, never linked.
#include "desktop_menu/host/menu_printer.h"
#include "desktop_menu/host/module_loader.h"
#include "desktop_menu/interface/module_exports.h"
#include "desktop_menu/interface/shell_extension.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace lumivane::menu;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Identifiers the host hands the menu: the items' identifiers are then
// their offsets.
constexpr uint32_t kFirstIdentifier = 0;
constexpr uint32_t kLastIdentifier = 0x7FFF;

int Usage() {
    std::fprintf(stderr,
                 "usage: lumivane-menu <command>\n"
                 "  register [library]    register LumivaneMenu (by default the one beside this "
                 "program)\n"
                 "  unregister [library]  remove its registration\n"
                 "  list                  build the desktop's popup and print its items\n"
                 "  invoke <offset>       build the popup, then carry out the item at the offset\n"
                 "  turn-on, turn-off     turn the animated desktop on or off\n"
                 "  help                  open Lumivane's help page\n");
    return kExitUsage;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "lumivane-menu: %s\n", message.c_str());
    return kExitFailure;
}

std::string DefaultLibraryPath() {
    return (platform::ProgramFolder() / kModuleFileName).string();
}

int RunRegistration(bool registering, const std::string& path) {
    std::string error;
    auto module = LoadedModule::Load(path, &error);
    if (!module) return Fail(error);
    const char* name = registering ? kDllRegisterServer : kDllUnregisterServer;
    const auto entry = module->Find<DllRegisterServerFunction>(name);
    if (!entry) return Fail(path + " does not export " + name);
    const HRESULT result = entry();
    if (!Succeeded(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", unsigned(result));
        return Fail(std::string(name) + " failed with " + code);
    }
    return 0;
}

std::unique_ptr<LoadedModule> LoadRegistered() {
    std::string error;
    auto module = LoadedModule::LoadRegistered(kPallowenHandlerClassId, &error);
    if (!module) Fail(error);
    return module;
}

// The popup of the desktop background, built by a handler of the
// registered library. The library goes last, after its object.
struct DesktopPopup {
    std::unique_ptr<LoadedModule> module;
    Ref<ContextMenu> menu;
    MenuModel model;
    HRESULT answer = 0;
};

int BuildDesktopPopup(DesktopPopup& popup) {
    popup.module = LoadRegistered();
    if (!popup.module) return kExitFailure;
    LoadedModule& module = *popup.module;
    const auto getClassObject = module.Find<DllGetClassObjectFunction>(kDllGetClassObject);
    if (!getClassObject) return Fail(module.Path() + " does not export " + kDllGetClassObject);
    Ref<ClassFactory> factory;
    HRESULT result = getClassObject(&kPallowenHandlerClassId, &kIidClassFactory, factory.Out());
    if (!Succeeded(result)) return Fail("the menu's class object is not available");
    Ref<ShellExtInit> init;
    result = factory->CreateInstance(nullptr, kIidShellExtInit, init.Out());
    if (!Succeeded(result)) return Fail("the menu object could not be made");
    const ItemIdList desktop{0};
    init->Initialize(&desktop, nullptr, nullptr);
    result = init->QueryInterface(kIidContextMenu, popup.menu.Out());
    if (!Succeeded(result)) return Fail("the menu object has no context menu");
    popup.answer =
        popup.menu->QueryContextMenu(&popup.model, 0, kFirstIdentifier, kLastIdentifier, 0);
    return 0;
}

int List() {
    DesktopPopup popup;
    if (int failed = BuildDesktopPopup(popup)) return failed;
    PrintMenu(popup.model, stdout);
    std::printf("answer %d\n", int(popup.answer));
    return 0;
}

bool ParseOffset(std::string_view text, uint16_t& offset) {
    if (text.empty() || text.size() > 5) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + unsigned(c - '0');
    }
    if (value > 0xFFFF) return false;
    offset = uint16_t(value);
    return true;
}

int Invoke(uint16_t offset) {
    DesktopPopup popup;
    if (int failed = BuildDesktopPopup(popup)) return failed;
    InvokeCommandInfo info;
    info.verb = VerbFromOffset(offset);
    popup.menu->InvokeCommand(&info);
    return 0;
}

int RunEntry(const char* name) {
    auto module = LoadRegistered();
    if (!module) return kExitFailure;
    if (std::string_view(name) == kHelpIS) {
        const auto entry = module->Find<WordsEntryFunction>(name);
        if (!entry) return Fail(module->Path() + " does not export " + name);
        entry(0, 0, 0);
        return 0;
    }
    const auto entry = module->Find<RunDllEntryFunction>(name);
    if (!entry) return Fail(module->Path() + " does not export " + name);
    entry(nullptr, nullptr, "", 1);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string_view command = argv[1];
    const int extra = argc - 2;
    if (command == "register" || command == "unregister") {
        if (extra > 1) return Usage();
        return RunRegistration(command == "register", extra ? argv[2] : DefaultLibraryPath());
    }
    if (command == "invoke") {
        uint16_t offset = 0;
        if (extra != 1 || !ParseOffset(argv[2], offset)) return Usage();
        return Invoke(offset);
    }
    if (extra != 0) return Usage();
    if (command == "list") return List();
    if (command == "turn-on") return RunEntry(kTurnOnRunDll);
    if (command == "turn-off") return RunEntry(kTurnOffRunDll);
    if (command == "help") return RunEntry(kHelpIS);
    return Usage();
}
