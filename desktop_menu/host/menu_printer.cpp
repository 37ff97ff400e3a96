// The text form of a menu.
#include "desktop_menu/host/menu_printer.h"

namespace lumivane::menu {

void PrintMenu(const MenuModel& menu, std::FILE* out, int depth) {
    for (const MenuItem& item : menu.Items()) {
        std::fprintf(out, "%*s", depth * 2, "");
        switch (item.kind) {
        case MenuItemKind::Separator:
            std::fprintf(out, "separator\n");
            break;
        case MenuItemKind::Popup:
            std::fprintf(out, "popup \"%s\"\n", item.text.c_str());
            PrintMenu(item.popup, out, depth + 1);
            break;
        case MenuItemKind::Command:
            std::fprintf(out, "item %u \"%s\" check=%d gray=%d\n", unsigned(item.id),
                         item.text.c_str(), item.checked ? 1 : 0, item.grayed ? 1 : 0);
            break;
        }
    }
}

} // namespace lumivane::menu
