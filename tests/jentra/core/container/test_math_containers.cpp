// The growable array and the case-insensitive string map.
#include "Jentra/JTArray.h"
#include "Jentra/JTMath.h"
#include "Jentra/JTStringMap.h"

#include <gtest/gtest.h>

namespace {

TEST(JTArray, GrowsByItsStepAndKeepsElements) {
    JTArray<int> a;
    EXPECT_EQ(a.GetCapacity(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(a.Add(i * 10), i);
    EXPECT_EQ(a.GetCapacity(), 16);
    EXPECT_EQ(a.Add(160), 16);
    EXPECT_EQ(a.GetCapacity(), 32);
    for (int i = 0; i <= 16; ++i)
        EXPECT_EQ(a[i], i * 10);

    JTArray<int> small(5);
    for (int i = 0; i < 11; ++i)
        small.Add(i);
    EXPECT_EQ(small.GetCapacity(), 15);
}

TEST(JTArray, InsertFindRemove) {
    JTArray<int> a;
    a.Add(1);
    a.Add(3);
    EXPECT_TRUE(a.Insert(1, 2));
    EXPECT_TRUE(a.Insert(3, 4)); // at the end
    EXPECT_TRUE(a.Insert(0, 0));
    EXPECT_FALSE(a.Insert(9, 9));
    ASSERT_EQ(a.GetCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(a[i], i);

    a.Add(2); // now 2 appears twice
    EXPECT_EQ(a.Find(2), 2);
    EXPECT_TRUE(a.Remove(2));
    ASSERT_EQ(a.GetCount(), 5);
    EXPECT_EQ(a[2], 3);
    EXPECT_EQ(a[4], 2); // only the first occurrence went
    EXPECT_FALSE(a.Remove(42));
    EXPECT_EQ(a.Find(42), -1);
    a.RemoveAt(0);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(*a.Last(), 2);
    int capacity = a.GetCapacity();
    while (a.GetCount() > 0)
        a.RemoveLast();
    EXPECT_EQ(a.GetCapacity(), capacity); // never shrinks on removal
    EXPECT_EQ(a.RemoveLast(), 0);
    EXPECT_EQ(a.GetCount(), 0);
    EXPECT_EQ(a.Find(1), -1);
}

TEST(JTArray, ReserveAndCompact) {
    JTArray<int> a;
    a.Add(7);
    EXPECT_TRUE(a.Reserve(40));
    EXPECT_EQ(a.GetCapacity(), 40);
    EXPECT_EQ(a.GetCount(), 1);
    a.Reserve(10); // never lowers
    EXPECT_EQ(a.GetCapacity(), 40);
    a.Compact();
    EXPECT_EQ(a.GetCapacity(), 1);
    EXPECT_EQ(a[0], 7);
    a.RemoveLast();
    a.Compact();
    EXPECT_EQ(a.GetCapacity(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
}

TEST(JTArray, CopiesOwnTheirStorage) {
    JTArray<int> a(8);
    for (int i = 0; i < 10; ++i)
        a.Add(i);
    JTArray<int> b(a);
    EXPECT_EQ(b.GetCount(), 10);
    EXPECT_EQ(b.GetCapacity(), a.GetCapacity());
    EXPECT_EQ(b.GetGrowStep(), 8);
    EXPECT_NE(b.GetData(), a.GetData());
    b[0] = 99;
    b.Add(10);
    EXPECT_EQ(a[0], 0);
    EXPECT_EQ(a.GetCount(), 10);

    JTArray<int> c;
    c.Add(5);
    c = a;
    EXPECT_EQ(c.GetCount(), 10);
    EXPECT_EQ(c[9], 9);

    // Assigning an array to itself keeps what it held.
    JTArray<int>& alias = c;
    c = alias;
    ASSERT_EQ(c.GetCount(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(c[i], i);
}

TEST(JTArray, ElementsWithoutEqualityCompareAsBytes) {
    JTArray<JTMatrix> a;
    a.Add(JTMatrix());
    a.Add(JTMatrixTranslation(1, 2, 3));
    EXPECT_EQ(a.Find(JTMatrixTranslation(1, 2, 3)), 1);
    EXPECT_EQ(a.Find(JTMatrixTranslation(1, 2, 4)), -1);
}

TEST(JTStringMap, RegistersCaseInsensitivelyKeepingTheFirstSpelling) {
    JTStringMap map;
    EXPECT_EQ(map.Lookup(0), nullptr);
    int i = map.RegisterString("PawnWhite");
    EXPECT_EQ(i, 0);
    EXPECT_EQ(map.RegisterString("board"), 1);
    EXPECT_EQ(map.RegisterString("PAWNWHITE"), i);
    EXPECT_STREQ(map.Lookup(i), "PawnWhite");
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_EQ(map.Lookup(2), nullptr);
    EXPECT_EQ(map.Lookup(-1), nullptr);
    EXPECT_EQ(map.RegisterString(nullptr), -1);
}

} // namespace
