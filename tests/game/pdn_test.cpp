#include "game/pdn.h"
#include "game/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string_view>
#include <tuple>

#include "game/controller.h"
#include "game/filecommands.h"
#include "game/notation.h"
#include "tests/game/game_support.h"
#include "tests/game/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

using game_testing::readFile;
using game_testing::writeFile;

SquareSet at(std::initializer_list<const char*> names)
{
    SquareSet s = 0;
    for (const char* n : names) s |= 1u << squareFromName(n);
    return s;
}

struct ChoosingUi : controller_testing::ScriptedControlUi {
    std::vector<std::vector<std::string>> gameChoices;
    int gameAnswer = -1;
    int chooseGame(const std::vector<std::string>& summaries) override
    {
        gameChoices.push_back(summaries);
        return gameAnswer;
    }
};

// An entry as text: its four sets and its move text, for comparing records.
std::string entryText(const RecordEntry& e)
{
    return std::to_string(e.whiteKings) + "/" + std::to_string(e.whiteMen) + "/" + std::to_string(e.blackKings) + "/" +
           std::to_string(e.blackMen) + " " + entryMoveText(e);
}

std::vector<std::string> recordEntries(const GameRecord& r)
{
    std::vector<std::string> entries;
    for (int n = 1; n <= r.redoLimit; ++n) entries.push_back(entryText(r.entries[n]));
    return entries;
}

// The standard's export form read strictly, without Korvel's reader: the seven tags
// first and in order, then GameType, SetUp "1" right before FEN, each tag on its own
// line with only \" and \\ escaped; a blank line; move numbers, steps with "-" and
// captures with "x"; the Result tag's value as the last word; lines of at most 79
// characters. Returns the first fault, empty when there is none.
std::string strictPdnFault(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) return "no line end at the end of the file";
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    const std::vector<std::string> roster = {"Event", "Site", "Date", "Round", "White", "Black", "Result"};
    std::vector<std::string> names;
    std::string result, fen;
    std::size_t line = 0;
    for (; line < lines.size() && !lines[line].empty(); ++line) {
        const std::string& tag = lines[line];
        const std::size_t blank = tag.find(' ');
        if (tag.front() != '[' || tag.back() != ']' || blank == std::string::npos || tag[blank + 1] != '"' ||
            tag[tag.size() - 2] != '"')
            return "not a tag: " + tag;
        const std::string value = tag.substr(blank + 2, tag.size() - blank - 4);
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '"') return "unescaped quote: " + tag;
            if (value[i] != '\\') continue;
            if (i + 1 == value.size() || (value[i + 1] != '"' && value[i + 1] != '\\')) return "bad escape: " + tag;
            ++i;
        }
        names.push_back(tag.substr(1, blank - 1));
        if (names.back() == "Result") result = value;
        if (names.back() == "FEN") fen = value;
    }
    if (line == lines.size()) return "no blank line after the tags";
    if (names.size() < roster.size() || !std::equal(roster.begin(), roster.end(), names.begin()))
        return "the seven tags are not first and in order";
    const std::vector<std::string> others(names.begin() + 7, names.end());
    const std::vector<std::string> withFen = {"GameType", "SetUp", "FEN"};
    if (others != std::vector<std::string>{"GameType"} && others != withFen) return "unexpected tags";
    const std::size_t date = text.find("[Date \"");
    for (int k = 0; k < 10; ++k) {
        const char c = text[date + 7 + k];
        const bool dot = k == 4 || k == 7;
        if (dot ? c != '.' : !(std::isdigit(static_cast<unsigned char>(c)) || c == '?')) return "bad date";
    }
    if (result != "1-0" && result != "0-1" && result != "1/2-1/2" && result != "*") return "bad result " + result;

    std::vector<std::string> words;
    for (++line; line < lines.size(); ++line) {
        if (lines[line].size() > 79) return "line longer than 79 characters";
        std::istringstream in(lines[line]);
        for (std::string w; in >> w;) words.push_back(w);
    }
    if (words.empty() || words.back() != result) return "the moves do not end with the result";
    words.pop_back();
    int side = fen.empty() ? White : (fen[0] == 'B' ? Black : White);
    int number = 1;
    bool first = true, numbered = false;
    auto square = [](const std::string& w, std::size_t at) {
        return at + 1 < w.size() && w[at] >= 'a' && w[at] <= 'h' && w[at + 1] >= '1' && w[at + 1] <= '8';
    };
    for (const std::string& w : words) {
        if (std::isdigit(static_cast<unsigned char>(w[0]))) {
            const std::string expected = std::to_string(number) + (side == White ? "." : "...");
            if (numbered || w != expected || (side == Black && !first)) return "bad move number " + w;
            numbered = true;
            continue;
        }
        if (!numbered && (side == White || first)) return "a move without its number: " + w;
        bool ok = square(w, 0) && w.size() >= 5 && (w.size() - 2) % 3 == 0;
        for (std::size_t at = 2; ok && at < w.size(); at += 3)
            ok = square(w, at + 1) && (w[at] == 'x' || (w[at] == '-' && w.size() == 5));
        if (!ok) return "not a move: " + w;
        if (side == Black) ++number;
        side = 1 - side;
        numbered = first = false;
    }
    return {};
}

class PdnTest : public ::testing::Test {
protected:
    ChoosingUi ui;
    fs::path dir;

