#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

#include "engine/egtb.h"

namespace {

namespace fs = std::filesystem;

SquareSet at(std::initializer_list<const char*> names)
{
    SquareSet s = 0;
    for (const char* n : names) s |= 1u << squareFromName(n);
    return s;
}

void setBoard(SquareSet wk, SquareSet wm, SquareSet bk, SquareSet bm)
{
    whiteKings = wk;
    whiteMen = wm;
    blackKings = bk;
    blackMen = bm;
    recomputeDerivedSets();
}

int tableNamed(const std::string& name)
{
    for (int t = 0; t < bitbaseTableCount; ++t)
        if (name == bitbaseTables[t].name) return t;
    return -1;
}

class EgtbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/korvel-egtb-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        configFileName = (dir_ / "no-such.ini").string();
        initEngine();
        finishStartup();
        egtbpath = dir_.string() + "/";
    }
    void TearDown() override
    {
        fs::remove_all(dir_);
        bitbaseData.clear();
        bitbaseLoaded = false;
    }

    void writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream out(dir_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // A whole ".brg" file of zeros (draws) with the given bytes set.
    void writeDistances(const std::string& table, const std::map<std::uint32_t, std::uint8_t>& bytes)
    {
        std::vector<std::uint8_t> data(bitbaseTables[tableNamed(table)].positions, 0);
        for (const auto& [index, byte] : bytes) data.at(index) = byte;
        writeFile(table + ".brg", data);
    }

    static std::uint32_t tableSize(const std::string& table) { return bitbaseTables[tableNamed(table)].positions; }

    fs::path dir_;
};

TEST_F(EgtbTest, TablesOffsetsAndSizesFollowTheFileLayout)
{
    EXPECT_STREQ(bitbaseTables[0].name, "1d0p_1d0p_ru");
    EXPECT_STREQ(bitbaseTables[3].name, "2d0p_1d0p_ru");
    EXPECT_EQ(bitbaseTables[3].offset, 668u);
    EXPECT_STREQ(bitbaseTables[8].name, "0d2p_0d1p_ru");
    EXPECT_EQ(bitbaseTables[8].offset, 23876u);
    EXPECT_STREQ(bitbaseTables[23].name, "4d0p_1d0p_ru");
    EXPECT_EQ(bitbaseTables[23].offset, 1030139u);
    EXPECT_STREQ(bitbaseTables[44].name, "0d3p_0d2p_ru");
    EXPECT_EQ(bitbaseTables[44].offset, 21542624u);
    EXPECT_EQ(bitbaseTables[0].positions, 992u);
    EXPECT_EQ(bitbaseTables[1].positions, 896u);
    EXPECT_EQ(bitbaseTables[2].positions, 784u);
    EXPECT_EQ(bitbaseTables[44].positions, 1238328u);
    for (int t = 1; t < bitbaseTableCount; ++t) {
        EXPECT_EQ(bitbaseTables[t].positions % 4, 0u) << "table " << t;
        EXPECT_EQ(bitbaseTables[t].offset, bitbaseTables[t - 1].offset + bitbaseTables[t - 1].positions / 4);
        EXPECT_EQ(bitbaseTableOf(bitbaseTables[t].material), t);
    }
    EXPECT_EQ(bitbaseTableOf({1, 0, 2, 0}), -1); // weaker side first: no such table
    EXPECT_EQ(bitbaseTableOf({3, 0, 3, 0}), -1); // six pieces
    EXPECT_EQ(bitbaseTableOf({2, 0, 0, 0}), -1); // one side without pieces
    EXPECT_EQ(binomial[32][6], 906192u);
    EXPECT_EQ(binomial[28][0], 1u);
    EXPECT_EQ(binomial[3][5], 0u);
}

