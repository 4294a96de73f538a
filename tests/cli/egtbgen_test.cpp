#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>

#include "cli/tools/egtbgen.h"
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

std::vector<std::uint8_t> readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class EgtbGenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/korvel-egtbgen-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        configFileName = (dir_ / "no-such.ini").string();
        initEngine();
        finishStartup();
    }
    void TearDown() override
    {
        fs::remove_all(dir_);
        bitbaseData.clear();
        bitbaseLoaded = false;
    }

    void build(int pieces)
    {
        const BuildResult result = buildBitbases(dir_.string(), pieces, nullptr);
        ASSERT_TRUE(result.ok) << result.error;
    }

    void loadTables(int pieces)
    {
        egtbpath = dir_.string() + "/";
        EGTBPieses = pieces;
        LoadBitbase();
        ASSERT_TRUE(bitbaseLoaded);
    }

    // The in-memory verdict for the side to move, turned as the search turns it; 99
    // when the side to move is the weaker one.
    int verdictForSideToMove(int side)
    {
        if (side == Black) SwapSides();
        const bool strong = popCount(blackKings) < popCount(whiteKings) ||
                            (popCount(blackKings) == popCount(whiteKings) && popCount(whiteMen) >= popCount(blackMen));
        const int v = strong ? ProbeBitbase() : 99;
        if (side == Black) SwapSides();
        return v;
    }

    // ProbeExact for the side that has just moved (the other side is to move).
    int exactForSideThatMoved(int sideToMove)
    {
        if (sideToMove == White) SwapSides();
        const int e = ProbeExact();
        if (sideToMove == White) SwapSides();
        return e;
    }

    fs::path dir_;
};

TEST_F(EgtbGenTest, PlacementAndIndexAreInverse)
{
    for (int t = 0; t < bitbaseTableCount; ++t) {
        const BitbaseTable& table = bitbaseTables[t];
        const Material& m = table.material;
        // Every index of the small tables, a spread of the five-piece ones.
        const std::uint32_t step = m.pieces() <= 4 ? 1 : 61;
        std::uint32_t legal = 0, wrong = 0;
        for (std::uint32_t i = 0; i < table.positions; i += step) {
            TablePlacement p;
            if (!placementOfIndex(table, i, p)) continue;
            ++legal;
            const bool counts = popCount(p.strongKings) == m.strongKings && popCount(p.strongMen) == m.strongMen &&
                                popCount(p.weakKings) == m.weakKings && popCount(p.weakMen) == m.weakMen;
            const bool squares = !(p.strongMen & whitePromotionRank) && !(p.weakMen & blackPromotionRank);
            const bool disjoint = popCount(p.strongKings | p.strongMen | p.weakKings | p.weakMen) == m.pieces();
            if (!counts || !squares || !disjoint || bitbaseIndexOf(p.strongKings, p.strongMen, p.weakKings, p.weakMen) != i)
                ++wrong;
        }
        EXPECT_EQ(wrong, 0u) << table.name;
        EXPECT_GT(legal, 0u) << table.name;
    }

    // And from positions to indices and back, on random five-piece boards.
    std::mt19937 random(7);
    for (int n = 0; n < 20000; ++n) {
        const BitbaseTable& table = bitbaseTables[23 + random() % 22];
        SquareSet used = 0, sets[4] = {0, 0, 0, 0};
        const int counts[4] = {table.material.strongKings, table.material.strongMen, table.material.weakKings,
                               table.material.weakMen};
        const SquareSet allowed[4] = {~0u, ~whitePromotionRank, ~0u, ~blackPromotionRank};
        for (int kind = 0; kind < 4; ++kind)
            for (int k = 0; k < counts[kind];) {
                const SquareSet b = 1u << (random() % 32);
                if ((b & used) || !(b & allowed[kind])) continue;
                used |= b;
                sets[kind] |= b;
                ++k;
            }
        TablePlacement p;
        ASSERT_TRUE(placementOfIndex(table, bitbaseIndexOf(sets[0], sets[1], sets[2], sets[3]), p));
        ASSERT_EQ(p.strongKings, sets[0]);
        ASSERT_EQ(p.strongMen, sets[1]);
        ASSERT_EQ(p.weakKings, sets[2]);
        ASSERT_EQ(p.weakMen, sets[3]);
    }
}

