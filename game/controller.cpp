#include "game/controller.h"

#include "engine/egtb.h"
#include "engine/search.h"
#include "game/boardview.h"
#include "game/analysis.h"
#include "game/book.h"
#include "game/controlui.h"
#include "game/gamechange.h"
#include "game/datafiles.h"
#include "game/drawrules.h"
#include "game/hint.h"
#include "game/moveentry.h"
#include "game/notation.h"
#include "game/pdn.h"
#include "game/record.h"
#include "game/settings.h"
#include "game/setup.h"
#include "game/strength.h"
#include "game/tables.h"
#include "game/timecontrol.h"

const char* const whiteWinsMessage = "Белые выиграли!";
const char* const blackWinsMessage = "Чёрные выиграли!";
const char* const repetitionMessage = "Ничья! Троекратное повторение позиции.";
const char* const drawRefusedMessage = "Предложение отклонено! Продолжайте играть";
const char* const drawAcceptedMessage = "Предложение принято. Ничья!";

namespace {

GameControl& gc = gameControl;

// Commands handled in the pump before an engine move must not start a second turn
// inside the first; they ask the running one to start over instead.
bool turnActive = false;

struct TurnGuard {
    TurnGuard() { turnActive = true; }
    ~TurnGuard() { turnActive = false; }
};

bool playingMode(GameMode mode) { return mode == EngineWhite || mode == EngineBlack || mode == EngineBoth; }

// The mode the user chose: while the engine thinks on the opponent's time, the one it plays.
GameMode modeInForce() { return ponderState.active ? ponderState.savedMode : gc.mode; }

// The test a new game applies before starting the engine.
bool engineStartsNewGame() { return gc.mode == EngineBoth || sideToMove == engineSide; }

// Whether the turn may still search after the window handled its messages: a command
// handled there (another mode, setup, a take-back, an accepted draw, closing) would
// otherwise be undone by the search preparation clearing the flags.
bool engineStillOnTurn(bool overBeforePump)
{
    if ((gc.gameOver && !overBeforePump) || gc.closing) return false;
    switch (gc.mode) {
    case EngineBoth:
    case Analysis: return true;
    case EngineWhite:
    case EngineBlack: return sideToMove == engineSide;
    default: return false;
    }
}

// With the federation's draw rules on, a dead ending ends the game as a draw.
bool drawnByRules()
{
    if (!officialDrawRules) return false;
    const DrawRule rule = drawRuleAt(gameRecord, gameRecord.plyNumber, sideToMove);
    if (rule == DrawRule::None) return false;
    controlUi().showMessage(drawRuleMessage(rule));
    gc.gameOver = true;
    return true;
}

// Puts the library's move into entry 1 of the root list; false when none is offered.
// The candidates are those the last board refresh found for this position, and the
// root list is still in generation order because they exist.
bool takeBookMove()
{
    if (bookCandidates.count == 0 || !bookEnabled || gc.mode == Analysis) return false;
    MoveList& root = moveLists[1];
    const int index = ChooseBookMove();
    if (index < 1 || index > root.count) return false;
    root.moves[1] = root.moves[index];
    root.captured[1] = root.captured[index];
    return true;
}

std::string movePlayedText(MoveCode move)
{
    std::string text = moveText(move);
    text[2] = moveSeparator;
    return text;
}

// Plays entry 1 of the root list for engineSide; false when the game ended there.
bool applyEngineMove()
{
    const MoveList& root = moveLists[1];
    const MoveCode move = root.moves[1];
    makeMove(move, root.captured[1], engineSide, 0);
    sideToMove = 1 - sideToMove;
    if (!AppendMove(movePlayedText(move))) {
        gc.thinking = false;
        return false;
    }
    // The game position moved on: a search stopped from now on restores this one.
    gc.entrySnapshot = boardPieceSets();
    GameChanged(GameChange::Move);
    controlUi().redrawBoard();
    if (boardView.soundOn) controlUi().playMoveSound();
    if (!sideHasMove(1 - engineSide)) {
        announceLossOfSideToMove();
        gc.thinking = false;
        gc.gameOver = true;
        return false;
    }
    if (drawnByRules()) {
        gc.thinking = false;
        return false;
    }
    return true;
}

enum class SearchOutcome { Play, Restart, Stop };

// After the search or the forced move: the flags in the order restart, closing, abort.
SearchOutcome checkFlagsAfterSearch()
{
    if (gc.restartRequested) return SearchOutcome::Restart;
    if (gc.closing) {
        gc.thinking = false; // EngineTurn ends the program
        return SearchOutcome::Stop;
    }
    if (gc.abortRequested) {
        gc.abortRequested = false;
        gc.thinking = false;
        putPieceSetsOnBoard(gc.entrySnapshot);
        // A take-back or a load ended the analysis of the human's position.
        EndPondering();
        return SearchOutcome::Stop;
    }
    return SearchOutcome::Play;
}

} // namespace

