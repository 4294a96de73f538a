// What a search run outside the engine's turn (an analysis, the puzzle finder) changes
// in the engine's globals, put back when it ends however it ends.
#pragma once

#include <string>

#include "engine/egtb.h"
#include "engine/search.h"
#include "game/control.h"

class EngineStateKeeper {
public:
    EngineStateKeeper() = default;
    EngineStateKeeper(const EngineStateKeeper&) = delete;
    EngineStateKeeper& operator=(const EngineStateKeeper&) = delete;
    ~EngineStateKeeper()
    {
        putPieceSetsOnBoard(board_);
        sideToMove = side_;
        engineSide = engineSide_;
        timeBudget = budget_;
        maxIterationDepth = depth_;
        moveSeparator = separator_;
        pvText = pv_;
        depthShown = depthShown_;
        rootScore = rootScore_;
        stopRequested = stop_;
        searchReporter = reporter_;
        bookCandidateCountHook = bookHook_;
        bitbaseLoaded = bitbase_;
        moveLists[0] = list0_;
    }

private:
    PieceSets board_ = boardPieceSets();
    int side_ = sideToMove;
    int engineSide_ = engineSide;
    std::int32_t budget_ = timeBudget;
    int depth_ = maxIterationDepth;
    char separator_ = moveSeparator;
    std::string pv_ = pvText;
    int depthShown_ = depthShown;
    int rootScore_ = rootScore;
    bool stop_ = stopRequested;
    SearchReporter* reporter_ = searchReporter;
    int (*bookHook_)() = bookCandidateCountHook;
    bool bitbase_ = bitbaseLoaded;
    MoveList list0_ = moveLists[0]; // the windows' list of the game position
};
