#include "game/gamechange.h"
#include "game/controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>

#include "engine/egtb.h"
#include "engine/search.h"
#include "game/controlui.h"
#include "game/boardview.h"
#include "game/book.h"
#include "game/filecommands.h"
#include "game/moveentry.h"
#include "game/notation.h"
#include "game/record.h"
#include "game/settings.h"
#include "game/setup.h"
#include "game/timecontrol.h"
#include "controller_fixture.h"
#include "game_support.h"

namespace {

using namespace controller_testing;

TEST_F(ControllerTest, StartsWithWhiteToMoveAndSearchesOnlyAfterTheHumanMove)
{
    EXPECT_EQ(gameControl.mode, EngineBlack);
    EXPECT_EQ(sideToMove, 0);
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(searchPauses(), 0);
    EXPECT_EQ(positionToText(0), initialPositionText);

    drag("c3", "e5"); // no such move
    drag("c3", "c4"); // a light square
    drag("d4", "e5"); // an empty square
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(searchPauses(), 0);

    drag("c3", "d4");
    EXPECT_EQ(recorded(2), "c3-d4");
    EXPECT_EQ(gameRecord.plyNumber, 3); // the engine replied
    EXPECT_EQ(sideToMove, 0);
    EXPECT_EQ(searchPauses(), 1);
    EXPECT_EQ(ui.fields[InfoField::Label9], "0,01 сек");
    EXPECT_EQ(ui.inconsistencies, 0);
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_GE(ui.clicks, 4);
}

TEST_F(ControllerTest, QuietMoveRefusedWhileACaptureExists)
{
    SetMode(HumanHuman);
    startFrom("0000000000000w000b00000000000000 w"); // White d4, Black c5: d4:b6 is compulsory
    drag("d4", "e5");
    EXPECT_EQ(gameRecord.plyNumber, 1);
    // The status bar says why: a capture is due and is entered whole.
    EXPECT_EQ(ui.statuses, std::vector<std::string>{captureFirstStatus});
    drag("d4", "d4"); // a click on the piece is no attempt
    EXPECT_EQ(ui.statuses.size(), 1u);
    drag("d4", "b6");
    EXPECT_EQ(recorded(2), "d4:b6");
    EXPECT_EQ(sideToMove, 1);
}

TEST_F(ControllerTest, CaptureChoiceOnlyWhenTheCapturedSetsDiffer)
{
    SetMode(HumanHuman);
    const char* position = "000000b00bb00000W0b0000000000000 w";
    startFrom(position);
    drag("a5", "b8");
    ASSERT_EQ(ui.captureDialogs.size(), 1u); // "Отмена" by default
    EXPECT_GE(ui.captureDialogs[0].size(), 2u);
    EXPECT_EQ(positionToText(0), position);
    EXPECT_EQ(gameRecord.plyNumber, 1);

    const std::vector<std::string> lines = ui.captureDialogs[0];
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (std::size_t j = i + 1; j < lines.size(); ++j) EXPECT_NE(lines[i], lines[j]);
    ui.captureAnswers.push_back(1);
    drag("a5", "b8");
    EXPECT_EQ(recorded(2), "a5:b8");
    // The pieces of the chosen line are gone, the others stay.
    const std::string chosen = lines[1];
    for (std::size_t i = 0; i < chosen.size(); i += 3)
        EXPECT_EQ(occupied & squareBit[squareFromName(chosen.substr(i, 2))], 0u) << chosen;

    // A single capture asks nothing.
    startFrom("0000000000000w000b00000000000000 w");
    drag("d4", "b6");
    EXPECT_EQ(ui.captureDialogs.size(), 2u);
    EXPECT_EQ(recorded(2), "d4:b6");
}

TEST_F(ControllerTest, EngineAgainstEngineFinishesConsistently)
{
    SetMode(EngineBoth);
    EXPECT_TRUE(gameControl.gameOver || gameControl.mode == HumanHuman || recordFull());
    ASSERT_FALSE(ui.messages.empty());
    const std::string& last = ui.messages.back();
    EXPECT_TRUE(last == whiteWinsMessage || last == blackWinsMessage || last == repetitionMessage ||
                last == recordFullMessage)
        << last;
    if (last == repetitionMessage) {
        EXPECT_TRUE(IsThreefoldRepetition());
    }
    if (last == whiteWinsMessage || last == blackWinsMessage) {
        EXPECT_FALSE(sideHasMove(sideToMove));
    }
    EXPECT_GT(gameRecord.plyNumber, 10);
    EXPECT_EQ(ui.inconsistencies, 0);
    EXPECT_FALSE(gameControl.thinking);
    // Every recorded half-move is a legal move of its position.
    for (int e = 2; e <= gameRecord.plyNumber; ++e) EXPECT_EQ(recorded(e).size(), 5u);
}

TEST_F(ControllerTest, ThreefoldRepetitionHandsTheGameToTheHumans)
{
    SetMode(HumanHuman);
    startFrom("0W00000000000000000000000000000B w");
    for (int i = 0; i < 2; ++i) {
        drag("c1", "d2");
        drag("h8", "g7");
        drag("d2", "c1");
        drag("g7", "h8");
    }
    ASSERT_EQ(gameRecord.plyNumber, 9);
    ui.modeItems.clear();
    SetMode(EngineWhite);
    EXPECT_EQ(gameControl.mode, HumanHuman);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], repetitionMessage);
    // The marks show the mode in force.
    EXPECT_EQ(ui.modeItems, (std::vector<GameMode>{EngineWhite, HumanHuman}));
    EXPECT_EQ(gameRecord.plyNumber, 9);
}