bool GameDrawnByRules() { return drawnByRules(); }

bool sideHasMove(int side) { return generateCaptures(side, 0) > 0 || generateQuietMoves(side, 0) > 0; }

void announceLossOfSideToMove() { controlUi().showMessage(sideToMove == 0 ? blackWinsMessage : whiteWinsMessage); }

bool EndGameIfSideToMoveCannotMove()
{
    if (sideHasMove(sideToMove)) return false;
    announceLossOfSideToMove();
    gc.gameOver = true;
    return true;
}

namespace {

void runEngineTurn()
{
    gc.entrySnapshot = boardPieceSets();
    clearHash();
    bitbaseProbeCount = 0;
    if (gc.mode == HumanHuman) return;
    for (;;) {
        gc.restartRequested = false;
        if (playingMode(gc.mode)) RecomputeBudget(gameRecord.plyNumber, engineSide);
        ShowBudget();
        if (IsThreefoldRepetition()) {
            ponderState.active = false;
            gc.mode = HumanHuman;
            controlUi().checkModeItem(HumanHuman);
            controlUi().showMessage(repetitionMessage);
            return;
        }
        if (drawnByRules()) {
            EndPondering();
            return;
        }
        const bool overBeforePump = gc.gameOver;
        controlUi().pumpMessages();
        controlUi().pause(300);
        if (gc.restartRequested) continue;
        if (!engineStillOnTurn(overBeforePump)) return;
        // The game position this search starts from, which an abort restores: after an
        // engine move of this call it is no longer the position the call was entered with.
        gc.entrySnapshot = boardPieceSets();
        moveSeparator = ':';
        if (gc.mode == EngineBoth || gc.mode == Analysis) engineSide = sideToMove;
        gc.thinking = true;
        gc.abortRequested = false;
        prepareSearch(engineSide);
        if (takeBookMove()) {
            stopRequested = true;
            gc.thinking = false;
        } else {
            const int count = moveLists[1].count;
            if (count == 0) {
                announceLossOfSideToMove();
                gc.thinking = false;
                gc.gameOver = true;
                return;
            }
            // Analysis, and thinking on the opponent's time, always look at full strength.
            if (count > 1) searchAtLevel(gc.mode == Analysis ? strongestLevel : engineLevel, gameSearchThreads());
            const SearchOutcome outcome = checkFlagsAfterSearch();
            if (outcome == SearchOutcome::Stop) return;
            if (outcome == SearchOutcome::Restart) {
                // A new game arrived during the search: its position, and the same
                // test a new game applies before the engine starts.
                gc.thinking = false;
                putPieceSetsOnBoard(gc.entrySnapshot);
                if (!engineStartsNewGame()) return;
                continue;
            }
        }
        if (gc.mode == Analysis) {
            gc.thinking = false;
            return;
        }
        if (!applyEngineMove()) return;
        gc.thinking = false;
        if (gc.mode == EngineBoth || sideToMove == engineSide) {
            engineSide = sideToMove;
            controlUi().pumpMessages();
            continue;
        }
        // A reply the human entered while the move was shown comes first.
        if (!gc.ponderEnabled || pendingReleaseWaiting()) return;
        ponderState.savedMode = gc.mode;
        ponderState.active = true;
        gc.mode = Analysis;
    }
}

} // namespace

namespace {

// A korvel.ini refused at start: the program runs with the engine's defaults until a
// new game finds the file mended.
bool configurationRefused = false;

// The engine with the settings of korvel.ini, or its defaults while the file refused
// at start is not mended; then the data folder's tables where the file in force is
// not the data folder's.
void initEngineForGame()
{
    if (configurationRefused) {
        try {
            initEngine();
            configurationRefused = false;
        } catch (const ConfigError&) {
            initEngineWithDefaults();
        }
    } else {
        initEngine();
    }
    UseDataFolderTables();
}

} // namespace

