// The 3D cursor over a scene of two entities: the exact messages of moving,
// pressing, capturing and releasing, the selection and hilight lists, the
// looks at the screen edges, and the pick ray through views.
#include "tests/jentra/test_cursor_support.h"

#include "Jentra/JTKeyCodes.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTMouse.h"
#include "platform/clock.h"

namespace {

class CursorTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        MessageLog().clear();
        JTRouter::SetFallbackReceiver(&game);
        JTCursor::SetServices(&services);
        a = new RecordingEntity("A");
        b = new RecordingEntity("B");
        a->SetPos(JTVec3(-2, 0, 10)); // screen x 0.4
        b->SetPos(JTVec3(2, 0, 10));  // screen x 0.6
        GiveSquareModel(a);
        GiveSquareModel(b);
        scene.Add(a);
        scene.Add(b);
        scene.PostFrameUpdate();
        view.scene = &scene;
        view.ray = ForwardCamera();
        services.mainScene = &scene;
        cursor = new PlaceableCursor;
        gpCursor = cursor;
        cursor->AddView(AsView(&view));
        MessageLog().clear();
    }
    void TearDown() override {
        delete cursor;
        // The meshes go with their nodes while the mesh hooks are still there.
        scene.Reset();
        scene.PostFrameUpdate();
        JTCursor::SetServices(nullptr);
        JTRouter::SetFallbackReceiver(nullptr);
        SceneTest::TearDown();
    }

    // One frame with the given input; returns what was sent during it.
    std::vector<LoggedMessage> Frame(JTCursorInput input = {}) {
        MessageLog().clear();
        services.next = input;
        cursor->Update(nullptr);
        return MessageLog();
    }

    static JTCursorInput Move(int dx, int dy = 0) {
        JTCursorInput in;
        in.relX = dx;
        in.relY = dy;
        return in;
    }

    GameRecorder game;
    ScriptedServices services;
    JTScene scene;
    TestView view;
    PlaceableCursor* cursor = nullptr;
    RecordingEntity* a = nullptr;
    RecordingEntity* b = nullptr;
};

using L = std::vector<LoggedMessage>;

TEST_F(CursorTest, ScriptedSessionSendsTheExactMessages) {
    // Over empty space: leave and enter go to unowned ids, so the game gets
    // them, and the hover too.
    EXPECT_EQ(Frame(), (L{{"game", 6, 0}, {"game", 5, 0}, {"game", 4, 0}}));
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_NORMAL);

    // Onto A: leave the empty space, enter A, hover A, hilight A.
    EXPECT_EQ(Frame(Move(-100)), (L{{"game", 6, 0}, {"A", 5, 0}, {"A", 4, 0}, {"A", 21, 0}}));
    EXPECT_FLOAT_EQ(cursor->GetX(), 0.4f);
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_PICKABLE);
    EXPECT_TRUE(a->IsHilighted());

    // Left press on A: the hilight is rebuilt around the press, A selected.
    JTCursorInput press;
    press.pressed[0] = true;
    EXPECT_EQ(Frame(press), (L{{"A", 22, 0}, {"A", 1, 0}, {"A", 4, 0}, {"A", 21, 0}}));
    ASSERT_EQ(cursor->GetNumSelected(), 1);
    EXPECT_EQ(cursor->GetDominantSelection(), a);
    EXPECT_TRUE(a->IsSelected());

    // Across to B while releasing: the release goes to what is under the
    // cursor now, then A is left and B entered in the same frame.
    JTCursorInput release = Move(200);
    release.released[0] = true;
    EXPECT_EQ(Frame(release),
              (L{{"A", 22, 0}, {"B", 3, 0}, {"A", 6, 0}, {"B", 5, 0}, {"B", 4, 0}, {"B", 21, 0}}));

    // B captures the cursor; moving back over A changes nothing for A, and
    // a right double press goes to B with data 1.
    cursor->Capture(b);
    JTCursorInput dbl = Move(-200);
    dbl.doubleClicked[1] = true;
    EXPECT_EQ(Frame(dbl), (L{{"B", 22, 0}, {"B", 2, 1}, {"B", 4, 0}}));
    EXPECT_EQ(cursor->GetMode(), JTCursor::CM_CAPTURED);
    EXPECT_FALSE(b->IsHilighted());

    // Released from capture, the cursor notices it is over A.
    cursor->Uncapture();
    EXPECT_EQ(Frame(), (L{{"B", 6, 0}, {"A", 5, 0}, {"A", 4, 0}, {"A", 21, 0}}));

    // Resting over A: 22 then 21 every frame.
    EXPECT_EQ(Frame(), (L{{"A", 22, 0}, {"A", 4, 0}, {"A", 21, 0}}));

    // A right single press sends 1 with data 1 and selects nothing new.
    JTCursorInput right;
    right.pressed[1] = true;
    EXPECT_EQ(Frame(right), (L{{"A", 22, 0}, {"A", 1, 1}, {"A", 4, 0}, {"A", 21, 0}}));
    EXPECT_EQ(cursor->GetNumSelected(), 1);
}