TEST_F(EgtbTest, IndexAndNameOfTheWorkedExamples)
{
    setBoard(squareBit[5], 0, squareBit[10], 0);
    EXPECT_EQ(TableName(), "1d0p_1d0p_ru");
    EXPECT_EQ(BitbaseIndex(), 164u);

    setBoard(squareBit[12], 0, 0, squareBit[9]);
    EXPECT_EQ(TableName(), "1d0p_0d1p_ru");
    EXPECT_EQ(BitbaseIndex(), 341u);

    setBoard(0, squareBit[3] | squareBit[10], 0, squareBit[30]);
    EXPECT_EQ(TableName(), "0d2p_0d1p_ru");
    EXPECT_EQ(BitbaseIndex(), 1370u);

    // The stronger side comes first in the name, whichever colour it has.
    setBoard(at({"c3"}), 0, at({"a1", "h8"}), at({"e5"}));
    EXPECT_EQ(TableName(), "2d1p_1d0p_ru");
    setBoard(at({"c3"}), at({"d4"}), at({"a1"}), at({"e5"}));
    EXPECT_EQ(TableName(), "1d1p_1d1p_ru");
    setBoard(0, at({"c3"}), 0, at({"e5", "g7"}));
    EXPECT_EQ(TableName(), "0d2p_0d1p_ru");
}

TEST_F(EgtbTest, SwapSidesTurnsTheBoardAndExchangesColours)
{
    setBoard(at({"a1"}), at({"c3", "g3"}), at({"h8"}), at({"b6"}));
    SwapSides();
    EXPECT_EQ(whiteKings, at({"a1"}));       // the black king on h8
    EXPECT_EQ(whiteMen, at({"g3"}));         // b6 turned
    EXPECT_EQ(blackKings, at({"h8"}));
    EXPECT_EQ(blackMen, at({"f6", "b6"}));   // c3 and g3 turned
    EXPECT_EQ(whitePieces, at({"a1", "g3"}));
    EXPECT_EQ(blackPieces, at({"h8", "f6", "b6"}));
    EXPECT_EQ(occupied, whitePieces | blackPieces);
    SwapSides();
    EXPECT_EQ(whiteKings, at({"a1"}));
    EXPECT_EQ(whiteMen, at({"c3", "g3"}));
    EXPECT_EQ(blackKings, at({"h8"}));
    EXPECT_EQ(blackMen, at({"b6"}));
    EXPECT_EQ(occupied, at({"a1", "c3", "g3", "h8", "b6"}));
}

