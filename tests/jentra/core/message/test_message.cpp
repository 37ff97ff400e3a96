// Identifiers, the identifier map and message delivery.
#include "Jentra/JTFile.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTUnknown.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Records every message it receives and answers with a fixed value.
class Receiver : public JTUnknown {
public:
    struct Call {
        JTID* from;
        JTID* to;
        unsigned msg;
        void* data;
    };
    explicit Receiver(unsigned answer = 0) : comm(this), answer(answer) {}
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override {
        calls.push_back({from, to, msg, data});
        if (onMessage) onMessage(this);
        return answer;
    }
    JTCommunicator comm;
    unsigned answer;
    std::vector<Call> calls;
    void (*onMessage)(Receiver*) = nullptr;
};

// Installs a fresh identifier map and a fallback receiver for one test.
class Messaging : public ::testing::Test {
protected:
    void SetUp() override {
        savedMap = gpJTIDMap;
        gpJTIDMap = &map;
        JTRouter::SetFallbackReceiver(&game);
        map.Add(&game.comm.id, &game);
    }
    void TearDown() override {
        gpJTIDMap = savedMap;
        JTRouter::SetFallbackReceiver(nullptr);
    }
    JTIDMap map;
    JTIDMap* savedMap = nullptr;
    Receiver game{77};
};

TEST(JTIDTest, NewIdsDifferAndCompareByValue) {
    JTID a, b;
    EXPECT_NE(a, b);
    JTID c = a;
    EXPECT_EQ(c, a);
    c.New();
    EXPECT_NE(c, a);
    // Random GUIDs of version 4.
    EXPECT_EQ(a.bytes[6] >> 4, 4);
    EXPECT_EQ(a.bytes[8] & 0xC0, 0x80);
    JTCommunicator comm;
    EXPECT_EQ(static_cast<void*>(&comm), static_cast<void*>(&comm.id));
}

TEST(JTIDTest, SavesAsVersionAndSixteenBytes) {
    JTID id;
    unsigned char* bytes = nullptr;
    unsigned used = 0;
    {
        JTFile out(nullptr, nullptr, 0, true);
        ASSERT_TRUE(id.SaveLoad(out));
        used = out.GetCurrentMemBufferUsed();
        bytes = static_cast<unsigned char*>(std::malloc(used));
        ASSERT_TRUE(out.CurrentFileToMemBuffer(bytes, &used));
    }
    ASSERT_EQ(used, JTFile::kVersionRecordBytes + 18);
    const unsigned char* rec = bytes + JTFile::kVersionRecordBytes;
    EXPECT_EQ(rec[0], 1);
    EXPECT_EQ(rec[1], 0);
    EXPECT_EQ(std::memcmp(rec + 2, id.bytes, 16), 0);

    JTFile in(nullptr, bytes, used, false);
    JTID back;
    ASSERT_TRUE(back.SaveLoad(in));
    EXPECT_EQ(back, id);
    JTID more;
    EXPECT_FALSE(more.SaveLoad(in)); // nothing left to read
}

TEST(JTIDMapTest, AddFindRemove) {
    JTIDMap map;
    Receiver a, b, c;
    EXPECT_EQ(map.Find(&a.comm.id), nullptr);
    map.Add(&a.comm.id, &a);
    map.Add(&a.comm.id, &b); // the first registration stays
    EXPECT_EQ(map.GetNumUnks(), 1);
    EXPECT_EQ(map.Find(&a.comm.id), &a);
    map.Remove(&a.comm.id);
    EXPECT_EQ(map.GetNumUnks(), 0);
    EXPECT_EQ(map.Find(&a.comm.id), nullptr);

    map.Add(&a.comm.id, &a);
    map.Add(&b.comm.id, &b);
    map.Add(&c.comm.id, &c);
    map.Remove(&b.comm.id);
    ASSERT_EQ(map.GetNumUnks(), 2);
    EXPECT_EQ(map.GetUnk(0), &a);
    EXPECT_EQ(map.GetUnk(1), &c);
    EXPECT_EQ(map.Find(&c.comm.id), &c);
    map.Remove(&b.comm.id); // absent: nothing happens
    map.Add(nullptr, &a);
    map.Remove(nullptr);
    EXPECT_EQ(map.Find(nullptr), nullptr);
    EXPECT_EQ(map.GetNumUnks(), 2);
}

