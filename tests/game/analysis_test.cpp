// The whole-game analysis: the marks it finds, what it leaves behind when it ends or is
// cancelled, results that follow the game, the notation's marks and the annotated PDN.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "game/gamechange.h"
#include "game/analysis.h"
#include "game/filecommands.h"
#include "game/notation.h"
#include "tests/game/game_support.h"
#include "tests/game/scripted_ui.h"

namespace {

using game_testing::playHalfMoves;

// Answers the time question and reports "Отмена" when told to.
struct AnalysisUi : controller_testing::ScriptedControlUi {
    int answer = unlimitedTime; // the time per half-move chosen; depth limits the searches
    int questions = 0;
    std::vector<std::pair<int, int>> reports; // done, total
    int cancelWhenDone = -1;   // "Отмена" at the cancelAtReport-th report with this many done
    int cancelAtReport = 1;
    int finished = 0;
    int changes = 0;

    int askAnalysisTime() override
    {
        ++questions;
        return answer;
    }
    bool analysisProgress(int done, int total, int) override
    {
        reports.emplace_back(done, total);
        if (done != cancelWhenDone) return true;
        return --cancelAtReport > 0;
    }
    void analysisFinished() override { ++finished; }
    void analysisChanged() override { ++changes; }
};

// White gives away the man on d4 for nothing; the other moves are the engine's own.
constexpr char blunderStart[] = "0ww0000000000w00000000b00000bb00 w"; // W:Wc1,e1,d4:Bf6,b8,d8
constexpr int blunderDepth = 9;

class AnalysisTest : public ::testing::Test {
protected:
    AnalysisUi ui;
    void SetUp() override
    {
        game_testing::startEngineOnce();
        installControlUi(&ui);
        gameControl = GameControl{};
        gameControl.mode = HumanHuman;
        ponderState = PonderState{};
        engineSide = Black;
        timeBudget = 200;
        maxIterationDepth = blunderDepth;
        clearAnalysis();
    }
    void TearDown() override
    {
        installControlUi(nullptr);
        maxIterationDepth = lastIterationDepth;
        timeBudget = 200;
        gameControl = GameControl{};
        clearAnalysis();
    }
    static void startFrom(const char* text)
    {
        gameRecord = GameRecord{};
        setPositionFromText(text);
        ResetRecord();
        GameChanged(GameChange::NewGame);
    }
    void analyseBlunderGame()
    {
        startFrom(blunderStart);
        playHalfMoves({"d4-e5", "f6:d4", "e1-d2", "d8-e7"});
        AnalyseGameCommand();
        ASSERT_EQ(ui.finished, 1);
    }
    static std::vector<BoardPosition> gamePositionsNow()
    {
        return recordPositions(gameRecord, firstSideOfRecord(gameRecord, sideToMove));
    }
};

TEST_F(AnalysisTest, FindsTheManGivenAwayAndMarksNothingElse)
{
    analyseBlunderGame();
    EXPECT_EQ(ui.questions, 1);
    ASSERT_FALSE(ui.reports.empty());
    EXPECT_EQ(ui.reports.back(), std::make_pair(3, 4)); // asked last before the final position
    const std::vector<std::string> marks = gameRecordMarks();
    ASSERT_EQ(marks.size(), 6u); // by entry; entry 1 is the start
    EXPECT_EQ(marks[2], "?");
    for (int entry : {3, 4, 5}) EXPECT_EQ(marks[entry], "") << entry;

    const auto positions = gamePositionsNow();
    const auto blunder = halfMoveResult(positions, 1);
    ASSERT_TRUE(blunder);
    EXPECT_EQ(blunder->mark, MoveMark::Mistake);
    EXPECT_NE(blunder->bestMove, "d4-e5");
    EXPECT_GE(blunder->scoreBefore - blunder->scoreAfter, mistakeLoss); // White's view: White lost it
    EXPECT_LT(blunder->scoreAfter, -80);
    // The score after a half-move is the next one's before; a position with a single
    // move (Black's capture) is worth the position that move leads to.
    const auto capture = halfMoveResult(positions, 2);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->scoreBefore, blunder->scoreAfter);
    EXPECT_EQ(capture->scoreAfter, capture->scoreBefore);
    EXPECT_EQ(capture->bestMove, "f6:d4");
    // Every half-move's result came to the windows as it was found.
    EXPECT_GE(ui.changes, 4);
    EXPECT_EQ(notationView.lines[0], " 1. d4-e5?  f6:d4  ");
}