TEST_F(ControllerTest, AnalysisNeverMovesAndTakeBackAbortsIt)
{
    drag("c3", "d4");
    ASSERT_EQ(gameRecord.plyNumber, 3);
    const std::string before = positionToText(sideToMove);
    SetMode(Analysis);
    EXPECT_EQ(positionToText(sideToMove), before);
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(ui.fields[InfoField::Label1], "7");
    EXPECT_FALSE(gameControl.thinking);

    // A take-back arriving inside the search: the search is abandoned and the board
    // shows the position taken back to, not the one searched.
    ui.onPump = [] { StepBack(); };
    SetMode(Analysis);
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[2]));
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_FALSE(gameControl.abortRequested);
}

TEST_F(ControllerTest, NewGameDuringASearchRestartsOnTheNewPosition)
{
    timeBudget = unlimitedTime;
    // Pumps: after the human move, before the reply's search, after its iteration.
    ui.onPump = [this] { ui.onPump = [this] { ui.onPump = [] { NewGameCommand(); }; }; };
    drag("c3", "d4");
    // The engine plays Black: the restarted turn does not search for White.
    EXPECT_EQ(positionToText(0), initialPositionText);
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(sideToMove, 0);
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_FALSE(gameControl.gameOver);
    EXPECT_EQ(searchPauses(), 1);

    // In EngineBoth the restarted turn plays the new game's first move.
    SetMode(HumanHuman);
    drag("c3", "d4");
    ui.onPump = [this] { ui.onPump = [this] { ui.onPump = [] { SetMode(HumanHuman); }; NewGameCommand(); }; };
    SetMode(EngineBoth);
    EXPECT_GE(gameRecord.plyNumber, 1);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[gameRecord.plyNumber]));
    EXPECT_EQ(ui.inconsistencies, 0);
}

// The library entry for the move named as c3-d4 from the position on the board.
LibraryRecord libraryEntry(const std::string& move, std::int32_t weight)
{
    const int count = generateLegalMoves(sideToMove, 0);
    for (int k = 1; k <= count; ++k) {
        if (moveText(moveLists[0].moves[k]) != move) continue;
        LibraryRecord record;
        record.before = {whiteMen, blackMen, whiteKings, blackKings};
        makeMove(moveLists[0].moves[k], moveLists[0].captured[k], sideToMove, 1);
        record.after = {whiteMen, blackMen, whiteKings, blackKings};
        unmakeMove(1);
        record.weight = weight;
        return record;
    }
    ADD_FAILURE() << "no move " << move;
    return {};
}

// A library of the given entries for the position on the board, looked up at once.
void useLibrary(std::initializer_list<std::pair<const char*, int>> entries)
{
    openingLibrary.count = 0;
    for (const auto& [move, weight] : entries) openingLibrary.records[openingLibrary.count++] = libraryEntry(move, weight);
    refreshGameData();
}

// The moves of the greatest weight among the library candidates for the board.
std::set<std::string> topBookMoves()
{
    std::set<std::string> moves;
    generateLegalMoves(sideToMove, 2);
    for (int c = 0; c < bookCandidates.count; ++c)
        if (bookCandidates.weight[c] == bookCandidates.maxWeight)
            moves.insert(moveText(moveLists[2].moves[bookCandidates.moveIndex[c]]));
    return moves;
}

TEST_F(ControllerTest, EngineTurnPlaysTheLibraryMoveOfGreatestWeightWithoutSearching)
{
    std::set<std::string> played;
    for (int game = 0; game < 40; ++game) {
        SetMode(HumanHuman);
        StartNewGame();
        useLibrary({{"c3-d4", 10}, {"g3-h4", 100}, {"e3-f4", -100}, {"a3-b4", 100}});
        ui.fields.clear();
        SetMode(EngineWhite);
        ASSERT_EQ(gameRecord.plyNumber, 2);
        played.insert(recorded(2));
        EXPECT_TRUE(ui.fields[InfoField::Label1].empty()); // no iteration ran
    }
    EXPECT_EQ(played, (std::set<std::string>{"a3-b4", "g3-h4"}));

    // A single candidate is played whatever its weight.
    SetMode(HumanHuman);
    StartNewGame();
    useLibrary({{"e3-f4", -100}});
    SetMode(EngineWhite);
    EXPECT_EQ(recorded(2), "e3-f4");

    // The candidates are still found but the engine searches: library switched off,
    // and in analysis.
    SetMode(HumanHuman);
    StartNewGame();
    useLibrary({{"e3-f4", -100}});
    bookEnabled = false;
    ui.fields.clear();
    SetMode(EngineWhite);
    bookEnabled = true;
    EXPECT_EQ(ui.fields[InfoField::Label1], "7");
    SetMode(HumanHuman);
    StartNewGame();
    useLibrary({{"e3-f4", -100}});
    ui.fields.clear();
    SetMode(Analysis);
    EXPECT_EQ(ui.fields[InfoField::Label1], "7");
    EXPECT_EQ(gameRecord.plyNumber, 1);
}

