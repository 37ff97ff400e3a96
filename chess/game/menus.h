// The menu screens of the game, one dialog class a menu (the numbers are
// ChessMenu). Each builds its controls when it enters the interface scene
// and acts on the game, the user options and the menu stack when a control
// is used. Menus 1, 2 and 5 show nothing and have no class.
#pragma once

#include <cstdint>
#include <string>

#include "JTControls/JTEdit.h"
#include "JTControls/JTList.h"
#include "chess/game/menu_dialog.h"

// A menu that is one standard list (at (0, 0.25, 0) under the title).
class ChessListMenu : public ChessMenuDialog {
public:
    JTList* GetList() const { return list; }

protected:
    void Used(const JTID& control, int item) override;
    // An entry of the list was chosen.
    virtual void Choose(int item) = 0;

    JTList* list = nullptr;
};

// 0: how to play, the worlds, the settings and the way out.
class MainMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;
};

// 3: the worlds to stand the board in, built-in and custom.
class WorldMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;

private:
    int NumWorldSlots() const;
};

// 4: the menu during a game.
class GameMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;
};

// 6: which colour the person plays against the computer.
class ColourMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;
};

// 7: how strong the computer plays.
class LevelMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;
};

// 8: the settings.
class SettingsMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;
};

// 9: the screen's size; the slot of the size the display has is selected.
class ResolutionMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;

private:
    void SelectCurrentSize();
};

// 10: 16 or 32 bits a pixel.
class ColourDepthMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;
};

// 11: multisampling on or off.
class AntiAliasMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;
};

// 12: the result of the game and what next.
class GameOverMenu : public ChessListMenu {
public:
    // "You have won!!!" or "You have lost!!!" against the computer or over
    // the network, the winner ("White wins!!!", "Black wins!!!") between
    // two people here, "Stalemate", or "Draw" (by repetition, the fifty-move
    // rule or too little material).
    const char* GetResult() const { return result; }

protected:
    void Build() override;
    void Choose(int item) override;

private:
    const char* result = "";
};

// 13: the name to record the finished game under.
class NameGameMenu : public ChessMenuDialog {
public:
    // The opponent asked for a new game meanwhile: leaving this menu
    // starts it.
    void RequestNewGame() { newGameRequested = true; }
    bool GetNewGameRequested() const { return newGameRequested; }
    JTEdit* GetEdit() const { return edit; }
    const JTID& GetOkButton() const { return okButton; }
    const JTID& GetCancelButton() const { return cancelButton; }

protected:
    void Build() override;
    void Used(const JTID& control, int item) override;

private:
    void Save();
    void Cancel();

    bool newGameRequested = false;
    JTEdit* edit = nullptr;
    JTID okButton;
    JTID cancelButton;
};

// 14: the recorded games to replay, six at a time.
class RecordedGamesMenu : public ChessMenuDialog {
public:
    static constexpr int kVisibleGames = 6;
    JTList* GetList() const { return list; }
    // The Up and Down buttons, when there are more games than slots.
    bool HasScrollButtons() const { return hasScrollButtons; }
    const JTID& GetUpButton() const { return upButton; }
    const JTID& GetDownButton() const { return downButton; }
    const JTID& GetCancelButton() const { return cancelButton; }

protected:
    void Build() override;
    void Used(const JTID& control, int item) override;

private:
    JTList* list = nullptr;
    JTID cancelButton;
    JTID upButton;
    JTID downButton;
    bool hasScrollButtons = false;
};

// 15: the title while the game loads.
class IntroMenu : public ChessMenuDialog {
public:
    bool IsDecompressing() const { return decompressing; }
    void ShowLoadingText(const char* text);

protected:
    void Build() override;
    void Used(const JTID&, int) override {}

private:
    JTID text;
    bool decompressing = false;
};

// 16: the closing picture; the program ends after it.
class ExitLogoMenu : public ChessMenuDialog {
public:
    static constexpr uint32_t kShowMs = 15000;
    void Update(JTSequencer* sequencer) override;

protected:
    void Build() override;
    void Used(const JTID&, int) override {}

private:
    uint32_t startTime = 0;
    bool built = false;
};

// 17: play on this computer or over the local network.
class PlayModeMenu : public ChessListMenu {
protected:
    void Build() override;
    void Choose(int item) override;
};

// 18: the player's name, the games found on the network, hosting one.
class LanMenu : public ChessMenuDialog {
public:
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    // The list follows the network's host list.
    void Update(JTSequencer* sequencer) override;
    JTList* GetList() const { return list; }
    JTEdit* GetEdit() const { return edit; }
    const JTID& GetHostButton() const { return hostButton; }
    const JTID& GetCancelButton() const { return cancelButton; }
    // A join has been asked for and the host's game has not answered yet.
    bool IsJoining() const { return joining; }

protected:
    void Build() override;
    void Used(const JTID& control, int item) override;

private:
    void RefreshHosts();
    void StoreName();
    void Join(int host);
    // Once a frame while joining: begins the game, or says why not.
    void ContinueJoin();
    void Host();

    JTEdit* edit = nullptr;
    JTList* list = nullptr;
    JTID hostButton;
    JTID cancelButton;
    bool searching = false;
    bool joining = false;
};

// 19: hosting, until the opponent joins.
class WaitingMenu : public ChessMenuDialog {
public:
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    void Update(JTSequencer* sequencer) override;

protected:
    void Build() override;
    void Used(const JTID& control, int item) override;

private:
    JTID cancelButton;
    bool opponentJoined = false;
    bool left = false;
};

// 20: waiting for a lobby to start the session. There is no lobby here:
// the session comes from "-connect" on the command line, and this is the
// screen of its tries ("Connecting to <host>" with moving dots), which
// says so when they fail and stays until the player leaves it.
class LobbyMenu : public ChessMenuDialog {
public:
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    void Update(JTSequencer* sequencer) override;
    // The tries are under way, or they failed.
    bool IsConnecting() const { return connecting; }
    bool HasFailed() const { return failed; }
    // What the screen says.
    const std::string& GetShownText() const { return shown; }

protected:
    void Build() override;
    void Used(const JTID& control, int item) override;

private:
    void Show(const std::string& text);
    void Connected();
    void Failed(int32_t result);

    JTID textLine;
    JTID cancelButton;
    std::string host; // as shown
    std::string shown;
    bool started = false;
    bool connecting = false;
    bool failed = false;
};

// 21 and 22: a volume from off to full in quarters.
class VolumeMenu : public ChessListMenu {
protected:
    // group 1: the ambiance (the option MusicVolume), 0: the sound effects
    // (SfxVolume).
    explicit VolumeMenu(int group) : group(group) {}
    void Build() override;
    void Choose(int item) override;

private:
    int group;
};

class AmbianceVolumeMenu : public VolumeMenu {
public:
    AmbianceVolumeMenu() : VolumeMenu(1) {}
};

class EffectsVolumeMenu : public VolumeMenu {
public:
    EffectsVolumeMenu() : VolumeMenu(0) {}
};