TEST_F(AnalysisTest, CancelledAnalysisLeavesGameBoardAndEngineAsTheyWere)
{
    startFrom(initialPositionText);
    playHalfMoves({"c3-d4", "f6-g5", "b2-c3", "g5-h4", "g3-f4", "g7-f6"});
    StepBack();
    StepBack();
    gameControl.mode = EngineWhite;
    engineSide = White;
    timeBudget = 345;
    stopRequested = true;
    moveSeparator = ':';
    const GameRecord record = gameRecord;
    const PieceSets board = boardPieceSets();
    const int side = sideToMove;
    SearchReporter* const reporter = searchReporter;
    // "Отмена" inside the search of the fifth position, three half-moves done.
    ui.cancelWhenDone = 3;
    ui.cancelAtReport = 2;

    AnalyseGameCommand();

    EXPECT_EQ(ui.finished, 1);
    EXPECT_EQ(std::memcmp(&record, &gameRecord, sizeof record), 0);
    EXPECT_EQ(boardPieceSets().whiteMen, board.whiteMen);
    EXPECT_EQ(boardPieceSets().blackMen, board.blackMen);
    EXPECT_EQ(sideToMove, side);
    EXPECT_EQ(gameControl.mode, EngineWhite);
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_FALSE(gameControl.abortRequested);
    EXPECT_FALSE(ponderState.active);
    EXPECT_FALSE(EngineTurnRunning());
    EXPECT_EQ(engineSide, White);
    EXPECT_EQ(timeBudget, 345);
    EXPECT_EQ(maxIterationDepth, blunderDepth);
    EXPECT_TRUE(stopRequested);
    EXPECT_EQ(moveSeparator, ':');
    EXPECT_EQ(searchReporter, reporter);
    EXPECT_TRUE(AnalysisAllowed());

    // What was done is kept; the position searched when it stopped has no verdict.
    const EvaluationGraph graph = evaluationGraph();
    ASSERT_EQ(graph.scores.size(), 7u);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(graph.scores[k].has_value(), k <= 3) << k;
    EXPECT_EQ(graph.current, 4);
}

TEST_F(AnalysisTest, TheTimeLeftOfALongGameWithoutTimeLimitStaysInRange)
{
    // Asked once before the first search; the answer stops the analysis there.
    struct FirstEstimate : AnalysisObserver {
        std::vector<int> seconds;
        bool keepGoing(int, int, int secondsLeft) override
        {
            seconds.push_back(secondsLeft);
            return false;
        }
    };
    const BoardPosition start{0x00000FFFu, 0, 0xFFF00000u, 0, White};
    for (const auto& [halfMoves, budget, expected] :
         {std::tuple{2, 100, 3}, std::tuple{106, unlimitedTime, 2140000000}, std::tuple{107, unlimitedTime, 2147483647}, std::tuple{120, unlimitedTime, 2147483647},
          std::tuple{599, unlimitedTime, 2147483647}}) {
        FirstEstimate observer;
        EXPECT_FALSE(analysePositions(std::vector<BoardPosition>(static_cast<std::size_t>(halfMoves) + 1, start),
                                      {budget, 7}, observer));
        EXPECT_EQ(observer.seconds, std::vector<int>{expected}) << halfMoves;
    }
}

TEST_F(AnalysisTest, NotRunWhileTheEngineThinks)
{
    startFrom(initialPositionText);
    gameControl.mode = EngineWhite;
    engineSide = White;
    timeBudget = 1;
    maxIterationDepth = 7;
    std::vector<bool> allowed;
    auto tryIt = [&] {
        allowed.push_back(AnalysisAllowed());
        AnalyseGameCommand();
    };
    // In the pump before the engine's search and inside it.
    ui.onPump = [&] {
        tryIt();
        ui.onPump = tryIt;
    };
    EngineTurn();
    ui.onPump = nullptr;
    EXPECT_EQ(allowed, std::vector<bool>(allowed.size(), false));
    EXPECT_GE(allowed.size(), 2u);
    EXPECT_EQ(ui.questions, 0);
    EXPECT_EQ(gameRecord.redoLimit, 2); // the engine's move was played
    EXPECT_TRUE(AnalysisAllowed());
}