TEST_F(ControllerTest, StartUpLoadsTheShippedLibraryAndBlackAnswersFromIt)
{
    openingLibrary.count = 0;
    StartUp();
    EXPECT_GT(openingLibrary.count, 50);
    EXPECT_EQ(timeBudget, 200);
    timeBudget = 1;
    refreshGameData();
    ASSERT_GT(bookCandidates.count, 0);

    // The replies the library offers after 1.c3-d4, read when the human's move is on
    // the board and the engine is about to answer.
    std::set<std::string> offered;
    ui.onPump = [&offered] { offered = topBookMoves(); };
    ui.fields.clear();
    drag("c3", "d4");
    ASSERT_EQ(gameRecord.plyNumber, 3);
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(offered.count(recorded(3)), 1u) << recorded(3);
    EXPECT_TRUE(ui.fields[InfoField::Label1].empty()); // no iteration ran
    libraryFileName = "MyBase.deb";
}

TEST_F(ControllerTest, ForcedMovePlaysWithoutSearchAndAFinishedGameTakesNoMoves)
{
    SetMode(HumanHuman);
    startFrom("0000000000000w000b00000000000000 b"); // Black c5 must take d4
    ui.fields.clear();
    SetMode(EngineBlack);
    EXPECT_EQ(recorded(2), "c5:e3");
    EXPECT_TRUE(ui.fields[InfoField::Label1].empty());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back(), blackWinsMessage); // White has no piece left
    EXPECT_TRUE(gameControl.gameOver);
    drag("e3", "f2"); // a finished game takes no moves
    EXPECT_EQ(gameRecord.plyNumber, 2);
}

TEST_F(ControllerTest, DrawOfferFollowsPieceCountAndScore)
{
    SetMode(EngineBlack);
    const std::int32_t limit = EGTBPieses;
    EGTBPieses = 6;
    // The engine's own score, as its last search reported it for Black; none: not yet searched.
    auto offer = [this](std::optional<int> score) {
        ui.messages.clear();
        gameControl.gameOver = false;
        if (score) reportScore(*score, Black);
        else forgetEngineScore();
        OfferDraw();
        return ui.messages.empty() ? std::string() : ui.messages.back();
    };
    EXPECT_EQ(offer(0), drawRefusedMessage); // 24 pieces
    startFrom("w0w0w000000000000000000000bbb000 w");
    EXPECT_EQ(offer(99), drawAcceptedMessage);
    EXPECT_TRUE(gameControl.gameOver);
    EXPECT_EQ(offer(100), drawRefusedMessage);
    EXPECT_EQ(offer(-300), drawAcceptedMessage);
    EXPECT_EQ(offer(-(infiniteScore - 14)), drawAcceptedMessage); // lost in 7 moves
    EXPECT_EQ(offer(infiniteScore - 14), drawRefusedMessage);
    EXPECT_EQ(offer(std::nullopt), drawRefusedMessage);
    SetMode(HumanHuman);
    EXPECT_EQ(offer(0), "");
    EGTBPieses = 0;
    SetMode(EngineWhite);
    gameControl.gameOver = false;
    EXPECT_EQ(offer(0), drawRefusedMessage);
    EGTBPieses = limit;
}

TEST_F(ControllerTest, ClosingDuringASearchEndsTheProgram)
{
    timeBudget = unlimitedTime; // the iteration completes and pumps
    ui.onPump = [this] { ui.onPump = [this] { ui.onPump = [] { OnMainWindowClose(); }; }; };
    drag("c3", "d4");
    EXPECT_EQ(ui.quits, 1);
    EXPECT_EQ(gameRecord.plyNumber, 2); // the engine's reply was not played
    EXPECT_FALSE(gameControl.thinking);
}

std::string pieceAt(const char* name)
{
    const SquareSet bit = squareBit[squareFromName(name)];
    std::string found;
    if (whiteMen & bit) found += "w";
    if (whiteKings & bit) found += "W";
    if (blackMen & bit) found += "b";
    if (blackKings & bit) found += "B";
    return found;
}

