// Message records: their packed form, and the queue that delivers them one
// frame after they were posted to the units that still resolve.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "desktop/scene/world/message.h"
#include "desktop/scene/world/message_queue.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::SceneFixture;

template <class Order> std::vector<uint8_t> Pack(Order& order) {
    std::vector<uint8_t> bytes(order.PackedSize());
    EXPECT_EQ(order.Serialize(bytes, true), bytes.size());
    return bytes;
}

void FillHeader(Message& message, int handles) {
    message.frame = 77;
    message.valueA = -5;
    message.valueB = 300;
    message.sender = 4;
    message.valueC = 99;
    message.local = 1;
    for (int i = 0; i < handles; ++i)
        message.units.Append(1000 + i);
}

void ExpectHeader(const Message& message, int handles) {
    EXPECT_EQ(message.frame, 77);
    EXPECT_EQ(message.valueA, -5);
    EXPECT_EQ(message.valueB, 300);
    EXPECT_EQ(message.sender, 4);
    EXPECT_EQ(message.valueC, 99);
    EXPECT_EQ(message.local, 0) << "the local flag is never packed";
    ASSERT_EQ(message.units.Count(), handles);
    EXPECT_EQ(message.units.LastIndex(), handles - 1);
    for (int i = 0; i < handles; ++i)
        EXPECT_EQ(message.units[i], 1000 + i);
}

TEST(LvOrders, FollowOrderOfThreeHandlesPacksIntoFiftyTwoBytes) {
    FollowOrder order;
    FillHeader(order, 3);
    order.target = 4711;
    order.distance = 12.5f;
    order.offset = {0, 1, -2};
    std::vector<uint8_t> bytes = Pack(order);
    EXPECT_EQ(bytes.size(), 52u);
    EXPECT_EQ(bytes[0], order::kFollow);

    FollowOrder back;
    EXPECT_EQ(back.Serialize(bytes, false), 52u);
    EXPECT_EQ(back.type, order::kFollow);
    ExpectHeader(back, 3);
    EXPECT_EQ(back.target, 4711);
    EXPECT_EQ(back.distance, 12.5f);
    EXPECT_EQ(back.offset, Vec3(0, 1, -2));
}

TEST(LvOrders, EveryKindRoundTripsAtItsSize) {
    MoveOrder move;
    FillHeader(move, 2);
    move.destination = {1, 2, 3};
    TargetOrder shadow(order::kShadow);
    FillHeader(shadow, 1);
    shadow.target = 17;
    SquadOrder squad;
    FillHeader(squad, 0);
    squad.squad = 7;
    squad.slot = 3;
    HandleListOrder route;
    FillHeader(route, 2);
    route.route = {5, 6, 7};
    WaypointOrder waypoint;
    FillHeader(waypoint, 1);
    waypoint.restart = 1;
    waypoint.point = {9, 8, 7};

    EXPECT_EQ(move.PackedSize(), 32u + 4 * 2);
    EXPECT_EQ(shadow.PackedSize(), 24u + 4 * 1);
    EXPECT_EQ(squad.PackedSize(), 28u);
    EXPECT_EQ(route.PackedSize(), 24u + 4 * (2 + 3)) << "the size follows the layout";
    EXPECT_EQ(waypoint.PackedSize(), 36u + 4 * 1);

    std::vector<uint8_t> bytes = Pack(move);
    MoveOrder moveBack;
    ASSERT_EQ(moveBack.Serialize(bytes, false), bytes.size());
    ExpectHeader(moveBack, 2);
    EXPECT_EQ(moveBack.destination, Vec3(1, 2, 3));

    bytes = Pack(shadow);
    TargetOrder shadowBack;
    ASSERT_EQ(shadowBack.Serialize(bytes, false), bytes.size());
    EXPECT_EQ(shadowBack.type, order::kShadow);
    EXPECT_EQ(shadowBack.target, 17);

    bytes = Pack(squad);
    SquadOrder squadBack;
    ASSERT_EQ(squadBack.Serialize(bytes, false), bytes.size());
    EXPECT_EQ(squadBack.squad, 7);
    EXPECT_EQ(squadBack.slot, 3);

    bytes = Pack(route);
    HandleListOrder routeBack;
    ASSERT_EQ(routeBack.Serialize(bytes, false), bytes.size());
    ExpectHeader(routeBack, 2);
    EXPECT_EQ(routeBack.route, (std::vector<EntityHandle>{5, 6, 7}));

    bytes = Pack(waypoint);
    WaypointOrder waypointBack;
    ASSERT_EQ(waypointBack.Serialize(bytes, false), bytes.size());
    EXPECT_EQ(waypointBack.restart, 1);
    EXPECT_EQ(waypointBack.point, Vec3(9, 8, 7));
}