void EngineTurn()
{
    if (turnActive) {
        gc.restartRequested = true;
        return;
    }
    {
        TurnGuard guard;
        runEngineTurn();
    }
    // The window closed while the turn was between moves (in its pause, say): the
    // program ends here, as it does when the close stops a search.
    if (gc.closing) {
        controlUi().quitProgram();
        return;
    }
    PlayPendingRelease();
}

bool EngineTurnRunning() { return turnActive; }

void EndPondering()
{
    if (!ponderState.active) return;
    ponderState.active = false;
    // Only the analysis pondering switched to is ended; a mode chosen since stays.
    if (gc.mode == Analysis) gc.mode = ponderState.savedMode;
    if (gc.mode == EngineWhite || gc.mode == EngineBlack) restoreEngineSide();
}

void StartNewGame()
{
    clearHash();
    ResetClocks();
    seedRandomFromClock();
    initEngineForGame();
    // The new game is played in the mode the user chose, with the engine on its colour.
    EndPondering();
    sideToMove = 0;
    if (gc.mode == EngineBoth) engineSide = 0;
    setPositionFromText(initialPositionText);
    ResetRecord();
    // The information window's fields, the variation and the notation start empty.
    GameChanged(GameChange::NewGame);
    controlUi().redrawBoard();
    controlUi().pumpMessages();
    controlUi().pause(100);
    if (gc.thinking) {
        // The running turn restores this position when its search has returned.
        gc.entrySnapshot = boardPieceSets();
        return;
    }
    if (engineStartsNewGame()) EngineTurn();
}

void NewGameCommand()
{
    // A configuration that cannot be read keeps the game in progress and the settings
    // in force; when those are already the defaults of a file refused at start, the
    // new game is played with them.
    try {
        checkConfiguration();
    } catch (const std::exception& error) {
        controlUi().showMessage(error.what());
        if (!configurationRefused) return;
    }
    AbandonSetup();
    stopRequested = true;
    gc.abortRequested = true;
    gc.restartRequested = true;
    gc.gameOver = false;
    StartNewGame();
}

namespace {

void stopAndAbort()
{
    stopRequested = true;
    gc.abortRequested = true;
}

void leaveSetupIfActive()
{
    if (gc.mode == Setup) LeaveSetup();
}

// Thinking on the opponent's time leaves the playing mode's item checked.
bool modeItemChecked(GameMode mode)
{
    return gc.mode == mode || (ponderState.active && ponderState.savedMode == mode);
}

void setEngineColourMode(GameMode mode, int side)
{
    if (modeItemChecked(mode)) {
        // The mode in force: the engine takes a turn left waiting (after a take-back, say).
        if (gc.thinking) return;
        EndPondering();
        if (sideToMove == engineSide) EngineTurn();
        return;
    }
    ponderState.active = false;
    engineSide = side;
    if (gc.thinking && sideToMove != engineSide) stopAndAbort();
    leaveSetupIfActive();
    controlUi().checkModeItem(mode);
    gc.mode = mode;
    if (!gc.thinking && sideToMove == engineSide) EngineTurn();
}

} // namespace

void SetMode(GameMode mode)
{
    // A mode chosen by the user ends thinking on the opponent's time; choosing the
    // mode the engine was playing changes nothing.
    if (mode != Setup && mode != EngineWhite && mode != EngineBlack) ponderState.active = false;
    switch (mode) {
    case EngineWhite: setEngineColourMode(EngineWhite, 0); break;
    case EngineBlack: setEngineColourMode(EngineBlack, 1); break;
    case EngineBoth:
        if (gc.mode == EngineBoth) return;
        leaveSetupIfActive();
        gc.mode = EngineBoth;
        controlUi().checkModeItem(EngineBoth);
        if (!gc.thinking) EngineTurn();
        break;
    case Analysis:
        stopAndAbort();
        leaveSetupIfActive();
        gc.mode = Analysis;
        controlUi().checkModeItem(Analysis);
        if (!gc.thinking) EngineTurn();
        break;
    case HumanHuman:
        stopAndAbort();
        leaveSetupIfActive();
        controlUi().checkModeItem(HumanHuman);
        gc.mode = HumanHuman;
        break;
    case Setup: EnterSetup(); break;
    }
}