TEST_F(ControllerTest, SetupClicksCyclePiecesAndDragsMoveThem)
{
    SetMode(GameMode::Setup);
    EXPECT_EQ(gameControl.mode, GameMode::Setup);
    EXPECT_EQ(gameControl.savedMode, EngineBlack);
    EXPECT_EQ(boardView.windowWidth, 318 + 110);
    EXPECT_FALSE(ui.enabled[MenuItem::SmallBoard]);
    SetupClear();
    std::string seen;
    for (int i = 0; i < 4; ++i) {
        drag("d4", "d4");
        seen += pieceAt("d4") + ".";
    }
    EXPECT_EQ(seen, "w.W..w.");
    drag("d4", "d4", leftButton); // remove the man again
    drag("b8", "b8");
    EXPECT_EQ(pieceAt("b8"), "W");
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        drag("f6", "f6", rightButton);
        seen += pieceAt("f6") + ".";
    }
    EXPECT_EQ(seen, "b.B..b.");
    drag("c1", "c1", rightButton);
    EXPECT_EQ(pieceAt("c1"), "B");
    drag("c1", "c1"); // a left click removes a black piece
    EXPECT_EQ(pieceAt("c1"), "");
    drag("b8", "b8", rightButton); // a right click removes a white piece
    EXPECT_EQ(pieceAt("b8"), "");

    drag("c3", "c3");
    drag("c3", "h8");
    EXPECT_EQ(pieceAt("c3"), "");
    EXPECT_EQ(pieceAt("h8"), "w"); // moved, not crowned
    drag("h8", "f6"); // onto the black man: it is replaced
    EXPECT_EQ(pieceAt("f6"), "w");
    EXPECT_EQ(occupied, whitePieces | blackPieces);
    EXPECT_EQ(whitePieces & blackPieces, 0u);

    SetupInitial();
    EXPECT_EQ(positionToText(0), initialPositionText);
}

TEST_F(ControllerTest, LeavingSetupValidatesAndRestartsTheRecord)
{
    drag("c3", "d4"); // a game in progress: c3-d4 and the reply
    ASSERT_EQ(gameRecord.plyNumber, 3);
    SetMode(GameMode::Setup);
    SetupClear();
    SetupDone();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], wrongPositionMessage);
    EXPECT_EQ(positionToText(0), initialPositionText);
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(gameControl.mode, EngineBlack);
    EXPECT_FALSE(setupState.active);
    EXPECT_EQ(boardView.windowWidth, 318);

    // "Чёрные" chosen and the engine plays Black: it starts at once.
    const int pausesBefore = searchPauses();
    SetMode(GameMode::Setup);
    setupState.whiteToMove = false;
    SetupDone();
    EXPECT_EQ(searchPauses(), pausesBefore + 1);
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_EQ(sideToMove, 0);
    setupState.whiteToMove = true;

    // "Отмена" keeps the game in progress: record and position of entry.
    const std::string before = positionToText(sideToMove);
    const int ply = gameRecord.plyNumber;
    SetMode(GameMode::Setup);
    SetupClear();
    drag("d4", "d4");
    SetupCancel();
    EXPECT_EQ(positionToText(sideToMove), before);
    EXPECT_EQ(gameRecord.plyNumber, ply);
    EXPECT_EQ(gameControl.mode, EngineBlack);
    EXPECT_EQ(ui.inconsistencies, 0);
}

} // namespace

TEST_F(ControllerTest, StoppingEngineAgainstEngineKeepsTheLastPlayedPosition)
{
    // Stop from inside the search of the fourth half-move: the three played before stay.
    timeBudget = unlimitedTime;
    std::function<void()> watch = [&] {
        if (gameRecord.plyNumber == 4 && gameControl.thinking) SetMode(HumanHuman);
        else ui.onPump = watch; // the script's actions run once each
    };
    ui.onPump = watch;
    SetMode(EngineBoth);
    EXPECT_EQ(gameControl.mode, HumanHuman);
    EXPECT_EQ(gameRecord.plyNumber, 4);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[4]));
    EXPECT_EQ(sideToMove, 1);
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_EQ(ui.inconsistencies, 0);
}
namespace {

TEST_F(ControllerTest, SoundItemSilencesTheMoveSoundOnly)
{
    drag("c3", "d4");
    EXPECT_EQ(ui.moveSounds, 2); // the human's move and the reply
    ToggleSound();
    EXPECT_FALSE(ui.checked[MenuItem::Sound]);
    const int clicks = ui.clicks;
    dragFirstLegalMove();
    ASSERT_EQ(gameRecord.plyNumber, 5);
    EXPECT_EQ(ui.moveSounds, 2);
    EXPECT_EQ(ui.clicks, clicks + 1); // the click of the press sounds regardless
    ToggleSound();
    EXPECT_TRUE(ui.checked[MenuItem::Sound]);
    dragFirstLegalMove();
    ASSERT_EQ(gameRecord.plyNumber, 7);
    EXPECT_EQ(ui.moveSounds, 4);
}

TEST_F(ControllerTest, ANewGameClearsTheSearchFieldsWhateverTheInformationItem)
{
    drag("c3", "d4");
    ASSERT_EQ(ui.fields[InfoField::Label1], "7");
    const std::string budget = ui.fields[InfoField::Label9];
    ASSERT_FALSE(budget.empty());

    // Nothing of the game before stays, whether or not the menu set the flag.
    NewGameCommand();
    EXPECT_EQ(ui.fields[InfoField::Label1], "");
    drag("c3", "d4");
    ASSERT_EQ(ui.fields[InfoField::Label1], "7");

    ToggleInformation(); // hidden
    EXPECT_FALSE(ui.checked[MenuItem::Information]);
    EXPECT_FALSE(gameControl.infoShown);
    ToggleInformation(); // shown again
    EXPECT_TRUE(ui.checked[MenuItem::Information]);
    EXPECT_TRUE(gameControl.infoShown);
    EXPECT_EQ(ui.fields[InfoField::Label1], "7"); // toggling leaves the texts alone

    ui.fields[InfoField::Label14] = "0.20 млн.";
    NewGameCommand();
    for (InfoField f : {InfoField::Label1, InfoField::Label6, InfoField::Label7, InfoField::Label8,
                        InfoField::Label12})
        EXPECT_EQ(ui.fields[f], "") << infoFieldCaption(f);
    EXPECT_EQ(ui.fields[InfoField::Label9], budget); // the time control belongs to no game
    EXPECT_EQ(ui.fields[InfoField::Label14], "");

    // Closing the window drops the mark but not the flag; the next toggle shows it.
    InformationWindowClosed();
    EXPECT_FALSE(ui.checked[MenuItem::Information]);
    EXPECT_TRUE(gameControl.infoShown);
    ToggleInformation();
    EXPECT_TRUE(ui.checked[MenuItem::Information]);
    EXPECT_TRUE(gameControl.infoShown);
}

} // namespace

