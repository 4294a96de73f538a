// The generators on hand-made positions: order of the lists, captured sets, the
// move word's fields, promotion in the middle of a capture, a king's landing
// squares and duplicate paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/test_support.h"

namespace {

using testing_support::currentSets;
using testing_support::Sets;
using testing_support::startEngine;

class MoveGeneration : public ::testing::Test {
protected:
    void SetUp() override
    {
        startEngine();
        plyState[0].hashMove = 0;
        clearOrdering();
    }
};

int sq(const char* name) { return squareFromName(name); }

SquareSet setOf(std::initializer_list<const char*> names)
{
    SquareSet s = 0;
    for (const char* n : names) s |= SquareSet{1} << sq(n);
    return s;
}

using Names = std::initializer_list<const char*>;

// A position text from piece lists.
std::string position(Names whiteMenAt, Names whiteKingsAt, Names blackMenAt, Names blackKingsAt, char side = 'w')
{
    std::string text(32, '0');
    auto put = [&](Names names, char c) {
        for (const char* n : names) text[static_cast<std::size_t>(sq(n))] = c;
    };
    put(whiteMenAt, 'w');
    put(whiteKingsAt, 'W');
    put(blackMenAt, 'b');
    put(blackKingsAt, 'B');
    return text + ' ' + side;
}

struct Expected {
    const char* text; // move text
    SquareSet captured;
    bool promotes = false;
};

void expectList(int n, const std::vector<Expected>& expected, int ply = 0)
{
    ASSERT_EQ(n, static_cast<int>(expected.size()));
    const MoveList& list = moveLists[ply];
    for (int i = 1; i <= n; ++i) {
        const Expected& e = expected[static_cast<std::size_t>(i - 1)];
        const MoveCode m = list.moves[i];
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(moveText(m), e.text);
        EXPECT_EQ(list.captured[i], e.captured) << squareSetText(list.captured[i]);
        EXPECT_EQ((m & promotionFlag) != 0, e.promotes);
        EXPECT_EQ((m & captureFlag) != 0, e.captured != 0);
        EXPECT_EQ(moveCapturedCount(m), popCount(e.captured));
    }
}

TEST_F(MoveGeneration, InitialPositionHasSevenQuietMovesInBoardOrderAndNoCapture)
{
    setPositionFromText(initialPositionText);
    EXPECT_EQ(generateCaptures(White, 0), 0);
    expectList(generateQuietMoves(White, 0), {{"a3-b4", 0, false},
                                              {"c3-b4", 0, false},
                                              {"c3-d4", 0, false},
                                              {"e3-d4", 0, false},
                                              {"e3-f4", 0, false},
                                              {"g3-f4", 0, false},
                                              {"g3-h4", 0, false}});
    // The word holds from | to << 5 and nothing else.
    EXPECT_EQ(moveLists[0].moves[1], 8 | (12 << 5));
    // Black's men try down-right before down-left.
    expectList(generateQuietMoves(Black, 0), {{"b6-c5", 0, false},
                                              {"b6-a5", 0, false},
                                              {"d6-e5", 0, false},
                                              {"d6-c5", 0, false},
                                              {"f6-g5", 0, false},
                                              {"f6-e5", 0, false},
                                              {"h6-g5", 0, false}});
}

TEST_F(MoveGeneration, QuietMovesListKingsFirstNearestSquareFirstAndPromoteOnTheLastRank)
{
    setPositionFromText(position({"a1", "g7"}, {"e1"}, {"b2"}, {}));
    expectList(generateQuietMoves(White, 0), {{"e1-d2", 0, false},
                                              {"e1-c3", 0, false},
                                              {"e1-b4", 0, false},
                                              {"e1-a5", 0, false},
                                              {"e1-f2", 0, false},
                                              {"e1-g3", 0, false},
                                              {"e1-h4", 0, false},
                                              {"g7-f8", 0, true},
                                              {"g7-h8", 0, true}});
    EXPECT_EQ(moveLists[0].moves[8], sq("g7") | (sq("f8") << 5) | promotionFlag);
    // a1 is taken, so the black man has one step, onto its promotion rank.
    expectList(generateQuietMoves(Black, 0), {{"b2-c1", 0, true}});
    // Kings of both colours fly in all four directions, a black king listed before men.
    setPositionFromText(position({"c3"}, {}, {"d2"}, {"h8"}, 'b'));
    expectList(generateQuietMoves(Black, 0), {{"h8-g7", 0, false},
                                              {"h8-f6", 0, false},
                                              {"h8-e5", 0, false},
                                              {"h8-d4", 0, false},
                                              {"d2-e1", 0, true},
                                              {"d2-c1", 0, true}});
}

TEST_F(MoveGeneration, AdvancedManMovesOnlyForMenTwoOrThreeRanksShortOfPromotion)
{
    // White counts b6 (rank 6) and c7 (rank 7), not e5 nor the king on h2.
    setPositionFromText(position({"b6", "c7", "e5"}, {"h2"}, {"b2", "e3", "a5"}, {"g7"}));
    expectList(generateAdvancedManMoves(White, 0), {{"b6-a7", 0, false}, {"c7-b8", 0, true}, {"c7-d8", 0, true}});
    expectList(generateAdvancedManMoves(Black, 0),
               {{"b2-c1", 0, true}, {"b2-a1", 0, true}, {"e3-f2", 0, false}, {"e3-d2", 0, false}});
}

TEST_F(MoveGeneration, MenCaptureBackwardsWithOneJumpInTheCountField)
{
    setPositionFromText(position({"e5"}, {}, {"d4"}, {}));
    expectList(generateCaptures(White, 0), {{"e5:c3", setOf({"d4"}), false}});
    EXPECT_EQ(moveLists[0].moves[1], sq("e5") | (sq("c3") << 5) | (1 << 10) | captureFlag);
    // And the black man takes upwards, away from its own promotion rank.
    expectList(generateCaptures(Black, 0), {{"d4:f6", setOf({"e5"})}});
    // Landing on the own side's first rank during a capture promotes nobody.
    setPositionFromText(position({"c3"}, {}, {"d2"}, {}));
    expectList(generateCaptures(White, 0), {{"c3:e1", setOf({"d2"}), false}});
}

TEST_F(MoveGeneration, ManReachingTheLastRankInACaptureIsPromoted)
{
    // Nothing more to take from d8: the move ends there with both flags.
    setPositionFromText(position({"b6"}, {}, {"c7"}, {}));
    expectList(generateCaptures(White, 0), {{"b6:d8", setOf({"c7"}), true}});
    EXPECT_EQ(moveLists[0].moves[1], sq("b6") | (sq("d8") << 5) | (1 << 10) | captureFlag | promotionFlag);

    // With a man on f6 the new king goes on at once and flies over e7: the stop on
    // d8 is no move, and the two landing squares come in square order (h4 = 15 before g5 = 19).
    setPositionFromText(position({"b6"}, {}, {"c7", "f6"}, {}));
    expectList(generateCaptures(White, 0),
               {{"b6:h4", setOf({"c7", "f6"}), true}, {"b6:g5", setOf({"c7", "f6"}), true}});

    // The crown belongs to the sequences through the promotion square only.
    setPositionFromText(position({"d6"}, {}, {"c7", "e5"}, {}));
    expectList(generateCaptures(White, 0), {{"d6:b8", setOf({"c7"}), true}, {"d6:f4", setOf({"e5"}), false}});

    // Black is crowned on rank 1: e3 takes d2 and lands on c1; as a king it would fly
    // over b2 to a3, but nothing lies behind a3, so the move ends on c1.
    setPositionFromText(position({"d2", "a3"}, {}, {"e3"}, {}, 'b'));
    expectList(generateCaptures(Black, 0), {{"e3:c1", setOf({"d2"}), true}});
}

TEST_F(MoveGeneration, KingWithSeveralLandingSquaresGetsOneMovePerSquare)
{
    setPositionFromText(position({}, {"a1"}, {"c3"}, {}));
    const SquareSet c3 = setOf({"c3"});
    expectList(generateCaptures(White, 0),
               {{"a1:d4", c3}, {"a1:e5", c3}, {"a1:f6", c3}, {"a1:g7", c3}, {"a1:h8", c3}});

    // From e5 the king can go on over f4, so it must land there: d4, f6, g7 and h8 give
    // no move, and the landings behind f4 come in square order, h2 before g3.
    setPositionFromText(position({}, {"a1"}, {"c3", "f4"}, {}));
    const SquareSet both = setOf({"c3", "f4"});
    expectList(generateCaptures(White, 0), {{"a1:h2", both}, {"a1:g3", both}});
}

TEST_F(MoveGeneration, PromotedManFliesBackOverItsOwnStartSquare)
{
    setPositionFromText(position({"d6"}, {}, {"b8", "c5", "c7", "e5", "g5", "g7"}, {}));
    const SquareSet four = setOf({"e5", "g5", "g7", "c5"});
    expectList(generateCaptures(White, 0), {{"d6:a3", four, true}, {"d6:b4", four, true}, {"d6:b4", setOf({"c5"})}});
}

TEST_F(MoveGeneration, KingRoundARingStoresEveryPathEvenWhenEntriesAreEqual)
{
    setPositionFromText(position({}, {"g5"}, {"c3", "e3", "h4", "b6", "f6"}, {}));
    const SquareSet ring = setOf({"b6", "c3", "e3", "f6"});
    const Sets before = currentSets();
    expectList(generateCaptures(White, 0), {{"g5:f4", ring}, {"g5:g5", ring}, {"g5:h6", ring}, {"g5:g5", ring}});
    EXPECT_EQ(moveLists[0].moves[2], moveLists[0].moves[4]);
    EXPECT_EQ(currentSets(), before) << "the generator leaves the position as it found it";
}

TEST_F(MoveGeneration, ManRoundARingStoresBothOrdersOfTheSamePieces)
{
    // c3 takes b4, b6, d6, d4 (or the other way round) and comes back to c3.
    setPositionFromText(position({"c3"}, {}, {"b4", "d4", "b6", "d6"}, {}));
    const SquareSet four = setOf({"b4", "d4", "b6", "d6"});
    expectList(generateCaptures(White, 0), {{"c3:c3", four}, {"c3:c3", four}});
    EXPECT_EQ(moveLists[0].moves[1], sq("c3") | (sq("c3") << 5) | (4 << 10) | captureFlag);
}

TEST_F(MoveGeneration, JumpedPiecesStayOnTheBoardAndBlockTheWay)
{
    // After e5 takes g7 and lands on h8, the way back over g7 to c3 is shut: g7 is
    // still on the board until the move is over.
    setPositionFromText(position({}, {"e5"}, {"c3", "g7"}, {}));
    expectList(generateCaptures(White, 0), {{"e5:h8", setOf({"g7"})}, {"e5:a1", setOf({"c3"})}, {"e5:b2", setOf({"c3"})}});
    // A piece right behind the one to take leaves no landing square; so does the edge.
    setPositionFromText(position({}, {"a1"}, {"c3", "d4"}, {"h6"}));
    EXPECT_EQ(generateCaptures(White, 0), 0);
    // An own man stops the king's walk before the black king on e5.
    setPositionFromText(position({"b2"}, {"a1"}, {}, {"e5"}));
    EXPECT_EQ(generateCaptures(White, 0), 0);
}

TEST_F(MoveGeneration, KingsAreListedBeforeMenAndEachGroupByAscendingSquare)
{
    // Men on a3 and g3 and kings on d2 and e7 all have a capture.
    setPositionFromText(position({"a3", "g3"}, {"d2", "e7"}, {"b4", "f4", "d6"}, {}));
    const int n = generateCaptures(White, 0);
    ASSERT_GT(n, 0);
    std::vector<int> froms;
    for (int i = 1; i <= n; ++i)
        if (froms.empty() || froms.back() != moveFrom(moveLists[0].moves[i])) froms.push_back(moveFrom(moveLists[0].moves[i]));
    EXPECT_EQ(froms, (std::vector<int>{sq("d2"), sq("e7"), sq("a3"), sq("g3")}));
}

TEST_F(MoveGeneration, LegalMovesAreTheCapturesWhenThereAreAny)
{
    // The king could also make quiet moves; the one capture is all that is legal.
    setPositionFromText(position({"a3"}, {"h2"}, {"b4"}, {}));
    expectList(generateLegalMoves(White, 0), {{"a3:c5", setOf({"b4"})}});
    setPositionFromText(position({"a3"}, {}, {"c5"}, {}));
    expectList(generateLegalMoves(White, 0), {{"a3-b4", 0}});
    // No piece, or every piece blocked: no move at all.
    setPositionFromText(position({"a1"}, {}, {"b2", "c3"}, {}));
    EXPECT_EQ(generateLegalMoves(White, 0), 0);
    setPositionFromText(position({}, {}, {"b2"}, {}));
    EXPECT_EQ(generateLegalMoves(White, 0), 0);
}

TEST_F(MoveGeneration, EachPlyHasItsOwnList)
{
    setPositionFromText(initialPositionText);
    ASSERT_EQ(generateQuietMoves(White, 3), 7);
    ASSERT_EQ(generateQuietMoves(Black, 4), 7);
    EXPECT_EQ(moveText(moveLists[3].moves[1]), "a3-b4");
    EXPECT_EQ(moveText(moveLists[4].moves[1]), "b6-c5");
    ASSERT_EQ(generateQuietMoves(White, 63), 7);
}

} // namespace

namespace {

// The longest lists found by a search over positions (many kings, long captures):
// far below the list capacity, and every entry is where the rules put it.
TEST_F(MoveGeneration, LargestListsFoundStayWithinTheListAndMatchTheRules)
{
    const std::pair<const char*, int> extremes[] = {
        {"000WBB0W000bbB0W000b0000WBbbWW00 w", 106}, // captures
        {"W000bb0W000bbB0WW0BbB0w0WBbBW000 w", 101}, // captures
        {"W0WW0000W00000WWW000000bW000WWWW w", 66},  // quiet moves
        {"WWW0000W0000W00WB000W00W0000WWWW w", 65},  // quiet moves
    };
    for (const auto& [text, size] : extremes) {
        setPositionFromText(text);
        const int n = generateLegalMoves(White, 0);
        EXPECT_EQ(n, size) << text;
        EXPECT_LE(n, moveListCapacity);
        const auto expected = ref::legalMoves(ref::boardFromText(text), White);
        EXPECT_EQ(testing_support::listedMoves(0, n), expected) << text;
    }
}

} // namespace