TEST(LvOrders, UnpackingRefusesLengthsTheBufferDoesNotHold) {
    HandleListOrder route;
    FillHeader(route, 1);
    route.route = {1, 2};
    std::vector<uint8_t> bytes = Pack(route);

    // Every cut of the record is refused and leaves the target untouched.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        HandleListOrder back;
        back.valueA = 42;
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(cut));
        EXPECT_EQ(back.Serialize(part, false), 0u) << cut;
        EXPECT_EQ(back.valueA, 42);
        EXPECT_TRUE(back.units.Empty());
    }
    // A handle length beyond the buffer, or not a multiple of four.
    for (uint32_t length : {0x7ffffff0u, 6u}) {
        std::vector<uint8_t> bad = bytes;
        std::memcpy(&bad[16], &length, 4);
        HandleListOrder back;
        EXPECT_EQ(back.Serialize(bad, false), 0u) << length;
    }
    // A second list of more than 60 handles.
    HandleListOrder longRoute;
    longRoute.route.assign(70, 3);
    EXPECT_EQ(longRoute.PackedSize(), 24u + 4 * 60) << "packing keeps 60";
    std::vector<uint8_t> packed = Pack(longRoute);
    HandleListOrder sixty;
    ASSERT_EQ(sixty.Serialize(packed, false), packed.size());
    EXPECT_EQ(sixty.route.size(), 60u);
    const uint32_t tooMany = 61 * 4;
    std::memcpy(&packed[20], &tooMany, 4);
    packed.resize(packed.size() + 4);
    HandleListOrder refused;
    EXPECT_EQ(refused.Serialize(packed, false), 0u);
}

TEST(LvOrders, HandleListGrowsByEightAndKeepsItsLastIndex) {
    HandleList list;
    EXPECT_EQ(list.LastIndex(), -1);
    for (int i = 0; i < 9; ++i)
        list.Append(i);
    EXPECT_EQ(list.LastIndex(), 8);
    EXPECT_EQ(list.Count(), 9);
    EXPECT_EQ(list[8], 8);
}

// An entity that writes down the orders it receives.
class Listener : public Entity {
public:
    Listener() { SetName("listener"); }
    Node* Clone() override {
        auto* copy = new Listener(*this);
        copy->InitClone(this);
        return copy;
    }
    void HandleMessage(const void* message) override {
        const auto* record = static_cast<const Message*>(message);
        received.push_back({record->type, GetSceneClock().frame});
    }
    std::vector<std::pair<uint8_t, uint32_t>> received;

protected:
    Listener(const Listener& other) : Entity(other) {}
};

TEST(LvOrders, QueueDeliversInTheNextFrameOnlyToUnitsThatStillResolve) {
    SceneFixture fixture;
    auto* prototype = new Listener;
    prototype->AddRef();
    prototype->CreateProps();
    auto* first = static_cast<Listener*>(InstantiatePrototype(prototype, true));
    auto* second = static_cast<Listener*>(InstantiatePrototype(prototype, true));
    auto* gone = static_cast<Listener*>(InstantiatePrototype(prototype, true));
    ASSERT_TRUE(first && second && gone);
    fixture.world.JoinPending();
    const EntityHandle goneHandle = gone->handle;

    // Posted during frame 5: stamped for 6, sent by the local player.
    GetSceneClock().frame = 5;
    auto move = std::make_unique<MoveOrder>();
    for (Entity* unit : {static_cast<Entity*>(first), static_cast<Entity*>(second)})
        move->units.Append(unit->handle);
    move->units.Append(goneHandle);
    GetPlayers().local = fixture.players[3].get();
    EXPECT_EQ(QueueMessage(std::move(move), 1), 1);
    EXPECT_EQ(fixture.queue.At(0).frame, 6);
    EXPECT_EQ(fixture.queue.At(0).sender, 3);
    EXPECT_EQ(fixture.queue.At(0).local, 1);
    fixture.world.QueueRemove(gone, nullptr, false);
    fixture.world.FlushRemovals();

    EXPECT_EQ(fixture.queue.Deliver(5), 0);
    EXPECT_TRUE(first->received.empty()) << "never in the frame it was posted";
    EXPECT_EQ(fixture.queue.Deliver(6), 1);
    GetSceneClock().frame = 6;
    ASSERT_EQ(first->received.size(), 1u);
    EXPECT_EQ(first->received[0].first, order::kMove);
    EXPECT_EQ(second->received.size(), 1u);
    EXPECT_EQ(fixture.queue.Count(), 0);

    // One that missed its frame is dropped, never delivered late.
    GetSceneClock().frame = 7;
    auto late = std::make_unique<Message>();
    late->type = order::kHunt;
    late->units.Append(first->handle);
    QueueMessage(std::move(late), 0);
    EXPECT_EQ(fixture.queue.Deliver(9), 0);
    EXPECT_EQ(fixture.queue.Count(), 0);
    EXPECT_EQ(first->received.size(), 1u);

    // Types 6 and 7 are dropped; 8 goes to the application.
    for (uint8_t type : {order::kSystemIgnored1, order::kSystemIgnored2, order::kSystemCommand}) {
        auto system = std::make_unique<Message>();
        system->type = type;
        system->units.Append(first->handle);
        QueueMessage(std::move(system), 0);
    }
    EXPECT_EQ(fixture.queue.Deliver(8), 3);
    EXPECT_EQ(first->received.size(), 1u);
    EXPECT_EQ(fixture.application.systemCommands, std::vector<uint8_t>{order::kSystemCommand});
    prototype->Release();
}

} // namespace
} // namespace lumivane
