#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "game/filecommands.h"
#include "game/fen.h"
#include "game/notation.h"
#include "tests/game/game_support.h"

namespace {

// What each fsync of the code under test was given: a folder or a file, which one,
// and what the file being saved held under its name at that moment.
struct SyncSeen {
    bool folder;
    ino_t inode;
    off_t size;
    std::string targetAtSync;
};
std::vector<SyncSeen>* syncsSeen = nullptr;
std::string syncTarget;

} // namespace

// Stands in for the C library's fsync in this test program: notes the call, then syncs.
extern "C" int fsync(int fd)
{
    if (syncsSeen) {
        struct stat st {};
        ::fstat(fd, &st);
        syncsSeen->push_back({S_ISDIR(st.st_mode), st.st_ino, st.st_size, game_testing::readFile(syncTarget)});
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

using game_testing::GameTest;
namespace fs = std::filesystem;

using game_testing::readFile;
using game_testing::writeFile;

void poke(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

SquareSet bit(int square) { return 1u << square; }

class GameFilesTest : public GameTest {
protected:
    fs::path dir;
    void SetUp() override
    {
        GameTest::SetUp();
        dir = game_testing::uniqueTempDir("files");
        notationView = NotationView{};
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
        GameTest::TearDown();
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    // Everything a refused load must leave alone.
    struct Snapshot {
        std::string record;
        std::string position;
        GameMode mode;
        bool stop;
        bool abort;
        std::vector<std::string> lines;
    };
    static Snapshot snapshot()
    {
        return {encodeGameRecord(gameRecord), positionToText(sideToMove), gameControl.mode, stopRequested,
                gameControl.abortRequested, notationView.lines};
    }
    static void expectUnchanged(const Snapshot& s)
    {
        EXPECT_TRUE(encodeGameRecord(gameRecord) == s.record);
        EXPECT_EQ(positionToText(sideToMove), s.position);
        EXPECT_EQ(gameControl.mode, s.mode);
        EXPECT_EQ(stopRequested, s.stop);
        EXPECT_EQ(gameControl.abortRequested, s.abort);
        EXPECT_EQ(notationView.lines, s.lines);
    }
};

TEST_F(GameFilesTest, GameFileMatchesTheRecordLayoutByteForByte)
{
    playAll({"c3-d4", "f6-g5", "d4-c5"});
    ASSERT_TRUE(SaveGameFiles(path("partie"), SaveType::Game));
    const std::string written = readFile(path("partie.gam"));

    std::string expected(14412, '\0');
    poke(expected, 0, 4); // plyNumber
    poke(expected, 4, 1); // Black was to move
    poke(expected, 8, 4); // redoLimit
    const SquareSet startWhite = 0x00000FFF, startBlack = 0xFFF00000;
    const SquareSet white[] = {startWhite, (startWhite & ~bit(9)) | bit(13), (startWhite & ~bit(9)) | bit(13),
                               (startWhite & ~bit(9)) | bit(17)};
    const SquareSet black[] = {startBlack, startBlack, (startBlack & ~bit(22)) | bit(19),
                               (startBlack & ~bit(22)) | bit(19)};
    const char* texts[] = {"", "c3-d4", "f6-g5", "d4-c5"};
    for (int n = 1; n <= 4; ++n) {
        const std::size_t at = 12 + 24 * (n - 1);
        poke(expected, at + 4, white[n - 1]); // kings first, then men
        poke(expected, at + 12, black[n - 1]);
        expected[at + 16] = static_cast<char>(std::string(texts[n - 1]).size());
        std::string(texts[n - 1]).copy(&expected[at + 17], 5);
    }
    EXPECT_EQ(written.size(), 14412u);
    EXPECT_TRUE(written == expected);
    for (std::size_t i = 0; i < std::min(written.size(), expected.size()); ++i)
        if (written[i] != expected[i]) {
            ADD_FAILURE() << "first difference at byte " << i;
            break;
        }
    EXPECT_FALSE(fs::exists(path("partie.gam.part")));
}

TEST_F(GameFilesTest, ALoadedGameContinuesWhereItWasSavedWithItsReplayableTail)
{
    std::vector<std::string> positions;
    positions.push_back(positionToText(sideToMove));
    for (int i = 0; i < 10; ++i) {
        ASSERT_GT(generateLegalMoves(sideToMove, 0), 0);
        play(moveText(moveLists[0].moves[1]));
        positions.push_back(positionToText(sideToMove));
    }
    ASSERT_EQ(gameRecord.redoLimit, 11);
    for (int i = 0; i < 4; ++i) StepBack();
    ASSERT_EQ(gameRecord.plyNumber, 7);
    ASSERT_TRUE(SaveGameFiles(path("seven.gam"), SaveType::Game));

    startFrom(initialPositionText);
    play("a3-b4");
    gameControl.mode = EngineWhite;
    gameControl.gameOver = true;
    stopRequested = false;
    ASSERT_TRUE(LoadGameFiles(path("seven.gam")));
    EXPECT_EQ(gameControl.mode, HumanHuman);
    EXPECT_TRUE(stopRequested);
    EXPECT_TRUE(gameControl.abortRequested);
    EXPECT_FALSE(gameControl.gameOver);
    EXPECT_EQ(gameRecord.plyNumber, 7);
    EXPECT_EQ(gameRecord.redoLimit, 11);
    EXPECT_EQ(positionToText(sideToMove), positions[6]);
    EXPECT_EQ(gameControl.entrySnapshot.blackMen, blackMen);
    for (int n = 8; n <= 11; ++n) {
        ASSERT_TRUE(StepForward());
        EXPECT_EQ(positionToText(sideToMove), positions[n - 1]) << "entry " << n;
    }
    EXPECT_FALSE(StepForward());
    EXPECT_EQ(notationView.lines.size(), 5u);
}

TEST_F(GameFilesTest, AGameSavedAtTheStartLoadsAtTheStart)
{
    ASSERT_TRUE(SaveGameFiles(path("fresh"), SaveType::Game));
    playAll({"c3-d4", "f6-g5"});
    ASSERT_TRUE(LoadGameFiles(path("fresh.gam")));
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(gameRecord.redoLimit, 1);
    EXPECT_EQ(positionToText(sideToMove), initialPositionText);
    EXPECT_FALSE(StepBack());
}

TEST_F(GameFilesTest, PositionFileWithBlackToMove)
{
    std::string text(32, '0');
    text[4] = 'W';  // b2
    text[13] = 'w'; // d4
    text[22] = 'b'; // f6
    text[31] = 'B'; // h8
    startFrom(text + " b");
    ASSERT_TRUE(SaveGameFiles(path("black"), SaveType::Position));
    std::string expected(20, '\0');
    poke(expected, 0, bit(13));
    poke(expected, 4, bit(22));
    poke(expected, 8, bit(4));
    poke(expected, 12, bit(31));
    poke(expected, 16, 1);
    EXPECT_EQ(readFile(path("black.poz")), expected);

    startFrom(initialPositionText);
    playAll({"c3-d4", "f6-g5"});
    const auto before = notationView.lines;
    gameControl.gameOver = true;
    ASSERT_TRUE(LoadGameFiles(path("black.poz")));
    EXPECT_EQ(positionToText(sideToMove), text + " b");
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(gameRecord.redoLimit, 1);
    EXPECT_TRUE(gameControl.gameOver); // a position load leaves it
    EXPECT_EQ(gameControl.entrySnapshot.whiteKings, bit(4));
    EXPECT_FALSE(before.empty());
    EXPECT_TRUE(notationView.lines.empty()); // nothing of the game before the load
    play("f6-g5");
    ASSERT_EQ(notationView.lines.size(), 1u);
    EXPECT_EQ(notationView.lines[0], " 1.  ...  f6-g5");
}

TEST_F(GameFilesTest, SavingWhileThinkingWritesTheGamePosition)
{
    gameControl.thinking = true;
    gameControl.entrySnapshot = boardPieceSets();
    play("c3-d4"); // stands for a position of the search tree
    sideToMove = White;
    ASSERT_TRUE(SaveGameFiles(path("thinking"), SaveType::Position));
    const std::string bytes = readFile(path("thinking.poz"));
    ASSERT_EQ(bytes.size(), 20u);
    std::string expected(20, '\0');
    poke(expected, 0, 0x00000FFF);
    poke(expected, 4, 0xFFF00000);
    EXPECT_EQ(bytes, expected);
}

TEST_F(GameFilesTest, NamesAreCompletedAndExistingFilesNeedConsent)
{
    EXPECT_EQ(completeFileName("partie", SaveType::Game), "partie.gam");
    EXPECT_EQ(completeFileName("partie.gam", SaveType::Game), "partie.gam");
    EXPECT_EQ(completeFileName("partie.GAM", SaveType::Game), "partie.GAM.gam");
    EXPECT_EQ(completeFileName("notes", SaveType::Text), "notes.txt");
    EXPECT_EQ(completeFileName("board", SaveType::Picture), "board.bmp");
    EXPECT_EQ(completeFileName("p.gam", SaveType::Position), "p.gam.poz");
    EXPECT_TRUE(isGameFileName("spiel.gam.bak"));
    EXPECT_FALSE(isGameFileName("spiel.dat"));
    // The type a typed extension asks for wins over the dialog's filter.
    struct Typed {
        const char* name;
        SaveType filter, saved;
    };
    for (const Typed t : {Typed{"game.pdn", SaveType::Game, SaveType::Pdn}, Typed{"a.gam", SaveType::Pdn, SaveType::Game},
                          Typed{"b.poz", SaveType::Text, SaveType::Position}, Typed{"c.txt", SaveType::Game, SaveType::Text},
                          Typed{"d.bmp", SaveType::Game, SaveType::Picture}, Typed{"e", SaveType::Pdn, SaveType::Pdn},
                          Typed{"f.PDN", SaveType::Game, SaveType::Game}, Typed{".pdn", SaveType::Text, SaveType::Text},
                          Typed{"g.pdn.txt", SaveType::Pdn, SaveType::Text}})
        EXPECT_EQ(saveTypeForName(t.name, t.filter), t.saved) << t.name;

    writeFile(path("kept.poz"), "old");
    ui.answer = false;
    EXPECT_FALSE(SaveGameFiles(path("kept"), SaveType::Position));
    EXPECT_EQ(readFile(path("kept.poz")), "old");
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "Файл уже существует. Перезаписать?");
    ui.answer = true;
    EXPECT_TRUE(SaveGameFiles(path("kept"), SaveType::Position));
    EXPECT_EQ(readFile(path("kept.poz")).size(), 20u);

    writeFile(path("board.bmp"), "old");
    EXPECT_TRUE(SaveGameFiles(path("board"), SaveType::Picture, "BMimage"));
    EXPECT_EQ(ui.questions.size(), 3u);
    EXPECT_EQ(readFile(path("board.bmp")), "BMimage");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GameFilesTest, TextExportListsTheWholeGameWithCrLf)
{
    playAll({"c3-d4", "f6-g5", "d4-c5"});
    StepBack();
    ASSERT_TRUE(SaveGameFiles(path("notes"), SaveType::Text));
    EXPECT_EQ(readFile(path("notes.txt")), " 1. c3-d4 f6-g5\r\n 2. d4-c5 \r\n");
}

TEST_F(GameFilesTest, TextExportFollowsTheRecordNotTheWindowsLines)
{
    playAll({"c3-d4", "f6-g5", "d4-c5"});
    ASSERT_TRUE(SaveGameFiles(path("start"), SaveType::Game)); // saved with the three half-moves
    ASSERT_TRUE(SaveGameFiles(path("start"), SaveType::Position));
    StepBack();
    StepBack();
    StepBack();
    ASSERT_TRUE(SaveGameFiles(path("first"), SaveType::Game)); // plyNumber 1 of 4

    startFrom(initialPositionText);
    playAll({"a3-b4", "b6-a5", "g3-h4"});
    std::string shown;
    for (const std::string& line : notationView.lines) shown += line + "\r\n";
    ASSERT_TRUE(SaveGameFiles(path("shown"), SaveType::Text));
    EXPECT_EQ(readFile(path("shown.txt")), shown);
    EXPECT_EQ(shown, " 1. a3-b4 b6-a5\r\n 2. g3-h4 \r\n");

    // A position load empties the window's lines; the record has no half-move.
    ASSERT_TRUE(LoadGameFiles(path("start.poz")));
    ASSERT_TRUE(notationView.lines.empty());
    ui.answer = true;
    ASSERT_TRUE(SaveGameFiles(path("shown"), SaveType::Text));
    EXPECT_EQ(readFile(path("shown.txt")), "");

    // A game loaded at its first entry: the whole record, as it can be replayed.
    play("d6:b4");
    ASSERT_TRUE(LoadGameFiles(path("first.gam")));
    ASSERT_EQ(gameRecord.plyNumber, 1);
    ASSERT_TRUE(SaveGameFiles(path("shown"), SaveType::Text));
    EXPECT_EQ(readFile(path("shown.txt")), " 1. c3-d4 f6-g5\r\n 2. d4-c5 \r\n");
}

TEST_F(GameFilesTest, SavingNeverTouchesOtherFilesBesideTheTarget)
{
    writeFile(path("partie.gam.part"), "mine");
    writeFile(path(".partie.gam.tmp"), "mine too");
    ASSERT_TRUE(SaveGameFiles(path("partie"), SaveType::Game));
    EXPECT_EQ(readFile(path("partie.gam.part")), "mine");
    EXPECT_EQ(readFile(path(".partie.gam.tmp")), "mine too");
    EXPECT_EQ(readFile(path("partie.gam")).size(), gameFileSize);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".partie.gam.tmp", "partie.gam", "partie.gam.part"}));
    // A new file gets the permissions any new file gets, not a temporary's private ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const auto expected = static_cast<fs::perms>(0666 & ~mask);
    EXPECT_EQ(fs::status(path("partie.gam")).permissions() & fs::perms::all, expected);

    // A write that fails at the rename (a folder holds the name) leaves nothing behind.
    fs::create_directory(path("blocked.poz"));
    ui.answer = true;
    EXPECT_FALSE(SaveGameFiles(path("blocked"), SaveType::Position));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(fs::is_directory(path("blocked.poz")));
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        (void)entry;
        ++count;
    }
    EXPECT_EQ(count, 4u);
}