namespace {

TEST_F(ControllerTest, AnAbortedLaterMoveOfOneTurnRestoresThePositionItStartedFrom)
{
    // Engine against engine: Black's search, after White's move of the same turn, is
    // abandoned by a mode command.
    whenPumped([] { return gameControl.thinking && gameRecord.plyNumber == 2; }, [] { SetMode(HumanHuman); });
    SetMode(EngineBoth);
    EXPECT_EQ(gameControl.mode, HumanHuman);
    ASSERT_EQ(gameRecord.plyNumber, 2);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[2])) << positionToText(sideToMove);
    EXPECT_NE(positionToText(0), initialPositionText);
    EXPECT_FALSE(gameControl.thinking);
}

TEST_F(ControllerTest, CommandsHandledBeforeTheSearchAreNotUndoneByIt)
{
    // A draw accepted while the engine is about to answer, in the pump after the
    // human's move or in the one before the search: it plays no move.
    const std::int32_t limit = EGTBPieses;
    EGTBPieses = 6;
    for (int skipped : {0, 1}) {
        SCOPED_TRACE(skipped);
        startFrom("w0w0w000000000000000000000bbb000 w");
        gameControl.gameOver = false;
        reportScore(0, Black);
        int pumpsSeen = 0;
        whenPumped([&pumpsSeen, skipped] { return pumpsSeen++ == skipped; }, [] { OfferDraw(); });
        ui.messages.clear();
        const int pausesBefore = searchPauses();
        dragFirstLegalMove();
        EXPECT_EQ(searchPauses(), pausesBefore + skipped);
        EXPECT_EQ(gameRecord.plyNumber, 2);
        EXPECT_TRUE(gameControl.gameOver);
        EXPECT_FALSE(gameControl.thinking);
        EXPECT_EQ(ui.messages, std::vector<std::string>{drawAcceptedMessage});
    }
    EGTBPieses = limit;

    // A game already over does not keep the engine from its turn: with no move left
    // it announces the result again.
    SetMode(HumanHuman);
    startFrom("00000000000000000000bbbbbbbbbbbb w");
    gameControl.gameOver = true;
    ui.messages.clear();
    SetMode(EngineWhite);
    EXPECT_EQ(ui.messages, std::vector<std::string>{blackWinsMessage});
    EXPECT_TRUE(gameControl.gameOver);
}

TEST_F(ControllerTest, PonderingKeepsThePlayingModeAndEndsOnlyItsOwnAnalysis)
{
    TogglePonder();
    ASSERT_TRUE(ui.checked[MenuItem::Ponder]);
    // The item of the mode being played is still checked while the engine ponders:
    // choosing it again changes nothing.
    whenPumped([] { return gameControl.thinking && gameControl.mode == Analysis; },
               [] { SetMode(EngineBlack); });
    ui.modeItems.clear();
    drag("c3", "d4");
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(gameControl.mode, Analysis);
    EXPECT_TRUE(ponderState.active);
    EXPECT_EQ(ponderState.savedMode, EngineBlack);
    EXPECT_TRUE(ui.modeItems.empty());

    // A file loaded meanwhile sets two-player mode, which the next move keeps.
    const auto dir = game_testing::uniqueTempDir("ponder-load");
    const std::string file = (dir / "start.poz").string();
    const std::string bytes = encodePosition({0x00000FFFu, 0xFFF00000u, 0, 0, 0});
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(LoadGameFiles(file));
    std::filesystem::remove_all(dir);
    EXPECT_EQ(gameControl.mode, HumanHuman);
    drag("c3", "d4");
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_EQ(gameControl.mode, HumanHuman);
    EXPECT_FALSE(ponderState.active);
    EXPECT_EQ(searchPauses(), 2); // the reply and the pondering after it, nothing since
}