// A control that takes the cursor when a button goes down on it.
class GrabbingEntity : public RecordingEntity {
public:
    GrabbingEntity() : RecordingEntity("G") {}
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override {
        RecordingEntity::Message(from, to, msg, data);
        if (msg == 1 && gpCursor) gpCursor->Capture(this);
        return 0;
    }
};

TEST_F(CursorTest, EntityCapturingOnPressIsStillHilightedThatFrame) {
    auto* g = new GrabbingEntity;
    g->SetPos(JTVec3(0, 0, 10)); // under the cursor at the centre
    GiveSquareModel(g);
    scene.Add(g);
    scene.PostFrameUpdate();
    JTCursorInput press;
    press.pressed[0] = true;
    EXPECT_EQ(Frame(press),
              (L{{"G", 1, 0}, {"game", 6, 0}, {"G", 5, 0}, {"G", 4, 0}, {"G", 21, 0}}));
    EXPECT_EQ(cursor->GetMode(), JTCursor::CM_CAPTURED);
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_PICKABLE);
    // Captured from then on: the hilight goes, hover and look follow the
    // capture only.
    EXPECT_EQ(Frame(), (L{{"G", 22, 0}, {"G", 4, 0}}));
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_NORMAL);
}

TEST_F(CursorTest, ShiftAddsToTheSelectionAndAPlainClickReplacesIt) {
    JTCursorInput click = Move(-100);
    click.pressed[0] = true;
    Frame(click); // A
    click = Move(200);
    click.pressed[0] = true;
    click.shift = true;
    Frame(click); // B with Shift
    ASSERT_EQ(cursor->GetNumSelected(), 2);
    EXPECT_EQ(cursor->GetSelected(1), b);
    EXPECT_TRUE(cursor->GetSelectionChanged() == false); // cleared after the frame

    click.shift = false;
    click.relX = -200;
    Frame(click); // A alone
    ASSERT_EQ(cursor->GetNumSelected(), 1);
    EXPECT_EQ(cursor->GetSelected(0), a);
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(cursor->GetSelected(5), nullptr);

    // A click on empty space reaches the game and leaves the selection.
    click.relX = 100;
    auto sent = Frame(click);
    EXPECT_NE(std::find(sent.begin(), sent.end(), LoggedMessage{"game", 1, 0}), sent.end());
    EXPECT_EQ(cursor->GetNumSelected(), 1);

    // Entities of another scene are never selected.
    services.mainScene = nullptr;
    click.relX = -100;
    Frame(click);
    EXPECT_EQ(cursor->GetNumSelected(), 1);
}

TEST_F(CursorTest, HiddenCursorNeitherMovesNorSpeaks) {
    cursor->ShowCursor(false);
    JTCursorInput in = Move(-100);
    in.pressed[0] = true;
    EXPECT_TRUE(Frame(in).empty());
    EXPECT_FLOAT_EQ(cursor->GetX(), 0.5f);
    EXPECT_EQ(cursor->GetNumSelected(), 0);
}

TEST_F(CursorTest, HiddenCapturedCursorStillTellsTheCapturer) {
    // A drag handle captures the cursor and hides it while it drags; it
    // needs the hover every frame and the release to let go.
    cursor->Capture(b);
    cursor->ShowCursor(false);
    EXPECT_EQ(Frame(Move(-100)), (L{{"B", 4, 0}}));
    EXPECT_FLOAT_EQ(cursor->GetX(), 0.5f);
    JTCursorInput release;
    release.released[0] = true;
    EXPECT_EQ(Frame(release), (L{{"B", 3, 0}, {"B", 4, 0}}));
}

