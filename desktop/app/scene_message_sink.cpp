// Scene-engine messages into the shell's boxes.
#include "desktop/app/scene_message_sink.h"

#include "desktop/shell/language_table.h"
#include "desktop/shell/message_boxes.h"

#include <string>

namespace lumivane {

void ShellMessageSink::ShowWarning(int entry, std::string_view detail) {
    const std::string text(detail);
    lumivane::ShowWarning(LanguageText(entry), text.empty() ? nullptr : text.c_str());
}

void ShellMessageSink::ShowFatalError(int entry, std::string_view detail) {
    const std::string text(detail);
    lumivane::ShowFatalError(LanguageText(entry), text.empty() ? nullptr : text.c_str());
}

} // namespace lumivane