TEST_F(ControllerTest, SetupEnteredDuringASearchStartsFromTheGamePosition)
{
    // Entered from a time check deep in the search, while the board holds a position
    // of the search tree.
    timeBudget = unlimitedTime;
    maxIterationDepth = 17;
    whenPumped([] { return gameControl.thinking && !entryMatchesBoard(gameRecord.entries[2]); },
               [] { SetMode(GameMode::Setup); });
    drag("c3", "d4");
    EXPECT_EQ(gameControl.mode, GameMode::Setup);
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_EQ(gameRecord.plyNumber, 2); // the reply was abandoned
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[2]));
    EXPECT_TRUE(entryMatchesBoard({setupState.snapshot.whiteKings, setupState.snapshot.whiteMen,
                                   setupState.snapshot.blackKings, setupState.snapshot.blackMen}));
    // "Отмена" goes back to the game with Black, the engine, to move.
    timeBudget = 1;
    SetupCancel();
    EXPECT_EQ(gameControl.mode, EngineBlack);
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(recorded(2), "c3-d4");
}

} // namespace

namespace {

// Pixel centre of a screen square, column 0..7 left to right, row 0..7 top to bottom.
int screenPixel(int cell) { return cell * smallCell + smallCell / 2; }

struct StartUpUi : controller_testing::ScriptedControlUi {
    std::function<void()> atMessage;
    void showMessage(const std::string& text) override
    {
        ScriptedControlUi::showMessage(text);
        if (atMessage) atMessage();
    }
};

TEST_F(ControllerTest, AWinTheTablesKnowWithoutItsDistanceIsShownInWords)
{
    // The verdicts without their distance files: every entry says the side to move wins.
    installBitbase(std::vector<std::uint8_t>(bitbaseSizeFourPieces, 0xAA), true);
    EGTBPieses = 4;
    egtbpath = game_testing::uniqueTempDir("no-distances").string() + "/";
    startFrom("0WW00000000000000000000B00000000 w"); // kings on c1 and e1 against one on h6
    SetMode(Analysis);
    SetMode(HumanHuman);
    installBitbase({}, false);
    EGTBPieses = 0;
    std::filesystem::remove_all(egtbpath);
    egtbpath.clear();
    EXPECT_EQ(ui.fields[InfoField::Label7], "Выигрыш белых"); // not a raw score such as +30.03
}

TEST_F(ControllerTest, StartUpPreparesEngineHooksAndBudgetBeforeTheLibrary)
{
    StartUpUi startUi;
    installControlUi(&startUi);
    const auto dir = game_testing::uniqueTempDir("startup");
    libraryFileName = (dir / "missing.deb").string();
    setPositionFromText("0000000000000w000b00000000000000 b");
    timeBudget = 7;
    engineTurnHook = nullptr;
    bookCandidateCountHook = nullptr;
    bool checked = false;
    startUi.atMessage = [&checked] {
        checked = true;
        EXPECT_EQ(positionToText(0), initialPositionText); // the engine is initialised
        EXPECT_NE(bookCandidateCountHook, nullptr);
        EXPECT_EQ(engineTurnHook, &EngineTurn);
        EXPECT_EQ(timeBudget, 200);
    };
    StartUp();
    EXPECT_TRUE(checked);
    EXPECT_EQ(startUi.messages, std::vector<std::string>{libraryLoadError});
    EXPECT_EQ(openingLibrary.count, 0);
    installControlUi(&ui);
    libraryFileName = "MyBase.deb";
    std::filesystem::remove_all(dir);
}

TEST_F(ControllerTest, PonderingAnalysesTheHumansPositionUntilThePressAndTheReplyComesBack)
{
    timeBudget = unlimitedTime;
    maxIterationDepth = 9;
    TogglePonder();
    int ponderSide = -1;
    GameMode replyMode = Analysis;
    // While the engine ponders, the human presses and releases at once: the analysis
    // stops, and the move is played as soon as the search has returned. The playing
    // mode is back for the reply, then the engine ponders again.
    std::string humanMove;
    whenPumped(
        [] {
            return gameControl.thinking && gameControl.mode == Analysis && entryMatchesBoard(gameRecord.entries[3]);
        },
        [this, &ponderSide, &replyMode, &humanMove] {
            ponderSide = engineSide;
            // Ply 0's list is the controller's own; the search leaves it alone.
            ASSERT_GT(generateLegalMoves(sideToMove, 0), 0);
            humanMove = moveText(moveLists[0].moves[1]);
            drag(humanMove.substr(0, 2).c_str(), humanMove.substr(3, 2).c_str());
            EXPECT_EQ(gameRecord.plyNumber, 3); // not under the running search
            whenPumped([] { return gameRecord.plyNumber == 4; }, [&replyMode] { replyMode = gameControl.mode; });
        });
    drag("c3", "d4");
    EXPECT_EQ(ponderSide, 0); // analysed for the human, White
    EXPECT_EQ(recorded(4), humanMove);
    EXPECT_EQ(replyMode, EngineBlack);
    EXPECT_EQ(gameRecord.plyNumber, 5);
    EXPECT_EQ(searchPauses(), 4);
    EXPECT_EQ(gameControl.mode, Analysis);
    EXPECT_EQ(ponderState.savedMode, EngineBlack);
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_EQ(ui.inconsistencies, 0);
}

TEST_F(ControllerTest, AnalysisStoppedByAPressPlaysTheReleasedMoveAndAnalysesAgain)
{
    timeBudget = unlimitedTime;
    maxIterationDepth = 9;
    std::string depthWhenStopped;
    whenPumped([] { return gameControl.thinking; },
               [this, &depthWhenStopped] {
                   BoardPress(leftButton, pixelX("c3"), pixelY("c3"));
                   BoardRelease(leftButton, pixelX("d4"), pixelY("d4")); // waits for the search
                   EXPECT_EQ(gameRecord.plyNumber, 1);
                   // The next search is the analysis of the new position: stop it at its end.
                   whenPumped([] { return gameControl.thinking && gameRecord.plyNumber == 2; },
                              [this, &depthWhenStopped] {
                                  depthWhenStopped = ui.fields[InfoField::Label1];
                                  ui.fields.clear();
                              });
               });
    SetMode(Analysis);
    EXPECT_EQ(depthWhenStopped, "7"); // stopped in its first iteration
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_EQ(recorded(2), "c3-d4");
    EXPECT_EQ(searchPauses(), 2); // the analysis of the new position
    EXPECT_EQ(engineSide, 1);
    EXPECT_EQ(ui.fields[InfoField::Label1], "9");
    EXPECT_EQ(gameControl.mode, Analysis);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[2])); // nothing played by the engine
}