TEST_F(CursorTest, EdgesSetTheLookAndSuppressTheHilight) {
    // An entity that fills the left edge of the screen.
    a->SetPos(JTVec3(-9.5f, 0, 10));
    a->SetScale(1.0f);
    a->ComputeMatrix();
    Frame(Move(-500)); // x = 0
    EXPECT_TRUE(cursor->AtEdge());
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_LEFT);
    EXPECT_EQ(cursor->GetNumHilights(), 0);

    Frame(Move(1500)); // x = 1, clamped
    EXPECT_FLOAT_EQ(cursor->GetX(), 1.0f);
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_RIGHT);

    Frame(Move(-500, -600)); // x = 0.5, y = 1 (mouse y grows downwards)
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_TOP);
    Frame(Move(-400)); // x = 0.1
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_TOP_OUTER);
    Frame(Move(0, 1000)); // y = 0
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_BOTTOM_OUTER);
    Frame(Move(400));
    EXPECT_EQ(cursor->GetLook(), JTCursor::LOOK_BOTTOM);

    // The overlay placement follows the first view's camera aspect (2).
    int camera = 0;
    view.camera = reinterpret_cast<JTCamera*>(&camera);
    Frame();
    EXPECT_NEAR(cursor->GetPos().x, 0.0f, 1e-6f);
    EXPECT_NEAR(cursor->GetPos().y, -1.0f / 2.0f * 0.9f, 1e-6f);
    EXPECT_FLOAT_EQ(cursor->GetPos().z, 0.9f);
    EXPECT_FLOAT_EQ(cursor->GetScale(), 0.036f);
}

TEST_F(CursorTest, DeletingEntitiesClearsCaptureSelectionAndHilights) {
    JTCursorInput click = Move(100); // onto B
    click.pressed[0] = true;
    Frame(click);
    cursor->Capture(b);
    ASSERT_TRUE(cursor->IsSelected(b));
    scene.Delete(b);
    scene.PostFrameUpdate();
    EXPECT_EQ(cursor->GetMode(), JTCursor::CM_NORMAL);
    EXPECT_EQ(cursor->GetCapture(), nullptr);
    EXPECT_EQ(cursor->GetNumSelected(), 0);
    EXPECT_EQ(cursor->GetNumHilights(), 0);
    // The next frame runs without touching the deleted entity.
    Frame();
}

TEST_F(CursorTest, SelectionChangesEndTheSelectionModes) {
    cursor->SetMode(JTCursor::CM_13);
    EXPECT_EQ(services.relativeOffCalls, 1);
    cursor->AddSelection(a);
    EXPECT_EQ(cursor->GetMode(), JTCursor::CM_NORMAL);
    EXPECT_TRUE(cursor->AddSelection(a)); // already there: not added twice
    EXPECT_EQ(cursor->GetNumSelected(), 1);
    cursor->SetMode(JTCursor::CM_5);
    cursor->RemoveSelection(b); // not selected: nothing changes
    EXPECT_EQ(cursor->GetMode(), JTCursor::CM_5);
    cursor->ClearSelection();
    EXPECT_EQ(cursor->GetMode(), JTCursor::CM_NORMAL);
}

TEST_F(CursorTest, ListsRefuseEntriesPastTheirRoom) {
    std::vector<JTEntity*> many;
    for (int i = 0; i < JTCursor::kMaxSelections; ++i) {
        many.push_back(new JTEntity);
        ASSERT_TRUE(cursor->AddSelection(many.back()));
    }
    JTEntity extra;
    EXPECT_FALSE(cursor->AddSelection(&extra));
    EXPECT_EQ(cursor->GetNumSelected(), JTCursor::kMaxSelections);
    cursor->ClearSelection();
    for (JTEntity* e : many)
        delete e;
}

TEST_F(CursorTest, FirstViewInTheListThatHitsWins) {
    // A second scene whose entity C sits where B is on screen.
    JTScene other;
    auto* c = new RecordingEntity("C");
    c->SetPos(JTVec3(4, 0, 20));
    GiveSquareModel(c);
    other.Add(c);
    other.PostFrameUpdate();
    TestView front;
    front.scene = &other;
    front.ray = ForwardCamera();
    cursor->InsertView(0, AsView(&front));
    ASSERT_EQ(cursor->GetView(0), AsView(&front));

    cursor->Place(0.6f, 0.5f);
    HTInfo info;
    cursor->HitTest(&info);
    EXPECT_EQ(info.entity, c);
    // Over A only the second view hits.
    cursor->Place(0.4f, 0.5f);
    cursor->HitTest(&info);
    EXPECT_EQ(info.entity, a);

    // A view without a scene ends the test.
    front.scene = nullptr;
    cursor->HitTest(&info);
    EXPECT_EQ(info.node, nullptr);
    cursor->RemoveView(0);
    EXPECT_EQ(cursor->GetNumViews(), 1);
}

