// The generators and makeMove against the independent rules of reference_rules on
// thousands of random positions: games played at random from the start, king
// endings, scattered pieces, and crowded boards full of long captures.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/reference_rules.h"
#include "tests/engine/test_support.h"

namespace {

using namespace testing_support;

// What the random positions turned out to contain, so that a test can insist
// that the cases it is meant to check did occur.
struct Coverage {
    int positions = 0;
    int captures = 0;
    int multiCaptures = 0;
    int promotionsInCapture = 0;   // crowned on the way and went on capturing
    int kingLandingChoices = 0;    // one capture, several final squares
    int duplicateEntries = 0;      // equal from, to and captured set in one list
    int quietPromotions = 0;
    int kingCaptures = 0;
};

class CrossCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        startEngine();
        clearOrdering();
        for (auto& state : plyState) state.hashMove = 0;
    }

    // Compares one generator's list with the reference: first as a multiset, then in order.
    bool sameList(const char* what, int n, const std::vector<ref::Move>& expected, const std::string& text, int side)
    {
        const std::vector<ref::Move> got = listedMoves(1, n);
        std::vector<ref::Move> a = got, b = expected;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        const bool sameSet = a == b;
        const bool sameOrder = got == expected;
        if (sameSet && sameOrder) return true;
        if (++reported_ <= 5)
            ADD_FAILURE() << what << " for " << (side == White ? "White" : "Black") << " in \"" << text << "\": "
                          << (sameSet ? "same moves in another order" : "different moves") << "\nengine:\n"
                          << describe(got) << "reference:\n"
                          << describe(expected);
        return false;
    }

    void note(const std::vector<ref::Move>& captures)
    {
        coverage_.captures += static_cast<int>(captures.size());
        for (std::size_t i = 0; i < captures.size(); ++i) {
            const ref::Move& m = captures[i];
            if (popCount(m.captured) > 1) ++coverage_.multiCaptures;
            const bool endsOnLastRank = ref::rankOf(m.to) == 0 || ref::rankOf(m.to) == 7;
            if (m.promotes && !endsOnLastRank) ++coverage_.promotionsInCapture;
            for (std::size_t j = i + 1; j < captures.size(); ++j) {
                if (captures[j] == m) ++coverage_.duplicateEntries;
                if (captures[j].from == m.from && captures[j].captured == m.captured && captures[j].to != m.to)
                    ++coverage_.kingLandingChoices;
            }
        }
    }

    // All three generators for both sides, then every legal move made and taken back.
    void check(const std::string& text)
    {
        ++coverage_.positions;
        const ref::Board board = ref::boardFromText(text);
        setPositionFromText(text);
        const Sets before = currentSets();
        for (int side : {White, Black}) {
            const auto captures = ref::captures(board, side);
            note(captures);
            if (!sameList("captures", generateCaptures(side, 1), captures, text, side)) return;
            if (!sameList("quiet moves", generateQuietMoves(side, 1), ref::quietMoves(board, side), text, side)) return;
            if (!sameList("advanced man moves", generateAdvancedManMoves(side, 1), ref::advancedManMoves(board, side),
                          text, side))
                return;
            // The count without a list, as perft takes it at its last ply.
            const int counted = side == White ? countLegalMovesFor<White>(1) : countLegalMovesFor<Black>(1);
            const std::size_t legal = captures.empty() ? ref::quietMoves(board, side).size() : captures.size();
            if (counted != static_cast<int>(legal) && ++reported_ <= 5)
                ADD_FAILURE() << "countLegalMoves gave " << counted << ", not " << legal << ", in \"" << text << "\"";
            if (currentSets() != before) {
                ADD_FAILURE() << "generators changed the position \"" << text << "\"";
                return;
            }
            checkMakeMove(board, side, text);
        }
    }

    // makeMove gives the reference's next position, its key and material; unmake restores.
    void checkMakeMove(const ref::Board& board, int side, const std::string& text)
    {
        const int n = generateLegalMoves(side, 1);
        const Sets before = currentSets();
        plyState[1].positionKey = hashPosition(side);
        plyState[1].materialBalance = materialScore(side);
        for (int i = 1; i <= n; ++i) {
            const MoveCode m = moveLists[1].moves[i];
            const SquareSet y = moveLists[1].captured[i];
            const ref::Move move = asReference(m, y);
            const SquareSet ownKings = side == White ? whiteKings : blackKings;
            if (!y && move.promotes) ++coverage_.quietPromotions;
            if (y && (ownKings & (SquareSet{1} << move.from))) ++coverage_.kingCaptures;
            makeMove(m, y, side, 1);
            const std::string after = currentText(side ^ 1);
            const std::string expected = ref::textFromBoard(ref::applied(board, move), side ^ 1);
            const bool ok = after == expected && plyState[2].positionKey == hashPosition(side ^ 1) &&
                            plyState[2].materialBalance == materialScore(side ^ 1) &&
                            whitePieces == (whiteMen | whiteKings) && blackPieces == (blackMen | blackKings) &&
                            occupied == (whitePieces | blackPieces);
            unmakeMove(1);
            if (!ok && ++reported_ <= 5)
                ADD_FAILURE() << "makeMove " << ref::moveDescription(move) << " in \"" << text << "\" gave \"" << after
                              << "\", expected \"" << expected << "\" (or a key, material or derived set is off)";
            if (currentSets() != before && ++reported_ <= 5)
                ADD_FAILURE() << "unmakeMove after " << ref::moveDescription(move) << " in \"" << text << "\"";
        }
    }

    int reported_ = 0;
    Coverage coverage_;
};