    void SetUp() override
    {
        game_testing::startEngineOnce();
        installControlUi(&ui);
        gameControl = GameControl{};
        gameControl.mode = HumanHuman;
        engineSide = Black;
        notationView = NotationView{};
        startFrom(initialPositionText);
        dir = game_testing::uniqueTempDir("pdn");
    }
    void TearDown() override
    {
        installControlUi(nullptr);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    static void startFrom(const std::string& positionText)
    {
        gameRecord = GameRecord{};
        setPositionFromText(positionText);
        ResetRecord();
    }
    static void startFromFen(const std::string& fen)
    {
        const auto p = parseFen(fen);
        ASSERT_TRUE(p.has_value()) << fen;
        gameRecord = GameRecord{};
        setBoardPosition(*p);
        ResetRecord();
    }
    static void play(const std::string& text) { game_testing::playHalfMove(text); }
    static void playAll(std::initializer_list<const char*> moves) { game_testing::playHalfMoves(moves); }

    struct Snapshot {
        std::string record, position;
        GameMode mode;
        bool stop, abort;
        std::vector<std::string> lines;
    };
    static Snapshot snapshot()
    {
        return {encodeGameRecord(gameRecord), positionToText(sideToMove), gameControl.mode, stopRequested,
                gameControl.abortRequested, notationView.lines};
    }
    static void expectUnchanged(const Snapshot& s, const std::string& what)
    {
        EXPECT_TRUE(encodeGameRecord(gameRecord) == s.record) << what;
        EXPECT_EQ(positionToText(sideToMove), s.position) << what;
        EXPECT_EQ(gameControl.mode, s.mode) << what;
        EXPECT_EQ(stopRequested, s.stop) << what;
        EXPECT_EQ(gameControl.abortRequested, s.abort) << what;
        EXPECT_EQ(notationView.lines, s.lines) << what;
    }

    // Saves the game as PDN, starts another game and loads the file back.
    void saveAndReload(const std::string& name)
    {
        ASSERT_TRUE(SaveGameFiles(path(name), SaveType::Pdn));
        startFrom(initialPositionText);
        play("a3-b4");
        gameControl.mode = EngineWhite;
        stopRequested = false;
        gameControl.abortRequested = false;
        ASSERT_TRUE(LoadGameFiles(path(name + ".pdn"))) << (ui.messages.empty() ? "" : ui.messages.back());
    }
};

TEST_F(PdnTest, WritesTagsNumberedMovesAndResult)
{
    playAll({"c3-d4", "f6-g5", "d4-c5", "d6:b4", "a3:c5"});
    PdnHeader header;
    header.event = "Кубок \"Весна\"";
    header.white = "Иванов";
    const auto game = gameOfRecord(gameRecord, White, header);
    ASSERT_TRUE(game.has_value());
    EXPECT_EQ(writePdn(*game), "[Event \"Кубок \\\"Весна\\\"\"]\n"
                               "[Site \"?\"]\n"
                               "[Date \"????.??.??\"]\n"
                               "[Round \"?\"]\n"
                               "[White \"Иванов\"]\n"
                               "[Black \"?\"]\n"
                               "[Result \"*\"]\n"
                               "[GameType \"25\"]\n"
                               "\n"
                               "1. c3-d4 f6-g5 2. d4-c5 d6xb4 3. a3xc5 *\n");
    const std::vector<PdnGame> back = readPdn(writePdn(*game));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].tag("event"), "Кубок \"Весна\"");
    EXPECT_EQ(back[0].moves, (std::vector<std::string>{"c3-d4", "f6-g5", "d4-c5", "d6:b4", "a3:c5"}));

    // A step in the record that no legal move makes is refused.
    GameRecord broken = gameRecord;
    broken.entries[3].blackMen ^= at({"h6", "h4"});
    std::string error;
    EXPECT_FALSE(gameOfRecord(broken, White, header, &error).has_value());
    EXPECT_EQ(error, "Полуход 2 записи партии не является ходом");
    // Saved as PDN such a record is refused with the same reason and nothing is written.
    gameRecord = broken;
    EXPECT_FALSE(SaveGameFiles(path("broken"), SaveType::Pdn));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], error);
    EXPECT_FALSE(fs::exists(path("broken.pdn")));
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(PdnTest, WrittenFilesAreExactlyTheStandardsForm)
{
    auto written = [](int firstSide, const PdnHeader& header) {
        const auto game = gameOfRecord(gameRecord, firstSide, header);
        EXPECT_TRUE(game.has_value());
        const std::string text = game ? writePdn(*game) : std::string();
        EXPECT_EQ(strictPdnFault(text), "") << text;
        const std::vector<PdnGame> back = readPdn(text);
        EXPECT_EQ(back.size(), 1u);
        if (back.size() == 1) {
            EXPECT_EQ(back[0].error, "");
            EXPECT_EQ(recordEntries(recordOfGame(back[0])), recordEntries(gameRecord)) << text;
        }
        return text;
    };
    const std::string unknownTags = "[Event \"?\"]\n[Site \"?\"]\n[Date \"????.??.??\"]\n[Round \"?\"]\n"
                                    "[White \"?\"]\n[Black \"?\"]\n";

    // From the initial position, every tag given.
    PdnHeader header;
    header.event = "Тренировка";
    header.site = "Москва";
    header.date = "2024.05.17";
    header.round = "3";
    header.white = "Иванов";
    header.black = "Петров";
    playAll({"c3-d4", "f6-g5", "d4-c5", "b6:d4", "e3:c5", "d6:b4", "a3:c5"});
    EXPECT_EQ(written(White, header), "[Event \"Тренировка\"]\n[Site \"Москва\"]\n[Date \"2024.05.17\"]\n"
                                      "[Round \"3\"]\n[White \"Иванов\"]\n[Black \"Петров\"]\n[Result \"*\"]\n"
                                      "[GameType \"25\"]\n\n"
                                      "1. c3-d4 f6-g5 2. d4-c5 b6xd4 3. e3xc5 d6xb4 4. a3xc5 *\n");

    // Black first from a set-up position.
    startFromFen("B:WKa1,e3,g3:Bb8,h6,Kd8");
    playAll({"h6-g5", "a1-d4", "g5-f4", "e3:g5"});
    EXPECT_EQ(written(Black, PdnHeader{}), unknownTags + "[Result \"*\"]\n[GameType \"25\"]\n[SetUp \"1\"]\n"
                                                        "[FEN \"B:WKa1,e3,g3:Bh6,b8,Kd8\"]\n\n"
                                                        "1... h6-g5 2. a1-d4 g5-f4 3. e3xg5 *\n");

    // Captures sharing their end squares, the longer one winning: 1-0.
    startFromFen("W:Wf6:Bb4,c7,e7,g7");
    const int count = generateLegalMoves(White, 0);
    for (int k = 1; k <= count; ++k)
        if (popCount(moveLists[0].captured[k]) == 4) {
            makeMove(moveLists[0].moves[k], moveLists[0].captured[k], White, 0);
            sideToMove = Black;
            AppendMove(moveText(moveLists[0].moves[k]));
            break;
        }
    ASSERT_EQ(gameRecord.redoLimit, 2);
    EXPECT_EQ(written(White, PdnHeader{}), unknownTags + "[Result \"1-0\"]\n[GameType \"25\"]\n[SetUp \"1\"]\n"
                                                        "[FEN \"W:Wf6:Bb4,c7,e7,g7\"]\n\n1. f6xd8xa5xc3xh8 1-0\n");

    // Black blocks White's last man: 0-1.
    startFromFen("B:Wa1:Bb2,d4");
    play("d4-c3");
    EXPECT_EQ(written(Black, PdnHeader{}), unknownTags + "[Result \"0-1\"]\n[GameType \"25\"]\n[SetUp \"1\"]\n"
                                                        "[FEN \"B:Wa1:Bb2,d4\"]\n\n1... d4-c3 0-1\n");

    // A drawn game as the program saves it, today's date in the Date tag.
    startFrom(initialPositionText);
    play("c3-d4");
    gameControl.gameOver = true;
    ASSERT_TRUE(SaveGameFiles(path("draw"), SaveType::Pdn));
    const std::string saved = readFile(path("draw.pdn"));
    EXPECT_EQ(strictPdnFault(saved), "");
    const std::size_t date = saved.find("[Date \"");
    ASSERT_NE(date, std::string::npos);
    EXPECT_EQ(saved, "[Event \"?\"]\n[Site \"?\"]\n[Date \"" + saved.substr(date + 7, 10) +
                         "\"]\n[Round \"?\"]\n[White \"?\"]\n[Black \"?\"]\n[Result \"1/2-1/2\"]\n"
                         "[GameType \"25\"]\n\n1. c3-d4 1/2-1/2\n");
    EXPECT_NE(saved.substr(date + 7, 10), "????.??.??");

    // The checker itself refuses what the program no longer writes.
    EXPECT_NE(strictPdnFault(unknownTags + "[Result \"*\"]\n[GameType \"25\"]\n\n1. c3-d4 d6-c5 2. d4:b6 *\n"), "");
    EXPECT_NE(strictPdnFault(unknownTags + "[Result \"*\"]\n[GameType \"25\"]\n[FEN \"W:Wc3:Bd6\"]\n\n1. c3-d4 *\n"),
              "");
}

