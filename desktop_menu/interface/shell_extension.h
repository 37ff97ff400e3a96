// The interfaces through which a shell drives a context-menu extension:
// it creates the object, tells it which folder the menu is for
// (`ShellExtInit`), lets it add its items (`ContextMenu`) and hands back the
// item the user picked. Also the identifiers of the one class LumivaneMenu
// serves.
#pragma once

#include "desktop_menu/interface/component.h"
#include "desktop_menu/interface/menu_model.h"

#include <cstdint>

namespace lumivane::menu {

// The class `PallowenHandler`.
inline constexpr Guid kPallowenHandlerClassId{
    0xB0B2B6D0, 0xC48E, 0x11D5, {0x89, 0xEB, 0x00, 0x20, 0xE0, 0x6C, 0xCE, 0x77}};
// Its automation interface, which nothing here calls: asking for it, or for
// automation in general, answers E_NOINTERFACE.
inline constexpr Guid kIidPallowenDispatch{
    0xB0B2B6C2, 0xC48E, 0x11D5, {0x89, 0xEB, 0x00, 0x20, 0xE0, 0x6C, 0xCE, 0x77}};
inline constexpr Guid kIidDispatch{
    0x6D0E9474, 0x65AA, 0x4DBD, {0x83, 0x2F, 0x9C, 0xCE, 0xB0, 0x52, 0xA3, 0x5A}};

inline constexpr Guid kIidShellExtInit{
    0x663B37BA, 0x7573, 0x426E, {0xBE, 0x19, 0xBD, 0x96, 0x9D, 0xC9, 0x2B, 0xC1}};
inline constexpr Guid kIidContextMenu{
    0x829C959F, 0x009E, 0x4532, {0xAF, 0xD9, 0x62, 0xA1, 0xCF, 0xC0, 0x23, 0x52}};
inline constexpr Guid kIidContextMenu2{
    0x829C959F, 0x009E, 0x4532, {0xAF, 0xD9, 0x62, 0xA1, 0xCF, 0xC0, 0x23, 0x53}};
inline constexpr Guid kIidContextMenu3{
    0x829C959F, 0x009E, 0x4532, {0xAF, 0xD9, 0x62, 0xA1, 0xCF, 0xC0, 0x23, 0x54}};

// A folder as the shell names it: a run of items, each starting with its
// 16-bit size, ended by a size of 0. The desktop itself is the empty list
// (its first size is 0). Only the first size is ever read here.
struct ItemIdList {
    uint16_t firstItemSize;
};

class ShellExtInit : public Unknown {
public:
    // `dataObject` and `classKey` (the selection and its class's settings)
    // mean nothing to a menu for a folder's background and may be null.
    virtual HRESULT Initialize(const ItemIdList* folder, void* dataObject, void* classKey) = 0;

protected:
    ~ShellExtInit() = default;
};

// Flags of QueryContextMenu: the shell wants the default item only.
inline constexpr uint32_t kMenuDefaultOnly = 0x1;

// What the user picked. `verb` is either text or, when its value is below
// 0x10000, the item's identifier offset.
struct InvokeCommandInfo {
    uint32_t size = sizeof(InvokeCommandInfo);
    uint32_t mask = 0;
    void* window = nullptr;
    const char* verb = nullptr;
    const char* parameters = nullptr;
    const char* directory = nullptr;
    int32_t show = 1; // shown normally
};

inline const char* VerbFromOffset(uint16_t offset) {
    return reinterpret_cast<const char*>(uintptr_t(offset));
}

class ContextMenu : public Unknown {
public:
    // Inserts the extension's items into `menu` (at `index`, as it
    // chooses), numbering them from idFirst up to at most idLast. A success
    // whose value is the count of identifiers it took.
    virtual HRESULT QueryContextMenu(MenuModel* menu, uint32_t index, uint32_t idFirst,
                                     uint32_t idLast, uint32_t flags) = 0;
    virtual HRESULT InvokeCommand(const InvokeCommandInfo* info) = 0;
    // Help texts and verbs of items.
    virtual HRESULT GetCommandString(uintptr_t offset, uint32_t type, uint32_t* reserved,
                                     char* name, uint32_t size) = 0;

protected:
    ~ContextMenu() = default;
};

// Menus that draw their own items hear the menu's messages.
class ContextMenu2 : public ContextMenu {
public:
    virtual HRESULT HandleMenuMsg(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

protected:
    ~ContextMenu2() = default;
};

class ContextMenu3 : public ContextMenu2 {
public:
    virtual HRESULT HandleMenuMsg2(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                   intptr_t* result) = 0;

protected:
    ~ContextMenu3() = default;
};

} // namespace lumivane::menu
