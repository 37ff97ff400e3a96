// A context menu as plain data, in place of a toolkit's menu handle: items
// with an identifier, a text, a check mark and a grayed state, separators,
// and popups holding items of their own. The menu module inserts into the
// model the shell hands it; a shell (or the host program) shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lumivane::menu {

struct MenuItem;

class MenuModel {
public:
    // Inserts before the item at `position`; a position past the end
    // appends, as the system's menus do.
    MenuItem& Insert(size_t position, MenuItem item);
    MenuItem& Append(MenuItem item);

    const std::vector<MenuItem>& Items() const { return items_; }
    size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }

private:
    std::vector<MenuItem> items_;
};

enum class MenuItemKind { Command, Separator, Popup };

struct MenuItem {
    MenuItemKind kind = MenuItemKind::Command;
    uint32_t id = 0;  // commands only
    std::string text; // UTF-8
    bool checked = false;
    bool grayed = false;
    MenuModel popup; // popups only

    static MenuItem Command(uint32_t id, std::string text, bool checked = false,
                            bool grayed = false) {
        MenuItem item;
        item.id = id;
        item.text = std::move(text);
        item.checked = checked;
        item.grayed = grayed;
        return item;
    }
    static MenuItem Separator() {
        MenuItem item;
        item.kind = MenuItemKind::Separator;
        return item;
    }
    static MenuItem Popup(std::string text, MenuModel items) {
        MenuItem item;
        item.kind = MenuItemKind::Popup;
        item.text = std::move(text);
        item.popup = std::move(items);
        return item;
    }
};

inline MenuItem& MenuModel::Insert(size_t position, MenuItem item) {
    if (position > items_.size()) position = items_.size();
    return *items_.insert(items_.begin() + std::ptrdiff_t(position), std::move(item));
}

inline MenuItem& MenuModel::Append(MenuItem item) {
    return Insert(items_.size(), std::move(item));
}

} // namespace lumivane::menu
