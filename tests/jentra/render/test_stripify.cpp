// The strip builder: every face lands exactly once in a strip or the
// leftovers, pieces fit the vertex cache, the joined strip draws the list's
// triangles with their winding, and malformed lists are survived.
#include "Jentra/render/stripify.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

using namespace jentra::strips;

namespace {

using Triangle = std::array<int, 3>;

// The triangle turned so that its smallest index leads; the winding stays.
Triangle Canonical(int a, int b, int c) {
    if (b < a && b < c) return {b, c, a};
    if (c < a && c < b) return {c, a, b};
    return {a, b, c};
}

std::map<Triangle, int> Count(const std::vector<uint16_t>& list) {
    std::map<Triangle, int> count;
    for (size_t i = 0; i + 2 < list.size(); i += 3)
        ++count[Canonical(list[i], list[i + 1], list[i + 2])];
    return count;
}

// What a triangle strip draws: odd triangles read their first two backwards;
// triangles with a repeated index draw nothing.
std::map<Triangle, int> DrawStrip(const std::vector<uint16_t>& strip) {
    std::map<Triangle, int> count;
    for (size_t k = 0; k + 2 < strip.size(); ++k) {
        int a = strip[k], b = strip[k + 1], c = strip[k + 2];
        if (k % 2) std::swap(a, b);
        if (a == b || b == c || a == c) continue;
        ++count[Canonical(a, b, c)];
    }
    return count;
}

std::map<Triangle, int> Covered(const StripifyResult& result, size_t* largestPiece = nullptr) {
    std::map<Triangle, int> count;
    size_t largest = 0;
    for (const auto& strip : result.strips) {
        largest = std::max(largest, strip.size());
        for (const StripFace& f : strip)
            ++count[Canonical(f.a, f.b, f.c)];
    }
    for (const StripFace& f : result.leftovers)
        ++count[Canonical(f.a, f.b, f.c)];
    if (largestPiece) *largestPiece = largest;
    return count;
}

std::vector<uint16_t> Grid(int cells) {
    std::vector<uint16_t> list;
    const int row = cells + 1;
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const int i = y * row + x;
            for (int v : {i, i + 1, i + row + 1, i, i + row + 1, i + row})
                list.push_back(uint16_t(v));
        }
    return list;
}

// A closed cube, every triangle wound the same way seen from outside.
std::vector<uint16_t> Cube() {
    // Corner v has x = bit 0, y = bit 1, z = bit 2; each quad goes round its
    // side the same way seen from outside.
    const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    std::vector<uint16_t> list;
    for (const auto& q : quads)
        for (int v : {q[0], q[1], q[2], q[0], q[2], q[3]})
            list.push_back(uint16_t(v));
    return list;
}

void ExpectCoveredOnceAndDrawn(const std::vector<uint16_t>& list) {
    StripifyResult result;
    Stripify(list.data(), int(list.size()), 16, 0, result);
    size_t largest = 0;
    EXPECT_EQ(Covered(result, &largest), Count(list));
    EXPECT_LE(largest, 12u);
    EXPECT_TRUE(result.leftovers.empty()); // minimum length 0 keeps every piece
    EXPECT_EQ(DrawStrip(JoinStrips(result.strips)), Count(list));
}

} // namespace

TEST(Stripify, GridAndCubeAreCoveredOnceAndDrawnWithTheirWinding) {
    {
        SCOPED_TRACE("10 x 10 grid");
        const auto grid = Grid(10);
        ASSERT_EQ(grid.size(), 600u);
        ExpectCoveredOnceAndDrawn(grid);
    }
    {
        SCOPED_TRACE("closed cube");
        ExpectCoveredOnceAndDrawn(Cube());
    }
}

