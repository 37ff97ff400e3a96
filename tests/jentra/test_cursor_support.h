// Fixtures of the cursor tests: a message log, entities that record what
// they receive, a pickable square model, and scripted cursor services (views
// over plain matrices, input frame by frame).
#pragma once

#include <string>
#include <vector>

#include "Jentra/JTCursor.h"
#include "Jentra/JTScene.h"
#include "tests/jentra/test_scene_support.h"

struct LoggedMessage {
    std::string to;
    unsigned msg;
    uintptr_t data;
    bool operator==(const LoggedMessage&) const = default;
};

inline std::vector<LoggedMessage>& MessageLog() {
    static std::vector<LoggedMessage> log;
    return log;
}

// Receives messages to identifiers nobody owns.
class GameRecorder : public JTUnknown {
public:
    unsigned Message(JTID*, JTID*, unsigned msg, void* data) override {
        MessageLog().push_back({"game", msg, reinterpret_cast<uintptr_t>(data)});
        return 0;
    }
};

class RecordingEntity : public JTEntity {
public:
    explicit RecordingEntity(std::string n) : label(std::move(n)) {}
    unsigned Message(JTID*, JTID*, unsigned msg, void* data) override {
        MessageLog().push_back({label, msg, reinterpret_cast<uintptr_t>(data)});
        return 0;
    }
    std::string label;
};

// A camera-facing square of half-size 1 around the entity's position.
inline void GiveSquareModel(JTEntity* e) {
    auto* geo = new JTGeoNode;
    auto* mesh = new TestMesh;
    mesh->AddFace(JTVec3(-1, -1, 0), JTVec3(-1, 1, 0), JTVec3(1, 1, 0));
    mesh->AddFace(JTVec3(-1, -1, 0), JTVec3(1, 1, 0), JTVec3(1, -1, 0));
    geo->SetMesh(AsJTMesh(mesh));
    e->AddChild(geo);
    e->RecomputeBound();
    e->ComputeMatrix();
}

// A view as the tests describe it.
struct TestView {
    JTScene* scene = nullptr;
    JTCamera* camera = nullptr; // only compared
    jentra::cursor::RayView ray;
};

inline JTView* AsView(TestView* v) {
    return reinterpret_cast<JTView*>(v);
}

// A camera at the origin looking along +z with a 90-degree field of view:
// a point (x, y, z) appears at screen x = 0.5 + 0.5 x / z.
inline jentra::cursor::RayView ForwardCamera(float left = 0, float top = 0, float w = 1,
                                             float h = 1) {
    jentra::cursor::RayView r;
    r.left = left;
    r.top = top;
    r.width = w;
    r.height = h;
    r.view = JTMatrixLookAtLH(JTVec3(0, 0, 0), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    r.projection = JTMatrixPerspectiveFovLH(3.14159265f / 2, 1.0f, 0.1f, 100.0f);
    return r;
}

// A cursor the tests can put anywhere on the screen at once.
class PlaceableCursor : public JTCursor {
public:
    void Place(float nx, float ny) {
        x = nx;
        y = ny;
    }
};

class ScriptedServices : public JTCursorServices {
public:
    JTCursorInput next; // handed out by the next ReadInput, then cleared
    JTScene* mainScene = nullptr;
    int relativeOffCalls = 0;

    void ReadInput(JTCursorInput& input) override {
        input = next;
        next = JTCursorInput{};
    }
    void SetMouseRelative(bool on) override {
        if (!on) ++relativeOffCalls;
    }
    JTScene* GetMainScene() override { return mainScene; }
    JTScene* GetViewScene(JTView* v) override { return reinterpret_cast<TestView*>(v)->scene; }
    JTCamera* GetViewCamera(JTView* v) override { return reinterpret_cast<TestView*>(v)->camera; }
    bool GetRayView(JTView* v, jentra::cursor::RayView& out) override {
        out = reinterpret_cast<TestView*>(v)->ray;
        return true;
    }
    float GetCameraAspect(JTCamera*) override { return 2.0f; }
};
