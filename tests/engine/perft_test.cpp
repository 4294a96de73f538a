// Leaf counts of the legal-move tree: the known values from the initial position,
// and the engine against the reference rules from positions full of kings and captures.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/reference_rules.h"
#include "tests/engine/test_support.h"

namespace {

std::uint64_t enginePerft(int side, int ply, int depth)
{
    const int n = generateLegalMoves(side, ply);
    if (depth == 1) return static_cast<std::uint64_t>(n);
    std::uint64_t total = 0;
    for (int i = 1; i <= n; ++i) {
        makeMove(moveLists[ply].moves[i], moveLists[ply].captured[i], side, ply);
        total += enginePerft(side ^ 1, ply + 1, depth - 1);
        unmakeMove(ply);
    }
    return total;
}

class Perft : public ::testing::Test {
protected:
    void SetUp() override { testing_support::startEngine(); }
};

TEST_F(Perft, InitialPositionToDepthEight)
{
    const std::uint64_t expected[] = {7, 49, 302, 1469, 7482, 37986, 190146, 929905};
    setPositionFromText(initialPositionText);
    const auto before = testing_support::currentSets();
    for (int depth = 1; depth <= 8; ++depth)
        EXPECT_EQ(enginePerft(White, 1, depth), expected[depth - 1]) << "depth " << depth;
    EXPECT_EQ(testing_support::currentSets(), before);
    // The reference agrees on the shallower depths.
    int side = White;
    const ref::Board board = ref::boardFromText(initialPositionText, &side);
    EXPECT_EQ(ref::perft(board, side, 6), 37986u);
}

TEST_F(Perft, EngineAgreesWithTheReferenceOnKingAndCapturePositions)
{
    const std::vector<std::pair<std::string, int>> cases = {
        // Kings of both sides among men: flying moves and long captures.
        {"w0w0W0w0w00w0b0000w0B0b0bb0b0B0b w", 5},
        {"0W000w00b0b0000b0b00b0b000W0000B b", 5},
        // The ring and the crowning capture of the generator's examples, played on.
        {"000000000bb0000b000Wb0b000000000 w", 5},
        {"00000000000000000bbb0w000b0bb000 w", 5},
        // Four kings a side in the open.
        {"W00000W0000B000000B0W00B000W00B0 w", 4},
    };
    for (const auto& [text, depth] : cases) {
        setPositionFromText(text);
        int side = White;
        const ref::Board board = ref::boardFromText(text, &side);
        EXPECT_EQ(enginePerft(side, 1, depth), ref::perft(board, side, depth)) << text;
    }
}

} // namespace