TEST(Stripify, SameInputGivesTheSameStrips) {
    const auto grid = Grid(7);
    StripifyResult first, second;
    Stripify(grid.data(), int(grid.size()), 16, 0, first);
    Stripify(grid.data(), int(grid.size()), 16, 0, second);
    ASSERT_EQ(first.strips.size(), second.strips.size());
    for (size_t s = 0; s < first.strips.size(); ++s) {
        ASSERT_EQ(first.strips[s].size(), second.strips[s].size());
        for (size_t f = 0; f < first.strips[s].size(); ++f) {
            EXPECT_EQ(first.strips[s][f].a, second.strips[s][f].a);
            EXPECT_EQ(first.strips[s][f].c, second.strips[s][f].c);
        }
    }
    // A strip of the grid runs several faces: the builder is not just
    // handing out single triangles.
    EXPECT_LT(first.strips.size(), 98u / 4);
}

TEST(Stripify, ThirdTriangleOnAnEdgeIsReportedOnceAndStillCovered) {
    // Two triangles meet on edge (0, 1); a third claims it too.
    const std::vector<uint16_t> list = {0, 1, 2, 1, 0, 3, 0, 1, 4, 2, 1, 5};
    testing::internal::CaptureStdout();
    StripifyResult result;
    Stripify(list.data(), int(list.size()), 16, 0, result);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences\n");
    EXPECT_EQ(Covered(result), Count(list));
}

TEST(Stripify, MalformedListsAreSurvived) {
    StripifyResult result;
    // Trailing indices are ignored.
    const std::vector<uint16_t> trailing = {0, 1, 2, 2, 1, 3, 7, 8};
    Stripify(trailing.data(), int(trailing.size()), 16, 0, result);
    EXPECT_EQ(Covered(result), Count({0, 1, 2, 2, 1, 3}));

    // The same triangle twice is kept once; turned round it is another face.
    const std::vector<uint16_t> repeated = {0, 1, 2, 0, 1, 2, 1, 2, 0};
    testing::internal::CaptureStdout();
    Stripify(repeated.data(), int(repeated.size()), 16, 0, result);
    testing::internal::GetCapturedStdout();
    std::map<Triangle, int> once = {{Triangle{0, 1, 2}, 2}};
    EXPECT_EQ(Covered(result), once);

    // Vertex numbers far above the index count.
    const std::vector<uint16_t> sparse = {65535, 4000, 9, 9, 4000, 123};
    Stripify(sparse.data(), int(sparse.size()), 16, 0, result);
    EXPECT_EQ(Covered(result), Count(sparse));

    Stripify(nullptr, 0, 16, 0, result);
    EXPECT_TRUE(result.strips.empty() && result.leftovers.empty());
}

TEST(Stripify, CacheSizeIsClampedAndShortPiecesBecomeLeftovers) {
    const auto grid = Grid(6);
    StripifyResult result;
    size_t largest = 0;
    Stripify(grid.data(), int(grid.size()), 2, 0, result); // as 5: pieces of 1
    EXPECT_EQ(Covered(result, &largest), Count(grid));
    EXPECT_EQ(largest, 1u);
    Stripify(grid.data(), int(grid.size()), 1000, 0, result); // as 32: pieces of 28
    EXPECT_EQ(Covered(result, &largest), Count(grid));
    EXPECT_LE(largest, 28u);

    // Nothing reaches 13 faces with a cache of 16: everything is left over,
    // and the leftovers still draw as a list.
    Stripify(grid.data(), int(grid.size()), 16, 13, result);
    EXPECT_TRUE(result.strips.empty());
    std::vector<uint16_t> leftovers;
    for (const StripFace& f : result.leftovers)
        for (int v : {f.a, f.b, f.c})
            leftovers.push_back(uint16_t(v));
    EXPECT_EQ(Count(leftovers), Count(grid));
}

TEST(Stripify, NextIndexContinuesTheStripOrReportsADuplicate) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetNextIndex({4, 1, 2}, {2, 3, 1}), 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    testing::internal::CaptureStdout();
    EXPECT_EQ(GetNextIndex({1, 2}, {2, 1, 2}), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "GetNextIndex: Duplicate triangle sent\n");

    testing::internal::CaptureStdout();
    EXPECT_EQ(GetNextIndex({1, 2}, {2, 5, 6}), 5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "GetNextIndex: Triangle doesn't have all of its vertices\n"
              "GetNextIndex: Duplicate triangle probably got us derailed\n");
}
