// The list: its window of slot buttons in the scene, what choosing a slot
// tells the owner, growing and shrinking the window, and its entries.
#include "tests/jtcontrols/controls_fixture.h"

#include <cstring>

#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"
#include "JTControls/JTButton.h"
#include "JTControls/JTList.h"

namespace controls_test {
namespace {

class ListTest : public ControlsTest {
protected:
    // A list at the top of the view with entries "Item 1" .. "Item n".
    JTList* MakeList(int n) {
        auto* list = Make<JTList>(nullptr, "JTList", JTVec3(0, 0.5f, 1));
        for (int i = 1; i <= n; ++i)
            list->AddItem(("Item " + std::to_string(i)).c_str(), nullptr, nullptr, true);
        return list;
    }
    JTButton* Slot(JTList* list, int k) {
        return dynamic_cast<JTButton*>(gpJTIDMap->Find(&list->GetSlotID(k)));
    }
    // Clicks the middle of a slot once the slots stand where they hang.
    void ClickSlot(JTList* list, int k) {
        JTButton* slot = Slot(list, k);
        ASSERT_NE(slot, nullptr);
        PointAt(slot->GetPos());
        Click(0);
    }
};

TEST_F(ListTest, TheWindowStaysInsideTheEntriesAndSlotsReportTheEntryTheyShow) {
    JTList* list = MakeList(6);
    list->SetNumVisible(2);
    Frame();
    Frame(); // the slots follow their links
    EXPECT_EQ(list->Scroll(5), 4);
    EXPECT_EQ(list->GetFirstVisible(), 4);
    EXPECT_EQ(list->Scroll(-10), 0);
    EXPECT_EQ(list->Scroll(4), 4);

    // The second slot hangs at the first one's "NextItem", below it.
    JTButton* first = Slot(list, 0);
    JTButton* second = Slot(list, 1);
    ASSERT_TRUE(first && second);
    EXPECT_NEAR(first->GetPos().y, 0.5f, 1e-4f);
    auto* next = dynamic_cast<JTTransNode*>(first->FindChildRecursive("NextItem"));
    ASSERT_NE(next, nullptr);
    const float pitch = next->GetMatrix().m[3][1];
    EXPECT_LT(pitch, 0.0f);
    EXPECT_NEAR(second->GetPos().y, 0.5f + pitch * 0.002f, 1e-4f);
    EXPECT_NEAR(second->GetPos().x, first->GetPos().x, 1e-4f);

    ClickSlot(list, 1);
    ASSERT_EQ(owner->Notes().size(), 1u);
    EXPECT_EQ(owner->Notes()[0].from, list->GetID());
    EXPECT_EQ(owner->Notes()[0].data, 5u);
    EXPECT_STREQ(list->GetItemText(int(owner->Notes()[0].data)), "Item 6");
    EXPECT_EQ(list->GetItemText(6), nullptr);
}

TEST_F(ListTest, SlotsPastTheEntriesAreEmptyAndSayNothingAndDisabledEntriesRefuse) {
    auto* list = Make<JTList>(nullptr, "JTList", JTVec3(0, 0.5f, 1));
    list->AddItem("Yes", nullptr, nullptr, true);
    list->AddItem("No", nullptr, nullptr, false);
    list->SetNumVisible(3);
    Frame();
    Frame();
    ASSERT_EQ(list->GetNumVisible(), 3);
    EXPECT_TRUE(Slot(list, 0)->GetEnabled());
    EXPECT_FALSE(Slot(list, 1)->GetEnabled());
    EXPECT_TRUE(Slot(list, 2)->GetEnabled());

    ClickSlot(list, 2);
    EXPECT_TRUE(owner->Notes().empty());
    ClickSlot(list, 1);
    EXPECT_TRUE(owner->Notes().empty());
    EXPECT_TRUE(Playing("JTBeep_Invalid.wav"));
    ClickSlot(list, 0);
    ASSERT_EQ(owner->Notes().size(), 1u);
    EXPECT_EQ(owner->Notes()[0].data, 0u);

    // Selection goes to the slot's button.
    list->SelectItem(1, true);
    EXPECT_TRUE(Slot(list, 1)->GetShownSelected());
    list->SelectItem(1, false);
    EXPECT_FALSE(Slot(list, 1)->GetShownSelected());
    list->SelectItem(7, true); // no such slot
}

TEST_F(ListTest, SlotsAreMadeForEveryEntryAndDroppedSlotsLeaveTheScene) {
    JTList* list = MakeList(3);
    list->SetNumVisible(-1);
    Frame(); // the slots enter the scene
    Frame(); // and play
    ASSERT_EQ(list->GetNumVisible(), 3);
    EXPECT_EQ(scene.GetNumChildren(), 1 + 1 + 3); // owner, list, slots
    JTButton* kept = Slot(list, 0);
    ASSERT_NE(kept, nullptr);
    // Each new slot plays its model's "on".
    JTSequence* on = kept->GetSequencer() ? kept->GetSequencer()->GetSequence("on") : nullptr;
    ASSERT_NE(on, nullptr);
    EXPECT_GT(on->GetTime(), 0.0f);

    const JTID dropped1 = list->GetSlotID(1), dropped2 = list->GetSlotID(2);
    list->SetNumVisible(1);
    Frame();
    EXPECT_EQ(list->GetNumVisible(), 1);
    EXPECT_EQ(scene.GetNumChildren(), 1 + 1 + 1);
    EXPECT_EQ(Slot(list, 0), kept);
    EXPECT_EQ(gpJTIDMap->Find(&dropped1), nullptr);
    EXPECT_EQ(gpJTIDMap->Find(&dropped2), nullptr);

    // Growing and shrinking within one frame leaves nothing behind either.
    list->SetNumVisible(3);
    list->SetNumVisible(0);
    Frame();
    EXPECT_EQ(scene.GetNumChildren(), 1 + 1);
    // Deleting the list takes its slots with it.
    list->SetNumVisible(2);
    Frame();
    scene.Delete(list);
    Frame();
    EXPECT_EQ(scene.GetNumChildren(), 1);
}

TEST_F(ListTest, AListOutsideAnySceneMakesNoSlots) {
    JTEntity* made = gpJTProtobase->Create(nullptr, kModule, "JTList");
    auto* list = dynamic_cast<JTList*>(made);
    ASSERT_NE(list, nullptr);
    list->AddItem(nullptr, nullptr, nullptr, true); // an entry without text
    list->SetNumVisible(2);
    EXPECT_EQ(list->GetNumVisible(), 2);
    EXPECT_EQ(gpJTIDMap->Find(&list->GetSlotID(0)), nullptr);
    EXPECT_EQ(list->GetItemText(0), nullptr);
    delete made;
}

TEST_F(ListTest, RefillingEveryFrameKeepsOnlyTheCurrentEntriesAndSlots) {
    // As the network menu does: empty the list and fill it again, each frame.
    JTList* list = MakeList(0);
    for (int round = 0; round < 1000; ++round) {
        list->RemoveAll();
        const int hosts = 1 + round % 3;
        for (int h = 0; h < hosts; ++h) {
            const std::string name = "Host " + std::to_string(round) + "." + std::to_string(h);
            list->AddItem(name.c_str(), reinterpret_cast<void*>(intptr_t(h)), nullptr, true);
        }
        list->SetNumVisible(-1);
        if (round % 50 == 0) Frame();
    }
    Frame();
    EXPECT_EQ(list->GetNumItems(), 1); // round 999 has one host
    EXPECT_STREQ(list->GetItemText(0), "Host 999.0");
    EXPECT_EQ(list->GetNumVisible(), 1);
    EXPECT_EQ(scene.GetNumChildren(), 1 + 1 + 1);
    // The leak checker of the sanitizer build sees every entry dropped.
}

TEST(ListItem, CopiesOwnTheirStrings) {
    ListItem a("text", reinterpret_cast<void*>(7), "model.jtm");
    ListItem b;
    b = a;
    ListItem c(a);
    a.SetText("changed");
    a.SetModel(nullptr);
    EXPECT_STREQ(b.GetText(), "text");
    EXPECT_STREQ(c.GetModel(), "model.jtm");
    EXPECT_EQ(b.GetData(), reinterpret_cast<void*>(7));
    b = b;
    EXPECT_STREQ(b.GetText(), "text");
    a.SetText(a.GetText()); // its own text
    EXPECT_STREQ(a.GetText(), "changed");
    EXPECT_EQ(a.GetModel(), nullptr);
}

} // namespace
} // namespace controls_test