// An independent solver for the small tables: full passes over every position, one
// per ply count, valuing each position from its successors.
class ReferenceSolver {
public:
    using Values = std::vector<int>; // -1 unknown, else plies; odd win, even loss for the side to move

    void solve(int maxPieces)
    {
        for (int t : tableSolvingOrder(maxPieces)) solveTable(t);
    }

    // Final value, with draws as INT_MAX.
    int value(int table, int role, std::uint32_t i) const { return values_[table][role][i]; }

private:
    int lookUp(int sideToMove, int table, int level, bool& external)
    {
        if ((sideToMove == White ? whitePieces : blackPieces) == 0) {
            external = true;
            return 0;
        }
        const Material m{popCount(whiteKings), popCount(whiteMen), popCount(blackKings), popCount(blackMen)};
        int t, role;
        std::uint32_t i;
        if (m.weakKings < m.strongKings || (m.weakKings == m.strongKings && m.strongMen >= m.weakMen)) {
            t = bitbaseTableOf(m);
            i = BitbaseIndex();
            role = sideToMove;
        } else {
            t = bitbaseTableOf({m.weakKings, m.weakMen, m.strongKings, m.strongMen});
            SwapSides();
            i = BitbaseIndex();
            SwapSides();
            role = sideToMove ^ 1;
        }
        external = t != table;
        const int v = values_[t][role][i];
        if (v == INT_MAX) return INT_MAX;     // draw
        if (!external && (v < 0 || v >= level)) return -1; // not known before this pass
        return v;
    }

    void solveTable(int t)
    {
        const BitbaseTable& info = bitbaseTables[t];
        for (auto& v : values_[t]) v.assign(info.positions, -1);
        std::vector<bool> legal(info.positions);
        for (std::uint32_t i = 0; i < info.positions; ++i) {
            TablePlacement p;
            legal[i] = placementOfIndex(info, i, p);
        }
        int longestOutside = 0, quietPasses = 0;
        for (int level = 0; level < 400 && (quietPasses < 2 || level <= longestOutside + 1); ++level) {
            bool changed = false;
            for (int role = 0; role < 2; ++role)
                for (std::uint32_t i = 0; i < info.positions; ++i) {
                    if (!legal[i] || values_[t][role][i] >= 0) continue;
                    TablePlacement p;
                    placementOfIndex(info, i, p);
                    setBoard(p.strongKings, p.strongMen, p.weakKings, p.weakMen);
                    const int side = role;
                    const int n = generateLegalMoves(side, 2);
                    bool allWins = true, winFound = false;
                    int longest = -1;
                    for (int k = 1; k <= n; ++k) {
                        makeMove(moveLists[2].moves[k], moveLists[2].captured[k], side, 2);
                        bool external = false;
                        const int c = lookUp(side ^ 1, t, level, external);
                        unmakeMove(2);
                        if (external && c != INT_MAX) longestOutside = std::max(longestOutside, c + 1);
                        if (c >= 0 && c != INT_MAX && c % 2 == 0 && c + 1 == level) winFound = true;
                        if (c < 0 || c == INT_MAX || c % 2 == 0) allWins = false;
                        else longest = std::max(longest, c);
                    }
                    if ((level % 2 == 1 && winFound) || (level % 2 == 0 && allWins && longest + 1 == level) ||
                        (level == 0 && n == 0)) {
                        values_[t][role][i] = level;
                        changed = true;
                    }
                }
            quietPasses = changed ? 0 : quietPasses + 1;
        }
        for (int role = 0; role < 2; ++role)
            for (std::uint32_t i = 0; i < info.positions; ++i)
                if (legal[i] && values_[t][role][i] < 0) values_[t][role][i] = INT_MAX;
    }

    Values values_[bitbaseTableCount][2];
};

std::uint8_t expectedDistanceByte(int plies)
{
    if (plies == INT_MAX) return 0;
    if (plies == 0) return 255;
    return static_cast<std::uint8_t>(plies % 2 == 0 ? plies / 2 : 128 + (plies + 1) / 2);
}

int expectedVerdictBits(int plies)
{
    if (plies == INT_MAX) return 0;
    return plies % 2 ? 2 : 3;
}

