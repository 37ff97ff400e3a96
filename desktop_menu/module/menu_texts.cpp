// Loading the popup's language table and converting its texts.
#include "desktop_menu/module/menu_texts.h"

#include "desktop/shell/language_table.h"
#include "platform/codepage.h"
#include "platform/paths.h"

namespace lumivane::menu {

MenuTexts::MenuTexts(const std::filesystem::path& folder, bool unicode, unsigned codePage)
    : table_(std::make_unique<LanguageTable>(codePage)) {
    const auto path = platform::ResolvePath(folder, unicode ? "Langfile.txt" : "Langfile.csv");
    if (path) table_->Load(path->string(), LanguageTable::kColumn1);
    converter_ = std::make_unique<platform::CodePageConverter>(table_->CodePage());
}

MenuTexts::~MenuTexts() = default;

std::string MenuTexts::Get(int id) const {
    return converter_->ToUtf8(table_->GetString(id));
}

} // namespace lumivane::menu
