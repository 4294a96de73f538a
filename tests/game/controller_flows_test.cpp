// Flows of ordinary play that once left a game stuck or the program down: a bad
// configuration at a new game, exceptions out of commands, thinking on the
// opponent's time meeting new games, loads, take-backs and draw offers, and moves
// entered while the engine's move is being shown.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "controller_fixture.h"
#include "game/analysis.h"
#include "game/commandguard.h"
#include "game/fen.h"
#include "game/filecommands.h"
#include "game/hint.h"
#include "game/pdn.h"
#include "game_support.h"

namespace {

using namespace controller_testing;

// The first legal move of the side to move, named as c3-d4. Ply 0's list is the
// controller's own, so this may run inside a pump of a running search.
std::string firstLegalMove()
{
    EXPECT_GT(generateLegalMoves(sideToMove, 0), 0);
    return moveText(moveLists[0].moves[1]);
}

void dragMove(const std::string& move)
{
    BoardPress(leftButton, pixelX(move.substr(0, 2).c_str()), pixelY(move.substr(0, 2).c_str()));
    BoardRelease(leftButton, pixelX(move.substr(3, 2).c_str()), pixelY(move.substr(3, 2).c_str()));
}

char pieceAtSquare(const char* name) { return positionToText(White)[static_cast<std::size_t>(squareFromName(name))]; }

bool boardIsTheRecordsPosition() { return entryMatchesBoard(gameRecord.entries[gameRecord.plyNumber]); }

class ControllerFlowTest : public ControllerTest {
protected:
    std::string savedConfigName;
    std::filesystem::path dir;
    void SetUp() override
    {
        ControllerTest::SetUp();
        savedConfigName = configFileName;
        dir = game_testing::uniqueTempDir("flows");
    }
    void TearDown() override
    {
        configFileName = savedConfigName;
        std::filesystem::remove_all(dir);
        ControllerTest::TearDown();
    }
    void useConfiguration(const std::string& text)
    {
        configFileName = (dir / "korvel.ini").string();
        std::ofstream(configFileName) << text;
    }
};

TEST_F(ControllerFlowTest, ABadConfigurationAtANewGameKeepsTheGameAndTheSettings)
{
    drag("c3", "d4");
    ASSERT_EQ(gameRecord.plyNumber, 3);
    const std::string position = positionToText(sideToMove);
    const std::int32_t mask = hashMask;
    useConfiguration("hashsize=12x\n");
    ui.messages.clear();
    NewGameCommand();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("hashsize"), std::string::npos) << ui.messages[0];
    EXPECT_NE(ui.messages[0].find("12x"), std::string::npos) << ui.messages[0];
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(positionToText(sideToMove), position);
    EXPECT_EQ(hashMask, mask);
    EXPECT_EQ(gameControl.mode, EngineBlack);

    // Chosen while the engine thinks: its move is not lost either.
    whenPumped([] { return gameControl.thinking; }, [] { NewGameCommand(); });
    dragMove(firstLegalMove());
    EXPECT_EQ(gameRecord.plyNumber, 5);
    EXPECT_TRUE(boardIsTheRecordsPosition());

    // Mended, the next new game reads it.
    useConfiguration("hashsize=2\n");
    NewGameCommand();
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(hashMask, 2 * 32768 - 1);
}