TEST_F(EgtbGenTest, SmallTablesAgreeWithAnIndependentSolverByteForByte)
{
    build(3);
    EXPECT_EQ(fs::file_size(dir_ / "egtb3.bit"), bitbaseSizeFourPieces);
    const std::vector<std::uint8_t> verdicts = readAll(dir_ / "egtb3.bit");
    ReferenceSolver reference;
    reference.solve(3);
    loadTables(3);
    for (int t : tableSolvingOrder(3)) {
        const BitbaseTable& info = bitbaseTables[t];
        const std::vector<std::uint8_t> distances = readAll(dir_ / (std::string(info.name) + ".brg"));
        ASSERT_EQ(distances.size(), info.positions) << info.name;
        int wrongBytes = 0, wrongBits = 0, wrongExact = 0;
        for (std::uint32_t i = 0; i < info.positions; ++i) {
            TablePlacement p;
            const bool legal = placementOfIndex(info, i, p);
            const int bits = (verdicts[info.offset + i / 4] >> (2 * (i % 4))) & 3;
            if (!legal) {
                wrongBytes += distances[i] != 0;
                wrongBits += bits != 0;
                continue;
            }
            wrongBytes += distances[i] != expectedDistanceByte(reference.value(t, 1, i));
            wrongBits += bits != expectedVerdictBits(reference.value(t, 0, i));
            // The weaker side has just moved and the stronger is to move: resolved
            // by one move, it must give the stronger side's exact distance.
            const Material& m = info.material;
            if (m.strongKings != m.weakKings || m.strongMen != m.weakMen) {
                setBoard(p.strongKings, p.strongMen, p.weakKings, p.weakMen);
                SwapSides();
                const int e = ProbeExact();
                const int plies = reference.value(t, 0, i);
                const int expected = plies == INT_MAX ? 0 : plies == 0 ? 255 : plies % 2 ? -(plies + 1) / 2 : plies / 2;
                wrongExact += e != expected;
            }
        }
        EXPECT_EQ(wrongBytes, 0) << info.name << " .brg";
        EXPECT_EQ(wrongBits, 0) << info.name << " .bit";
        EXPECT_EQ(wrongExact, 0) << info.name << " one-move resolution";
    }
    EXPECT_EQ(fs::file_size(dir_ / "1d0p_0d2p_ru.brg"), 32u * 378u);
    EXPECT_FALSE(fs::exists(dir_ / "3d0p_1d0p_ru.brg"));
    EXPECT_EQ(verdicts[bitbaseTables[9].offset], 0); // four-piece tables are zero padding
    EXPECT_TRUE(verifyBitbases(dir_.string()).ok);
}

