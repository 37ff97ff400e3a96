// Shared helper of the chess engine tests: a freshly initialised engine.
#pragma once

#include <gtest/gtest.h>

#include "chess/engine/chess_engine.h"

namespace chess_test {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { chess::InitEngine(); }

    // Sets a position text that the test relies on being valid.
    static void Position(const char* text) {
        ASSERT_TRUE(chess::SetPositionText(text)) << chess::PositionError();
    }
};

} // namespace chess_test