TEST_F(EgtbTest, InMemoryProbeReadsTwoBitsPerPositionLowestFirst)
{
    bitbaseData.assign(bitbaseSizeFourPieces, 0);
    // Index 164 is byte 41, bits 0-1; 165 bits 2-3; 166 bits 4-5.
    bitbaseData[41] = 0b00'01'11'10;
    bitbaseProbeCount = 0;
    setBoard(squareBit[5], 0, squareBit[10], 0);
    EXPECT_EQ(ProbeBitbase(), 3000);
    setBoard(squareBit[5], 0, squareBit[11], 0); // B's king numbered 10 past A's king
    EXPECT_EQ(BitbaseIndex(), 165u);
    EXPECT_EQ(ProbeBitbase(), -3000);
    setBoard(squareBit[5], 0, squareBit[12], 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ProbeBitbase(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Bitbase error!\n");
    setBoard(squareBit[5], 0, squareBit[13], 0);
    EXPECT_EQ(ProbeBitbase(), 0);
    EXPECT_EQ(bitbaseProbeCount, 4u);

    // A table the loaded buffer does not reach counts as a draw.
    bitbaseData[bitbaseSizeFourPieces - 1] = 0xFF;
    setBoard(at({"a1", "c1", "e1", "g1"}), 0, at({"h8"}), 0);
    EXPECT_EQ(ProbeBitbase(), 0);
}

TEST_F(EgtbTest, LoaderTakesOnlyAWholeFileOfTheConfiguredLimit)
{
    // Wins and losses in the first bytes; 0x04 holds the error value in bits 2-3.
    std::vector<std::uint8_t> whole(bitbaseSizeFourPieces, 0);
    for (std::size_t i = 0; i < 1000; ++i) whole[i] = (i & 1) ? 0xFF : 0xAA;
    auto changed = [&](std::size_t size, std::size_t at, std::uint8_t byte) {
        auto bytes = whole;
        bytes.resize(size, 0);
        bytes[at] = byte;
        return bytes;
    };
    const std::tuple<int, std::vector<std::uint8_t>, bool> cases[] = {
        {4, whole, true},
        {4, changed(1000, 0, 0xAA), false},                  // cut short
        {3, changed(whole.size() - 1, 0, 0xAA), false},      // one byte short
        {3, changed(whole.size() + 5000, 0, 0xAA), false},   // longer
        {4, changed(whole.size(), 5000, 0x04), false},       // an error entry
        {5, changed(bitbaseSizeFivePieces, 0, 0xAA), true},
        {5, whole, false},                                   // sized for four pieces
    };
    for (const auto& [pieces, bytes, loaded] : cases) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        writeFile("egtb" + std::to_string(pieces) + ".bit", bytes);
        EGTBPieses = pieces;
        LoadBitbase();
        EXPECT_EQ(bitbaseLoaded, loaded) << pieces << " " << bytes.size();
        EXPECT_EQ(bitbaseData, loaded ? bytes : std::vector<std::uint8_t>{}) << pieces << " " << bytes.size();
        const auto damaged = damagedBitbaseFiles(egtbpath, pieces);
        EXPECT_EQ(!damaged.empty() && damaged[0].starts_with("egtb" + std::to_string(pieces) + ".bit: "), !loaded);
    }
}

TEST_F(EgtbTest, DamagedFilesAreNamedAndADamagedDistanceFileIsNeverRead)
{
    // White (two kings) has just moved; Black's king to move.
    setBoard(at({"c1", "e1"}), 0, at({"h6"}), 0);
    const std::uint32_t i = BitbaseIndex();
    writeDistances("2d0p_1d0p_ru", {{i, 5}});
    ASSERT_EQ(ProbeExact(), 5);
    EXPECT_TRUE(damagedBitbaseFiles(egtbpath, 3).empty()); // no ".bit": missing ".brg" files are no damage

    // Cut short after the entry, or longer: the entry itself is there, but the file is damaged.
    for (const std::size_t size : {static_cast<std::size_t>(i) + 1, static_cast<std::size_t>(tableSize("2d0p_1d0p_ru")) + 1}) {
        std::vector<std::uint8_t> bytes(size, 0);
        bytes[i] = 5;
        writeFile("2d0p_1d0p_ru.brg", bytes);
        EXPECT_EQ(ProbeExact(), probeUnavailable) << size;
        EXPECT_EQ(damagedBitbaseFiles(egtbpath, 3),
                  std::vector<std::string>{"2d0p_1d0p_ru.brg: " + std::to_string(size) + " байт вместо " +
                                           std::to_string(tableSize("2d0p_1d0p_ru"))});
    }
    // Beyond the limit a table is not looked at.
    EXPECT_TRUE(damagedBitbaseFiles(egtbpath, 2).empty());

    // Beside a whole ".bit" file every distance file of the limit must be there.
    writeDistances("2d0p_1d0p_ru", {});
    writeFile("egtb3.bit", std::vector<std::uint8_t>(bitbaseSizeFourPieces, 0));
    const auto damaged = damagedBitbaseFiles(egtbpath, 3);
    EXPECT_EQ(damaged.size(), 8u); // the nine tables of two and three pieces, one of them there
    EXPECT_EQ(damaged[0], "1d0p_1d0p_ru.brg: файла нет");
}

TEST_F(EgtbTest, ExactProbeReadsTheDistanceByteOfTheStrongerSide)
{
    // White (two kings) has just moved; Black's king to move.
    setBoard(at({"c1", "e1"}), 0, at({"h6"}), 0);
    const std::uint32_t i = BitbaseIndex();
    const std::pair<int, int> cases[] = {{0, 0}, {5, 5}, {127, 127}, {128, 0}, {129, -1}, {200, -72},
                                         {252, -124}, {253, 253}, {255, 255}};
    for (const auto& [byte, result] : cases) {
        writeDistances("2d0p_1d0p_ru", {{i, static_cast<std::uint8_t>(byte)}});
        EXPECT_EQ(ProbeExact(), result) << "byte " << byte;
    }
    writeFile("2d0p_1d0p_ru.brg", std::vector<std::uint8_t>(i, 0)); // ends just before the entry
    EXPECT_EQ(ProbeExact(), probeUnavailable);
    fs::remove(dir_ / "2d0p_1d0p_ru.brg");
    EXPECT_EQ(ProbeExact(), probeUnavailable);

    setBoard(at({"c1", "e1"}), 0, 0, 0); // the last black piece is gone
    EXPECT_EQ(ProbeExact(), 1);
}

class OneMoveResolution : public EgtbTest {
protected:
    // The stronger side is set up as White to move; the probe sees the board turned,
    // so that the weaker side is White and has just moved.
    void setStrongToMove(SquareSet wk, SquareSet wm, SquareSet bk, SquareSet bm) { setBoard(wk, wm, bk, bm); }

    // The distance-file index of every reply of the stronger side, in generation order.
    std::vector<std::uint32_t> replyIndices()
    {
        std::vector<std::uint32_t> out;
        const int n = generateLegalMoves(White, 5);
        for (int k = 1; k <= n; ++k) {
            makeMove(moveLists[5].moves[k], moveLists[5].captured[k], White, 5);
            out.push_back(BitbaseIndex());
            unmakeMove(5);
        }
        return out;
    }

    int probeFromWeakSide()
    {
        SwapSides();
        const SquareSet before = occupied;
        const int e = ProbeExact();
        EXPECT_EQ(occupied, before); // the board is left as it was
        SwapSides();
        return e;
    }
};

TEST_F(OneMoveResolution, StrongerSidePicksItsFastestWinOrLongestDefence)
{
    setStrongToMove(at({"c1", "e1"}), 0, at({"h6"}), 0);
    const std::vector<std::uint32_t> replies = replyIndices();
    ASSERT_GE(replies.size(), 4u);

    std::map<std::uint32_t, std::uint8_t> bytes;
    for (std::uint32_t r : replies) bytes[r] = 0;
    bytes[replies[1]] = 7;
    bytes[replies[3]] = 3;
    writeDistances("2d0p_1d0p_ru", bytes);
    EXPECT_EQ(probeFromWeakSide(), -4); // wins in 3 after its reply: the weaker side loses in 4

    for (auto& [index, byte] : bytes) byte = 130;
    bytes[replies[2]] = 140;
    writeDistances("2d0p_1d0p_ru", bytes);
    EXPECT_EQ(probeFromWeakSide(), 12); // every reply loses; the longest defence lasts 12

    bytes[replies[0]] = 128; // a drawing reply is better than any loss
    writeDistances("2d0p_1d0p_ru", bytes);
    EXPECT_EQ(probeFromWeakSide(), 0);

    bytes[replies[0]] = 0;
    bytes[replies[2]] = 9; // and a win is better than a draw
    writeDistances("2d0p_1d0p_ru", bytes);
    EXPECT_EQ(probeFromWeakSide(), -10);

    bytes[replies.back()] = 255; // a reply that leaves no legal move wins at once
    writeDistances("2d0p_1d0p_ru", bytes);
    EXPECT_EQ(probeFromWeakSide(), -1);

    fs::remove(dir_ / "2d0p_1d0p_ru.brg");
    EXPECT_EQ(probeFromWeakSide(), probeUnavailable);
}

TEST_F(OneMoveResolution, TakingTheLastPieceOrHavingNoMoveNeedsNoFile)
{
    // Two white kings, the black king en prise on c3: the capture takes the last piece.
    setStrongToMove(at({"a1", "g1"}), 0, at({"c3"}), 0);
    EXPECT_EQ(probeFromWeakSide(), -1);

    // King a1 behind its own man b2, which is blocked by men on a3 and c3 (d4 covers
    // the jump): the stronger side has no legal move, so the weaker side has won.
    setStrongToMove(at({"a1"}), at({"b2"}), 0, at({"a3", "c3", "d4"}));
    ASSERT_EQ(generateLegalMoves(White, 5), 0);
    EXPECT_EQ(probeFromWeakSide(), 255);
}

std::string shownFor(std::uint8_t byte)
{
    switch (byte) {
    case 0: return "=  ";
    case 5: return "!,5  ";
    case 200: return "?,72  ";
    case 255: return "!,1  ";
    default: return "unexpected";
    }
}

// The verdict line for each move, built the way the book window shows it.
TEST_F(EgtbTest, VerdictLineGradesEveryMoveFromItsDistanceByte)
{
    setBoard(at({"c1", "e1"}), 0, at({"h6"}), 0);
    const int n = generateLegalMoves(White, 0);
    ASSERT_GE(n, 4);
    std::map<std::uint32_t, std::uint8_t> bytes;
    std::string expected;
    const std::uint8_t pattern[4] = {0, 5, 200, 255};
    for (int k = 1; k <= n; ++k) {
        const MoveCode m = moveLists[0].moves[k];
        makeMove(m, moveLists[0].captured[k], White, 0);
        bytes[BitbaseIndex()] = pattern[k % 4];
        unmakeMove(0);
        expected += std::string(squareName[moveFrom(m)]) + "-" + squareName[moveTo(m)] + shownFor(pattern[k % 4]);
    }
    writeDistances("2d0p_1d0p_ru", bytes);
    EXPECT_EQ(EndgameVerdictsText(White), expected);

    // Black to move with the board turned: each of its moves is looked up turned back.
    SwapSides();
    std::string turned;
    const int m = generateLegalMoves(Black, 0);
    ASSERT_EQ(m, n);
    for (int k = 1; k <= m; ++k) {
        const MoveCode mv = moveLists[0].moves[k];
        makeMove(mv, moveLists[0].captured[k], Black, 0);
        SwapSides();
        const std::uint32_t i = BitbaseIndex();
        unmakeMove(0);
        ASSERT_EQ(bytes.count(i), 1u);
        turned += std::string(squareName[moveFrom(mv)]) + "-" + squareName[moveTo(mv)] + shownFor(bytes[i]);
    }
    const SquareSet before = occupied;
    EXPECT_EQ(EndgameVerdictsText(Black), turned);
    EXPECT_EQ(occupied, before);

    // A capture is shown with its own separator; without a file there is no verdict.
    setBoard(at({"a1", "g1"}), 0, at({"c3"}), 0);
    EXPECT_EQ(EndgameVerdictsText(White), "a1:d4!,1  a1:e5!,1  a1:f6!,1  a1:g7!,1  a1:h8!,1  ");
    fs::remove(dir_ / "2d0p_1d0p_ru.brg");
    setBoard(at({"c1", "e1"}), 0, at({"h6"}), 0);
    EXPECT_EQ(EndgameVerdictsText(White), "");
}

TEST_F(EgtbTest, VerdictsAreShownWithinThePieceLimitOnly)
{
    writeDistances("2d0p_1d0p_ru", {});
    setBoard(at({"c1", "e1"}), 0, at({"h6"}), 0);
    sideToMove = White;
    EGTBPieses = 3;
    const auto shown = endgameVerdicts(White);
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, EndgameVerdictsText(White));
    EXPECT_NE(shown->find("c1-b2=  "), std::string::npos);

    EGTBPieses = 2; // three pieces are beyond the limit
    EXPECT_FALSE(endgameVerdicts(White));
    EGTBPieses = 0; // the tables switched off
    EXPECT_FALSE(endgameVerdicts(White));
}

} // namespace