TEST_F(EgtbGenTest, FourPieceTablesVerifyAndHoldTheKnownEndgames)
{
    build(4);
    EXPECT_EQ(fs::file_size(dir_ / "egtb4.bit"), bitbaseSizeFourPieces);
    EXPECT_EQ(fs::file_size(dir_ / "0d2p_0d2p_ru.brg"), bitbaseTables[22].positions);
    const VerifyResult verified = verifyBitbases(dir_.string());
    EXPECT_TRUE(verified.ok) << (verified.problems.empty() ? "" : verified.problems.front());
    EXPECT_EQ(verified.tablesChecked, 23);
    loadTables(4);

    // King against king: nothing happens unless a capture is forced.
    setBoard(at({"e1"}), 0, at({"d8"}), 0);
    EXPECT_EQ(verdictForSideToMove(White), 0);
    EXPECT_EQ(verdictForSideToMove(Black), 0);
    EXPECT_EQ(exactForSideThatMoved(Black), 0);
    setBoard(at({"a1"}), 0, at({"h8"}), 0); // on the long diagonal the side to move must step into a capture
    EXPECT_EQ(verdictForSideToMove(White), -3000);
    EXPECT_EQ(exactForSideThatMoved(Black), 1); // White has just moved: it wins with its next move
    setBoard(at({"a1"}), 0, at({"c3"}), 0);     // White takes at once
    EXPECT_EQ(verdictForSideToMove(White), 3000);

    // Two kings against a king on the long diagonal: a draw whoever moves.
    for (const char* loneKing : {"d4", "a1", "e5", "h8"}) {
        setBoard(at({"c1", "h4"}), 0, at({loneKing}), 0);
        EXPECT_EQ(verdictForSideToMove(White), 0) << loneKing;
        EXPECT_EQ(exactForSideThatMoved(Black), 0) << loneKing;
        EXPECT_EQ(verdictForSideToMove(Black), 99) << loneKing; // the weaker side: not in the in-memory table
    }

    // Three kings against a king away from the long diagonal: won with the move.
    for (const char* loneKing : {"a7", "h2", "c7", "h6"}) {
        setBoard(at({"c1", "e1", "g1"}), 0, at({loneKing}), 0);
        EXPECT_EQ(verdictForSideToMove(White), 3000) << loneKing;
        SwapSides(); // the same with Black to move as the stronger side
        EXPECT_EQ(verdictForSideToMove(Black), 3000) << loneKing;
        SwapSides();
    }
    // ...whereas holding the long diagonal after the lone king's move draws.
    setBoard(at({"c1", "e1", "g1"}), 0, at({"d4"}), 0);
    EXPECT_EQ(exactForSideThatMoved(Black), 0);

    // A man one step from promotion: taken at once if the king stands behind it,
    // otherwise it promotes and holds.
    setBoard(at({"a1"}), 0, 0, at({"b2"}));
    EXPECT_EQ(verdictForSideToMove(White), 3000); // a1 over b2 to c3
    setBoard(at({"h6"}), 0, 0, at({"b2"}));
    EXPECT_EQ(exactForSideThatMoved(Black), 0);
}

TEST_F(EgtbGenTest, BuildingInSeveralProcessesWritesTheSameFiles)
{
    const fs::path alone = dir_ / "alone", together = dir_ / "together";
    fs::create_directories(alone);
    fs::create_directories(together);
    const BuildResult one = buildBitbases(alone.string(), 4, nullptr, 1);
    const BuildResult three = buildBitbases(together.string(), 4, nullptr, 3);
    ASSERT_TRUE(one.ok) << one.error;
    ASSERT_TRUE(three.ok) << three.error;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(alone)) {
        ++files;
        EXPECT_TRUE(readAll(entry.path()) == readAll(together / entry.path().filename())) << entry.path().filename();
    }
    EXPECT_EQ(files, 24); // 23 tables and egtb4.bit
    ASSERT_EQ(three.tables.size(), one.tables.size());
    for (std::size_t i = 0; i < one.tables.size(); ++i) {
        EXPECT_EQ(three.tables[i].name, one.tables[i].name) << "summaries in solving order";
        EXPECT_EQ(three.tables[i].strongWins, one.tables[i].strongWins) << one.tables[i].name;
        EXPECT_EQ(three.tables[i].longestWeakLoss, one.tables[i].longestWeakLoss) << one.tables[i].name;
    }
}

TEST_F(EgtbGenTest, EveryCaptureAndPromotionLeadsIntoATableSolvedBefore)
{
    // Sampled positions of every table, either side to move: wherever a capture or a
    // promotion leads, that table is among those the table waits for.
    std::mt19937 random(11);
    for (int t = 0; t < bitbaseTableCount; ++t) {
        const std::vector<int> reached = tablesReachedFrom(t);
        for (int r : reached) EXPECT_NE(r, t) << bitbaseTables[t].name;
        const BitbaseTable& table = bitbaseTables[t];
        int leaving = 0;
        for (int sample = 0; sample < 3000; ++sample) {
            TablePlacement p;
            if (!placementOfIndex(table, static_cast<std::uint32_t>(random() % table.positions), p)) continue;
            for (int side : {White, Black}) {
                setBoard(p.strongKings, p.strongMen, p.weakKings, p.weakMen);
                const int n = generateLegalMoves(side, 1);
                for (int k = 1; k <= n; ++k) {
                    const MoveCode m = moveLists[1].moves[k];
                    if (!(m & (captureFlag | promotionFlag))) continue;
                    makeMove(m, moveLists[1].captured[k], side, 1);
                    ++leaving;
                    if (whitePieces && blackPieces) { // otherwise the game is over
                        const Material after{popCount(whiteKings), popCount(whiteMen), popCount(blackKings), popCount(blackMen)};
                        const bool whiteStronger = after.weakKings < after.strongKings ||
                                                   (after.weakKings == after.strongKings && after.strongMen >= after.weakMen);
                        const int into = bitbaseTableOf(whiteStronger ? after
                                                                      : Material{after.weakKings, after.weakMen,
                                                                                 after.strongKings, after.strongMen});
                        EXPECT_NE(std::find(reached.begin(), reached.end(), into), reached.end())
                            << table.name << " reaches " << (into < 0 ? "no table" : bitbaseTables[into].name);
                    }
                    unmakeMove(1);
                }
            }
        }
        EXPECT_GT(leaving, 0) << table.name;
    }
}

