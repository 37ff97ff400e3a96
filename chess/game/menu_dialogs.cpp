// The menu screens of the program: the dialog class of each menu number.
#include "chess/game/menu_dialogs.h"

#include "chess/game/chess_constants.h"
#include "chess/game/menus.h"

namespace {

class ChessMenuScreens : public ChessMenuDialogs {
public:
    JTEntity* NewDialog(int menu) override {
        switch (menu) {
        case kMenuMain:
            return new MainMenu();
        case kMenuWorld:
            return new WorldMenu();
        case kMenuInGame:
            return new GameMenu();
        case kMenuColour:
            return new ColourMenu();
        case kMenuLevel:
            return new LevelMenu();
        case kMenuSettings:
            return new SettingsMenu();
        case kMenuResolution:
            return new ResolutionMenu();
        case kMenuColourDepth:
            return new ColourDepthMenu();
        case kMenuAntiAlias:
            return new AntiAliasMenu();
        case kMenuGameOver:
            return new GameOverMenu();
        case kMenuNameGame:
            return new NameGameMenu();
        case kMenuRecordedGames:
            return new RecordedGamesMenu();
        case kMenuIntro:
            return new IntroMenu();
        case kMenuExitLogo:
            return new ExitLogoMenu();
        case kMenuPlayMode:
            return new PlayModeMenu();
        case kMenuLan:
            return new LanMenu();
        case kMenuWaiting:
            return new WaitingMenu();
        case kMenuLobby:
            return new LobbyMenu();
        case kMenuAmbianceVolume:
            return new AmbianceVolumeMenu();
        case kMenuEffectsVolume:
            return new EffectsVolumeMenu();
        default:
            return nullptr; // 1, 2 and 5 show nothing
        }
    }

    bool IsDecompressing(JTEntity* intro) override {
        auto* menu = dynamic_cast<IntroMenu*>(intro);
        return menu && menu->IsDecompressing();
    }

    void ShowLoadingText(JTEntity* intro, const char* text) override {
        if (auto* menu = dynamic_cast<IntroMenu*>(intro)) menu->ShowLoadingText(text);
    }

    void NewGameRequested(JTEntity* nameGame) override {
        if (auto* menu = dynamic_cast<NameGameMenu*>(nameGame)) menu->RequestNewGame();
    }
};

} // namespace

std::unique_ptr<ChessMenuDialogs> CreateChessMenuDialogs() {
    return std::make_unique<ChessMenuScreens>();
}