TEST_F(GameFilesTest, AFinishedGameEndsWithItsResultInTheNotationAndEverySavedForm)
{
    struct Case {
        const char* fen;
        std::vector<const char*> moves;
        const char* result; // nullptr: the game goes on
    };
    const Case cases[] = {
        {"W:Wc3:Bd4", {"c3:e5"}, "1-0"},
        {"B:Wd4:Bc5", {"c5:e3"}, "0-1"},
        {"W:Wc3,a1:Bd4,h8", {"c3:e5", "h8-g7", "e5-f6", "g7:e5"}, nullptr},
        // The kings' starting squares come back a third time.
        {"W:WKc1:BKf8", {"c1-d2", "f8-e7", "d2-c1", "e7-f8", "c1-d2", "f8-e7", "d2-c1", "e7-f8"}, "1/2-1/2"},
    };
    ui.answer = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fen);
        const auto start = parseFen(c.fen);
        ASSERT_TRUE(start);
        setBoardPosition(*start);
        startFrom(positionToText(sideToMove));
        for (const char* move : c.moves) play(move);
        const std::string expected = c.result ? c.result : "";
        ASSERT_FALSE(notationView.lines.empty());
        EXPECT_EQ(notationView.lines.back() == expected, c.result != nullptr) << notationView.lines.back();
        ASSERT_TRUE(SaveGameFiles(path("game"), SaveType::Text));
        EXPECT_EQ(readFile(path("game.txt")).ends_with("\r\n" + expected + "\r\n"), c.result != nullptr);
        // Stepped back, the game's end still decides.
        StepBack();
        ASSERT_TRUE(SaveGameFiles(path("game"), SaveType::Pdn));
        const std::string pdn = readFile(path("game.pdn"));
        const std::string written = c.result ? c.result : "*";
        EXPECT_NE(pdn.find("[Result \"" + written + "\"]"), std::string::npos) << pdn;
        EXPECT_TRUE(pdn.ends_with(" " + written + "\n")) << pdn;
    }
}

