// The cursor through the renderer's services: rays come from the views'
// rectangles and their cameras' matrices, so a point in the right view hits
// what that view's camera sees and nothing in the left half does.
#include "render_test_support.h"

#include "Jentra/render/render_services.h"
#include "tests/jentra/test_cursor_support.h"

using namespace render_test;

TEST_F(SceneTest, TheCursorPicksThroughTheViewItIsIn) {
    auto* target = new JTEntity;
    target->SetPos(JTVec3(5, 0, 10)); // straight ahead of the right camera
    GiveSquareModel(target);
    JTScene scene;
    scene.Add(target);
    scene.PostFrameUpdate();
    JTCamera left, right;
    left.SetView(JTVec3(-5, 0, 0), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    right.SetView(JTVec3(5, 0, 0), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    left.Update();
    right.Update();
    JTView leftView(&scene, &left, 0.0f, 0.0f, 0.5f, 1.0f, 0.0f, 1.0f);
    JTView rightView(&scene, &right, 0.5f, 0.0f, 0.5f, 1.0f, 0.0f, 1.0f);

    JTInstallRenderServices();
    PlaceableCursor cursor;
    cursor.AddView(&leftView);
    cursor.AddView(&rightView);
    EXPECT_EQ(JTCursor::GetServices()->GetViewCamera(&rightView), &right);

    HTInfo hit;
    cursor.Place(0.75f, 0.5f); // the middle of the right view
    cursor.HitTest(&hit);
    EXPECT_EQ(hit.entity, target);
    EXPECT_NE(hit.node, nullptr);
    EXPECT_TRUE(cursor.InCamera(&right));

    cursor.Place(0.25f, 0.5f); // the middle of the left view: nothing there
    cursor.HitTest(&hit);
    EXPECT_EQ(hit.node, nullptr);
    cursor.Place(0.75f, 0.95f); // the right view, below the square
    cursor.HitTest(&hit);
    EXPECT_EQ(hit.node, nullptr);

    JTUninstallRenderServices();
    EXPECT_NE(JTCursor::GetServices(), nullptr);
    scene.Reset();
    scene.PostFrameUpdate();
}