TEST_F(PdnTest, TagValuesWithLineBreaksQuotesAndBackslashesReadBack)
{
    PdnHeader header;
    header.event = "Кубок\n\"Весна\"\r\n2024";
    header.site = "C:\\games\\new\\";
    header.white = "Иванов\tмл.";
    header.black = "\\n is not a line break";
    play("c3-d4");
    const auto game = gameOfRecord(gameRecord, White, header);
    ASSERT_TRUE(game.has_value());
    const std::string text = writePdn(*game);
    // Each tag keeps to its line: a break inside a value would end it.
    EXPECT_NE(text.find("[Event \"Кубок\\n\\\"Весна\\\"\\r\\n2024\"]\n"), std::string::npos) << text;
    const std::vector<PdnGame> back = readPdn(text);
    ASSERT_EQ(back.size(), 1u);
    ASSERT_EQ(back[0].error, "");
    EXPECT_EQ(back[0].tag("Event"), header.event);
    EXPECT_EQ(back[0].tag("Site"), header.site);
    EXPECT_EQ(back[0].tag("White"), header.white);
    EXPECT_EQ(back[0].tag("Black"), header.black);
    EXPECT_EQ(back[0].moves, std::vector<std::string>{"c3-d4"});
}

TEST_F(PdnTest, PositionsSetupAllowsAndEmptiedSidesReadBack)
{
    // Men left on their crowning rows by setup, Black to move.
    startFromFen("B:Wb8,c3,g3:Ba1,d6,h6");
    playAll({"d6-c5", "c3-d4", "c5:e3"});
    std::vector<std::string> expected = recordEntries(gameRecord);
    saveAndReload("crowned");
    EXPECT_EQ(recordEntries(gameRecord), expected);
    EXPECT_NE(readFile(path("crowned.pdn")).find("[FEN \"B:Wc3,g3,b8:Ba1,d6,h6\"]"), std::string::npos);

    // Positions loaded from position files: one colour without pieces, and nothing at all.
    for (const std::string fen : {"W:Wc3,Kh8:B", "B:W:B"}) {
        const BoardPosition p = *parseFen(fen);
        writeFile(path("start.poz"), encodePosition({p.whiteMen, p.blackMen, p.whiteKings, p.blackKings, p.side}));
        ASSERT_TRUE(LoadGameFiles(path("start.poz")));
        expected = recordEntries(gameRecord);
        const std::string position = positionToText(sideToMove);
        ui.yesNoAnswers = {true};
        saveAndReload("emptied");
        EXPECT_EQ(recordEntries(gameRecord), expected) << fen;
        EXPECT_EQ(positionToText(sideToMove), position) << fen;
        EXPECT_NE(readFile(path("emptied.pdn")).find("[FEN \"" + fen + "\"]"), std::string::npos) << fen;
    }
}