namespace {

// The engine's own view of the game, as its latest score has it. While the engine
// thinks on the opponent's time that score may be the human's side's.
bool engineAcceptsDraw(int engineColour)
{
    const auto latest = latestEngineScore();
    // Nothing searched yet in this game: the engine plays on.
    if (!latest) return false;
    const int own = latest->side == engineColour ? latest->score : -latest->score;
    return own < 100;
}

// The pieces of the game position: during a search the board holds one of its tree.
int gamePieceCount()
{
    const PieceSets s = gc.thinking ? gc.entrySnapshot : boardPieceSets();
    return popCount(s.whiteMen | s.whiteKings | s.blackMen | s.blackKings);
}

} // namespace

void OfferDraw()
{
    const GameMode playing = modeInForce();
    if (playing != EngineWhite && playing != EngineBlack) return;
    const int engineColour = playing == EngineWhite ? White : Black;
    if (gamePieceCount() > EGTBPieses || !engineAcceptsDraw(engineColour)) {
        controlUi().showMessage(drawRefusedMessage);
        return;
    }
    stopAndAbort();
    EndPondering();
    controlUi().showMessage(drawAcceptedMessage);
    gc.gameOver = true;
}

void restoreEngineSide()
{
    if (gc.mode == EngineWhite) engineSide = White;
    else if (gc.mode == EngineBlack) engineSide = Black;
    else engineSide = 1 - sideToMove;
}

namespace {

// Commands handled in the hint's pumps reached it through the flags: whatever they
// changed stands, and no hint is shown.
bool hintInterrupted()
{
    if (gc.closing) {
        controlUi().quitProgram();
        return true;
    }
    if (!gc.abortRequested && !gc.restartRequested) return false;
    gc.abortRequested = false;
    putPieceSetsOnBoard(gc.entrySnapshot);
    restoreEngineSide();
    if (gc.restartRequested) {
        // A new game arrived: the engine opens it if it is its turn.
        gc.restartRequested = false;
        if (engineStartsNewGame()) EngineTurn();
    }
    return true;
}

// The hint's search owns the thinking flag and the board while it runs: torn by an
// exception, it puts back those, and the engine's colour, and nothing else.
class HintSearch {
public:
    HintSearch()
    {
        gc.entrySnapshot = boardPieceSets();
        gc.abortRequested = gc.restartRequested = false;
        gc.thinking = true;
    }
    ~HintSearch()
    {
        if (!gc.thinking) return;
        putPieceSetsOnBoard(gc.entrySnapshot);
        gc.thinking = false;
        restoreEngineSide();
    }
    HintSearch(const HintSearch&) = delete;
    HintSearch& operator=(const HintSearch&) = delete;

    int run()
    {
        const int count = searchForHint(sideToMove);
        gc.thinking = false;
        return count;
    }
};

} // namespace

void ShowHint()
{
    if (!HintAvailable()) return;
    const int count = HintSearch().run();
    if (!hintInterrupted()) {
        restoreEngineSide();
        if (count > 0) {
            rememberHint(moveLists[1].moves[1]);
            setInfoFieldText(InfoField::Label6, movePlayedText(moveLists[1].moves[1]));
            controlUi().redrawBoard();
        }
    }
    PlayPendingRelease();
}

