// ChessMenuDialog: what every menu screen of the game shares. A menu is a
// dialog of the controls module in the interface scene; it builds its
// controls when it enters the scene (message 12), hears from them when they
// are used (message 19: `from` the control, for a list the chosen entry's
// index as data) and forgets everything when it is closed: its controls
// follow it and are deleted with it.
#pragma once

#include <initializer_list>

#include "JTControls/JTDialog.h"

class ChessGame;
class JTButton;
class JTList;
class JTText;

class ChessMenuDialog : public JTDialog {
public:
    // Controls are this small in the interface: their models are made in
    // units of a thousand or so.
    static constexpr float kControlScale = 0.002f;
    static constexpr const char* kControlsModule = "JTControls.dll";
    // The button with a panel behind its text: over the board, which the
    // menus let show through, plain text cannot be read or told from it.
    static constexpr const char* kButtonModel = "JTControls\\button.jtm";

    ChessMenuDialog();
    ~ChessMenuDialog() override;

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;

    // The game the menus belong to.
    static ChessGame& Game();
    // Deselects every slot of the list and selects the one given (none for
    // a negative slot).
    static void SelectOnly(JTList* list, int slot);

protected:
    // Makes the controls (the dialog is in its scene by now).
    virtual void Build() = 0;
    // A control of the dialog was used; `item` is the chosen entry of a
    // list, and has no meaning for other controls.
    virtual void Used(const JTID& control, int item) = 0;

    // A control of the module's class made from the model (none when null),
    // in the dialog's scene, following the dialog at the offset (x right,
    // y up) and telling the dialog when it is used. Null, with nothing
    // made, when the module cannot make a control of that class.
    template <class T>
    T* AddControl(const char* model, const char* className, const JTVec3& offset,
                  float scale = kControlScale) {
        JTEntity* made = MakeControl(model, className);
        T* control = dynamic_cast<T*>(made);
        if (!control) {
            delete made;
            return nullptr;
        }
        Attach(control, offset, scale);
        return control;
    }
    // A list of the entries (no data; the spacer is an empty text), shown
    // one slot an entry.
    JTList* AddList(const JTVec3& offset, std::initializer_list<const char*> entries);
    // A button on the controls module's panel (kButtonModel), or plain text
    // with a null model.
    JTButton* AddButton(const char* text, const JTVec3& offset, const char* model = kButtonModel);
    JTText* AddText(const char* text, const JTVec3& offset, float scale = kControlScale);
    // A plain entity of a model, following the dialog, not pickable.
    JTEntity* AddPicture(const char* model, const JTVec3& offset, float scale);
    // The title over the menu, which every menu but the intro and the
    // closing screen shows.
    void AddMenuBackground();

    // Whether this is the menu shown (a menu just left lives on until the
    // frame's end).
    bool IsCurrent() const;
    // Whether the identifier is that control's (false for none).
    static bool Is(const JTID& id, const JTEntity* control);
    static void SetText(JTEntity* control, const char* text);
    // A beep of the interface (the effects' volume, once).
    static void Beep(const char* sound);
    static void BeepInvalid();
    // The model's first grandchild (the picture of a title or logo) is
    // drawn over everything.
    static void DrawOnTop(JTEntity* entity);
    // Whether a network session is running.
    static bool InNetworkGame();
    // Leaves the network session (if any) for a new game that the computer
    // plays against itself behind the main menu, which replaces this one.
    static void BackToMainMenu();

private:
    JTEntity* MakeControl(const char* model, const char* className);
    void Attach(JTEntity* control, const JTVec3& offset, float scale);
};