TEST_F(PdnTest, ResultFollowsTheEndOfTheGame)
{
    // White king b2 takes the last black man: Black has no move, White won.
    startFromFen("W:WKb2:Bc3");
    play("b2:d4");
    auto game = gameOfRecord(gameRecord, White, PdnHeader{});
    ASSERT_TRUE(game.has_value());
    EXPECT_EQ(game->tag("Result"), "1-0");
    EXPECT_EQ(game->termination, "1-0");
    EXPECT_EQ(game->tag("FEN"), "W:WKb2:Bc3");

    // Black blocks the last white man: White has no move, Black won.
    startFromFen("B:Wa1:Bb2,d4");
    play("d4-c3");
    game = gameOfRecord(gameRecord, Black, PdnHeader{});
    ASSERT_TRUE(game.has_value());
    EXPECT_EQ(game->termination, "0-1");
    EXPECT_EQ(game->tag("FEN"), "B:Wa1:Bb2,d4");

    // An agreed result only counts while the last position still has moves.
    PdnHeader agreed;
    agreed.result = "1/2-1/2";
    EXPECT_EQ(gameOfRecord(gameRecord, Black, agreed)->termination, "0-1");
    startFrom(initialPositionText);
    play("c3-d4");
    EXPECT_EQ(gameOfRecord(gameRecord, White, agreed)->termination, "1/2-1/2");

    // Saving: a finished draw is written as such, a game going on as "*".
    gameControl.gameOver = true;
    ASSERT_TRUE(SaveGameFiles(path("draw"), SaveType::Pdn));
    EXPECT_NE(readFile(path("draw.pdn")).find("[Result \"1/2-1/2\"]"), std::string::npos);
    gameControl.gameOver = false;
    ASSERT_TRUE(SaveGameFiles(path("open"), SaveType::Pdn));
    const std::string open = readFile(path("open.pdn"));
    EXPECT_NE(open.find("[Result \"*\"]"), std::string::npos);
    // The date tag as YYYY.MM.DD.
    const std::size_t date = open.find("[Date \"");
    ASSERT_NE(date, std::string::npos);
    const std::string value = open.substr(date + 7, 12);
    for (int k : {0, 1, 2, 3, 5, 6, 8, 9}) EXPECT_TRUE(value[k] >= '0' && value[k] <= '9') << value;
    EXPECT_EQ(value[4], '.');
    EXPECT_EQ(value[7], '.');
    EXPECT_EQ(value.substr(10), "\"]");
    EXPECT_EQ(open.find("FEN"), std::string::npos);

    // The third time the same position comes up the game is drawn.
    startFromFen("W:WKc1:BKh8");
    playAll({"c1-d2", "h8-g7", "d2-c1", "g7-h8", "c1-d2", "h8-g7", "d2-c1"});
    ASSERT_FALSE(IsThreefoldRepetition());
    ASSERT_TRUE(SaveGameFiles(path("going"), SaveType::Pdn));
    EXPECT_NE(readFile(path("going.pdn")).find("[Result \"*\"]"), std::string::npos);
    play("g7-h8");
    ASSERT_TRUE(IsThreefoldRepetition());
    ASSERT_TRUE(SaveGameFiles(path("repeated"), SaveType::Pdn));
    EXPECT_NE(readFile(path("repeated.pdn")).find("[Result \"1/2-1/2\"]"), std::string::npos);
}

TEST_F(PdnTest, SavedGameReadsBackHalfMoveByHalfMove)
{
    playAll({"c3-d4", "f6-g5", "b2-c3", "g5-h4", "c3-b4", "d6-c5", "b4:d6", "e7:c5", "d4-e5", "c5-b4", "a3:c5",
             "b6:f6"});
    const std::vector<std::string> expected = recordEntries(gameRecord);
    const std::string finalPosition = positionToText(sideToMove);
    for (int i = 0; i < 5; ++i) StepBack(); // the whole game is saved, not only up to the board
    saveAndReload("game");

    EXPECT_EQ(recordEntries(gameRecord), expected);
    EXPECT_EQ(gameRecord.plyNumber, gameRecord.redoLimit);
    EXPECT_EQ(gameRecord.redoLimit, 13);
    EXPECT_EQ(positionToText(sideToMove), finalPosition);
    EXPECT_EQ(gameControl.mode, HumanHuman);
    EXPECT_EQ(ui.modeItems.back(), HumanHuman);
    EXPECT_TRUE(stopRequested);
    EXPECT_TRUE(gameControl.abortRequested);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[gameRecord.redoLimit]));
    EXPECT_EQ(gameControl.entrySnapshot.whiteMen, whiteMen);
    EXPECT_EQ(notationView.lines, buildNotation(gameRecord).lines);
    EXPECT_EQ(notationView.lines.size(), 6u);
    EXPECT_GT(ui.redraws, 0);
    EXPECT_TRUE(ui.gameChoices.empty()); // one game: no question
    // Back to the start, half-move by half-move.
    for (int n = gameRecord.redoLimit - 1; n >= 1; --n) {
        ASSERT_TRUE(StepBack());
        EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[n]));
    }
    EXPECT_EQ(positionToText(sideToMove), initialPositionText);
}

TEST_F(PdnTest, SetUpPositionWithBlackToMoveCarriesItsFen)
{
    // The initial placement, but Black begins: only the FEN tag can say so.
    startFrom("wwwwwwwwwwww00000000bbbbbbbbbbbb b");
    playAll({"f6-g5", "c3-d4", "g5-h4"});
    const auto game = gameOfRecord(gameRecord, Black, PdnHeader{});
    ASSERT_TRUE(game.has_value());
    const std::string text = writePdn(*game);
    EXPECT_NE(text.find("[GameType \"25\"]\n[SetUp \"1\"]\n[FEN \"B:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8\"]\n"),
              std::string::npos);
    EXPECT_NE(text.find("\n1... f6-g5 2. c3-d4 g5-h4 *\n"), std::string::npos);

    startFromFen("B:WKa1,e3,g3:Bb8,h6,Kd8");
    playAll({"h6-g5", "a1-d4", "g5-f4", "e3:g5"});
    const std::vector<std::string> expected = recordEntries(gameRecord);
    const std::string finalPosition = positionToText(sideToMove);
    saveAndReload("black");
    EXPECT_EQ(recordEntries(gameRecord), expected);
    EXPECT_EQ(positionToText(sideToMove), finalPosition);
    EXPECT_EQ(sideToMove, Black);
    EXPECT_NE(readFile(path("black.pdn")).find("[FEN \"B:WKa1,e3,g3:Bh6,b8,Kd8\"]"), std::string::npos);
    EXPECT_NE(readFile(path("black.pdn")).find("1... h6-g5 2. a1-d4 g5-f4 3. e3xg5 *"), std::string::npos);
    ASSERT_EQ(notationView.lines.size(), 3u);
    EXPECT_EQ(notationView.lines[0], " 1.  ...  h6-g5");
}