TEST_F(CrossCheck, RandomGamesFromTheInitialPosition)
{
    std::mt19937 rng(1001);
    for (int game = 0; game < 300; ++game)
        for (const std::string& text : randomGame(rng, 140)) check(text);
    EXPECT_GT(coverage_.positions, 10000);
    EXPECT_GT(coverage_.multiCaptures, 100);
    EXPECT_GT(coverage_.quietPromotions, 10);
    EXPECT_GT(coverage_.kingCaptures, 10);
    EXPECT_EQ(reported_, 0);
}

TEST_F(CrossCheck, KingEndings)
{
    std::mt19937 rng(2002);
    std::uniform_int_distribution<int> count(1, 4);
    for (int i = 0; i < 5000; ++i) check(randomPlacement(rng, count(rng), count(rng), 75));
    EXPECT_GT(coverage_.kingLandingChoices, 100);
    EXPECT_GT(coverage_.kingCaptures, 500);
    EXPECT_GT(coverage_.duplicateEntries, 0);
    EXPECT_EQ(reported_, 0);
}

TEST_F(CrossCheck, ScatteredMenAndKings)
{
    std::mt19937 rng(3003);
    std::uniform_int_distribution<int> count(1, 12);
    for (int i = 0; i < 5000; ++i) check(randomPlacement(rng, count(rng), count(rng), 25));
    EXPECT_GT(coverage_.promotionsInCapture, 20);
    EXPECT_GT(coverage_.multiCaptures, 500);
    EXPECT_EQ(reported_, 0);
}

// Few attackers against many men with gaps: long sequences, rings and crowning mid-capture.
TEST_F(CrossCheck, CrowdedBoardsWithLongCaptures)
{
    std::mt19937 rng(4004);
    std::uniform_int_distribution<int> attackers(1, 3), defenders(6, 12), square(0, 31), percent(0, 99);
    for (int i = 0; i < 5000; ++i) {
        std::string text(32, '0');
        const bool whiteAttacks = percent(rng) < 50;
        const char man = whiteAttacks ? 'w' : 'b', king = whiteAttacks ? 'W' : 'B';
        const char prey = whiteAttacks ? 'b' : 'w';
        const int preyForbiddenRank = whiteAttacks ? 0 : 7;
        const int ownForbiddenRank = whiteAttacks ? 7 : 0;
        for (int n = attackers(rng); n > 0;) {
            const int s = square(rng);
            if (text[static_cast<std::size_t>(s)] != '0') continue;
            const bool crowned = percent(rng) < 50;
            if (!crowned && ref::rankOf(s) == ownForbiddenRank) continue;
            text[static_cast<std::size_t>(s)] = crowned ? king : man;
            --n;
        }
        for (int n = defenders(rng); n > 0;) {
            const int s = square(rng);
            if (text[static_cast<std::size_t>(s)] != '0' || ref::rankOf(s) == preyForbiddenRank) continue;
            // Pieces on the edge cannot be taken; keep most of them inside.
            const int file = ref::fileOf(s), rank = ref::rankOf(s);
            if ((file == 0 || file == 7 || rank == 0 || rank == 7) && percent(rng) < 70) continue;
            text[static_cast<std::size_t>(s)] = percent(rng) < 10 ? static_cast<char>(prey - 32) : prey;
            --n;
        }
        check(text + (whiteAttacks ? " w" : " b"));
    }
    EXPECT_GT(coverage_.promotionsInCapture, 50);
    EXPECT_GT(coverage_.duplicateEntries, 20);
    EXPECT_GT(coverage_.kingLandingChoices, 200);
    EXPECT_EQ(reported_, 0);
}

} // namespace