TEST_F(AnalysisTest, ModeChosenDuringTheAnalysisTakesEffectWhenItEnds)
{
    startFrom(blunderStart);
    playHalfMoves({"d4-e5", "f6:d4", "e1-d2", "d8-e7"});
    engineSide = Black; // the human is White in two-player mode
    // "Korvel играет белыми" with White to move, chosen while the analysis runs.
    ui.onPump = [] { SetMode(EngineWhite); };
    AnalyseGameCommand();
    EXPECT_EQ(gameControl.mode, EngineWhite);
    EXPECT_TRUE(evaluationGraph().scores[4]); // not stopped by it
    // Then the engine takes its turn and plays White's move, as it would have at once.
    EXPECT_EQ(gameRecord.redoLimit, 6);
    EXPECT_EQ(engineSide, White);
    EXPECT_FALSE(gameControl.thinking);
}

TEST_F(AnalysisTest, ResultsStayWithThePositionsTheyWereMadeFor)
{
    analyseBlunderGame();
    const GameRecord analysed = gameRecord;
    const int side = sideToMove;
    // Analysed again and cancelled after the first half-move: the rest stays as it was.
    const int lastScore = *evaluationGraph().scores[4];
    ui.cancelWhenDone = 1;
    AnalyseGameCommand();
    ASSERT_EQ(ui.finished, 2);
    EXPECT_EQ(gameRecordMarks()[2], "?");
    EXPECT_EQ(evaluationGraph().scores[4], lastScore);

    // White's second half-move replaced: the first two half-moves keep their results.
    StepBack();
    StepBack();
    playHalfMoves({"e1-f2"});
    auto positions = gamePositionsNow();
    EXPECT_TRUE(halfMoveResult(positions, 2));
    EXPECT_FALSE(halfMoveResult(positions, 3));
    EXPECT_EQ(gameRecordMarks()[2], "?");
    const EvaluationGraph graph = evaluationGraph();
    ASSERT_EQ(graph.scores.size(), 4u);
    EXPECT_TRUE(graph.scores[2] && !graph.scores[3]);
    EXPECT_EQ(graph.marks[1], MoveMark::Mistake);

    // The same game loaded again has them all back; another game none.
    gameRecord = analysed;
    sideToMove = side;
    positions = gamePositionsNow();
    EXPECT_TRUE(halfMoveResult(positions, 4));
    startFrom(initialPositionText);
    playHalfMoves({"c3-d4"});
    EXPECT_TRUE(gameRecordMarks().empty());
    EXPECT_FALSE(evaluationGraph().scores[0]);
}

TEST_F(AnalysisTest, MarksByWhatTheMoveGaveAway)
{
    const BoardPosition start{0x0Fu, 0, 0xF0000000u, 0, White};
    BoardPosition played = start, best = start;
    played.whiteMen = 0x1Eu;
    played.side = Black;
    best.whiteMen = 0x2Du;
    best.side = Black;
    auto mark = [&](int before, int after, int moves = 7, bool playedIsBest = false) {
        const PositionVerdict b{start, before, moves, "a1-b2", playedIsBest ? played : best};
        const PositionVerdict a{played, after, 7, "b8-a7", {}};
        return markOf(b, a);
    };
    EXPECT_EQ(mark(20, 20 - dubiousLoss + 1), MoveMark::None);
    EXPECT_EQ(mark(20, 20 - dubiousLoss), MoveMark::Dubious);
    EXPECT_EQ(mark(20, 20 - mistakeLoss), MoveMark::Mistake);
    EXPECT_EQ(mark(20, 20 - blunderLoss), MoveMark::Blunder);
    EXPECT_EQ(mark(20, -600, 1), MoveMark::None);           // the only move
    EXPECT_EQ(mark(20, -600, 7, true), MoveMark::None);     // the engine's own move
    EXPECT_EQ(mark(4990, 3010), MoveMark::None);            // still a win
    EXPECT_EQ(mark(4990, 400), MoveMark::Blunder);          // a win let go
    EXPECT_EQ(mark(-3000, -4990), MoveMark::None);          // lost anyway
    // Lost as the search one half-move earlier found along the opponent's best move,
    // though the search of this position missed it; not so after another move.
    PositionVerdict earlier{{0, 0, 0xF0000000u, 0x1u, Black}, -3001, 5, "", start};
    const PositionVerdict before{start, -533, 7, "a1-b2", best};
    const PositionVerdict after{played, -3001, 7, "", {}};
    EXPECT_EQ(markOf(before, after), MoveMark::Blunder);
    EXPECT_EQ(markOf(before, after, &earlier), MoveMark::None);
    earlier.afterBest = played;
    EXPECT_EQ(markOf(before, after, &earlier), MoveMark::Blunder);
    // Black's losses are White's gains.
    PositionVerdict b{{0, 0, 0xF0000000u, 0, Black}, -20, 7, "b8-a7", {}};
    PositionVerdict a{{1, 0, 0xF0000000u, 0, White}, -20 + mistakeLoss, 7, "", {}};
    EXPECT_EQ(markOf(b, a), MoveMark::Mistake);
    a.score = -20 - 300;
    EXPECT_EQ(markOf(b, a), MoveMark::None);
}