TEST_F(Messaging, SendReachesTheRegisteredReceiver) {
    Receiver target(5);
    map.Add(&target.comm.id, &target);
    int payload = 0;
    EXPECT_EQ(game.comm.Send(target.comm.id, JTMSG_SETTEXT, &payload), 5u);
    ASSERT_EQ(target.calls.size(), 1u);
    EXPECT_EQ(target.calls[0].from, &game.comm.id);
    EXPECT_EQ(target.calls[0].to, &target.comm.id);
    EXPECT_EQ(target.calls[0].msg, unsigned(JTMSG_SETTEXT));
    EXPECT_EQ(target.calls[0].data, &payload);
    EXPECT_TRUE(game.calls.empty());
}

TEST_F(Messaging, UnregisteredTargetFallsToTheGameAndSenderGetsZero) {
    Receiver sender, gone(9);
    map.Add(&gone.comm.id, &gone);
    map.Remove(&gone.comm.id);
    int payload = 0;
    EXPECT_EQ(sender.comm.Send(gone.comm.id, 1001, &payload), 0u);
    EXPECT_TRUE(gone.calls.empty());
    ASSERT_EQ(game.calls.size(), 1u);
    EXPECT_EQ(game.calls[0].from, &sender.comm.id);
    EXPECT_EQ(game.calls[0].to, &gone.comm.id);
    EXPECT_EQ(game.calls[0].msg, 1001u);
    EXPECT_EQ(game.calls[0].data, &payload);

    // With no fallback receiver the message is dropped.
    JTRouter::SetFallbackReceiver(nullptr);
    EXPECT_EQ(JTRouter::Send(&sender.comm.id, &gone.comm.id, 1, nullptr), 0u);
    EXPECT_EQ(game.calls.size(), 1u);
}

TEST_F(Messaging, BroadcastReachesEveryRegisteredObjectOnce) {
    Receiver a, b, c;
    map.Add(&a.comm.id, &a);
    map.Add(&b.comm.id, &b);
    map.Add(&c.comm.id, &c);
    a.comm.Broadcast(JTMSG_NETSESSIONLOST, nullptr);
    for (Receiver* r : {&game, &a, &b, &c}) {
        ASSERT_EQ(r->calls.size(), 1u);
        EXPECT_EQ(r->calls[0].to, nullptr);
        EXPECT_EQ(r->calls[0].from, &a.comm.id);
        EXPECT_EQ(r->calls[0].msg, unsigned(JTMSG_NETSESSIONLOST));
    }
}

TEST_F(Messaging, BroadcastSurvivesReceiversChangingTheMap) {
    static JTIDMap* sMap;
    static Receiver* sLate;
    static Receiver* sGame;
    sMap = &map;
    sGame = &game;
    Receiver a, b, c, late;
    sLate = &late;
    map.Add(&a.comm.id, &a);
    map.Add(&b.comm.id, &b);
    map.Add(&c.comm.id, &c);
    // a removes itself (c's neighbour b moves into its place) and registers
    // a newcomer; b removes the game, which was already called.
    a.onMessage = [](Receiver* self) {
        sMap->Remove(&self->comm.id);
        sMap->Add(&sLate->comm.id, sLate);
    };
    b.onMessage = [](Receiver*) { sMap->Remove(&sGame->comm.id); };
    JTRouter::Broadcast(nullptr, 3, nullptr);
    EXPECT_EQ(game.calls.size(), 1u);
    EXPECT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(b.calls.size(), 1u); // not skipped though it moved into a's place
    EXPECT_EQ(c.calls.size(), 1u);
    EXPECT_EQ(late.calls.size(), 1u); // registered during the broadcast
}

} // namespace
