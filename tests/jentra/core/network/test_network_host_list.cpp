// The host list and the direct-connect command line.
#include "Jentra/JTNetwork.h"
#include "Jentra/core/network/host_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

platform::NetHostFound Host(uint64_t instance, const char* name, int players, int maxPlayers = 2) {
    platform::NetHostFound found;
    found.instanceId = instance;
    found.sessionName = name;
    found.address = "127.0.0.1";
    found.port = 5000;
    found.players = players;
    found.maxPlayers = maxPlayers;
    found.latencyMs = 3;
    return found;
}

int Count(JTHostList& list) {
    int n = 0;
    for (DPHostEnumInfo* p = list.First(); p != list.End(); p = p->pNext)
        ++n;
    return n;
}

} // namespace

TEST(JTHostList, RepeatedAnswersKeepOneRecordAndTrackChanges) {
    JTHostList list;
    list.Update(Host(7, "Ann's Game", 1), 100);
    EXPECT_TRUE(list.Changed());
    EXPECT_STREQ(list.First()->szSession, "Ann's Game (1/2) (3ms)");
    list.ResetChanged();

    list.Update(Host(7, "Ann's Game", 1), 200);
    EXPECT_EQ(Count(list), 1);
    EXPECT_FALSE(list.Changed()); // same text: nothing to redraw
    EXPECT_EQ(list.First()->dwLastPollTime, 200u);

    list.Update(Host(7, "Ann's Game", 2), 300);
    EXPECT_EQ(Count(list), 1);
    EXPECT_TRUE(list.Changed());
    EXPECT_STREQ(list.First()->szSession, "Ann's Game (2/2) (3ms)");

    // Without a player limit the text has no maximum.
    list.Update(Host(8, "Open", 4, 0), 300);
    EXPECT_STREQ(list.First()->szSession, "Open (4) (3ms)");
}

TEST(JTHostList, SilentHostsAgeOutAndTheirRecordIsReused) {
    JTHostList list;
    list.Update(Host(1, "Old", 1), 0);
    list.Update(Host(2, "Kept", 1), 0);
    list.ResetChanged();
    list.Update(Host(2, "Kept", 1), 2500);
    list.Age(3001, 3000);
    EXPECT_TRUE(list.Changed());
    EXPECT_EQ(list.CountValid(), 1);

    DPHostEnumInfo* oldRecord = nullptr;
    for (DPHostEnumInfo* p = list.First(); p != list.End(); p = p->pNext)
        if (!p->bValid) oldRecord = p;
    ASSERT_NE(oldRecord, nullptr);
    EXPECT_STREQ(oldRecord->szSessionName, "Old");

    list.Update(Host(3, "New", 1), 3100);
    EXPECT_EQ(Count(list), 2);
    EXPECT_STREQ(oldRecord->szSessionName, "New");
    EXPECT_TRUE(oldRecord->bValid);
}

TEST(JTHostList, RunningNumbersCountValidRecordsOnly) {
    // The session menu numbers the valid records it shows; an aged record in
    // between must not shift the choice onto another host.
    JTHostList list;
    list.Update(Host(1, "C", 1), 1000);
    list.Update(Host(2, "B", 1), 0);
    list.Update(Host(3, "A", 1), 1000); // list order: A, B, C
    list.Age(3500, 3000);               // B goes silent
    ASSERT_NE(list.FindValid(0), nullptr);
    EXPECT_STREQ(list.FindValid(0)->szSessionName, "A");
    ASSERT_NE(list.FindValid(1), nullptr);
    EXPECT_STREQ(list.FindValid(1)->szSessionName, "C");
    EXPECT_EQ(list.FindValid(2), nullptr);
    EXPECT_EQ(list.FindValid(-1), nullptr);
    list.Clear();
    EXPECT_EQ(list.First(), list.End());
}

TEST(JTHostList, LongNamesAreCutToTheirFields) {
    JTHostList list;
    std::string name(1000, 'n');
    list.Update(Host(1, name.c_str(), 1), 0);
    EXPECT_EQ(std::string(list.First()->szSessionName), std::string(259, 'n'));
    EXPECT_LT(std::string(list.First()->szSession).size(), 260u);
}

TEST(JTNetCommandLine, HostAndConnectAreRecognised) {
    JTNetCommandLine host = JTParseNetCommandLine("Rookfall.exe nosplash -host");
    EXPECT_TRUE(host.bDirectConnect);
    EXPECT_TRUE(host.bHost);

    JTNetCommandLine join = JTParseNetCommandLine("game -connect chessbox -x");
    EXPECT_TRUE(join.bDirectConnect);
    EXPECT_FALSE(join.bHost);
    EXPECT_STREQ(join.szHostName, "chessbox");

    JTNetCommandLine last = JTParseNetCommandLine("-connect 127.0.0.1");
    EXPECT_STREQ(last.szHostName, "127.0.0.1");

    EXPECT_FALSE(JTParseNetCommandLine("game nosplash").bDirectConnect);
    EXPECT_FALSE(JTParseNetCommandLine("game -connect").bDirectConnect);
    EXPECT_FALSE(JTParseNetCommandLine("game -connect ").bDirectConnect);
    EXPECT_FALSE(JTParseNetCommandLine(nullptr).bDirectConnect);

    std::string huge = "-connect " + std::string(5000, 'h');
    JTNetCommandLine cut = JTParseNetCommandLine(huge.c_str());
    EXPECT_EQ(std::string(cut.szHostName).size(), sizeof cut.szHostName - 1);
}