TEST_F(PdnTest, CapturesSharingTheirSquaresAreWrittenWithEveryLandingSquare)
{
    // The white man f6 takes g7 and crowns on h8, or takes e7, crowns on d8 and goes
    // on over c7, b4 and g7 to h8 as well.
    const std::string manFen = "W:Wf6:Bb4,c7,e7,g7";
    // The king d8 reaches b4 over f6, f4, c3 or over f6, g3, c3.
    const std::string kingFen = "W:WKd8:Bc3,g3,f4,f6";
    for (const std::string& fen : {manFen, kingFen}) {
        startFromFen(fen);
        const int count = generateLegalMoves(White, 0);
        int sharing = 0;
        for (int k = 1; k <= count; ++k)
            for (int j = 1; j <= count; ++j)
                if (moveText(moveLists[0].moves[k]) == moveText(moveLists[0].moves[j]) &&
                    moveLists[0].captured[k] != moveLists[0].captured[j])
                    ++sharing;
        ASSERT_GT(sharing, 0) << fen; // the position is what the test needs
    }

    auto writtenAfter = [&](const std::string& fen, SquareSet captured) {
        startFromFen(fen);
        const int count = generateLegalMoves(White, 0);
        for (int k = 1; k <= count; ++k)
            if (moveLists[0].captured[k] == captured) {
                const MoveCode m = moveLists[0].moves[k];
                makeMove(m, captured, White, 0);
                sideToMove = Black;
                AppendMove(moveText(m));
                break;
            }
        EXPECT_EQ(gameRecord.redoLimit, 2);
        const auto game = gameOfRecord(gameRecord, White, PdnHeader{});
        EXPECT_TRUE(game.has_value());
        const std::string text = game ? writePdn(*game) : std::string();
        const std::vector<PdnGame> back = readPdn(text);
        EXPECT_EQ(back.size(), 1u);
        if (back.size() == 1) {
            EXPECT_EQ(back[0].error, "");
            EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[2]));
            EXPECT_EQ(back[0].positions, std::vector<BoardPosition>{currentBoardPosition()});
        }
        return text.substr(text.find("\n\n") + 2);
    };
    EXPECT_EQ(writtenAfter(manFen, at({"g7"})), "1. f6xh8 *\n");
    EXPECT_EQ(writtenAfter(manFen, at({"b4", "c7", "e7", "g7"})), "1. f6xd8xa5xc3xh8 1-0\n");
    EXPECT_EQ(writtenAfter(kingFen, at({"c3", "f4", "f6"})), "1. d8xg5xd2xb4 *\n");
    EXPECT_EQ(writtenAfter(kingFen, at({"c3", "g3", "f6"})), "1. d8xh4xe1xb4 *\n");

    // Read: the landing squares tell them apart, "x" or ":" alike; the two ends alone
    // do not, unless they are the whole path of the single capture.
    auto read = [](const std::string& fen, const std::string& move) {
        return readPdn("[FEN \"" + fen + "\"]\n1. " + move + " *\n").front();
    };
    const PdnGame longWay = read(kingFen, "d8xh4xe1xb4");
    ASSERT_EQ(longWay.error, "");
    EXPECT_EQ(longWay.positions[0].blackMen, at({"f4"}));
    EXPECT_EQ(longWay.moves[0], "d8:b4");
    EXPECT_EQ(read(kingFen, "D8:G5:D2:B4").positions.at(0).blackMen, at({"g3"}));
    EXPECT_EQ(read(kingFen, "d8:b4").error, "Партия 1, ход 1: неоднозначный ход \"d8:b4\"");
    EXPECT_EQ(read(kingFen, "d8:g5:c1:b4").error, "Партия 1, ход 1: недопустимый ход \"d8:g5:c1:b4\"");
    EXPECT_EQ(read(kingFen, "d8:h4:b4").error, "Партия 1, ход 1: недопустимый ход \"d8:h4:b4\"");
    EXPECT_EQ(read(manFen, "f6xh8").positions.at(0).blackMen, at({"b4", "c7", "e7"}));
    EXPECT_EQ(read(manFen, "f6xh8").positions.at(0).whiteKings, at({"h8"}));
    EXPECT_EQ(read(manFen, "f6:d8:b6:c3:h8").error, "Партия 1, ход 1: недопустимый ход \"f6:d8:b6:c3:h8\"");
}

TEST_F(PdnTest, PathsTakingTheSamePiecesAreOneMove)
{
    // c3 goes round over d4, d6, b6 and b4 either way and ends where it began.
    const std::string fen = "W:Wc3:Bb4,d4,b6,d6,h8";
    startFromFen(fen);
    play("c3:c3");
    const auto game = gameOfRecord(gameRecord, White, PdnHeader{});
    ASSERT_TRUE(game.has_value());
    const std::string text = writePdn(*game);
    EXPECT_NE(text.find("\n1. c3xc3 *\n"), std::string::npos);
    for (const std::string move : {"c3:c3", "c3:e5:c7:a5:c3", "c3:a5:c7:e5:c3"}) {
        const PdnGame back = readPdn("[FEN \"" + fen + "\"]\n1. " + move + " *").front();
        ASSERT_EQ(back.error, "") << move;
        EXPECT_EQ(back.positions[0].blackMen, at({"h8"})) << move;
        EXPECT_EQ(back.positions[0].whiteMen, at({"c3"})) << move;
    }
}

// Four games in the styles of players' files: a byte-order mark and CR LF, comments,
// variations within variations, glyphs and marks, "x" captures, a capture by its two
// ends, a Black-first game, Russian results and a game without tags.
const char* const playersFile =
    "\xEF\xBB\xBF[Event \"Чемпионат\"]\r\n[White \"Иванов\"]\r\n[Black \"Петров\"]\r\n[Result \"2-0\"]\r\n"
    "[GameType \"25\"]\r\n\r\n"
    "1. c3-d4 {дебют (городская)} f6-g5 2. b2-c3 (2. d4-c5 d6xb4 (2... b6xd4) 3. a3xc5) g5-h4 $3\r\n"
    "3. c3-b4?! d6-c5 4. b4xd6 e7xc5 0-1\r\n\r\n"
    "[White \"A\"][Black \"B\"]\r\n[FEN \"W:Wc3,h2:Bd4,f6,a7\"]\r\n"
    "1.c3xg7 a7-b6; мат в два хода\r\n2. g7-f8 b6-c5 3. f8:b4 2-0\r\n"
    "[FEN \"B:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8\"]\r\n"
    "1... f6-g5 2.c3-d4 1...g5-h4 1-1\r\n"
    "1. e3-f4 ... d6-e5 2. f4xd6 c7xe5 1/2-1/2\r\n";

