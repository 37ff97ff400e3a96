// Plug-in modules over the system's dynamic loader. Modules are opened once
// and never closed: the objects they made and the vtables those objects
// point into must outlive every scene.
#include "Jentra/core/proto/module_loader.h"

#include "platform/paths.h"

#include <dlfcn.h>

#include <cstring>

namespace jentra_proto {

std::string ModuleLibraryName(const char* moduleFileName) {
    std::string name = moduleFileName ? moduleFileName : "";
    constexpr std::string_view kDll = ".dll";
    if (name.size() > kDll.size() &&
        platform::EqualsIgnoreCase(std::string_view(name).substr(name.size() - kDll.size()), kDll))
        name.replace(name.size() - kDll.size(), kDll.size(), ".so");
    return name;
}

std::optional<std::filesystem::path> ResolveModulePath(const char* moduleFileName) {
    if (!moduleFileName || !*moduleFileName) return std::nullopt;
    return platform::ResolvePath(platform::ProgramFolder(), ModuleLibraryName(moduleFileName));
}

bool OpenModule(const char* moduleFileName, void** handle, JTEntityFactoryFn* factory,
                std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    std::optional<std::filesystem::path> path = ResolveModulePath(moduleFileName);
    if (!path)
        return fail(std::string("no module ") + ModuleLibraryName(moduleFileName) + " in " +
                    platform::ProgramFolder().string());
    void* lib = dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char* why = dlerror();
        return fail(why ? why : "the loader refused " + path->string());
    }
    dlerror();
    void* entry = dlsym(lib, JT_ENTITY_FACTORY_SYMBOL);
    if (!entry) {
        // A library without the entry point is no module of ours: release it.
        dlclose(lib);
        return fail(path->string() + " exports no " JT_ENTITY_FACTORY_SYMBOL);
    }
    *handle = lib;
    // The loader hands out data pointers; POSIX guarantees function pointers
    // round-trip through them.
    JTEntityFactoryFn fn;
    static_assert(sizeof fn == sizeof entry);
    std::memcpy(&fn, &entry, sizeof fn);
    *factory = fn;
    return true;
}

} // namespace jentra_proto