TEST_F(EgtbGenTest, DrawsWrittenAs128VerifyWhileTheBuildWritesThemAs0)
{
    build(3);
    const fs::path brg = dir_ / "1d1p_0d1p_ru.brg";
    std::vector<std::uint8_t> bytes = readAll(brg);
    std::size_t draws = 0;
    for (std::uint8_t& byte : bytes)
        if (byte == 0) {
            byte = 128;
            ++draws;
        }
    ASSERT_GT(draws, 0u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 128), static_cast<std::ptrdiff_t>(draws))
        << "the build writes no 128 of its own";
    writeAll(brg, bytes);
    const VerifyResult r = verifyBitbases(dir_.string());
    EXPECT_TRUE(r.ok) << (r.problems.empty() ? "" : r.problems.front());
}

TEST_F(EgtbGenTest, VerifierFindsEveryKindOfDamage)
{
    build(3);
    ASSERT_TRUE(verifyBitbases(dir_.string()).ok);
    const fs::path brg = dir_ / "1d1p_0d1p_ru.brg";
    const fs::path bit = dir_ / "egtb3.bit";
    const std::vector<std::uint8_t> goodBrg = readAll(brg);
    const std::vector<std::uint8_t> goodBit = readAll(bit);
    const BitbaseTable& info = bitbaseTables[tableNamed("1d1p_0d1p_ru")];

    // A win one move too slow.
    std::uint32_t won = 0;
    while (goodBrg[won] == 0 || goodBrg[won] > 127) ++won;
    std::vector<std::uint8_t> bad = goodBrg;
    ++bad[won];
    writeAll(brg, bad);
    VerifyResult r = verifyBitbases(dir_.string());
    ASSERT_FALSE(r.ok);
    EXPECT_NE(r.problems.front().find("1d1p_0d1p_ru index " + std::to_string(won)), std::string::npos)
        << r.problems.front();

    // Something on an index where two pieces would share a square.
    bad = goodBrg;
    std::uint32_t overlap = 0;
    for (TablePlacement p; placementOfIndex(info, overlap, p);) ++overlap;
    bad[overlap] = 3;
    writeAll(brg, bad);
    EXPECT_FALSE(verifyBitbases(dir_.string()).ok);

    // A short file.
    bad = goodBrg;
    bad.pop_back();
    writeAll(brg, bad);
    r = verifyBitbases(dir_.string());
    ASSERT_FALSE(r.ok);
    EXPECT_NE(r.problems.front().find("bytes"), std::string::npos);
    writeAll(brg, goodBrg);

    // One 2-bit verdict turned from a win into a draw.
    std::vector<std::uint8_t> badBit = goodBit;
    const std::uint32_t start = info.offset;
    std::uint32_t b = start;
    while ((badBit[b] & 3) != 2) ++b;
    badBit[b] &= 0xFC;
    writeAll(bit, badBit);
    r = verifyBitbases(dir_.string());
    ASSERT_FALSE(r.ok);
    EXPECT_NE(r.problems.front().find("egtb3.bit"), std::string::npos);
    writeAll(bit, goodBit);

    // A table whose successors are missing cannot be checked.
    fs::remove(dir_ / "1d0p_0d1p_ru.brg");
    r = verifyBitbases(dir_.string());
    ASSERT_FALSE(r.ok);
    EXPECT_NE(r.problems.front().find("1d0p_0d1p_ru"), std::string::npos);

    EXPECT_TRUE(buildBitbases(dir_.string(), 6, nullptr).error.find("2 to 5") != std::string::npos);
}

} // namespace
