// The application's answers to its scene.
#include "desktop/app/app_scene_application.h"

#include "desktop/app/desktop_app.h"
#include "desktop/shell/language_table.h"
#include "desktop/shell/registry.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/player.h"

namespace lumivane {

namespace {

// A companion table of a scene: the program's language-file reader with
// the first two columns kept.
class CompanionTable : public TextTable {
public:
    explicit CompanionTable(unsigned codePage) : table_(codePage) {}
    bool Load(const std::filesystem::path& path) {
        return table_.Load(path.string(), LanguageTable::kColumn0 | LanguageTable::kColumn1);
    }
    std::string Text(int32_t id) const override { return table_.GetString(id); }

private:
    LanguageTable table_;
};

} // namespace

std::string AppSceneApplication::LanguageText(int32_t entry) const {
    return lumivane::LanguageText(entry);
}

int AppSceneApplication::LanguageSetting() const {
    return int(app_.LanguageNumber());
}

bool AppSceneApplication::LanguageFileIsTxt() const {
    return app_.UnicodeLanguageFile();
}

std::unique_ptr<TextTable>
AppSceneApplication::LoadTextTable(const std::filesystem::path& path) const {
    auto table = std::make_unique<CompanionTable>(app_.CodePage());
    if (!table->Load(path)) return nullptr;
    return table;
}

void AppSceneApplication::Quit() {
    SceneApplication::Quit();
    app_.Quit();
}

void AppSceneApplication::RequestScene(const std::string& path) {
    SceneApplication::RequestScene(path);
    app_.RequestScene(path, true);
}

void AppSceneApplication::SetStateWord(int32_t value) {
    SceneApplication::SetStateWord(value);
    app_.SetStateWord(value);
}

void AppSceneApplication::SetTimeScale(float scale) {
    SceneApplication::SetTimeScale(scale);
    app_.SetTimeScale(scale);
}

bool AppSceneApplication::SetRegistryFlag(std::string_view name) {
    if (name.empty() || !gpRegistry) return false;
    return gpRegistry->SetFlag(std::string(name).c_str());
}

void AppSceneApplication::SystemCommand(const Message& message) {
    switch (SystemCommandCode(uint8_t(message.valueA))) {
    case SystemCommandCode::GiveResources:
        for (int i = 0; i < kPlayerCount; ++i)
            if (Player* player = PlayerAt(i)) player->AddResources(kGivenResources);
        return;
    case SystemCommandCode::DisplaySwitchOn:
        GetSceneDisplay().SetSwitch(1, 0);
        return;
    case SystemCommandCode::DisplaySwitchOff:
        GetSceneDisplay().SetSwitch(0, 0);
        return;
    case SystemCommandCode::UnitSwitchOff:
        SetUnitSwitch(false);
        return;
    case SystemCommandCode::UnitSwitchOn:
        SetUnitSwitch(true);
        return;
    }
}

} // namespace lumivane
