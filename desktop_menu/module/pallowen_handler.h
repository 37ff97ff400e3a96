// PallowenHandler, the one class LumivaneMenu serves: a context-menu
// extension that the shell makes for each menu of the desktop background.
// It is told which folder the menu is for, puts the product popup into the
// menu, and carries out the item picked from the menu it built.
#pragma once

#include "desktop_menu/interface/shell_extension.h"
#include "desktop_menu/module/menu_layout.h"
#include "desktop_menu/module/scene_list.h"

#include <atomic>
#include <vector>

namespace lumivane::menu {

class PallowenHandler final : public ShellExtInit, public ContextMenu3 {
public:
    // A new object holds no reference yet; it keeps the module loaded
    // until it ends.
    PallowenHandler();
    PallowenHandler(const PallowenHandler&) = delete;
    PallowenHandler& operator=(const PallowenHandler&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    uint32_t AddRef() override;
    uint32_t Release() override;

    // The menu is for the desktop background when the folder's item list
    // is present and empty; anything else gets no items.
    HRESULT Initialize(const ItemIdList* folder, void* dataObject, void* classKey) override;

    HRESULT QueryContextMenu(MenuModel* menu, uint32_t index, uint32_t idFirst, uint32_t idLast,
                             uint32_t flags) override;
    // A verb given as text is ignored; an offset is decoded against the
    // last menu this object built. Always answers S_OK.
    HRESULT InvokeCommand(const InvokeCommandInfo* info) override;
    // No help texts, verbs or drawn items: these answer S_OK and do nothing.
    HRESULT GetCommandString(uintptr_t offset, uint32_t type, uint32_t* reserved, char* name,
                             uint32_t size) override;
    HRESULT HandleMenuMsg(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    HRESULT HandleMenuMsg2(uint32_t message, uintptr_t wParam, intptr_t lParam,
                           intptr_t* result) override;

private:
    ~PallowenHandler();

    std::atomic<uint32_t> references_{0};
    bool onDesktop_ = false;
    CommandOffsets offsets_;
    std::vector<SceneEntry> scenes_;
};

// The class object that makes PallowenHandlers. It lives as long as the
// module; every reference to it keeps the module loaded.
ClassFactory& PallowenClassFactory();

} // namespace lumivane::menu
