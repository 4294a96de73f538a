// The static evaluation: worked examples, every pattern row on a position that
// triggers that row alone (and its mirror image for Black), the king rule, and the
// whole evaluation against the written-out reference on random positions.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/reference_eval.h"
#include "tests/engine/test_support.h"

namespace {

class Evaluation : public ::testing::Test {
protected:
    void SetUp() override { testing_support::startEngine(); }
};

std::string textOf(const std::string& whiteMen, const std::string& blackMen, const std::string& whiteKings = "",
                   const std::string& blackKings = "", char side = 'w')
{
    std::string text(32, '0');
    auto put = [&](const std::string& names, char c) {
        std::istringstream in(names);
        for (std::string n; in >> n;) text[static_cast<std::size_t>(refeval::square(n.c_str()))] = c;
    };
    put(whiteMen, 'w');
    put(blackMen, 'b');
    put(whiteKings, 'W');
    put(blackKings, 'B');
    return text + ' ' + side;
}

// The board turned by 180 degrees with the colours exchanged.
std::string mirrorText(const std::string& text)
{
    std::string m(32, '0');
    const std::string swap = "0wWbB", with = "0bBwW";
    for (int s = 0; s < 32; ++s) {
        const char c = text[static_cast<std::size_t>(s)];
        const auto k = swap.find(c);
        m[static_cast<std::size_t>(31 - s)] = k == std::string::npos ? '0' : with[k];
    }
    return m + " w";
}

int evaluateText(const std::string& text, int side)
{
    setPositionFromText(text);
    return evaluate(side);
}

TEST_F(Evaluation, WorkedExamples)
{
    EXPECT_EQ(evaluateText(initialPositionText, White), 0);
    EXPECT_EQ(evaluateText(initialPositionText, Black), 0);
    // d6 against h8: 110 + 5 + 5 + 80 for White, 100 + 0 + 5 + 5 for Black.
    EXPECT_EQ(evaluateText(textOf("d6", "h8"), White), 90);
    EXPECT_EQ(evaluateText(textOf("d6", "h8"), Black), -90);
    EXPECT_EQ(evaluateText(textOf("a3", "h8"), White), 3);
    EXPECT_EQ(evaluateText(textOf("b2 a3 c3", ""), White), 321);
    // Both sides have kings: the total is divided by 4, truncated toward zero.
    EXPECT_EQ(evaluateText(textOf("", "", "d4", "a1"), White), 4);
    EXPECT_EQ(evaluateText(textOf("", "", "a1", "d4"), White), -4);
    EXPECT_EQ(evaluateText(textOf("", "", "a1", "d4"), Black), 4);
    // Only one side with kings: no division (320 - 110 for the man on h8).
    EXPECT_EQ(evaluateText(textOf("", "h8", "d4"), White), 210);
}

TEST_F(Evaluation, MaterialScoreCountsMenAndKings)
{
    setPositionFromText(initialPositionText);
    EXPECT_EQ(materialScore(White), 0);
    EXPECT_EQ(materialScore(Black), 0);
    setPositionFromText("Wwwwwwwwwwww00000000bbbbbbbbbbbb w");
    EXPECT_EQ(materialScore(White), 200);
    EXPECT_EQ(materialScore(Black), -200);
    setPositionFromText(textOf("a3", "c5 e5", "", "h8"));
    EXPECT_EQ(materialScore(White), 100 - 200 - 300);
    EXPECT_EQ(materialScore(Black), 400);
}

TEST_F(Evaluation, SquareTablesAreRaisedByTheMaterialOnce)
{
    for (int s = 0; s < 32; ++s) {
        EXPECT_EQ(manSquareTable[s], refeval::manTable[s] + 100) << s;
        EXPECT_EQ(kingSquareTable[s], refeval::kingTable[s] + 300) << s;
        EXPECT_EQ(kingSquareTable[s], kingSquareTable[31 - s]) << "the king table is symmetric";
    }
}

struct RowCase {
    const char* row;
    const char* whiteMen;
    const char* blackMen;
    int squares;  // material, square values and free squares, worked out from the tables
    int patterns; // the value of the row (and of the rows it cannot come without)
    std::vector<std::string> fired;
};

// Each position triggers the named row and nothing else, apart from rows that
// the row implies (1a needs 1; 5 needs 3 or 4, and with a5 and h4 row 9 holds too;
// 22 implies 15 and 23 implies 16).
const std::vector<RowCase> rowCases = {
    {"1", "a3 b4 a5", "c5 b6 d6 c7 b8", -221, 50, {"+1"}},
    {"1a", "f2 a3 b4 a5", "h4 c5 b6 d6 c7 b8", -223, 30, {"+1", "+1a"}},
    {"2", "a3 b4 a5", "b8", 218, -15, {"+2"}},
    {"3", "d2 c3 e3 f4 h4", "g5 f6 h6", 233, -10, {"+3"}},
    {"4", "e3 f4 h4", "g5 f6 h6", 12, 20, {"+4"}},
    {"5 with 4", "e3 f4 h4 a5", "g5 f6 h6 c7", 14, 20 + 15 - 5, {"+4", "+5", "+9"}},
    {"5 with 3", "d2 c3 e3 f4 h4 a5", "g5 f6 h6 b8", 233, -10 + 15 - 5, {"+3", "+5", "+9"}},
    {"6", "f4 c5", "e5", 122, 25, {"+6"}},
    {"7", "c5", "", 122, 10, {"+7"}},
    {"8", "c5", "a5 e5 a7", -223, 20, {"+8"}},
    {"9", "h4 a5", "c5", 112, -5, {"+9"}},
    {"10", "c5 h6", "f8", 115, 10, {"+10"}},
    {"11", "d4 g5", "f8", 120, 10, {"+11"}},
    {"12", "e5", "f6", 6, 10, {"+12"}},
    {"13", "e5", "h8", 12, 20, {"+13"}},
    {"14", "d6", "", 120, 80, {"+14"}},
    {"15", "f6", "g7", 8, 80, {"+15"}},
    {"16", "h6", "h8", 0, 15, {"+16"}},
    {"17", "b2 a3 c3", "", 331, -10, {"+17"}},
    {"18", "b6", "", 113, 55, {"+18"}},
    {"19", "a7", "", 110, 60, {"+19"}},
    {"20", "a5", "", 117, 50, {"+20"}},
    {"21", "g7", "", 120, 70, {"+21"}},
    {"22", "f6", "", 120, 80 + 60, {"+15", "+22"}},
    {"23", "h6", "", 110, 15 + 60, {"+16", "+23"}},
    {"24", "g5", "", 117, 50, {"+24"}},
    {"25", "e3 d4 f4", "", 346, 15, {"+25"}},
    {"26", "d2 f2", "", 230, -10, {"+26"}},
    {"27", "d4 h4", "f4 e5 g5 f6", -218, 25, {"+27"}},
    {"28", "a5", "b6", 4, 15, {"+28"}},
};

std::vector<std::string> mirroredNames(const std::vector<std::string>& fired)
{
    std::vector<std::string> out;
    for (std::string f : fired) {
        f[0] = f[0] == '+' ? '-' : '+';
        out.push_back(f);
    }
    return out;
}

TEST_F(Evaluation, EveryPatternRowAsWrittenAndMirrored)
{
    for (const RowCase& c : rowCases) {
        SCOPED_TRACE(std::string("row ") + c.row);
        const std::string text = textOf(c.whiteMen, c.blackMen);
        const auto position = refeval::positionFromText(text);
        // The test position is what it claims to be.
        ASSERT_EQ(refeval::firedRows(position), c.fired);
        ASSERT_EQ(refeval::materialAndSquares(position), c.squares);
        const int expected = c.squares + c.patterns;
        EXPECT_EQ(evaluateText(text, White), expected) << text;
        EXPECT_EQ(evaluateText(text, Black), -expected) << text;

        const std::string mirror = mirrorText(text);
        ASSERT_EQ(refeval::firedRows(refeval::positionFromText(mirror)), mirroredNames(c.fired));
        EXPECT_EQ(evaluateText(mirror, White), -expected) << mirror;
        EXPECT_EQ(evaluateText(mirror, Black), expected) << mirror;
    }
}

TEST_F(Evaluation, KingsTakeNoPartInPatterns)
{
    // Row 14 for a man on d6; a king there gets only its table value.
    EXPECT_EQ(evaluateText(textOf("", "", "d6"), White), 310);
    // A black king on d8 does not stop row 14 (the pattern asks for a man).
    EXPECT_EQ(evaluateText(textOf("d6", "", "", "d8"), White), 200 - 300);
    // Kings fill forward squares though: c7 taken, one free square fewer.
    EXPECT_EQ(evaluateText(textOf("d6", "", "", "c7"), White), 195 - 310);
}

TEST_F(Evaluation, AgreesWithTheReferenceOnRandomPositions)
{
    std::mt19937 rng(5005);
    std::uniform_int_distribution<int> count(0, 12), kingShare(0, 60);
    int mismatches = 0;
    for (int i = 0; i < 20000 && mismatches < 5; ++i) {
        const std::string text = testing_support::randomPlacement(rng, count(rng), count(rng), kingShare(rng));
        setPositionFromText(text);
        const auto position = refeval::positionFromText(text);
        for (int side : {White, Black}) {
            const int expected = refeval::evaluation(position, side);
            const int got = evaluate(side);
            if (got != expected) {
                ++mismatches;
                ADD_FAILURE() << "\"" << text << "\" side " << side << ": engine " << got << ", expected " << expected;
            }
        }
    }
    // And on positions from games, where the patterns are met as they occur in play.
    for (int game = 0; game < 100 && mismatches < 5; ++game)
        for (const std::string& text : testing_support::randomGame(rng, 80)) {
            setPositionFromText(text);
            const int expected = refeval::evaluation(refeval::positionFromText(text), White);
            if (evaluate(White) != expected && ++mismatches)
                ADD_FAILURE() << "\"" << text << "\": engine " << evaluate(White) << ", expected " << expected;
        }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
