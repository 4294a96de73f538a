// The controller tests' fixture: a scripted interface that checks at every redraw
// that board, record and notation agree, and helpers that enter moves by mouse and
// run commands inside the pumps of a running search.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "engine/search.h"
#include "game/gamechange.h"
#include "game/boardview.h"
#include "game/book.h"
#include "game/controller.h"
#include "game/moveentry.h"
#include "game/notation.h"
#include "game/record.h"
#include "game/settings.h"
#include "game/setup.h"
#include "game/timecontrol.h"
#include "notation_count.h"
#include "scripted_ui.h"

namespace controller_testing {

// Checks at every redraw that the board, the record and the notation agree.
struct CheckingUi : controller_testing::ScriptedControlUi {
    int inconsistencies = 0;
    void redrawBoard() override
    {
        ScriptedControlUi::redrawBoard();
        if (gameControl.thinking || gameControl.mode == GameMode::Setup) return;
        if (!entryMatchesBoard(gameRecord.entries[gameRecord.plyNumber])) ++inconsistencies;
        if (gameRecord.plyNumber > 1 && halfMovesInNotation() != gameRecord.redoLimit - 1) ++inconsistencies;
    }
};

// Pixel centre of a square named as "c3" on the small board without marks.
inline int pixelX(const char* name) { return (name[0] - 'a') * smallCell + smallCell / 2; }
inline int pixelY(const char* name) { return ('8' - name[1]) * smallCell + smallCell / 2; }

class ControllerTest : public ::testing::Test {
protected:
    CheckingUi ui;
    void SetUp() override
    {
        controller_testing::startEngineOnce();
        installControlUi(&ui);
        installGameHooks();
        engineTurnHook = EngineTurn;
        gameControl = GameControl{};
        ponderState = PonderState{};
        setupState = SetupState{};
        boardView = BoardView{};
        timeDialog = TimeDialogState{};
        openingLibrary.count = 0;
        bookEnabled = true;
        threadsChosen = 1;       // one thread: the searches repeat exactly
        engineSide = 1;
        timeBudget = 1;          // stops at the first time check
        maxIterationDepth = 7;   // one iteration: the games stay short to compute
        SetBoardSize();          // the small board of start-up
        seedRandom(7);
        StartNewGame();
        seedRandom(7);
        ui.pauses.clear();
        ui.messages.clear();
        ui.inconsistencies = 0;
    }
    void TearDown() override
    {
        installControlUi(nullptr);
        maxIterationDepth = lastIterationDepth;
        timeBudget = 200;
        gameControl = GameControl{};
        openingLibrary.count = 0;
        bookCandidates = BookCandidates{};
        threadsChosen = 0;
    }
    static void drag(const char* from, const char* to, int button = leftButton)
    {
        BoardPress(button, pixelX(from), pixelY(from));
        BoardRelease(button, pixelX(to), pixelY(to));
    }
    // Enters the first legal move of the side to move, whatever the position.
    static void dragFirstLegalMove()
    {
        ASSERT_GT(generateLegalMoves(sideToMove, 2), 0);
        const std::string move = moveText(moveLists[2].moves[1]);
        drag(move.substr(0, 2).c_str(), move.substr(3, 2).c_str());
    }
    // The engine's latest score, as a search reports it for the side it searched.
    static void reportScore(int score, int side)
    {
        SearchProgress p;
        p.kind = SearchProgress::Kind::Iteration;
        p.side = side;
        p.score = score;
        searchReporter->progress(p);
    }
    static void startFrom(const char* text)
    {
        setPositionFromText(text);
        ResetRecord();
        GameChanged(GameChange::NewGame);
    }
    // Runs action inside the first pump at which ready() holds, as a window command
    // arriving at that moment would.
    void whenPumped(std::function<bool()> ready, std::function<void()> action)
    {
        trigger = [this, ready, action] {
            if (ready()) action();
            else ui.onPump = trigger;
        };
        ui.onPump = trigger;
    }
    std::function<void()> trigger;
    static std::string recorded(int entry) { return entryMoveText(gameRecord.entries[entry]); }
    int searchPauses() const { return static_cast<int>(std::count(ui.pauses.begin(), ui.pauses.end(), 300)); }
};

} // namespace controller_testing
