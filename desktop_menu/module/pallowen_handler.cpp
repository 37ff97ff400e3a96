// PallowenHandler and its class factory.
#include "desktop_menu/module/pallowen_handler.h"

#include "desktop_menu/module/menu_builder.h"
#include "desktop_menu/module/menu_commands.h"
#include "desktop_menu/module/module_lock.h"

#include <new>

namespace lumivane::menu {

PallowenHandler::PallowenHandler() {
    LockModule();
}

PallowenHandler::~PallowenHandler() {
    UnlockModule();
}

HRESULT PallowenHandler::QueryInterface(const Guid& iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == kIidUnknown || iid == kIidShellExtInit) {
        *object = static_cast<ShellExtInit*>(this);
    } else if (iid == kIidContextMenu || iid == kIidContextMenu2 || iid == kIidContextMenu3) {
        *object = static_cast<ContextMenu3*>(this);
    } else {
        // Also the automation interface: nothing here calls it.
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

uint32_t PallowenHandler::AddRef() {
    return references_.fetch_add(1) + 1;
}

uint32_t PallowenHandler::Release() {
    const uint32_t left = references_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
}

HRESULT PallowenHandler::Initialize(const ItemIdList* folder, void*, void*) {
    onDesktop_ = folder && folder->firstItemSize == 0;
    offsets_.Reset();
    scenes_.clear();
    return S_OK;
}

HRESULT PallowenHandler::QueryContextMenu(MenuModel* menu, uint32_t, uint32_t idFirst, uint32_t,
                                          uint32_t flags) {
    offsets_.Reset();
    scenes_.clear();
    if (!onDesktop_ || (flags & kMenuDefaultOnly)) return 0;
    if (!menu) return E_POINTER;
    return HRESULT(BuildDesktopMenu(*menu, idFirst, offsets_, scenes_));
}

HRESULT PallowenHandler::InvokeCommand(const InvokeCommandInfo* info) {
    if (!info) return S_OK;
    const uintptr_t verb = reinterpret_cast<uintptr_t>(info->verb);
    if (verb >> 16) return S_OK;
    CarryOut(DecodeOffset(offsets_, int(scenes_.size()), int(verb & 0xFFFF)), scenes_);
    return S_OK;
}

HRESULT PallowenHandler::GetCommandString(uintptr_t, uint32_t, uint32_t*, char*, uint32_t) {
    return S_OK;
}

HRESULT PallowenHandler::HandleMenuMsg(uint32_t, uintptr_t, intptr_t) {
    return S_OK;
}

HRESULT PallowenHandler::HandleMenuMsg2(uint32_t, uintptr_t, intptr_t, intptr_t*) {
    return S_OK;
}

namespace {

class PallowenFactory final : public ClassFactory {
public:
    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!(iid == kIidUnknown || iid == kIidClassFactory)) return E_NOINTERFACE;
        *object = static_cast<ClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    uint32_t AddRef() override {
        LockModule();
        return references_.fetch_add(1) + 1;
    }
    uint32_t Release() override {
        UnlockModule();
        return references_.fetch_sub(1) - 1;
    }
    HRESULT CreateInstance(Unknown* outer, const Guid& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* handler = new (std::nothrow) PallowenHandler;
        if (!handler) return E_OUTOFMEMORY;
        handler->AddRef();
        const HRESULT result = handler->QueryInterface(iid, object);
        handler->Release();
        return result;
    }
    HRESULT LockServer(bool lock) override {
        if (lock) {
            LockModule();
        } else {
            UnlockModule();
        }
        return S_OK;
    }

private:
    std::atomic<uint32_t> references_{0};
};

} // namespace

ClassFactory& PallowenClassFactory() {
    static PallowenFactory factory;
    return factory;
}

} // namespace lumivane::menu