TEST_F(ControllerFlowTest, ABadConfigurationAtStartIsToldAndTheProgramGoesOnWithTheDefaults)
{
    for (const char* text : {"hashsize=abc\n", "hashsize=99999999\n", "hashsize=0\n", "EGTBPieses=9\n"}) {
        SCOPED_TRACE(text);
        useConfiguration(std::string("hashsize=2\n") + text);
        ui.messages.clear();
        ASSERT_NO_THROW(StartUp());
        timeBudget = 1;
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].rfind("Ошибка в " + configFileName + ":", 0), 0u) << ui.messages[0];
        // The main window's new game, and the user's, go on with the defaults.
        ASSERT_NO_THROW(StartNewGame());
        drag("c3", "d4");
        NewGameCommand();
        EXPECT_EQ(ui.messages.size(), 2u);
        EXPECT_EQ(gameRecord.plyNumber, 1);
        EXPECT_EQ(hashMask, 0x1FFFFF);
        EXPECT_EQ(game_testing::readFile(configFileName), std::string("hashsize=2\n") + text);
    }
    // Mended, the next new game reads it, and a later bad file keeps the game again.
    useConfiguration("hashsize=2\n");
    NewGameCommand();
    EXPECT_EQ(hashMask, 2 * 32768 - 1);
    drag("c3", "d4");
    useConfiguration("hashsize=x\n");
    NewGameCommand();
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(hashMask, 2 * 32768 - 1);
}

TEST_F(ControllerFlowTest, AnExceptionOutOfACommandIsReportedAndTheGameGoesOn)
{
    RunGuarded([] { throw std::runtime_error("x"); });
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Ошибка: x"});

    // Thrown by a command handled inside the search's pump: the search goes on.
    ui.messages.clear();
    whenPumped([] { return gameControl.thinking; },
               [] { RunGuarded([] { throw std::runtime_error("in the pump"); }); });
    RunGuarded([this] { drag("c3", "d4"); });
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Ошибка: in the pump"});
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_FALSE(gameControl.thinking);

    // Thrown through the engine's turn itself: the turn is wound up as an aborted
    // one, and the engine can be asked to move again.
    ui.messages.clear();
    const std::string move = firstLegalMove();
    whenPumped([] { return gameControl.thinking && !boardIsTheRecordsPosition(); },
               [] { throw std::runtime_error("deep"); });
    maxIterationDepth = 63;
    timeBudget = unlimitedTime;
    RunGuarded([&move] { dragMove(move); });
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Ошибка: deep"});
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_FALSE(EngineTurnRunning());
    EXPECT_EQ(gameRecord.plyNumber, 4);
    EXPECT_TRUE(boardIsTheRecordsPosition());
    maxIterationDepth = 7;
    timeBudget = 1;
    SetMode(EngineBlack);
    EXPECT_EQ(gameRecord.plyNumber, 5);
    EXPECT_TRUE(boardIsTheRecordsPosition());
}