TEST_F(GameFilesTest, ASaveThroughALinkWritesTheFileTheLinkNames)
{
    fs::create_directories(dir / "real");
    writeFile(path("real/old.gam"), "old");
    fs::create_symlink("real/old.gam", path("relative.gam"));           // relative, to a file that exists
    fs::create_symlink(path("real/new.gam"), path("dangling.gam"));     // absolute, to none yet
    fs::create_symlink("relative.gam", path("chain.gam"));              // a link to a link
    ui.answer = true;
    for (const auto& [name, target] : {std::pair{"relative", "real/old.gam"}, std::pair{"dangling", "real/new.gam"},
                                       std::pair{"chain", "real/old.gam"}}) {
        writeFile(path(target), "before");
        ASSERT_TRUE(SaveGameFiles(path(name), SaveType::Game)) << name;
        EXPECT_TRUE(fs::is_symlink(path(std::string(name) + ".gam"))) << name;
        EXPECT_EQ(readFile(path(target)).size(), gameFileSize) << name;
    }
    EXPECT_TRUE(fs::is_symlink(path("relative.gam")));
    // Nothing but the links and their targets.
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) files += !entry.is_symlink() && entry.is_regular_file();
    EXPECT_EQ(files, 2u);
}

TEST_F(GameFilesTest, ASaveRemovesWhatKilledSavesOfItsNameLeft)
{
    // Temporaries of killed saves, one of a save still running (it holds its lock),
    // and the user's own files.
    const std::vector<std::pair<std::string, bool>> files = {
        {".partie.gam.Ab12Cd", false}, {".partie.gam.9x8Y7z", false}, {".partie.gam.Held00", true},
        {".partie.gam.backup", true},  {".partie.gam.Ab12C", true},   {".autre.gam.Ab12Cd", true},
        {"partie.gam.Ab12Cd", true}};
    for (const auto& [name, kept] : files) writeFile(path(name), std::string(1000, 'x'));
    const int held = ::open(path(".partie.gam.Held00").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_TRUE(SaveGameFiles(path("partie"), SaveType::Game));
    ::close(held);
    for (const auto& [name, kept] : files) EXPECT_EQ(fs::exists(path(name)), kept) << name;
    EXPECT_EQ(readFile(path("partie.gam")).size(), gameFileSize);
}

TEST_F(GameFilesTest, ASaveIsOnDiskBeforeItReplacesTheFileAndKeepsItsPermissions)
{
    writeFile(path("mine.gam"), "old game");
    fs::permissions(path("mine.gam"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::vector<SyncSeen> syncs;
    syncsSeen = &syncs;
    syncTarget = path("mine.gam");
    ui.answer = true;
    const bool saved = SaveGameFiles(path("mine"), SaveType::Game);
    syncsSeen = nullptr;
    ASSERT_TRUE(saved);
    const std::string written = readFile(path("mine.gam"));
    EXPECT_EQ(written.size(), gameFileSize);
    EXPECT_EQ(fs::status(path("mine.gam")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // First the new bytes, while the old file still holds the name; then the folder,
    // once the name is the new file's.
    ASSERT_EQ(syncs.size(), 2u);
    struct stat target {}, folder {};
    ASSERT_EQ(::stat(path("mine.gam").c_str(), &target), 0);
    ASSERT_EQ(::stat(dir.c_str(), &folder), 0);
    EXPECT_FALSE(syncs[0].folder);
    EXPECT_EQ(syncs[0].inode, target.st_ino);
    EXPECT_EQ(syncs[0].size, static_cast<off_t>(gameFileSize));
    EXPECT_EQ(syncs[0].targetAtSync, "old game");
    EXPECT_TRUE(syncs[1].folder);
    EXPECT_EQ(syncs[1].inode, folder.st_ino);
    EXPECT_TRUE(syncs[1].targetAtSync == written);

    // A private position file stays private.
    writeFile(path("secret.poz"), "old");
    fs::permissions(path("secret.poz"), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(SaveGameFiles(path("secret"), SaveType::Position));
    EXPECT_EQ(readFile(path("secret.poz")).size(), positionFileSize);
    EXPECT_EQ(fs::status(path("secret.poz")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(GameFilesTest, EveryFileTheProgramWritesReadsBack)
{
    // Setup may leave men on their crowning rows: a white man on b8, a black one on a1.
    std::string text(32, '0');
    for (const char* s : {"b8", "c3", "g3"}) text[squareFromName(s)] = 'w';
    for (const char* s : {"a1", "d6", "h6"}) text[squareFromName(s)] = 'b';
    text[squareFromName("e1")] = 'W';
    startFrom(text + " b");
    playAll({"d6-c5", "c3-d4", "c5:e3", "g3-h4", "e3-d2", "e1:c3", "h6-g5", "h4:f6"});
    StepBack(); // saved one half-move before the end
    const std::string record = encodeGameRecord(gameRecord);
    const std::string position = positionToText(sideToMove);
    for (SaveType type : {SaveType::Game, SaveType::Position, SaveType::Pdn, SaveType::Text})
        ASSERT_TRUE(SaveGameFiles(path("setup"), type));

    auto elsewhere = [this] {
        startFrom(initialPositionText);
        play("c3-d4");
    };
    elsewhere();
    ASSERT_TRUE(LoadGameFiles(path("setup.gam")));
    EXPECT_TRUE(encodeGameRecord(gameRecord) == record);
    EXPECT_EQ(positionToText(sideToMove), position);

    elsewhere();
    ASSERT_TRUE(LoadGameFiles(path("setup.poz")));
    EXPECT_EQ(positionToText(sideToMove), position);

    elsewhere();
    ASSERT_TRUE(LoadGameFiles(path("setup.pdn"))) << (ui.messages.empty() ? "" : ui.messages.back());
    GameRecord fromPdn = gameRecord;
    GoToEnd();
    ASSERT_TRUE(decodeGameRecord(record, gameRecord));
    const int last = gameRecord.redoLimit;
    ASSERT_EQ(fromPdn.redoLimit, last); // the whole game, also the half-move after the saved one
    for (int n = 1; n <= last; ++n)
        EXPECT_EQ(encodeGameRecord(fromPdn).substr(12 + 24 * (n - 1), 23), record.substr(12 + 24 * (n - 1), 23)) << n;

    // The text has no reader; its half-moves, replayed from the set-up position, give the record again.
    const std::string notes = readFile(path("setup.txt"));
    startFrom(text + " b");
    std::istringstream words(notes);
    for (std::string word; words >> word;)
        if (word.size() == 5 && (word[2] == '-' || word[2] == ':')) play(word);
    EXPECT_EQ(encodeGameRecord(gameRecord).substr(12, 24 * last), record.substr(12, 24 * last));
}

TEST_F(GameFilesTest, UnwritableAndUnreadableFilesAreReported)
{
    const auto before = snapshot();
    EXPECT_FALSE(SaveGameFiles(path("missing/folder/partie"), SaveType::Game));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(fs::exists(path("missing")));
    EXPECT_FALSE(LoadGameFiles(path("absent.gam")));
    EXPECT_FALSE(LoadGameFiles(dir.string()));
    EXPECT_EQ(ui.messages.size(), 3u);
    fs::create_directory(path("blocked.poz"));
    ui.answer = true;
    EXPECT_FALSE(SaveGameFiles(path("blocked"), SaveType::Position));
    // Each names the file and the system's reason.
    EXPECT_EQ(ui.messages, (std::vector<std::string>{
                               "Не удалось записать файл " + path("missing/folder/partie.gam") + ": " + std::strerror(ENOENT),
                               "Не удалось прочитать файл " + path("absent.gam") + ": " + std::strerror(ENOENT),
                               "Не удалось прочитать файл " + dir.string() + ": " + std::strerror(EISDIR),
                               "Не удалось записать файл " + path("blocked.poz") + ": " + std::strerror(EISDIR)}));
    expectUnchanged(before);
}

TEST_F(GameFilesTest, MalformedFilesAreRefusedWholeAndTheGameStays)
{
    playAll({"c3-d4", "f6-g5", "d4-c5"});
    ASSERT_TRUE(SaveGameFiles(path("good"), SaveType::Game));
    ASSERT_TRUE(SaveGameFiles(path("good"), SaveType::Position));
    const std::string game = readFile(path("good.gam"));
    const std::string position = readFile(path("good.poz"));
    play("d6:b4");
    gameControl.mode = EngineBlack;
    stopRequested = false;
    gameControl.abortRequested = false;
    const auto before = snapshot();

    auto gameWith = [&](std::size_t at, std::uint32_t value) {
        std::string bytes = game;
        poke(bytes, at, value);
        return bytes;
    };
    std::string longText = game;
    longText[12 + 24 + 16] = 7; // entry 2's text length
    const std::string badGames[] = {
        game.substr(0, 14411), game + '\0', std::string(),
        gameWith(0, 0),                    // plyNumber 0
        gameWith(0, 5),                    // plyNumber beyond redoLimit
        gameWith(8, 601),                  // redoLimit beyond the record
        gameWith(4, 2),                    // no such side
        gameWith(12 + 24 * 2 + 4, 0xFFF00000), // entry 3: white men where black men stand
        longText,
    };
    int n = 0;
    for (const std::string& bytes : badGames) {
        const std::string name = path("bad" + std::to_string(n++) + ".gam");
        writeFile(name, bytes);
        EXPECT_FALSE(LoadGameFiles(name)) << name;
        expectUnchanged(before);
    }
    auto positionWith = [&](std::size_t at, std::uint32_t value) {
        std::string bytes = position;
        poke(bytes, at, value);
        return bytes;
    };
    const std::string badPositions[] = {position.substr(0, 19), position + 'x', positionWith(16, 2),
                                        positionWith(8, 1)}; // a king on a white man
    for (const std::string& bytes : badPositions) {
        const std::string name = path("bad" + std::to_string(n++) + ".poz");
        writeFile(name, bytes);
        EXPECT_FALSE(LoadGameFiles(name)) << name;
        expectUnchanged(before);
    }
    EXPECT_EQ(ui.messages.size(), static_cast<std::size_t>(n));

    // Overlaps beyond redoLimit are leftovers of earlier games and are kept as they are.
    const std::string tail = gameWith(12 + 24 * 10 + 4, 0xFFFFFFFF);
    writeFile(path("tail.gam"), tail);
    EXPECT_TRUE(LoadGameFiles(path("tail.gam")));
    EXPECT_TRUE(encodeGameRecord(gameRecord) == tail);
}

TEST_F(GameFilesTest, RandomAndTruncatedBytesNeverHalfReplaceTheRecord)
{
    playAll({"c3-d4", "f6-g5", "d4-c5"});
    ASSERT_TRUE(SaveGameFiles(path("good"), SaveType::Game));
    ASSERT_TRUE(SaveGameFiles(path("good"), SaveType::Position));
    const std::string validGame = readFile(path("good.gam"));
    const std::string validPosition = readFile(path("good.poz"));
    std::mt19937 random(2024);
    auto randomBytes = [&](std::size_t size) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        return bytes;
    };
    for (int round = 0; round < 300; ++round) {
        const bool gameFile = round % 2 == 0;
        const std::string& valid = gameFile ? validGame : validPosition;
        std::string bytes;
        switch (round % 6) {
        case 0: case 1: bytes = valid.substr(0, random() % valid.size()); break;
        case 2: case 3: bytes = randomBytes(valid.size()); break;
        default: {
            bytes = valid;
            for (int flips = 0; flips < 3; ++flips) bytes[random() % bytes.size()] ^= static_cast<char>(1 + random() % 255);
        }
        }
        const std::string name = path(gameFile ? "fuzz.gam" : "fuzz.poz");
        writeFile(name, bytes);
        const auto before = snapshot();
        if (!LoadGameFiles(name)) {
            expectUnchanged(before);
            continue;
        }
        EXPECT_EQ(bytes.size(), valid.size());
        EXPECT_GE(gameRecord.plyNumber, 1);
        EXPECT_LE(gameRecord.plyNumber, gameRecord.redoLimit);
        EXPECT_LE(gameRecord.redoLimit, recordCapacity);
        EXPECT_TRUE(sideToMove == White || sideToMove == Black);
        for (int e = 1; e <= gameRecord.redoLimit; ++e) EXPECT_TRUE(entrySetsDisjoint(gameRecord.entries[e]));
        if (gameFile) {
            EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[gameRecord.plyNumber]));
            std::string expected = bytes;
            for (int e = 0; e < recordCapacity; ++e) expected[12 + 24 * e + 23] = '\0'; // the filler is always written as 0
            EXPECT_TRUE(encodeGameRecord(gameRecord).substr(12) == expected.substr(12));
        }
        GoToEnd();
        GoToStart();
    }
}

} // namespace
