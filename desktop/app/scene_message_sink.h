// The scene engine's warnings and fatal errors, keyed by language entry,
// shown through the program's own boxes.
#pragma once

#include "desktop/scene/object/engine_services.h"

namespace lumivane {

class ShellMessageSink : public MessageSink {
public:
    void ShowWarning(int entry, std::string_view detail) override;
    void ShowFatalError(int entry, std::string_view detail) override;
};

} // namespace lumivane