TEST_F(ControllerTest, RotatedBoardMirrorsBothAxes)
{
    ToggleRotation();
    SetMode(HumanHuman);
    startFrom("0000b000000000000000000000000w00 b"); // Black b2, White to capture nothing
    // b2 shows at column 6, row 1; a1 at the top right.
    BoardPress(leftButton, screenPixel(6), screenPixel(1));
    BoardRelease(leftButton, screenPixel(7), screenPixel(0));
    ASSERT_EQ(gameRecord.plyNumber, 2);
    EXPECT_EQ(recorded(2), "b2-a1");
    EXPECT_EQ(pieceAt("a1"), "B");

    // The bottom-left square is h8: a left click there in setup places a white king.
    SetMode(GameMode::Setup);
    SetupClear();
    BoardPress(leftButton, screenPixel(0), screenPixel(7));
    BoardRelease(leftButton, screenPixel(0), screenPixel(7));
    EXPECT_EQ(pieceAt("h8"), "W");
    EXPECT_EQ(popCount(occupied), 1);
}

TEST_F(ControllerTest, BoardKeysNavigateTheRecordUnlessTheEngineThinks)
{
    SetMode(HumanHuman);
    for (int i = 0; i < 4; ++i) dragFirstLegalMove();
    ASSERT_EQ(gameRecord.plyNumber, 5);
    ui.pauses.clear();
    BoardKey(BoardKeyCode::Delete);
    EXPECT_EQ(gameRecord.plyNumber, 4);
    BoardKey(BoardKeyCode::Insert);
    EXPECT_EQ(gameRecord.plyNumber, 5);
    BoardKey(BoardKeyCode::PageUp);
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(ui.pauses, std::vector<int>{200});
    BoardKey(BoardKeyCode::PageDown);
    EXPECT_EQ(gameRecord.plyNumber, 5);
    BoardKey(BoardKeyCode::Home);
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(sideToMove, 0);
    BoardKey(BoardKeyCode::End);
    EXPECT_EQ(gameRecord.plyNumber, 5);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[5]));
    BoardKey(BoardKeyCode::Other);
    EXPECT_EQ(gameRecord.plyNumber, 5);
    ASSERT_TRUE(boardView.smallBoard);
    BoardKey(BoardKeyCode::Enter);
    EXPECT_FALSE(boardView.smallBoard);
    BoardKey(BoardKeyCode::Enter);
    EXPECT_TRUE(boardView.smallBoard);

    // While the engine thinks for a playing mode every key is refused.
    int plyDuringSearch = 0;
    bool sizeDuringSearch = false;
    whenPumped([] { return gameControl.thinking; },
               [&] {
                   BoardKey(BoardKeyCode::End);
                   BoardKey(BoardKeyCode::Enter);
                   plyDuringSearch = gameRecord.plyNumber;
                   sizeDuringSearch = boardView.smallBoard;
               });
    BoardKey(BoardKeyCode::Home);
    SetMode(EngineWhite);
    EXPECT_EQ(plyDuringSearch, 1);
    EXPECT_TRUE(sizeDuringSearch);
    EXPECT_EQ(gameRecord.plyNumber, 2); // the engine's move replaced the replayable tail

    // In analysis they act while it thinks: the step aborts the search.
    SetMode(HumanHuman);
    whenPumped([] { return gameControl.thinking; }, [] { BoardKey(BoardKeyCode::Delete); });
    SetMode(Analysis);
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[1]));

    // Setup disables the size item, and Enter with it.
    SetMode(GameMode::Setup);
    BoardKey(BoardKeyCode::Enter);
    EXPECT_TRUE(boardView.smallBoard);
}