TEST_F(AnalysisTest, NotationMakesRoomForMarksOnlyWhenThereAreSome)
{
    startFrom(initialPositionText);
    playHalfMoves({"c3-d4", "f6-g5", "g3-h4"});
    const std::vector<std::string> marks{"", "", "", "?!", ""};
    NotationView view = buildNotation(gameRecord, marks);
    ASSERT_EQ(view.lines.size(), 2u);
    EXPECT_EQ(view.lines[0], " 1. c3-d4   f6-g5?!");
    EXPECT_EQ(view.lines[1], " 2. g3-h4   ");
    EXPECT_EQ(view.openingName, buildNotation(gameRecord).openingName);
    EXPECT_EQ(buildNotation(gameRecord).lines[0], " 1. c3-d4 f6-g5");

    // Black began: the filler takes a marked column's room.
    startFrom("wwwwwwwwwwww00000000bbbbbbbbbbbb b");
    playHalfMoves({"f6-g5", "c3-d4"});
    view = buildNotation(gameRecord, {"", "", "??", ""});
    ASSERT_EQ(view.lines.size(), 2u);
    EXPECT_EQ(view.lines[0], " 1.  ...    f6-g5??");
    EXPECT_EQ(view.lines[1], " 2. c3-d4   ");
}

TEST_F(AnalysisTest, AnnotatedPdnCarriesScoresAndMarksAndReadsBack)
{
    EXPECT_EQ(scoreComment(35), "+0.35");
    EXPECT_EQ(scoreComment(-120), "-1.20");
    EXPECT_EQ(scoreComment(0), "0.00");
    EXPECT_EQ(scoreComment(-7), "-0.07");
    EXPECT_EQ(scoreComment(4000), "+40.00");
    EXPECT_EQ(scoreComment(4990), "#5");   // as "Выигрыш через 5 ходов"
    EXPECT_EQ(scoreComment(-4997), "#-1");

    analyseBlunderGame();
    const auto dir = game_testing::uniqueTempDir("analysis");
    const std::string file = (dir / "game.pdn").string();
    ASSERT_TRUE(SaveGameFiles(file, SaveType::Pdn));
    const std::string text = game_testing::readFile(file);
    EXPECT_NE(text.find("1. d4-e5? {-1."), std::string::npos) << text;
    EXPECT_NE(text.find(" лучше "), std::string::npos) << text;
    EXPECT_NE(text.find("} 1... f6xd4 {"), std::string::npos) << text;
    std::size_t comments = 0;
    for (std::size_t at = text.find('{'); at != std::string::npos; at = text.find('{', at + 1)) ++comments;
    EXPECT_EQ(comments, 4u);

    const std::vector<PdnGame> games = readPdn(text);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].error, "");
    EXPECT_EQ(games[0].moves, (std::vector<std::string>{"d4-e5", "f6:d4", "e1-d2", "d8-e7"}));
    const auto positions = gamePositionsNow();
    EXPECT_EQ(games[0].positions, std::vector<BoardPosition>(positions.begin() + 1, positions.end()));
    std::filesystem::remove_all(dir);
}

} // namespace
