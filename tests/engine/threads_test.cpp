// The search on several threads: table entries never read torn, helpers that search
// beside the main search and stop with it, reports only from the main search, and the
// moves one thread leaves for last because another is searching them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "engine/threads.h"
#include "tests/engine/search_support.h"

namespace {

using namespace search_support;
using testing_support::currentSets;

// An entry written half by one store and half by another must not match either key.
TEST(HashEntries, AnEntryMadeOfTwoStoresMatchesNeitherKey)
{
    struct Store {
        std::uint32_t key;
        std::int32_t score;
        MoveCode move;
        std::uint32_t info;
    };
    const std::pair<Store, Store> cases[] = {
        {{0x12345678u, 35, 0x0123, 0x010309}, {0x9ABCDEF0u, -35, 0x0321, 0x010209}},
        {{0x0000FFFFu, 0, 0, 0x020109}, {0x0000FFFFu ^ 1u, 0, 0, 0x020109 ^ 1u}},      // keys one bit apart
        {{0x55555555u, 4990, 0x4444, 0x7E0314}, {0x55555555u, -4990, 0x4444, 0x7E0313}}, // one key, other depths
        {{0x00000001u, 7, 0x0042, 0x000107}, {0x00000001u, 7, 0x0043, 0x000107}},       // one key, other moves
        {{0xFFFFFFFFu, 100, 0x8001, 0x0103FF & 0x7F03FF}, {0x00000000u, 100, 0x8001, 0x0203FF & 0x7F03FF}},
    };
    for (const auto& [a, b] : cases) {
        HashEntry first{}, second{};
        first.write(a.key, a.score, a.move, a.info);
        second.write(b.key, b.score, b.move, b.info);
        const HashEntry::Fields whole = first.read();
        EXPECT_EQ(whole.key, a.key);
        EXPECT_EQ(whole.score, a.score);
        EXPECT_EQ(whole.move, a.move);
        EXPECT_EQ(whole.info, a.info);
        // The key and score of one store with the move and info of the other, both ways.
        for (const auto& [keyHalf, dataHalf] : {std::pair{first, second}, std::pair{second, first}}) {
            HashEntry torn{};
            torn.keyAndScore = keyHalf.keyAndScore;
            torn.moveAndInfo = dataHalf.moveAndInfo;
            const std::uint32_t key = torn.read().key;
            EXPECT_NE(key, a.key) << std::hex << a.key << " " << b.key;
            EXPECT_NE(key, b.key) << std::hex << a.key << " " << b.key;
        }
    }
    HashEntry empty{};
    EXPECT_EQ(empty.read().key, 0u) << "an empty entry holds key 0";
}

// What the stress test stores for a position: everything follows from its key, so that
// a probe can tell an entry that belongs to another position, or to no whole store.
int scoreFor(std::uint32_t key) { return static_cast<int>(key % 6001) - 3000; }
MoveCode moveFor(std::uint32_t key) { return static_cast<MoveCode>(key >> 16); }
int boundFor(std::uint32_t key) { return 1 + static_cast<int>((key >> 8) % 3); }
constexpr int storedDepth = 9;

struct Probed {
    std::uint32_t key;
    int side;
};

// Positions from random games, kept when their entries fall into a few slots of the
// tables, so that the threads keep writing over one another.
std::vector<Probed> crowdedPositions(std::size_t wanted, std::uint32_t slots)
{
    std::vector<Probed> found;
    const auto searcher = std::make_unique<Searcher>();
    Searcher& s = *searcher;
    std::mt19937 rng(11);
    while (found.size() < wanted) {
        s.setPositionFromText(initialPositionText);
        int side = White;
        for (int ply = 0; ply < 80 && found.size() < wanted; ++ply) {
            const int n = s.generateLegalMoves(side, 0);
            if (n == 0) break;
            const int k = 1 + static_cast<int>(rng() % static_cast<unsigned>(n));
            s.makeMove(s.moveLists[0].moves[k], s.moveLists[0].captured[k], side, 0);
            side ^= 1;
            const std::uint32_t key = s.hashPosition(side);
            if ((key & static_cast<std::uint32_t>(hashMask)) < slots) found.push_back({key, side});
        }
    }
    return found;
}

class Threads : public SearchTest {
protected:
    void TearDown() override
    {
        searchThreads = 1;
        SearchTest::TearDown();
    }
};

TEST_F(Threads, FourThreadsStoreAndProbeTheTablesWithoutReadingATornEntry)
{
    testing_support::useConfig("hashsize=1\n");
    initEngine();
    clearHash();
    const std::vector<Probed> positions = crowdedPositions(128, 4);
    constexpr int threadCount = 4;
    std::vector<std::int64_t> hits(threadCount), wrong(threadCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back([&, t] {
            auto searcher = std::make_unique<Searcher>();
            std::mt19937 rng(static_cast<unsigned>(t + 1));
            for (int i = 0; i < 1000000; ++i) {
                const Probed& p = positions[rng() % positions.size()];
                searcher->plyState[2].positionKey = p.key;
                if (rng() % 2) {
                    searcher->storeHash(p.side, storedDepth, 2, scoreFor(p.key), boundFor(p.key), moveFor(p.key));
                    continue;
                }
                searcher->plyState[2].hashMove = 0;
                searcher->plyState[2].hashBound = 0;
                const int score = searcher->probeHash(p.side, storedDepth, 2);
                const int bound = searcher->plyState[2].hashBound;
                if (bound == 0) continue;
                ++hits[static_cast<std::size_t>(t)];
                if (score != scoreFor(p.key) || bound != boundFor(p.key) ||
                    searcher->plyState[2].hashMove != moveFor(p.key))
                    ++wrong[static_cast<std::size_t>(t)];
            }
        });
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < threadCount; ++t) {
        EXPECT_GT(hits[static_cast<std::size_t>(t)], 1000) << "thread " << t << " found entries";
        EXPECT_EQ(wrong[static_cast<std::size_t>(t)], 0) << "thread " << t << " read an entry of another position";
    }
    testing_support::useNoConfig();
    initEngine();
}

// Records from which thread the search reported and pumped.
struct ThreadCheckingReporter : RecordingReporter {
    std::thread::id expected = std::this_thread::get_id();
    int foreign = 0;
    std::int64_t mostBeyondOwn = 0; // the largest excess of the reported moves over the main search's own
    void progress(const SearchProgress& p) override
    {
        if (std::this_thread::get_id() != expected) ++foreign;
        mostBeyondOwn = std::max(mostBeyondOwn, p.moves - nodeCount);
        RecordingReporter::progress(p);
    }
    void pumpMessages() override
    {
        if (std::this_thread::get_id() != expected) ++foreign;
        RecordingReporter::pumpMessages();
    }
};

TEST_F(Threads, HelpersSearchBesideTheMainSearchWhichAloneReportsAndChoosesTheMove)
{
    const char* positions[] = {initialPositionText, "ww0ww0www0w0w0w000bb0b0bbb0b0bbb w",
                               "0w0w0000b0ww00wb00w0000b00b0000b w", "wwwwwwwww0www0000000bbbbbbbbbbbb b"};
    for (int threads : {2, 4}) {
        for (const char* text : positions) {
            ThreadCheckingReporter rec;
            searchReporter = &rec;
            searchClock = steppingClock;
            clockStep = oneMillisecond;
            setPositionFromText(text);
            const int side = sideToMove;
            const auto before = currentSets();
            clearHash();
            maxIterationDepth = 11;
            searchThreads = threads;
            prepareSearch(side);
            iterativeDeepening();
            EXPECT_EQ(rec.depths, (std::vector<int>{7, 8, 9, 10, 11})) << text;
            EXPECT_EQ(currentSets(), before) << text;
            EXPECT_TRUE(isLegal(moveLists[1].moves[1], side)) << text;
            EXPECT_EQ(pvText.substr(0, 5), moveText(moveLists[1].moves[1])) << "the main search's move is played";
            EXPECT_EQ(rec.foreign, 0) << "helpers never report nor pump";
            // Every helper has stopped: the tables may be changed at once.
            EXPECT_EQ(helperMovesMade(), 0);
            clearHash();
        }
    }
}

TEST_F(Threads, TheReportsCountTheHelpersMoves)
{
    ThreadCheckingReporter rec;
    searchReporter = &rec;
    searchClock = steppingClock;
    clockStep = oneMillisecond;
    setPositionFromText(initialPositionText);
    clearHash();
    maxIterationDepth = 14;
    searchThreads = 2;
    prepareSearch(White);
    iterativeDeepening();
    EXPECT_GE(rec.mostBeyondOwn, timeCheckInterval) << "a helper's published moves are in the reports";
}

TEST_F(Threads, OneThreadSearchesExactlyAsTheSearchAlwaysHas)
{
    // The same search twice on one thread: the same moves made, the same line.
    std::int64_t moves[2];
    std::string lines[2];
    for (int run = 0; run < 2; ++run) {
        setPositionFromText("wwww0w0ww00w00w0b000bbbb0000bbbb w");
        clearHash();
        maxIterationDepth = 11;
        searchThreads = 1;
        prepareSearch(White);
        iterativeDeepening();
        moves[run] = movesMade();
        lines[run] = pvText;
    }
    EXPECT_EQ(moves[0], moves[1]);
    EXPECT_EQ(lines[0], lines[1]);
}

TEST_F(Threads, ATimeLimitOrACommandStopsEveryThread)
{
    // The clock moves 300 ms at every reading: half a second is spent at the first
    // time check of the depth loop.
    RecordingReporter rec;
    searchReporter = &rec;
    searchClock = steppingClock;
    clockStep = 300 * oneMillisecond;
    timeBudget = 50;
    setPositionFromText(initialPositionText);
    clearHash();
    searchThreads = 2;
    prepareSearch(White);
    iterativeDeepening();
    EXPECT_TRUE(stopRequested);
    EXPECT_TRUE(isLegal(moveLists[1].moves[1], White));

    // A command handled in a pump clears the tables (a new game does): the helpers stop
    // before the tables change, and the main search goes on alone to its stop.
    static int cleared = 0;
    cleared = 0;
    rec = RecordingReporter{};
    rec.onPump = [](int pumps) {
        if (pumps == 4) {
            clearHash();
            cleared = helperMovesMade() == 0 ? 1 : -1;
        }
        if (pumps == 8) stopRequested = true;
    };
    searchReporter = &rec;
    searchClock = fakeClock;
    timeBudget = unlimitedTime;
    const auto before = currentSets();
    prepareSearch(White);
    iterativeDeepening();
    EXPECT_EQ(cleared, 1) << "no helper searches once the tables are cleared";
    EXPECT_EQ(rec.pumps, 8);
    EXPECT_EQ(currentSets(), before);
    EXPECT_TRUE(isLegal(moveLists[1].moves[1], White));
}

TEST(MoveClaims, AClaimHoldsItsSlotUntilReleasedAndALaterClaimOfTheSlotWins)
{
    const std::uint32_t first = moveClaim(0x2468ACE1u, 0x0123);
    std::uint32_t second = 0; // another claim of the same slot
    for (std::uint32_t key = 1; second == 0; ++key)
        if (const std::uint32_t c = moveClaim(key, 0x0456); &claimSlot(c) == &claimSlot(first) && c != first) second = c;
    EXPECT_NE(moveClaim(0, 0), 0u) << "0 marks an empty slot";
    stakeClaim(first);
    EXPECT_TRUE(claimed(first) && !claimed(second));
    stakeClaim(second);
    releaseClaim(first);
    EXPECT_TRUE(claimed(second) && !claimed(first)) << "the later claim holds the slot, whoever releases";
    releaseClaim(second);
    EXPECT_EQ(claimSlot(second).load(), 0u);
}

// Claims of the moves of a node of `ply` on a searcher of its own, each in a slot of
// its own (else staking one would drop another). Searched with just the claims' depth
// left, the node claims its moves and the nodes below it (no capture extends these) none.
std::vector<std::uint32_t> claimsOfMoves(Searcher& s, int ply)
{
    std::vector<std::uint32_t> claims;
    std::set<const void*> slots;
    for (int i = 1; i <= s.moveLists[ply].count; ++i) {
        claims.push_back(moveClaim(s.plyState[ply].positionKey, s.moveLists[ply].moves[i]));
        slots.insert(&claimSlot(claims.back()));
    }
    EXPECT_EQ(slots.size(), claims.size());
    return claims;
}

TEST_F(Threads, ANodeLeavesTheMovesOtherThreadsSearchForLastAndStillSearchesThemAll)
{
    for (const char* text : {initialPositionText, "wwww0w0ww00w00w0b000bbbb0000bbbb w", "www0wwwwwww00w0000b0bb0bbbbb0bbb b"}) {
        // Every move claimed: all but the first wait for the second round, which takes
        // them in the order a lone search would.
        std::unique_ptr<Searcher> runs[2] = {std::make_unique<Searcher>(), std::make_unique<Searcher>()};
        std::vector<std::uint32_t> claims;
        int side = White, score[2] = {};
        for (int r = 0; r < 2; ++r) {
            Searcher& s = *runs[r];
            s.setPositionFromText(text);
            side = s.sideToMove;
            s.plyState[2].positionKey = s.hashPosition(side);
            s.plyState[2].materialBalance = s.materialScore(side);
            s.generateLegalMoves(side, 2);
            s.shared = r == 1;
            if (s.shared) claims = claimsOfMoves(s, 2);
            for (const std::uint32_t c : claims) stakeClaim(c);
            clearHash();
            score[r] = s.alphaBeta(-infiniteScore, infiniteScore, claimDepth, 2, side);
        }
        EXPECT_EQ(score[1], score[0]) << text;
        EXPECT_EQ(runs[1]->movesMade(), runs[0]->movesMade()) << text << ": the same moves, searched once each";
        for (std::size_t d = 0; d + 1 < claims.size(); ++d) EXPECT_EQ(runs[1]->deferredMoves[2][d], d + 2) << text;
        for (const std::uint32_t c : claims) EXPECT_FALSE(claimed(c)) << text << ": released once searched";
        for (const std::uint32_t c : claims) releaseClaim(c); // whatever happened, for the tests that follow
    }
}

TEST_F(Threads, TheRootSearchesTheMovesOtherThreadsSearchAfterTheOthersAndEachOnce)
{
    // The root with the moves at some places claimed searches as a lone search whose
    // list holds the unclaimed moves first: the same score, line and moves made. The
    // list's first move is put last, so that moves after claimed ones take the lead
    // and shift the list.
    int shiftsPast = 0;
    for (const char* text : {initialPositionText, "wwwwwwwww0www0000000bbbbbbbbbbbb b", "ww0ww0www0w0w0w000bb0b0bbb0b0bbb w",
                             "00w0w00ww00w0w0w0bb00b00bb0b0000 b"}) {
        for (const std::vector<int>& places : {std::vector<int>{2}, {2, 3}, {2, 4, 6}, {3, 5, 7, 9}}) {
            const auto isLate = [&](int k) { return std::find(places.begin(), places.end(), k) != places.end(); };
            std::unique_ptr<Searcher> runs[2] = {std::make_unique<Searcher>(), std::make_unique<Searcher>()};
            std::vector<std::uint32_t> claims;
            MoveList before{};
            int score[2] = {};
            for (int r = 0; r < 2; ++r) {
                Searcher& s = *runs[r];
                s.setPositionFromText(text);
                s.timeBudget = unlimitedTime;
                clearHash();
                s.prepareSearch(s.sideToMove);
                MoveList& list = s.moveLists[1];
                for (int k = 1; k < list.count; ++k) s.moveToFront(list.count); // the first move last
                before = list;
                if (r == 0) {
                    int j = 0;
                    for (const bool late : {false, true})
                        for (int k = 1; k <= before.count; ++k)
                            if (isLate(k) == late) {
                                list.moves[++j] = before.moves[k];
                                list.captured[j] = before.captured[k];
                                list.scores[j] = before.scores[k];
                            }
                } else {
                    const std::vector<std::uint32_t> all = claimsOfMoves(s, 1);
                    for (int k = 1; k <= list.count; ++k)
                        if (isLate(k)) claims.push_back(all[static_cast<std::size_t>(k - 1)]);
                    for (const std::uint32_t c : claims) stakeClaim(c);
                    s.shared = true;
                }
                clearHash();
                score[r] = s.rootSearch(-infiniteScore, infiniteScore, claimDepth, s.sideToMove);
            }
            const Searcher &lone = *runs[0], &shared = *runs[1];
            EXPECT_EQ(score[1], score[0]) << text;
            EXPECT_EQ(shared.movesMade(), lone.movesMade()) << text << ": every move searched once";
            EXPECT_EQ(shared.moveLists[1].moves[1], lone.moveLists[1].moves[1]) << text;
            EXPECT_TRUE(std::equal(shared.pvTable[1], shared.pvTable[1] + shared.pvLast[1], lone.pvTable[1],
                                   lone.pvTable[1] + lone.pvLast[1])) << text;
            for (const std::uint32_t c : claims) EXPECT_FALSE(claimed(c)) << text;
            for (const std::uint32_t c : claims) releaseClaim(c);
            int from = 0; // where the move that took the lead stood
            for (int k = 1; k <= before.count; ++k)
                if (before.moves[k] == shared.moveLists[1].moves[1]) from = k;
            shiftsPast += places.front() < from && !isLate(from);
        }
    }
    EXPECT_GT(shiftsPast, 0) << "no case moved a move past the claimed ones";
}

} // namespace
