// The module's self-test dialog: what it builds when it enters a scene and
// what its buttons do to its list.
#include "tests/jtcontrols/controls_fixture.h"

#include <vector>

#include "JTControls/JTButton.h"
#include "JTControls/JTDialog.h"
#include "JTControls/JTList.h"

namespace controls_test {
namespace {

class TestDialogTest : public ControlsTest {
protected:
    template <class T> std::vector<T*> Live() {
        std::vector<T*> found;
        for (int i = 0; i < scene.GetNumChildren(); ++i)
            if (auto* t = dynamic_cast<T*>(scene.GetChild(i))) found.push_back(t);
        return found;
    }
    // The button linked to the dialog at that offset (the dialog's scale).
    JTButton* ButtonAt(JTVec3 offset) {
        for (JTButton* b : Live<JTButton>()) {
            const JTVec3 d = b->GetPos() - (dialog->GetPos() + offset * 0.002f);
            if (!slotsOf(b) && d.Length() < 1e-4f) return b;
        }
        return nullptr;
    }
    bool slotsOf(JTButton* b) {
        JTList* list = Live<JTList>().empty() ? nullptr : Live<JTList>()[0];
        for (int k = 0; list && k < list->GetNumVisible(); ++k)
            if (list->GetSlotID(k) == b->GetID()) return true;
        return false;
    }
    // Presses a button near its right end, clear of the list's wide slots.
    void Press(JTButton* button) {
        ASSERT_NE(button, nullptr);
        PointAt(button->GetPos() + JTVec3(0.15f, 0, 0));
        Click(0);
    }
    JTDialog* dialog = nullptr;
};

TEST_F(TestDialogTest, ItsButtonsScrollAndResizeItsList) {
    dialog = Make<JTDialog>(nullptr, "JTTestDialog", JTVec3(0.3f, 0.4f, 1));
    EXPECT_FALSE(dialog->GetPickable());
    Frame(); // the dialog enters and builds
    Frame(); // its controls enter
    Frame(); // and follow their links
    ASSERT_EQ(Live<JTList>().size(), 1u);
    JTList* list = Live<JTList>()[0];
    EXPECT_EQ(list->GetNumItems(), 6);
    EXPECT_EQ(list->GetNumVisible(), 2);
    EXPECT_EQ(Live<JTButton>().size(), 5u + 2u);

    Press(ButtonAt(JTVec3(0, -100, 0))); // "Down"
    EXPECT_EQ(list->GetFirstVisible(), 1);
    Press(ButtonAt(JTVec3(0, 0, 0))); // "Up"
    Press(ButtonAt(JTVec3(0, 0, 0)));
    EXPECT_EQ(list->GetFirstVisible(), 0);
    Press(ButtonAt(JTVec3(0, -300, 0))); // "More"
    EXPECT_EQ(list->GetNumVisible(), 3);
    for (int i = 0; i < 4; ++i)
        Press(ButtonAt(JTVec3(0, -200, 0))); // "Less", past none
    EXPECT_EQ(list->GetNumVisible(), 0);
    Frame();
    EXPECT_EQ(Live<JTButton>().size(), 5u);
    // The dialog heard its controls; its owner heard nothing.
    EXPECT_TRUE(owner->Notes().empty());
}

} // namespace
} // namespace controls_test
