// Loading LumivaneMenu the way a shell loads a component server: found
// through its class's registration (or, to register it, by its path), bound
// by name, and unloaded only when it says nothing of it is still in use.
#pragma once

#include "desktop_menu/interface/component.h"

#include <memory>
#include <string>

namespace lumivane::menu {

class LoadedModule {
public:
    static std::unique_ptr<LoadedModule> Load(const std::string& path, std::string* error);
    // The library that the class key's "InprocServer32" names.
    static std::unique_ptr<LoadedModule> LoadRegistered(const Guid& classId, std::string* error);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    const std::string& Path() const { return path_; }

    // The exported function, or null.
    template <typename Function> Function Find(const char* name) const {
        return reinterpret_cast<Function>(FindSymbol(name));
    }

private:
    LoadedModule(std::string path, void* handle) : path_(std::move(path)), handle_(handle) {}
    void* FindSymbol(const char* name) const;

    std::string path_;
    void* handle_;
};

} // namespace lumivane::menu
