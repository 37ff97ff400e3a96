// Scenes: the deferred add and delete lifecycle with messages 12 and 13,
// cascading deletion of linked entities, the light list, and handlers that
// change the scene while it carries out its queues.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Jentra/JTLight.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTScene.h"
#include "tests/jentra/test_scene_support.h"

namespace {

std::vector<std::string> gLog;

class RecordingEntity : public JTEntity {
public:
    explicit RecordingEntity(const char* label) { SetName(label); }
    ~RecordingEntity() override { gLog.push_back(std::string("~") + GetName()); }
    unsigned Message(JTID*, JTID*, unsigned msg, void* data) override {
        gLog.push_back(std::to_string(msg) + GetName());
        lastScene = static_cast<JTScene*>(data);
        if (onMessage) onMessage(msg);
        return 1;
    }
    std::function<void(unsigned)> onMessage;
    JTScene* lastScene = nullptr;
};

class SceneLifecycleTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        gLog.clear();
    }
    std::vector<std::string> Children(JTScene& scene) {
        std::vector<std::string> names;
        for (int i = 0; i < scene.GetNumChildren(); i++)
            names.push_back(scene.GetChild(i)->GetName());
        return names;
    }
};

TEST_F(SceneLifecycleTest, AdditionsAndDeletionsHappenAtTheFramesEndInOrder) {
    JTScene scene;
    auto* a = new RecordingEntity("a");
    auto* b = new RecordingEntity("b");
    auto* c = new RecordingEntity("c");
    scene.Add(a);
    scene.Add(b);
    scene.AddFront(c);
    EXPECT_EQ(a->GetScene(), &scene); // at once
    EXPECT_EQ(scene.GetNumChildren(), 0);
    scene.PostFrameUpdate();
    EXPECT_EQ(Children(scene), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(gLog, (std::vector<std::string>{"12a", "12b", "12c"}));
    EXPECT_EQ(a->lastScene, &scene);

    gLog.clear();
    scene.Delete(a);
    scene.Delete(a); // queued once
    EXPECT_EQ(scene.GetNumChildren(), 3);
    scene.PostFrameUpdate();
    EXPECT_EQ(gLog, (std::vector<std::string>{"13a", "~a"}));
    EXPECT_EQ(Children(scene), (std::vector<std::string>{"c", "b"}));
}

TEST_F(SceneLifecycleTest, AddThenDeleteInOneFrameNeverEnters) {
    JTScene scene;
    auto* a = new RecordingEntity("a");
    auto* f = new RecordingEntity("f");
    scene.Add(a);
    scene.AddFront(f);
    scene.Delete(a);
    scene.Delete(f);
    scene.Add(a); // on its way out: not queued again
    scene.PostFrameUpdate();
    EXPECT_EQ(gLog, (std::vector<std::string>{"13a", "~a", "13f", "~f"}));
    EXPECT_EQ(scene.GetNumChildren(), 0);
}

TEST_F(SceneLifecycleTest, DeletingATargetTakesItsFollowersAlong) {
    JTScene scene;
    auto* target = new RecordingEntity("t");
    auto* f1 = new RecordingEntity("f1");
    auto* f2 = new RecordingEntity("f2");
    auto* other = new RecordingEntity("o");
    f1->SetLink(target->GetID(), nullptr, JTVec3());
    f2->SetLink(target->GetID(), nullptr, JTVec3());
    for (JTEntity* e : {static_cast<JTEntity*>(target), static_cast<JTEntity*>(f1),
                        static_cast<JTEntity*>(f2), static_cast<JTEntity*>(other)})
        scene.Add(e);
    scene.PostFrameUpdate();
    gLog.clear();
    scene.Delete(target);
    scene.PostFrameUpdate();
    EXPECT_EQ(gLog, (std::vector<std::string>{"13t", "~t", "13f1", "~f1", "13f2", "~f2"}));
    EXPECT_EQ(Children(scene), (std::vector<std::string>{"o"}));
}

TEST_F(SceneLifecycleTest, LightsAreListedWhileLive) {
    JTScene scene;
    auto* light = new JTLight;
    scene.Add(light);
    EXPECT_EQ(scene.GetNumLights(), 0);
    scene.PostFrameUpdate();
    ASSERT_EQ(scene.GetNumLights(), 1);
    EXPECT_EQ(scene.GetLight(0), light);
    scene.Delete(light);
    scene.PostFrameUpdate();
    EXPECT_EQ(scene.GetNumLights(), 0);
    EXPECT_EQ(scene.GetLight(0), nullptr);
}

TEST_F(SceneLifecycleTest, HandlersThatChangeTheSceneAreServedSafely) {
    JTScene scene;
    auto* first = new RecordingEntity("first");
    auto* late = new RecordingEntity("late");
    first->onMessage = [&](unsigned msg) {
        if (msg == JTMSG_ADDED) scene.Add(late);
    };
    scene.Add(first);
    scene.PostFrameUpdate();
    EXPECT_EQ(Children(scene), (std::vector<std::string>{"first", "late"}));

    // A removal handler that deletes a member of its own batch (already
    // gone, or about to go) and one outside it.
    auto* x = new RecordingEntity("x");
    auto* y = new RecordingEntity("y");
    scene.Add(x);
    scene.Add(y);
    scene.PostFrameUpdate();
    gLog.clear();
    y->onMessage = [&, x](unsigned msg) {
        if (msg == JTMSG_REMOVED) {
            scene.Delete(x);
            scene.Delete(first);
        }
    };
    scene.Delete(x);
    scene.Delete(y);
    scene.PostFrameUpdate();
    EXPECT_EQ(gLog, (std::vector<std::string>{"13x", "~x", "13y", "~y", "13first", "~first"}));
    EXPECT_EQ(Children(scene), (std::vector<std::string>{"late"}));
}

TEST_F(SceneLifecycleTest, ForeignEntitiesResetAndTeardown) {
    JTScene mine, theirs;
    auto* foreign = new RecordingEntity("foreign");
    theirs.Add(foreign);
    theirs.PostFrameUpdate();
    mine.Delete(foreign);
    mine.PostFrameUpdate();
    EXPECT_EQ(theirs.GetNumChildren(), 1);

    gLog.clear();
    auto* live = new RecordingEntity("live");
    mine.Add(live);
    mine.PostFrameUpdate();
    mine.Add(new RecordingEntity("waiting"));
    mine.AddFront(new RecordingEntity("front"));
    mine.Reset();
    mine.PostFrameUpdate();
    EXPECT_EQ(Children(mine), (std::vector<std::string>{"front"}));
    // Entities still queued when the scene goes are deleted with it.
    mine.Add(new RecordingEntity("pending"));
    gLog.clear();
    {
        JTScene temporary;
        temporary.Add(new RecordingEntity("queued"));
    }
    EXPECT_EQ(gLog, (std::vector<std::string>{"~queued"}));
}

TEST_F(SceneLifecycleTest, UpdateMovesEveryoneBeforeLinksAreResolved) {
    JTScene scene;
    auto* leader = new JTEntity;
    auto* follower = new JTEntity;
    follower->SetLink(leader->GetID(), nullptr, JTVec3(0, 1, 0));
    scene.Add(follower); // comes first in the child list
    scene.Add(leader);
    scene.PostFrameUpdate();
    leader->SetVelocity(JTVec3(2, 0, 0));
    dt = 0.5f;
    gdwTime = 500;
    scene.Update();
    EXPECT_NEAR(follower->GetPos().x, 1.0f, 1e-6f);
    EXPECT_NEAR(follower->GetPos().y, 1.0f, 1e-6f);
}

} // namespace