TEST_F(PdnTest, PlayersFilesReadWithTheirHabits)
{
    const std::vector<PdnGame> games = readPdn(playersFile);
    ASSERT_EQ(games.size(), 4u);
    for (const PdnGame& g : games) EXPECT_EQ(g.error, "");

    struct Expected {
        const char* start;
        std::vector<const char*> moves;
        const char* termination;
    };
    const Expected expected[] = {
        {initialPositionText, {"c3-d4", "f6-g5", "b2-c3", "g5-h4", "c3-b4", "d6-c5", "b4:d6", "e7:c5"}, "0-1"},
        {nullptr, {}, "2-0"}, // compared below
        {"wwwwwwwwwwww00000000bbbbbbbbbbbb b", {"f6-g5", "c3-d4", "g5-h4"}, "1-1"},
        {initialPositionText, {"e3-f4", "d6-e5", "f4:d6", "c7:e5"}, "1/2-1/2"},
    };
    for (int i : {0, 2, 3}) {
        startFrom(expected[i].start);
        for (const char* m : expected[i].moves) play(m);
        const PdnGame& g = games[static_cast<std::size_t>(i)];
        EXPECT_EQ(g.moves, std::vector<std::string>(expected[i].moves.begin(), expected[i].moves.end())) << i;
        EXPECT_EQ(recordEntries(recordOfGame(g)), recordEntries(gameRecord)) << i;
        EXPECT_EQ(g.termination, expected[i].termination) << i;
    }
    EXPECT_EQ(games[0].tag("White"), "Иванов");
    EXPECT_EQ(games[0].result(), "2-0"); // the tag wins over the closing result
    EXPECT_EQ(games[1].moves, (std::vector<std::string>{"c3:g7", "a7-b6", "g7-f8", "b6-c5", "f8:b4"}));
    EXPECT_EQ(games[1].positions.back().whiteKings, at({"b4"}));
    EXPECT_EQ(games[1].positions.back().blackMen | games[1].positions.back().blackKings, 0u);
    EXPECT_EQ(games[2].start.side, Black);
    EXPECT_EQ(games[3].tags.size(), 0u);

    // Quotes inside a value that some programs leave unescaped, and escaped ones.
    const std::vector<PdnGame> quoted = readPdn("[Event \"Кубок \"Весна\" 2024\"] [Site \"C:\\\\x \\\"y\\\"\"]\n*");
    ASSERT_EQ(quoted.size(), 1u);
    EXPECT_EQ(quoted[0].error, "");
    EXPECT_EQ(quoted[0].tag("Event"), "Кубок \"Весна\" 2024");
    EXPECT_EQ(quoted[0].tag("Site"), "C:\\x \"y\"");

    writeFile(path("players.pdn"), playersFile);
    ui.gameAnswer = 1;
    ASSERT_TRUE(LoadGameFiles(path("players.pdn")));
    ASSERT_EQ(ui.gameChoices.size(), 1u);
    EXPECT_EQ(ui.gameChoices[0],
              (std::vector<std::string>{"1. Иванов – Петров, 2-0: c3-d4 f6-g5 b2-c3 g5-h4 c3-b4 d6-c5 …",
                                        "2. A – B, 2-0: c3:g7 a7-b6 g7-f8 b6-c5 f8:b4", "3. ? – ?, 1-1: f6-g5 c3-d4 g5-h4",
                                        "4. ? – ?, 1/2-1/2: e3-f4 d6-e5 f4:d6 c7:e5"}));
    EXPECT_EQ(gameRecord.redoLimit, 6);
    EXPECT_EQ(gameRecord.plyNumber, 6);
    std::string final(32, '0');
    final[squareFromName("h2")] = 'w';
    final[squareFromName("b4")] = 'W';
    EXPECT_EQ(positionToText(sideToMove), final + " b");
    EXPECT_EQ(entryMoveText(gameRecord.entries[2]), "c3:g7");
    EXPECT_EQ(gameControl.mode, HumanHuman);
}

TEST_F(PdnTest, ChoosingNoGameChangesNothingAndACaseOfExtensionIsPdn)
{
    writeFile(path("two.Pdn"), "1. c3-d4 *\n1. a3-b4 *\n");
    playAll({"g3-h4", "f6-g5"});
    gameControl.mode = EngineBlack;
    stopRequested = false;
    const auto before = snapshot();
    ui.gameAnswer = -1;
    EXPECT_FALSE(LoadGameFiles(path("two.Pdn")));
    ASSERT_EQ(ui.gameChoices.size(), 1u);
    EXPECT_EQ(ui.gameChoices[0], (std::vector<std::string>{"1. ? – ?, *: c3-d4", "2. ? – ?, *: a3-b4"}));
    expectUnchanged(before, "cancelled");
    ui.gameAnswer = 2; // no such game
    EXPECT_FALSE(LoadGameFiles(path("two.Pdn")));
    expectUnchanged(before, "out of range");
    EXPECT_TRUE(ui.messages.empty());

    EXPECT_TRUE(isPdnFileName("partie.PDN"));
    EXPECT_TRUE(isPdnFileName("spiel.gam.pdn"));
    EXPECT_FALSE(isPdnFileName("partie.pdn.bak"));
    EXPECT_EQ(completeFileName("partie", SaveType::Pdn), "partie.pdn");
    EXPECT_EQ(completeFileName("partie.pdn", SaveType::Pdn), "partie.pdn");
    EXPECT_EQ(completeFileName("partie.PDN", SaveType::Pdn), "partie.PDN.pdn");

    // The overwrite question, and No keeps the file.
    writeFile(path("kept.pdn"), "old");
    ui.yesNoAnswers = {false};
    EXPECT_FALSE(SaveGameFiles(path("kept"), SaveType::Pdn));
    EXPECT_EQ(readFile(path("kept.pdn")), "old");
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], overwriteQuestion);
    ui.yesNoAnswers = {true};
    EXPECT_TRUE(SaveGameFiles(path("kept"), SaveType::Pdn));
    EXPECT_NE(readFile(path("kept.pdn")).find("1. g3-h4 f6-g5 *"), std::string::npos);
}