TEST_F(ControllerFlowTest, AnExceptionInTheHintsOrTheAnalysissPumpLeavesThatSearchItsFlags)
{
    // The human (White) asks for a hint; a command in its pump throws; a move dragged
    // there waits for the hint and is then played, and the engine answers it.
    std::vector<bool> offered;
    whenPumped([] { return gameControl.thinking; },
               [&offered] {
                   RunGuarded([] { throw std::runtime_error("in the hint"); });
                   offered = {gameControl.thinking, HintAvailable(), AnalysisAllowed()};
                   dragMove("c3-d4");
               });
    RunGuarded(ShowHint);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Ошибка: in the hint"});
    EXPECT_EQ(offered, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(recorded(2), "c3-d4");
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_TRUE(boardIsTheRecordsPosition());

    // The same in the whole-game analysis's pump: the analysis runs to its end.
    struct TimedUi : CheckingUi {
        int askAnalysisTime() override { return 1; }
        int finished = 0;
        void analysisFinished() override { ++finished; }
    } analysisUi;
    installControlUi(&analysisUi);
    offered.clear();
    const PieceSets before = boardPieceSets();
    analysisUi.onPump = [&offered] {
        RunGuarded([] { throw std::runtime_error("in the analysis"); });
        offered = {gameControl.thinking, HintAvailable(), AnalysisAllowed()};
    };
    RunGuarded(AnalyseGameCommand);
    installControlUi(&ui);
    EXPECT_EQ(analysisUi.messages.front(), "Ошибка: in the analysis");
    EXPECT_EQ(offered, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(analysisUi.finished, 1);
    EXPECT_EQ(evaluationGraph().scores.size(), 3u);
    EXPECT_TRUE(evaluationGraph().scores[2].has_value()); // not cut short
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_EQ(boardPieceSets().whiteMen, before.whiteMen);
    EXPECT_EQ(boardPieceSets().blackMen, before.blackMen);
    EXPECT_TRUE(AnalysisAllowed());
    clearAnalysis(); // later saves carry no scores of it
}

TEST_F(ControllerFlowTest, ANewGameWhilePonderingPlaysTheChosenColour)
{
    TogglePonder();
    SetMode(EngineWhite);
    ASSERT_EQ(gameRecord.plyNumber, 2);
    ASSERT_TRUE(ponderState.active);

    // Between the pondering searches, and inside one.
    for (bool inPump : {false, true}) {
        SCOPED_TRACE(inPump);
        if (inPump) {
            whenPumped([] { return gameControl.thinking && gameControl.mode == Analysis; },
                       [] { NewGameCommand(); });
            dragMove(firstLegalMove());
        } else {
            NewGameCommand();
        }
        // The engine opened the new game as White and thinks on Black's time.
        EXPECT_EQ(gameRecord.plyNumber, 2);
        EXPECT_EQ(sideToMove, Black);
        EXPECT_EQ(ponderState.savedMode, EngineWhite);
        // The human answers for Black, the engine replies for White.
        dragMove(firstLegalMove());
        EXPECT_EQ(gameRecord.plyNumber, 4);
        EXPECT_EQ(sideToMove, Black);
    }
    EXPECT_EQ(ui.inconsistencies, 0);
}

TEST_F(ControllerFlowTest, LoadingWhilePonderingEndsIt)
{
    TogglePonder();
    drag("c3", "d4");
    ASSERT_TRUE(ponderState.active);
    const std::string blackToMove = "B:Wa1,c1,e1:Bf8,h8";
    for (bool inPump : {false, true}) {
        SCOPED_TRACE(inPump);
        if (inPump) {
            SetMode(EngineBlack);
            dragMove(firstLegalMove());
            ASSERT_TRUE(ponderState.active);
            // Loaded inside the next pondering search.
            whenPumped([] { return gameControl.thinking && gameControl.mode == Analysis; },
                       [&blackToMove] { PastePositionFen(blackToMove); });
            dragMove(firstLegalMove());
        } else {
            ASSERT_TRUE(PastePositionFen(blackToMove));
        }
        EXPECT_EQ(gameControl.mode, HumanHuman);
        EXPECT_FALSE(ponderState.active);
        EXPECT_EQ(gameRecord.plyNumber, 1);
        // The engine takes Black, which is to move.
        SetMode(EngineBlack);
        ASSERT_GE(gameRecord.plyNumber, 2);
        const char from = entryMoveText(gameRecord.entries[2])[0];
        EXPECT_TRUE(from == 'f' || from == 'h') << entryMoveText(gameRecord.entries[2]);
    }
}

TEST_F(ControllerFlowTest, TakingBackToTheEnginesTurnLetsTheCheckedModeStartIt)
{
    for (bool ponder : {false, true}) {
        SCOPED_TRACE(ponder);
        if (ponder) TogglePonder();
        NewGameCommand();
        dragMove(firstLegalMove());
        ASSERT_EQ(gameRecord.plyNumber, 3);
        ASSERT_EQ(ponderState.active, ponder);
        ASSERT_TRUE(StepBack());
        ASSERT_EQ(sideToMove, Black);
        // The human cannot move the engine's colour.
        dragMove(firstLegalMove());
        EXPECT_EQ(gameRecord.plyNumber, 2);
        EXPECT_EQ(gameControl.mode, EngineBlack);
        // The checked mode item makes the engine move.
        SetMode(EngineBlack);
        EXPECT_EQ(gameRecord.plyNumber, 3);
        EXPECT_EQ(sideToMove, White);
        EXPECT_EQ(gameControl.mode, ponder ? Analysis : EngineBlack);
        EXPECT_TRUE(boardIsTheRecordsPosition());
    }
}

TEST_F(ControllerFlowTest, ADrawOfferWhilePonderingIsAnsweredForTheEngine)
{
    const std::int32_t limit = EGTBPieses;
    EGTBPieses = 6;
    TogglePonder();
    // The latest score is the analysis of the human's position: +150 for White is
    // -150 for the engine, which accepts; -150 for White it refuses.
    for (const int score : {-150, 150}) {
        SCOPED_TRACE(score);
        SetMode(EngineBlack);
        startFrom("w0w0w000000000000000000000bbb000 w");
        gameControl.gameOver = false;
        dragMove(firstLegalMove());
        ASSERT_TRUE(ponderState.active);
        ASSERT_EQ(engineSide, White);
        reportScore(score, White);
        ui.messages.clear();
        OfferDraw();
        const bool accepted = score > 0;
        EXPECT_EQ(ui.messages, std::vector<std::string>{accepted ? drawAcceptedMessage : drawRefusedMessage});
        EXPECT_EQ(gameControl.gameOver, accepted);
        EXPECT_EQ(ponderState.active, !accepted);
    }
    EXPECT_EQ(gameControl.mode, EngineBlack);
    EXPECT_EQ(engineSide, Black);
    EGTBPieses = limit;
}

TEST_F(ControllerFlowTest, ADrawOfferDuringASearchCountsTheGamePosition)
{
    // Seven pieces on the board of the game: beyond the limit of six, whatever the
    // positions the search passes through after a capture.
    const std::int32_t limit = EGTBPieses;
    EGTBPieses = 6;
    startFrom("0W0000000w0w00000000000bb0b0000B w");
    setInfoFieldText(InfoField::Label7, "+0");
    maxIterationDepth = 63;
    timeBudget = unlimitedTime;
    bool offered = false;
    whenPumped([] { return gameControl.thinking && popCount(occupied) < 7; },
               [&offered] {
                   offered = true;
                   OfferDraw();
                   stopRequested = true;
               });
    ui.messages.clear();
    SetMode(EngineWhite);
    ASSERT_TRUE(offered);
    EXPECT_EQ(ui.messages.front(), drawRefusedMessage);
    EXPECT_FALSE(gameControl.gameOver);
    EGTBPieses = limit;
}

TEST_F(ControllerFlowTest, AReplyEnteredWhileTheEnginesMoveIsShownIsPlayed)
{
    ui.pumpOnRedraw = true; // as the window does when it draws the engine's move
    std::string reply;
    whenPumped([] { return gameControl.thinking && gameRecord.plyNumber == 3; },
               [&reply] {
                   reply = firstLegalMove();
                   dragMove(reply);
                   EXPECT_EQ(gameRecord.plyNumber, 3);
               });
    drag("c3", "d4");
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(recorded(4), reply);
    EXPECT_EQ(gameRecord.plyNumber, 5); // and the engine answered it
    EXPECT_FALSE(gameControl.thinking);

    // A release on the engine's own time is no move entered in advance.
    bool waiting = true;
    whenPumped([] { return gameControl.thinking && gameRecord.plyNumber == 6; },
               [&waiting] {
                   dragMove("c3-d4");
                   waiting = pendingReleaseWaiting();
               });
    dragMove(firstLegalMove());
    EXPECT_FALSE(waiting);
    EXPECT_EQ(gameRecord.plyNumber, 7);
    EXPECT_EQ(ui.inconsistencies, 0);
}

TEST_F(ControllerFlowTest, APositionTheSideToMoveCannotPlayEndsTheGameAtOnce)
{
    // White men on their crowning row have no move; pieces of either colour alone.
    const std::pair<const char*, const char*> pasted[] = {
        {"W:W:B", blackWinsMessage},         {"B:W:B", whiteWinsMessage},      {"B:Wc3:B", whiteWinsMessage},
        {"W:W:Bf6", blackWinsMessage},       {"W:Wb8,h8:Bf6", blackWinsMessage}, {"W:Wc3:Bf6", nullptr}};
    for (const auto& [fen, announcement] : pasted) {
        SCOPED_TRACE(fen);
        gameControl.gameOver = false;
        ui.messages.clear();
        ASSERT_TRUE(PastePositionFen(fen));
        if (!announcement) {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_FALSE(gameControl.gameOver);
            continue;
        }
        EXPECT_EQ(ui.messages, std::vector<std::string>{announcement});
        EXPECT_TRUE(gameControl.gameOver);
        EXPECT_FALSE(HintAvailable());
    }

    // Set up so, with the human on the move: the game is over before the engine is asked.
    SetMode(EngineBlack);
    gameControl.gameOver = false;
    SetMode(GameMode::Setup);
    setPositionFromText("0000000000000000000b000000000w0w w"); // white men on d8 and h8, a black one on g5
    setupState.whiteToMove = true;
    ui.messages.clear();
    SetupDone();
    EXPECT_EQ(ui.messages, std::vector<std::string>{blackWinsMessage});
    EXPECT_TRUE(gameControl.gameOver);
    EXPECT_EQ(gameControl.mode, EngineBlack);
    EXPECT_EQ(searchPauses(), 0);
}

TEST_F(ControllerFlowTest, SetupEnteredDuringASearchEditsNothingUntilTheSearchHasReturned)
{
    // Deep in the search, where the board holds a position of its tree: the panel's
    // buttons wait for the search to unwind, and leaving at once keeps the game's.
    const auto deepInTheSearch = [] { return gameControl.thinking && !boardIsTheRecordsPosition(); };
    maxIterationDepth = 17;
    timeBudget = unlimitedTime;
    whenPumped(deepInTheSearch, [] {
        SetMode(GameMode::Setup);
        SetupClear();
        SetupDone();
        EXPECT_TRUE(setupState.active);
    });
    drag("c3", "d4");
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_EQ(gameControl.mode, GameMode::Setup);
    EXPECT_TRUE(boardIsTheRecordsPosition());
    EXPECT_EQ(gameRecord.plyNumber, 2);
    SetupInitial();
    SetupDone();
    EXPECT_EQ(gameControl.mode, EngineBlack);
    EXPECT_EQ(positionToText(White), initialPositionText);
    EXPECT_EQ(gameRecord.plyNumber, 1);

    whenPumped(deepInTheSearch, [] {
        SetMode(GameMode::Setup);
        SetMode(HumanHuman);
    });
    drag("c3", "d4");
    EXPECT_EQ(gameControl.mode, HumanHuman);
    EXPECT_EQ(gameRecord.plyNumber, 1); // the record restarts from the game's position
    EXPECT_EQ(pieceAtSquare("d4"), 'w');
    EXPECT_TRUE(boardIsTheRecordsPosition());
}

} // namespace

namespace {

TEST_F(ControllerFlowTest, ANewGameDuringSetupEndsIt)
{
    SetMode(EngineWhite);
    ASSERT_EQ(sideToMove, Black);
    SetMode(GameMode::Setup);
    SetupClear();
    NewGameCommand();
    // The mode before setup is back, and the engine opened the new game as White.
    EXPECT_FALSE(setupState.active);
    EXPECT_EQ(gameControl.mode, EngineWhite);
    EXPECT_EQ(ui.setupPanel.back(), false);
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_TRUE(boardIsTheRecordsPosition());
    // Nothing of the setup comes back later.
    SetupCancel();
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_TRUE(boardIsTheRecordsPosition());
}

} // namespace
