// The soak: many games played through the game controller as a restless user would,
// with take-backs, replays, new games, saves and loads, setups, draw offers and mode
// changes at random, some of them arriving inside the engine's searches. After every
// step the record, the board picture and the engine position must agree.
//   game_soak [--games N] [--seed S] [--threads N]
// With more than one thread the searches differ from run to run: a seed then repeats
// the commands only until the first search.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/search.h"
#include "game/analysis.h"
#include "game/boardview.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "game/drawrules.h"
#include "game/filecommands.h"
#include "game/moveentry.h"
#include "game/notation.h"
#include "game/pdn.h"
#include "game/record.h"
#include "game/settings.h"
#include "game/setup.h"
#include "../notation_count.h"

namespace {

std::mt19937 rng;
int below(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
bool chance(int percent) { return below(100) < percent; }

int faults = 0;
int pumpedCommands = 0;
std::filesystem::path folder;
std::vector<std::string> trace; // the commands of the game so far, to replay a fault by eye
std::size_t traceShown = 25;
bool stopAtFault = false;

void note(const std::string& command, bool insidePump)
{
    trace.push_back((insidePump ? "  (in a pump) " : "") + command + " @" + std::to_string(gameRecord.plyNumber) +
                    "/" + std::to_string(gameRecord.redoLimit) + " mode " + std::to_string(gameControl.mode) +
                    (gameControl.thinking ? " thinking" : "") + (ponderState.active ? " pondering" : "") + " " +
                    positionToText(sideToMove));
}

void fault(const std::string& what)
{
    ++faults;
    std::fprintf(stderr, "FAULT: %s (ply %d, mode %d, position %s)\n", what.c_str(), gameRecord.plyNumber,
                 gameControl.mode, positionToText(sideToMove).c_str());
    const std::size_t shown = std::min<std::size_t>(trace.size(), traceShown);
    for (std::size_t i = trace.size() - shown; i < trace.size(); ++i) std::fprintf(stderr, "    %s\n", trace[i].c_str());
}

void randomCommand(bool insidePump);

GameMode randomPlayMode()
{
    static const GameMode modes[] = {EngineWhite, EngineBlack, EngineBoth, Analysis, HumanHuman};
    return modes[below(5)];
}

// Answers like a user clicking through; commands sometimes arrive inside the pumps.
struct SoakUi : ControlUi {
    int depth = 0;
    void redrawBoard() override
    {
        if (!stopAtFault) return;
        const RecordEntry& e = gameRecord.entries[1];
        const PieceSets board = boardPieceSets();
        putPieceSetsOnBoard({e.whiteMen, e.whiteKings, e.blackMen, e.blackKings});
        const std::string first = positionToText(0);
        putPieceSetsOnBoard(board);
        trace.push_back("      redraw @" + std::to_string(gameRecord.plyNumber) + "/" +
                        std::to_string(gameRecord.redoLimit) + " mode " + std::to_string(gameControl.mode) +
                        (gameControl.thinking ? " thinking" : "") + " entry1 " + first.substr(0, 32) + " board " +
                        positionToText(sideToMove));
    }
    bool askYesNo(const std::string&) override { return chance(70); }
    int chooseCapture(const std::vector<std::string>& lines) override
    {
        return chance(90) ? below(static_cast<int>(lines.size())) : -1;
    }
    int chooseGame(const std::vector<std::string>& summaries) override
    {
        return below(static_cast<int>(summaries.size()));
    }
    // The whole-game analysis runs depth-limited like the engine's turns; now and then
    // the user cancels it.
    int askAnalysisTime() override { return chance(80) ? unlimitedTime : 0; }
    bool analysisProgress(int, int, int) override { return chance(98); }
    void pumpMessages() override
    {
        if (depth > 0 || !chance(4)) return;
        ++depth;
        ++pumpedCommands;
        randomCommand(true);
        --depth;
    }
};

SoakUi ui;

// The pixel centre of a board square named as "c3", as the board is shown now.
void squarePixel(const std::string& name, int& x, int& y)
{
    int column = name[0] - 'a', row = '8' - name[1];
    if (boardView.rotated) column = 7 - column, row = 7 - row;
    x = boardView.marginX + column * cellSize() + cellSize() / 2;
    y = boardView.marginY + row * cellSize() + cellSize() / 2;
}

void drag(const std::string& from, const std::string& to, int button = leftButton)
{
    int x, y;
    squarePixel(from, x, y);
    BoardPress(button, x, y);
    squarePixel(to, x, y);
    BoardRelease(button, x, y);
}

// A legal move of the game position (ply 0's list is the controller's own, so this
// may run while a search is pumping).
void humanMove()
{
    const PieceSets game = gameControl.thinking ? gameControl.entrySnapshot : boardPieceSets();
    const PieceSets board = boardPieceSets();
    putPieceSetsOnBoard(game);
    const int count = generateLegalMoves(sideToMove, 0);
    std::string move = count > 0 ? moveText(moveLists[0].moves[1 + below(count)]) : "a1-b2";
    putPieceSetsOnBoard(board);
    if (chance(5)) move = "c3-d4"; // now and then one that may be illegal
    drag(move.substr(0, 2), move.substr(3, 2));
}

const char* const squareNames[32] = {"a1", "c1", "e1", "g1", "b2", "d2", "f2", "h2", "a3", "c3", "e3",
                                     "g3", "b4", "d4", "f4", "h4", "a5", "c5", "e5", "g5", "b6", "d6",
                                     "f6", "h6", "a7", "c7", "e7", "g7", "b8", "d8", "f8", "h8"};

void setupSession()
{
    SetMode(GameMode::Setup);
    if (chance(30)) SetupClear();
    if (chance(10)) SetupInitial();
    for (int k = below(12); k > 0; --k) {
        const std::string a = squareNames[below(32)], b = squareNames[below(32)];
        if (chance(30)) drag(a, b);
        else drag(a, a, chance(50) ? leftButton : rightButton);
    }
    setupState.whiteToMove = chance(50);
    switch (below(4)) {
    case 0: SetupCancel(); break;
    case 1: SetMode(randomPlayMode()); break;
    default: SetupDone(); break;
    }
}

// Saves the game in one of the types and loads it back; what was written must read back.
void saveAndLoad()
{
    static const SaveType types[] = {SaveType::Game, SaveType::Position, SaveType::Pdn, SaveType::Text};
    const SaveType type = types[below(4)];
    const std::string name = (folder / ("soak" + std::to_string(below(3)))).string();
    const GameRecord before = gameRecord;
    // During a search or a setup the record is not the board's: only the load is checked.
    const bool compare = !gameControl.thinking && gameControl.mode != GameMode::Setup;
    if (!SaveGameFiles(name, type)) return;
    if (type == SaveType::Text) return;
    const std::string file = completeFileName(name, type);
    ui.depth++; // no commands inside the load's own refreshes
    const bool loaded = LoadGameFiles(file);
    ui.depth--;
    if (!loaded) {
        fault("a file the program wrote did not read back: " + file);
        return;
    }
    if (!compare) return;
    const int entries = type == SaveType::Position ? 1 : before.redoLimit;
    const int from = type == SaveType::Position ? before.plyNumber : 1;
    for (int k = 0; k < entries; ++k) {
        const RecordEntry& a = before.entries[from + k];
        const RecordEntry& b = gameRecord.entries[1 + k];
        if (a.whiteMen != b.whiteMen || a.whiteKings != b.whiteKings || a.blackMen != b.blackMen ||
            a.blackKings != b.blackKings) {
            fault("entry " + std::to_string(1 + k) + " differs after a load of " + file);
            return;
        }
    }
}

const char* const commandNames[] = {"move", "StepBack", "MoveBack", "StepForward", "MoveForward", "Home/End",
                                    "NewGame", "SetMode", "setup", "save+load", "FEN copy+paste", "OfferDraw",
                                    "TogglePonder", "ToggleRotation", "EGTBPieses", "draw rules", "AnalyseGame"};

int commandOf(int roll)
{
    static const int bounds[] = {40, 48, 52, 57, 60, 62, 64, 72, 75, 80, 82, 86, 88, 89, 90, 91, 93};
    for (int i = 0; i < 17; ++i)
        if (roll < bounds[i]) return i;
    return 0;
}

void randomCommand(bool insidePump)
{
    const int roll = below(100);
    note(commandNames[commandOf(roll)], insidePump);
    if (roll < 40) humanMove();
    else if (roll < 48) { if (navigationAllowed()) StepBack(); }
    else if (roll < 52) { if (navigationAllowed()) MoveBack(); }
    else if (roll < 57) { if (navigationAllowed()) StepForward(); }
    else if (roll < 60) { if (navigationAllowed()) MoveForward(); }
    else if (roll < 62) BoardKey(chance(50) ? BoardKeyCode::Home : BoardKeyCode::End);
    else if (roll < 64) NewGameCommand();
    else if (roll < 72) SetMode(randomPlayMode());
    else if (roll < 75) setupSession();
    else if (roll < 80) saveAndLoad();
    else if (roll < 82) { if (!insidePump) PastePositionFen(CopyPositionFen()); }
    else if (roll < 86) OfferDraw();
    else if (roll < 88) TogglePonder();
    else if (roll < 89) ToggleRotation();
    else if (roll < 90) { if (!insidePump) EGTBPieses = below(8); }
    else if (roll < 91) officialDrawRules = !officialDrawRules;
    else if (roll < 93) AnalyseGameCommand();
    else humanMove();
}

// The board picture as it must be for the engine position.
bool pictureMatchesBoard()
{
    const std::string text = positionToText(sideToMove);
    for (int s = 0; s < 32; ++s) {
        const int rank = s / 4 + 1;
        const int file = (rank % 2 == 1) ? 2 * (s % 4) + 1 : 2 * (s % 4) + 2;
        const char shown = boardPicture[(rank - 1) * 8 + (file - 1)];
        const char expected = text[static_cast<std::size_t>(s)] == '0' ? '.' : text[static_cast<std::size_t>(s)];
        if (shown != expected) return false;
    }
    return true;
}

// Every half-move of the record is a legal move of the position before it.
bool recordIsAGame()
{
    const PieceSets board = boardPieceSets();
    const int side = sideToMove;
    bool legal = true;
    int mover = (side + gameRecord.plyNumber - 1) % 2; // to move at entry 1
    for (int k = 1; k < gameRecord.redoLimit && legal; ++k, mover = 1 - mover) {
        const RecordEntry& e = gameRecord.entries[k];
        const RecordEntry& next = gameRecord.entries[k + 1];
        putPieceSetsOnBoard({e.whiteMen, e.whiteKings, e.blackMen, e.blackKings});
        const int count = generateLegalMoves(mover, 0);
        bool found = false;
        for (int m = 1; m <= count && !found; ++m) {
            makeMove(moveLists[0].moves[m], moveLists[0].captured[m], mover, 1);
            found = entryMatchesBoard(next);
            unmakeMove(1);
        }
        legal = found;
        if (!found)
            std::fprintf(stderr, "    entry %d (%s to move) %s -> entry %d %s '%s'\n", k, mover ? "Black" : "White",
                         positionToText(mover).c_str(), k + 1,
                         (putPieceSetsOnBoard({next.whiteMen, next.whiteKings, next.blackMen, next.blackKings}),
                          positionToText(1 - mover))
                             .c_str(),
                         entryMoveText(next).c_str());
    }
    putPieceSetsOnBoard(board);
    sideToMove = side;
    return legal;
}

void checkAfterStep()
{
    const GameControl& gc = gameControl;
    if (gc.thinking || EngineTurnRunning()) fault("the engine still counts as thinking between commands");
    if (ponderState.active && gc.mode != Analysis) fault("pondering outside the analysis it switched to");
    if (!ponderState.active && gc.mode == EngineWhite && engineSide != White) fault("EngineWhite with engineSide Black");
    if (!ponderState.active && gc.mode == EngineBlack && engineSide != Black) fault("EngineBlack with engineSide White");
    if (!pictureMatchesBoard()) fault("the board picture is not the engine position");
    if (gc.mode == GameMode::Setup) return;
    if (!entryMatchesBoard(gameRecord.entries[gameRecord.plyNumber])) fault("the board is not the record's position");
    if (gameRecord.plyNumber < 1 || gameRecord.plyNumber > gameRecord.redoLimit) fault("plyNumber outside the record");
    if (!recordIsAGame()) fault("a recorded half-move is no legal move");
    if (gameRecord.redoLimit > 1 && halfMovesInNotation() != gameRecord.redoLimit - 1)
        fault("the notation misses half-moves");
}

} // namespace

int main(int argc, char** argv)
{
    int games = 500;
    unsigned seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--games") games = std::atoi(argv[i + 1]);
        else if (flag == "--seed") seed = static_cast<unsigned>(std::atoi(argv[i + 1]));
        else if (flag == "--threads") threadsChosen = std::max(1, std::atoi(argv[i + 1]));
        else if (flag == "--trace") stopAtFault = true, traceShown = static_cast<std::size_t>(std::atoi(argv[i + 1]));
    }
    rng.seed(seed);
    folder = std::filesystem::temp_directory_path() / ("korvel-soak-" + std::to_string(seed));
    std::filesystem::create_directories(folder);
    installControlUi(&ui);
    StartUp();
    MainWindowCreated();
    long steps = 0, halfMoves = 0;
    int finished = 0;
    for (int game = 1; game <= games; ++game) {
        trace.clear();
        NewGameCommand();
        SetMode(randomPlayMode());
        for (int step = 0; step < 120 && !gameControl.gameOver && !recordFull(); ++step, ++steps) {
            // Depth-limited searches pump at the same nodes in every run.
            timeBudget = unlimitedTime;
            maxIterationDepth = 7 + below(2);
            randomCommand(false);
            checkAfterStep();
            if (faults > 20 || (stopAtFault && faults > 0)) break;
        }
        finished += gameControl.gameOver ? 1 : 0;
        halfMoves += gameRecord.redoLimit - 1;
        if (game % 50 == 0) std::fprintf(stderr, "%d games, %ld steps, %d faults\n", game, steps, faults);
        if (faults > 20 || (stopAtFault && faults > 0)) break;
    }
    std::filesystem::remove_all(folder);
    std::printf("soak: %d games (%d ended by a result) on %d threads, %ld steps, %ld half-moves recorded, %d commands "
                "inside searches, %d faults\n",
                games, finished, gameSearchThreads(), steps, halfMoves, pumpedCommands, faults);
    return faults == 0 ? 0 : 1;
}