TEST_F(PdnTest, BadFilesAreRefusedWholeWithTheirReason)
{
    std::string shuttle; // 600 half-moves of two kings going to and fro
    for (int i = 0; i < 150; ++i) shuttle += "c1-d2 h8-g7 d2-c1 g7-h8 ";
    const std::pair<std::string, std::string> cases[] = {
        {"1. c3-d4 f6-g5 2. c3-b4 *", "Партия 1, ход 2: недопустимый ход \"c3-b4\""},
        {"1. c3-d4 a7-b6 *", "Партия 1, ход 1...: недопустимый ход \"a7-b6\""},
        {"1. c3-d4 f6-g5 2. d4-e5 d6xf4 3. e5xg7 *", "Партия 1, ход 3: недопустимый ход \"e5xg7\""},
        {"[FEN \"W:WKd8:Bc3,g3,f4,f6\"]\n1. d8xb4 *", "Партия 1, ход 1: неоднозначный ход \"d8xb4\""},
        {"1. c3-d9 *", "Партия 1, ход 1: непонятная запись хода \"c3-d9\""},
        {"1. c3-d4 f6-g5 2. b2b3 *", "Партия 1, ход 2: непонятная запись хода \"b2b3\""},
        {"[FEN \"B:Wa1,z9:Bh8\"]\n21... h8-g7 *", "Партия 1: Неправильное поле \"z9\" в строке FEN"},
        {"1. c3-d4 {забыли закрыть", "Партия 1: не закрыт комментарий \"{\""},
        {"1. c3-d4 (1. a3-b4 {ход)} *", "Партия 1: не закрыт вариант \"(\""},
        {"1. c3-d4 ) f6-g5 *", "Партия 1: лишняя закрывающая скобка \")\""},
        {"[White Иванов]\n1. c3-d4 *", "Партия 1: неправильный тег"},
        {"[GameType \"20\"]\n1. 32-28 *", "Партия 1: игра не русские шашки (GameType \"20\")"},
        {"[FEN \"W:WKc1:BKh8\"]\n" + shuttle, "Партия 1: партия длиннее 599 полуходов"},
        {"1. c3-d4 *\n\n[Event \"2\"]\n1. c3-d4 f6-g5 2. d4-c5 b6-a5 *", "Партия 2, ход 2...: недопустимый ход \"b6-a5\""},
        {"", "В файле нет ни одной партии"},
        {"\xEF\xBB\xBF {только комментарий}\r\n", "В файле нет ни одной партии"},
    };
    playAll({"g3-h4", "f6-g5", "h4:f6"});
    gameControl.mode = EngineBlack;
    stopRequested = false;
    gameControl.abortRequested = false;
    const auto before = snapshot();
    int n = 0;
    for (const auto& [text, message] : cases) {
        const std::string name = path("bad" + std::to_string(n++) + ".pdn");
        writeFile(name, text);
        ui.messages.clear();
        EXPECT_FALSE(LoadGameFiles(name)) << message;
        ASSERT_EQ(ui.messages.size(), 1u) << message;
        EXPECT_EQ(ui.messages[0], message);
        expectUnchanged(before, message);
    }
    EXPECT_TRUE(ui.gameChoices.empty()); // a file with a bad game is refused before any choice

    // 599 half-moves are exactly what the record holds.
    shuttle.erase(shuttle.size() - std::string("g7-h8 ").size());
    writeFile(path("longest.pdn"), "[FEN \"W:WKc1:BKh8\"]\n" + shuttle + "*");
    ui.messages.clear();
    ASSERT_TRUE(LoadGameFiles(path("longest.pdn"))) << (ui.messages.empty() ? "" : ui.messages[0]);
    EXPECT_EQ(gameRecord.redoLimit, recordCapacity);
    std::string shuttled(32, '0');
    shuttled[squareFromName("c1")] = 'W';
    shuttled[squareFromName("g7")] = 'B';
    EXPECT_EQ(positionToText(sideToMove), shuttled + " b");
}

TEST_F(PdnTest, OneGameIsReadWithoutTheOthers)
{
    // The second game holds an illegal move, and what follows the third is no PDN.
    const std::string text = std::string(playersFile) + "\n1. c3-d4 f6-e5 2. d4-c5 *\n\n1. a3-b4 *\n\n";
    const std::vector<PdnGame> all = readPdn(text);
    ASSERT_GE(all.size(), 3u);
    std::size_t count = 0;
    for (std::size_t n = 1; n <= all.size(); ++n) {
        const auto game = readPdnGame(text, n, &count);
        ASSERT_TRUE(game) << n;
        EXPECT_EQ(count, n) << "nothing after game " << n << " is read";
        EXPECT_EQ(std::tie(game->moves, game->error), std::tie(all[n - 1].moves, all[n - 1].error)) << n;
        EXPECT_EQ(game->tag("White"), all[n - 1].tag("White")) << n;
    }
    EXPECT_FALSE(readPdnGame(text, all.size() + 1, &count));
    EXPECT_EQ(count, all.size());
    EXPECT_TRUE(readPdnGame(text + "1. c3-d4 } *", 1)->error.empty()); // a fault further on is not reached
}

TEST(PdnExcerpt, MessagesQuoteShortPrintableExcerpts)
{
    const std::pair<std::string, std::string> cases[] = {
        {"c3-d4", "\"c3-d4\""},
        {"c3\x01" "d4\x7F", "\"c3\\x01d4\\x7F\""},
        {"\xD0\xA5\xD0\xBE\xD0\xB4", "\"\xD0\xA5\xD0\xBE\xD0\xB4\""},    // "Ход" stays as it is
        {"\xD0", "\"\\xD0\""},                                         // a lead byte alone
        {"\xC0\xAF", "\"\\xC0\\xAF\""},                               // an overlong "/"
        {"\xED\xA0\x80", "\"\\xED\\xA0\\x80\""},                     // a surrogate
        {"\xC2\x85", "\"\\xC2\\x85\""},                               // a C1 control
        {"\xF0\x9F\x98\x80" "!", "\"\xF0\x9F\x98\x80" "!\""},
        {std::string(30, 'a'), "\"" + std::string(24, 'a') + "\xE2\x80\xA6\""},
        {std::string(24, '\x1B'), "\"" + [] { std::string e; for (int i = 0; i < 24; ++i) e += "\\x1B"; return e; }() + "\""},
    };
    for (const auto& [text, quoted] : cases) EXPECT_EQ(quotedExcerpt(text), quoted);
}

// Whether a message is short, valid UTF-8 and free of control characters.
bool cleanMessage(const std::string& text)
{
    if (text.size() > 200) return false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || i + n > text.size() || (n == 1 && (c < 0x20 || c == 0x7F))) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