namespace {

// The notation and the graph follow each result as it comes.
void showResults()
{
    RefreshNotation();
    controlUi().analysisChanged();
}

// The windows' analysis runs as an engine turn does: it counts as thinking, so that
// commands handled in its pumps reach it only through the controller's flags.
class WindowObserver : public AnalysisObserver {
public:
    bool keepGoing(int done, int total, int secondsLeft) override
    {
        controlUi().pumpMessages();
        if (gc.abortRequested || gc.restartRequested || gc.closing) return false;
        return controlUi().analysisProgress(done, total, secondsLeft);
    }
    void halfMoveDone(int, const HalfMoveResult&) override { showResults(); }
};

// Puts the game back when the analysis ends: the position a command reached meanwhile
// (take-back, load, new game) or the one it started from.
class GameTurnKeeper {
public:
    GameTurnKeeper()
    {
        analysisRunning = true;
        gc.thinking = true;
        gc.abortRequested = false;
        gc.entrySnapshot = boardPieceSets();
    }
    ~GameTurnKeeper()
    {
        putPieceSetsOnBoard(gc.entrySnapshot);
        gc.thinking = false;
        gc.abortRequested = false;
        analysisRunning = false;
        controlUi().analysisFinished();
    }
    GameTurnKeeper(const GameTurnKeeper&) = delete;
    GameTurnKeeper& operator=(const GameTurnKeeper&) = delete;
};

bool engineOnTurn()
{
    if (gc.mode == EngineBoth || gc.mode == Analysis) return true;
    return (gc.mode == EngineWhite || gc.mode == EngineBlack) && sideToMove == engineSide;
}

void analyseGameRecord(std::int32_t budget)
{
    const GameMode modeBefore = gc.mode;
    {
        // Earlier results stay until a position's new one replaces them, so that a
        // cancelled run keeps the rest of the last analysis.
        GameTurnKeeper keeper;
        WindowObserver observer;
        // The depth limit in force: 63 in play.
        analysePositions(recordPositions(gameRecord, firstSideOfRecord(gameRecord, sideToMove)),
                         {budget, maxIterationDepth, gameSearchThreads()}, observer);
    }
    showResults();
    controlUi().redrawBoard();
    if (gc.closing) {
        controlUi().quitProgram();
        return;
    }
    // A mode or a new game chosen meanwhile: the engine takes the colour and the turn
    // that command would have given it had the analysis not been running.
    const bool restart = gc.restartRequested;
    gc.restartRequested = false;
    if (restart || gc.mode != modeBefore) {
        restoreEngineSide();
        if (engineOnTurn()) {
            EngineTurn();
            return;
        }
    }
    PlayPendingRelease();
}

} // namespace

void AnalyseGameCommand()
{
    if (!AnalysisAllowed()) return;
    if (gameRecord.redoLimit < 2) {
        controlUi().showMessage(noMovesToAnalyseMessage);
        return;
    }
    const int budget = controlUi().askAnalysisTime();
    if (budget > 0) analyseGameRecord(budget);
}


void TogglePonder()
{
    gc.ponderEnabled = !gc.ponderEnabled;
    controlUi().checkMenuItem(MenuItem::Ponder, gc.ponderEnabled);
}

void ToggleSound()
{
    boardView.soundOn = !boardView.soundOn;
    controlUi().checkMenuItem(MenuItem::Sound, boardView.soundOn);
}

void ToggleInformation()
{
    gc.infoItemChecked = !gc.infoItemChecked;
    gc.infoShown = gc.infoItemChecked;
    controlUi().checkMenuItem(MenuItem::Information, gc.infoItemChecked);
}

void InformationWindowClosed()
{
    gc.infoItemChecked = false;
    controlUi().checkMenuItem(MenuItem::Information, false);
}

void OnMainWindowClose()
{
    stopRequested = true;
    gc.closing = true;
}

void installGameHooks()
{
    // With library candidates the search keeps its root list in generation order, so
    // that a candidate's move index names the same move there.
    bookCandidateCountHook = [] { return static_cast<int>(bookCandidates.count); };
}

void RefreshBookWindow()
{
    LookupBook();
    // In endings within the bases the verdicts stand there instead, as after every move.
    if (const auto verdicts = endgameVerdicts(sideToMove)) bookText = *verdicts;
    gameUi().bookTextChanged();
}

void SetBoardSize()
{
    switchBoardSize();
    controlUi().checkMenuItem(MenuItem::SmallBoard, boardView.smallBoard);
    controlUi().applyWindowGeometry();
    controlUi().redrawBoard();
}

void ToggleRotation()
{
    boardView.rotated = !boardView.rotated;
    controlUi().checkMenuItem(MenuItem::Rotated, boardView.rotated);
    controlUi().redrawBoard();
}

void StartUp()
{
    // A bad korvel.ini is told, as at a new game, and the program goes on with the
    // engine's defaults, leaving the file for the user to mend.
    configurationRefused = false;
    try {
        initEngine();
    } catch (const ConfigError& error) {
        controlUi().showMessage(error.what());
        configurationRefused = true;
        initEngineWithDefaults();
    }
    if (!dataFolderProblem().empty()) controlUi().showMessage(dataFolderProblem());
    UseDataFolderTables();
    finishStartup();
    installGameHooks();
    engineTurnHook = EngineTurn;
    timeBudget = 200;
    libraryFileName = dataFilePath(libraryFileName);
    LoadLibrary();
}

void MainWindowCreated()
{
    seedRandomFromClock();
    StartNewGame();
    SetBoardSize();
}
