// Helpers shared by the search tests: positions from square names, a node set up as
// its caller leaves it, a clock that only moves when told, and a reporter that
// records what the search shows.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine/egtb.h"
#include "engine/engine.h"
#include "engine/search.h"
#include "tests/engine/test_support.h"

namespace search_support {

// "a1 c3 Kd4" for White and Black: men by name, kings with a K in front.
inline std::string position(const std::string& white, const std::string& black, char side)
{
    std::string text(32, '0');
    auto put = [&](const std::string& names, char man, char king) {
        std::istringstream in(names);
        for (std::string n; in >> n;) {
            const bool isKing = n[0] == 'K';
            const int s = squareFromName(isKing ? n.substr(1) : n);
            EXPECT_GE(s, 0) << n;
            if (s >= 0) text[static_cast<std::size_t>(s)] = isKing ? king : man;
        }
    };
    put(white, 'w', 'W');
    put(black, 'b', 'B');
    return text + ' ' + side;
}

constexpr std::int32_t plentyOfMoves = 1000000000;

// The engine position with the key and material of ply in place and no credit above
// it, as makeMove leaves them for a child; returns the side to move.
inline int placeNode(const std::string& text, int ply)
{
    setPositionFromText(text);
    const int side = sideToMove;
    plyState[ply].positionKey = hashPosition(side);
    plyState[ply].materialBalance = materialScore(side);
    plyState[ply - 1].extensionCredit = 0;
    nodeCountdown = plentyOfMoves;
    return side;
}

inline std::int64_t movesSincePlaced() { return plentyOfMoves - static_cast<std::int64_t>(nodeCountdown); }

// A clock standing still until a test moves it.
inline double fakeNow = 0;
inline double fakeClock() { return fakeNow; }
constexpr double oneMillisecond = 0.001;

// A clock moving on by a fixed step at every reading.
inline double clockStep = 0;
inline double steppingClock()
{
    fakeNow += clockStep;
    return fakeNow;
}

// Whether move is one of the legal moves of the engine position for side.
inline bool isLegal(MoveCode move, int side)
{
    const int n = generateLegalMoves(side, 0);
    for (int i = 1; i <= n; ++i)
        if (moveLists[0].moves[i] == move) return true;
    return false;
}

// A progress report as the search made it, its line kept.
struct Report {
    SearchProgress::Kind kind;
    int side, depth, score;
    std::int64_t moves, speed;
    std::uint32_t probes;
    std::string line; // lineText of its moves
};

class RecordingReporter : public SearchReporter {
public:
    void progress(const SearchProgress& p) override
    {
        reports.push_back({p.kind, p.side, p.depth, p.score, p.moves, p.speed, p.probes,
                           lineText(p.line.data(), static_cast<int>(p.line.size()))});
    }
    void pumpMessages() override
    {
        ++pumps;
        if (onPump) onPump(pumps);
    }
    void iterationCompleted(int depth, int score) override
    {
        depths.push_back(depth);
        scores.push_back(score);
        lines.push_back(pvText);
    }

    // The last report of a kind; a report of depth -1 when there is none.
    Report last(SearchProgress::Kind kind) const
    {
        for (auto it = reports.rbegin(); it != reports.rend(); ++it)
            if (it->kind == kind) return *it;
        return {kind, -1, -1, 0, 0, 0, 0, ""};
    }
    int count(SearchProgress::Kind kind) const
    {
        int n = 0;
        for (const auto& r : reports) n += r.kind == kind;
        return n;
    }

    std::vector<Report> reports;
    std::vector<int> depths, scores;
    std::vector<std::string> lines;
    int pumps = 0;
    void (*onPump)(int pumps) = nullptr;
};

// Engine started, tables and ordering empty, no reporter, no time limit, the fake clock.
class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startEngine();
        clearOrdering();
        bitbaseProbeCount = 0;
        searchReporter = nullptr;
        searchClock = fakeClock;
        fakeNow = 1000.0;
        timeBudget = unlimitedTime;
        stopRequested = false;
        maxIterationDepth = lastIterationDepth;
        bookCandidateCountHook = nullptr;
        extendedDraw = false;
    }
    void TearDown() override
    {
        searchReporter = nullptr;
        searchClock = steadySeconds;
        stopRequested = false;
        maxIterationDepth = lastIterationDepth;
        bookCandidateCountHook = nullptr;
        extendedDraw = true;
        bitbaseLoaded = false;
        bitbaseData.clear();
        EGTBPieses = 0;
    }
};

} // namespace search_support