TEST_F(ControllerTest, TheClockWaitsForTheFirstHalfMove)
{
    SetMode(HumanHuman);
    for (int i = 0; i < 3; ++i) ClockTick();
    EXPECT_EQ(whiteClockSeconds + blackClockSeconds, 0);
    drag("c3", "d4");
    ClockTick();
    ClockTick();
    EXPECT_EQ(blackClockSeconds, 2);
    EXPECT_EQ(whiteClockSeconds, 0);
    BoardKey(BoardKeyCode::Home); // back at the first position: no time counts
    ClockTick();
    EXPECT_EQ(whiteClockSeconds + blackClockSeconds, 2);
    NewGameCommand();
    EXPECT_EQ(whiteClockSeconds + blackClockSeconds, 0);
}

} // namespace

namespace {

TEST_F(ControllerTest, AModeCommandDuringSetupLeavesItThroughTheValidation)
{
    for (GameMode mode : {EngineWhite, HumanHuman, EngineBoth, Analysis, EngineBlack}) {
        SCOPED_TRACE(static_cast<int>(mode));
        SetMode(HumanHuman);
        StartNewGame();
        SetMode(GameMode::Setup);
        SetupClear();
        drag("d4", "d4"); // a white man alone: no black piece
        ui.messages.clear();
        // Engine against engine is handed back to the humans once it thinks.
        if (mode == EngineBoth) whenPumped([] { return gameControl.thinking; }, [] { SetMode(HumanHuman); });
        SetMode(mode);
        EXPECT_EQ(ui.messages, std::vector<std::string>{wrongPositionMessage});
        EXPECT_FALSE(setupState.active);
        EXPECT_FALSE(ui.checked[MenuItem::Setup]);
        EXPECT_TRUE(ui.enabled[MenuItem::SmallBoard]);
        EXPECT_FALSE(ui.setupPanel.back());
        EXPECT_EQ(boardView.windowWidth, 318);
        // The record restarts from the initial position put in place of the wrong one.
        const RecordEntry& first = gameRecord.entries[1];
        EXPECT_EQ(first.whiteMen, 0x00000FFFu);
        EXPECT_EQ(first.blackMen, 0xFFF00000u);
        EXPECT_EQ(first.whiteKings | first.blackKings, 0u);
        EXPECT_EQ(gameControl.mode, mode == EngineBoth ? HumanHuman : mode);
    }
    // The engine plays Black and "Чёрные" was chosen: leaving by the mode command
    // gives Black the move, and the engine takes it.
    SetMode(GameMode::Setup);
    SetupInitial();
    setupState.whiteToMove = false;
    ui.messages.clear();
    const int pausesBefore = searchPauses();
    SetMode(EngineBlack);
    EXPECT_TRUE(ui.messages.empty()); // the initial position is valid
    EXPECT_EQ(searchPauses(), pausesBefore + 1);
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_EQ(sideToMove, 0);
}

TEST_F(ControllerTest, LoadingAFileDuringSetupLeavesItAsTheTwoPlayerCommandDoes)
{
    const auto dir = game_testing::uniqueTempDir("setup-load");
    const std::string file = (dir / "two.poz").string();
    const std::string bytes = encodePosition({0x00000001u, 0x80000000u, 0, 0, 1}); // a1 against h8
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    SetMode(GameMode::Setup);
    SetupClear();
    ui.messages.clear();
    ASSERT_TRUE(LoadGameFiles(file));
    std::filesystem::remove_all(dir);
    EXPECT_EQ(ui.messages, std::vector<std::string>{wrongPositionMessage}); // the empty board
    EXPECT_FALSE(setupState.active);
    EXPECT_FALSE(ui.checked[MenuItem::Setup]);
    EXPECT_TRUE(ui.enabled[MenuItem::SmallBoard]);
    EXPECT_FALSE(ui.setupPanel.back());
    EXPECT_EQ(boardView.windowWidth, 318);
    EXPECT_EQ(gameControl.mode, HumanHuman);
    EXPECT_EQ(ui.modeItems.back(), HumanHuman);
    EXPECT_EQ(positionToText(sideToMove), "w000000000000000000000000000000b b");
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[1]));
    // Moves are entered again, not setup clicks.
    drag("h8", "g7");
    EXPECT_EQ(recorded(2), "h8-g7");
}

} // namespace