TEST_F(CursorTest, InCameraTellsWhetherThePointerLiesInThatCamerasView) {
    int camA = 0, camB = 0;
    view.camera = reinterpret_cast<JTCamera*>(&camA);
    view.ray = ForwardCamera(0.5f, 0.0f, 0.5f, 1.0f); // right half
    cursor->Place(0.75f, 0.5f);
    EXPECT_TRUE(cursor->InCamera(reinterpret_cast<JTCamera*>(&camA)));
    EXPECT_FALSE(cursor->InCamera(reinterpret_cast<JTCamera*>(&camB)));
    cursor->Place(0.25f, 0.5f);
    EXPECT_FALSE(cursor->InCamera(reinterpret_cast<JTCamera*>(&camA)));
}

TEST(PickRay, ThroughTheViewRectangle) {
    using jentra::cursor::ComputeRay;
    JTVec3 o, d;
    auto r = ForwardCamera();
    r.eye = JTVec3(0, 0, 0);
    ASSERT_TRUE(ComputeRay(0.5f, 0.5f, r, o, d));
    EXPECT_NEAR(d.z, 1.0f, 1e-5f);
    // Right edge at 45 degrees; y grows upwards.
    ASSERT_TRUE(ComputeRay(1.0f, 1.0f, r, o, d));
    EXPECT_NEAR(d.x, d.z, 1e-5f);
    EXPECT_NEAR(d.y, d.z, 1e-5f);

    // The left half of the display: its centre is at screen x 0.25.
    auto half = ForwardCamera(0.0f, 0.0f, 0.5f, 1.0f);
    ASSERT_TRUE(ComputeRay(0.25f, 0.5f, half, o, d));
    EXPECT_NEAR(d.x, 0.0f, 1e-5f);
    EXPECT_FALSE(ComputeRay(0.75f, 0.5f, half, o, d));

    // A camera elsewhere starts its rays at its eye; a HUD camera at 0.
    r.eye = JTVec3(0, 0, -5);
    r.view = JTMatrixLookAtLH(r.eye, JTVec3(0, 0, 0), JTVec3(0, 1, 0));
    ASSERT_TRUE(ComputeRay(0.5f, 0.5f, r, o, d));
    EXPECT_NEAR(o.z, -5.0f, 1e-6f);
    EXPECT_NEAR(d.z, 1.0f, 1e-5f);
    r.hud = true;
    ASSERT_TRUE(ComputeRay(0.5f, 0.5f, r, o, d));
    EXPECT_EQ(o.z, 0.0f);

    // A view of no size picks nothing instead of dividing by zero.
    auto empty = ForwardCamera(0.2f, 0.2f, 0.0f, 0.0f);
    EXPECT_FALSE(ComputeRay(0.2f, 0.8f, empty, o, d));
}

} // namespace

namespace {

TEST(CursorEngineServices, ReadTheEngineMouseAndKeyboard) {
    platform::TestClock clock;
    clock.SetMilliseconds(5000);
    platform::SetCurrentClock(&clock);
    JTMouse mouse;
    JTKeyboard keyboard;
    mouse.Init();
    keyboard.Init();
    for (int i = 0; i < JTMouse::kSettlePolls; ++i)
        mouse.Poll();
    for (int i = 0; i < JTKeyboard::kSettlePolls; ++i)
        keyboard.Poll();
    gpJTMouse = &mouse;
    gpJTKeyboard = &keyboard;

    mouse.OnMotion(-30, 40);
    mouse.OnButton(1, true);
    mouse.Poll();
    keyboard.OnKey(DIK_LSHIFT, true);
    keyboard.Poll();

    JTCursor cursor; // no services installed: the engine's own
    JTCursorInput in;
    JTCursor::GetServices()->ReadInput(in);
    EXPECT_EQ(in.relX, -30);
    EXPECT_EQ(in.relY, 40);
    EXPECT_TRUE(in.pressed[1]);
    EXPECT_FALSE(in.pressed[0]);
    EXPECT_TRUE(in.shift);

    // A mode change takes the mouse out of relative mode.
    mouse.SetRelative(true);
    cursor.SetMode(JTCursor::CM_NORMAL);
    EXPECT_FALSE(mouse.IsRelative());

    // Without views the cursor moves but hits nothing.
    cursor.Update(nullptr);
    EXPECT_NEAR(cursor.GetX(), 0.5f - 0.03f, 1e-6f);
    EXPECT_NEAR(cursor.GetY(), 0.5f - 0.04f, 1e-6f);

    gpJTMouse = nullptr;
    gpJTKeyboard = nullptr;
    mouse.Term();
    keyboard.Term();
    platform::SetCurrentClock(nullptr);
}

} // namespace
