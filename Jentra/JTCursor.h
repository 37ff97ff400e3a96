// JTCursor: the engine's 3D pointer. An entity that the mouse moves over the
// screen; it casts a pick ray through each of its views, finds the entity
// under it and tells entities by message that the pointer entered, left,
// hovers over, pressed or released a button on them. It keeps the selection
// and hilight lists, can be captured by one entity (a control being
// dragged) and reports when it sits at a screen edge. The one instance,
// made by the game, is gpCursor.
//
// The cursor reaches views, cameras, the mouse, the keyboard and the game's
// main scene through JTCursorServices, which the application installs, so it
// works (and is tested) without a display.
#pragma once

#include "Jentra/JTEntity.h"
#include "Jentra/core/cursor/pick_ray.h"

class JTView;
class JTCamera;
class JTScene;

// This frame's input as the cursor reads it.
struct JTCursorInput {
    int relX = 0, relY = 0;     // mouse motion in mouse counts
    bool pressed[2] = {};       // left, right: went down (single press)
    bool doubleClicked[2] = {}; // went down as a double press
    bool released[2] = {};      // went up
    bool shift = false;         // either Shift key held
};

// What the cursor asks of the rest of the engine.
class JTCursorServices {
public:
    virtual ~JTCursorServices() = default;
    // This frame's mouse and keyboard state.
    virtual void ReadInput(JTCursorInput& input) = 0;
    // Turns the mouse's relative mode on or off.
    virtual void SetMouseRelative(bool on) = 0;
    // The game's main scene (selections are made only there); null if none.
    virtual JTScene* GetMainScene() = 0;
    // A view's scene and camera.
    virtual JTScene* GetViewScene(JTView* view) = 0;
    virtual JTCamera* GetViewCamera(JTView* view) = 0;
    // The view's rectangle and its camera's matrices; false when the view
    // has no camera.
    virtual bool GetRayView(JTView* view, jentra::cursor::RayView& out) = 0;
    // The camera's aspect (1 when unknown).
    virtual float GetCameraAspect(JTCamera* camera) = 0;
};

// The engine's own answers: input from gpJTMouse and gpJTKeyboard, the main
// scene from gpJTGame. Views and cameras belong to the renderer, which
// derives from this class to answer the view questions; until then no view
// yields a ray.
class JTEngineCursorServices : public JTCursorServices {
public:
    void ReadInput(JTCursorInput& input) override;
    void SetMouseRelative(bool on) override;
    JTScene* GetMainScene() override;
    JTScene* GetViewScene(JTView*) override { return nullptr; }
    JTCamera* GetViewCamera(JTView*) override { return nullptr; }
    bool GetRayView(JTView*, jentra::cursor::RayView&) override { return false; }
    float GetCameraAspect(JTCamera*) override { return 1.0f; }
};

class JTCursor : public JTEntity {
public:
    enum CursorMode { CM_NORMAL = 1, CM_CAPTURED = 4, CM_5 = 5, CM_13 = 13, CM_14 = 14 };

    // Cursor images the game may draw.
    enum Look {
        LOOK_NORMAL = 1,
        LOOK_PICKABLE = 2,
        LOOK_TOP_OUTER = 5,
        LOOK_BOTTOM_OUTER = 6,
        LOOK_LEFT = 7,
        LOOK_RIGHT = 8,
        LOOK_TOP = 13,
        LOOK_BOTTOM = 14,
    };

    static constexpr int kMaxSelections = 1000;
    static constexpr int kMaxHilights = 1000;

    JTCursor();
    ~JTCursor() override;
    JTCursor(const JTCursor&) = delete;
    JTCursor& operator=(const JTCursor&) = delete;

    void Update(JTSequencer* sequencer) override;

    // The services every cursor uses; null puts the engine's own back.
    static void SetServices(JTCursorServices* services);
    static JTCursorServices* GetServices();

    void InsertView(int i, JTView* view);
    void AddView(JTView* view);
    void RemoveView(int i);
    JTView* GetView(int i) const;
    int GetNumViews() const { return views.GetCount(); }

    float GetX() const { return x; }
    float GetY() const { return y; }

    bool ComputeRay(JTView* view, JTVec3& origin, JTVec3& dir);
    bool InCamera(JTCamera* camera);
    void HitTest(HTInfo* info);
    bool AtEdge() const;

    void ShowCursor(bool show) { SetOpacity(show ? 1.0f : 0.0f); }
    void SetMode(CursorMode m);
    CursorMode GetMode() const { return mode; }
    int GetLook() const { return look; }

    void Capture(JTEntity* e);
    void Uncapture();
    JTEntity* GetCapture() const { return capture; }

    // False when the list is full (the entity is then not added).
    bool AddSelection(JTEntity* e);
    void RemoveSelection(JTEntity* e);
    void ClearSelection();
    bool IsSelected(JTEntity* e) const;
    JTEntity* GetDominantSelection() const;
    int GetNumSelected() const { return numSelected; }
    // Null for an index outside the list.
    JTEntity* GetSelected(int i) const;
    JTEntity* const* GetSelections() const { return selections; }
    bool GetSelectionChanged() const { return selectionChanged != 0; }
    virtual bool CanSelectedMove() { return false; }
    virtual bool CanSelectedAttack() { return false; }

    bool AddHilight(JTEntity* e);
    void RemoveHilight(JTEntity* e);
    void RemoveHilights();
    JTEntity* GetHilight(int i) const;
    JTEntity* const* GetHilights() const { return hilights; }
    int GetNumHilights() const { return numHilights; }

    // The scene is about to delete e: forget it everywhere.
    void EntityDeleted(JTEntity* e);

protected:
    // Ends the selection-driven modes 5, 13 and 14.
    void EndSelectionMode();
    void SendButtons(JTID& target, const JTCursorInput& input, JTEntity* hit);
    void ChooseLook(JTEntity* hit);
    void PlaceOnScreen();

    JTArray<JTView*> views{1};
    float x = 0.5f, y = 0.5f;
    CursorMode mode = CM_NORMAL;
    JTEntity* capture = nullptr;
    JTEntity* selections[kMaxSelections] = {};
    int numSelected = 0;
    unsigned char selectionChanged = 0;
    JTEntity* hilights[kMaxHilights] = {};
    int numHilights = 0;
    int look = LOOK_NORMAL;
    JTID lastId;
    // Tuning values for derived cursors; the engine does not read them.
    float tuning[6] = {0.01f, 0.2f, 2.0f, 4.0f, 0.5f, 75.0f};
    // An entity of interest that derived cursors may set.
    JTEntity* focusEntity = nullptr;
};

extern JTCursor* gpCursor;