TEST_F(PdnTest, AFileOfRandomBytesIsRefusedWithAReadableMessage)
{
    std::mt19937 random(2024);
    std::string noise, bytes;
    for (int i = 0; i < 300; ++i) {
        const char c = static_cast<char>(random() % 256);
        if (std::string_view(" \t\n\r\f\v[]{}();$").find(c) == std::string_view::npos) noise += c;
    }
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(random() % 256);
    const std::string files[] = {"1. c3-d4 " + noise + " *", "[GameType \"" + noise.substr(0, 40) + "\"]\n1. c3-d4 *",
                                 "[FEN \"W:" + noise.substr(0, 40) + "\"]\n*", "1. c3-d4 d6-c5 2. " + noise + " *", bytes};
    for (const std::string& text : files) {
        writeFile(path("noise.pdn"), text);
        ui.messages.clear();
        EXPECT_FALSE(LoadGameFiles(path("noise.pdn")));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(cleanMessage(ui.messages[0])) << ui.messages[0];
    }
}

TEST_F(PdnTest, CopiedAndPastedFen)
{
    playAll({"c3-d4", "f6-g5"});
    EXPECT_EQ(CopyPositionFen(), "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,e3,g3,d4:Bg5,b6,d6,h6,a7,c7,e7,g7,b8,d8,f8,h8");
    // While the engine thinks the board holds a position of its search.
    gameControl.thinking = true;
    gameControl.entrySnapshot = boardPieceSets();
    play("g3-h4");
    sideToMove = White;
    EXPECT_EQ(CopyPositionFen(), "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,e3,g3,d4:Bg5,b6,d6,h6,a7,c7,e7,g7,b8,d8,f8,h8");
    gameControl.thinking = false;

    gameControl.mode = EngineWhite;
    gameControl.gameOver = true;
    stopRequested = false;
    const auto before = snapshot();
    for (const std::string& bad : {std::string("W:Wa1,a1:Bh8"), std::string("X:Wa1:Bh8"), std::string("W:Wa1")}) {
        ui.messages.clear();
        std::string error;
        ASSERT_FALSE(parseFen(bad, &error).has_value());
        EXPECT_FALSE(PastePositionFen(bad));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], error);
        expectUnchanged(before, bad);
    }

    ui.messages.clear();
    ASSERT_TRUE(PastePositionFen("B:WKa1,c3:Bh8,f6"));
    EXPECT_TRUE(ui.messages.empty());
    std::string pasted(32, '0');
    pasted[squareFromName("a1")] = 'W';
    pasted[squareFromName("c3")] = 'w';
    pasted[squareFromName("f6")] = 'b';
    pasted[squareFromName("h8")] = 'b';
    EXPECT_EQ(positionToText(sideToMove), pasted + " b");
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(gameRecord.redoLimit, 1);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[1]));
    EXPECT_EQ(gameControl.mode, HumanHuman);
    EXPECT_TRUE(stopRequested);
    EXPECT_TRUE(gameControl.abortRequested);
    EXPECT_EQ(gameControl.entrySnapshot.whiteKings, at({"a1"}));
    EXPECT_TRUE(gameControl.gameOver); // as a position file leaves it
    EXPECT_EQ(CopyPositionFen(), "B:WKa1,c3:Bf6,h8");
}

TEST_F(PdnTest, ReadingInsideASearchLeavesTheEngineAsItWas)
{
    playAll({"c3-d4", "f6-g5"});
    const std::string position = positionToText(sideToMove);
    generateLegalMoves(sideToMove, 0);
    const MoveList list = moveLists[0];
    plyState[1].positionKey = 12345;
    plyState[1].materialBalance = -7;
    const std::vector<PdnGame> games = readPdn(playersFile);
    ASSERT_EQ(games.size(), 4u);
    const auto game = gameOfRecord(gameRecord, White, PdnHeader{});
    ASSERT_TRUE(game.has_value());
    writePdn(*game);
    EXPECT_EQ(positionToText(sideToMove), position);
    EXPECT_EQ(moveLists[0].count, list.count);
    for (int k = 1; k <= list.count; ++k) EXPECT_EQ(moveLists[0].moves[k], list.moves[k]);
    EXPECT_EQ(plyState[1].positionKey, 12345u);
    EXPECT_EQ(plyState[1].materialBalance, -7);
}

TEST_F(PdnTest, EngineGameSavedAsPdnReadsBackIdentically)
{
    installGameHooks();
    engineTurnHook = EngineTurn;
    bookEnabled = false; // a searched game, whatever library an earlier test loaded
    timeBudget = 1;
    maxIterationDepth = 7;
    seedRandom(11);
    StartNewGame();
    SetMode(EngineBoth);
    timeBudget = 200;
    maxIterationDepth = lastIterationDepth;
    engineTurnHook = nullptr;
    bookEnabled = true;
    ASSERT_GT(gameRecord.redoLimit, 20);
    ASSERT_FALSE(gameControl.thinking);

    const std::vector<std::string> expected = recordEntries(gameRecord);
    const int last = gameRecord.redoLimit;
    const bool lost = !sideHasMove(sideToMove);
    ASSERT_TRUE(SaveGameFiles(path("selfplay"), SaveType::Pdn));
    const std::string text = readFile(path("selfplay.pdn"));
    EXPECT_EQ(strictPdnFault(text), "");
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        const std::size_t end = text.find('\n', lineStart);
        EXPECT_LE(end - lineStart, 79u);
        lineStart = end + 1;
    }
    if (lost) {
        EXPECT_NE(text.find(sideToMove == White ? "[Result \"0-1\"]" : "[Result \"1-0\"]"), std::string::npos);
    }

    const std::vector<PdnGame> games = readPdn(text);
    ASSERT_EQ(games.size(), 1u);
    ASSERT_EQ(games[0].error, "");
    ASSERT_EQ(static_cast<int>(games[0].positions.size()), last - 1);
    for (int n = 2; n <= last; ++n) {
        const RecordEntry& e = gameRecord.entries[n];
        const BoardPosition& p = games[0].positions[static_cast<std::size_t>(n - 2)];
        EXPECT_EQ(entryText(e), entryText(recordOfGame(games[0]).entries[n])) << n;
        EXPECT_EQ(p.side, n % 2 == 0 ? Black : White) << n;
        const auto back = parseFen(positionToFen(p));
        ASSERT_TRUE(back.has_value()) << n;
        EXPECT_EQ(*back, p) << n;
    }

    startFrom(initialPositionText);
    gameControl.mode = EngineBlack;
    ASSERT_TRUE(LoadGameFiles(path("selfplay.pdn")));
    EXPECT_EQ(recordEntries(gameRecord), expected);
    EXPECT_EQ(gameRecord.plyNumber, last);
}

} // namespace
