// Helpers shared by the game tests: engine start-up, playing half-moves by their text
// as the controller does, a scripted user interface and private temporary folders.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/search.h"
#include "game/gamechange.h"
#include "game/control.h"
#include "game/controller.h"
#include "game/gameui.h"
#include "game/record.h"

namespace game_testing {

inline void startEngineOnce()
{
    static bool started = false;
    if (!started) {
        initEngine();
        finishStartup();
        installGameHooks();
        started = true;
    }
}

// Records what the game code asked of the windows and answers questions as told.
struct ScriptedUi : GameUi {
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answer = false;
    int pauses = 0;
    int redraws = 0;
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        return answer;
    }
    void redrawBoard() override { ++redraws; }
    void pause(int) override { ++pauses; }
};

// Plays a legal half-move named as c3-d4 or c3:e5 (first and last square) at ply 0
// and records it, as move entry does.
inline void playHalfMove(const std::string& text)
{
    const int count = generateLegalMoves(sideToMove, 0);
    for (int k = 1; k <= count; ++k) {
        const MoveCode m = moveLists[0].moves[k];
        if (moveText(m) != text) continue;
        makeMove(m, moveLists[0].captured[k], sideToMove, 0);
        sideToMove = 1 - sideToMove;
        ASSERT_TRUE(AppendMove(text));
        GameChanged(GameChange::Move);
        return;
    }
    FAIL() << "no legal move " << text << " in " << positionToText(sideToMove);
}

inline void playHalfMoves(std::initializer_list<const char*> moves)
{
    for (const char* m : moves) playHalfMove(m);
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh game from a position text, with a scripted interface installed.
class GameTest : public ::testing::Test {
protected:
    ScriptedUi ui;
    void SetUp() override
    {
        startEngineOnce();
        seedRandom(12345);
        installGameUi(&ui);
        gameControl = GameControl{};
        gameControl.mode = HumanHuman;
        engineSide = Black;
        startFrom(initialPositionText);
    }
    void TearDown() override { installGameUi(nullptr); }

    static void startFrom(const std::string& positionText)
    {
        gameRecord = GameRecord{};
        setPositionFromText(positionText);
        ResetRecord();
    }

    static void play(const std::string& text) { playHalfMove(text); }
    static void playAll(std::initializer_list<const char*> moves) { playHalfMoves(moves); }
};

inline std::filesystem::path uniqueTempDir(const std::string& tag)
{
    static int made = 0;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("korvel-game-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(made++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// A folder in which no file can be made or replaced while this lives: its write
// permission is taken away, and for a user whom permissions do not stop (root) it is
// marked immutable where the file system allows. `held()` is false when neither works.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const std::filesystem::path& folder) : folder_(folder)
    {
        namespace fs = std::filesystem;
        fs::permissions(folder_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        if (!held()) setImmutable(FS_IMMUTABLE_FL);
    }
    ~UnwritableFolder()
    {
        setImmutable(0);
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    }
    bool held() const
    {
        const int fd = ::open((folder_ / ".probe").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) ::close(fd), ::unlink((folder_ / ".probe").c_str());
        return fd < 0;
    }

private:
    void setImmutable(int flag) const
    {
        const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = (flags & ~FS_IMMUTABLE_FL) | flag;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0) ::close(fd);
    }
    std::filesystem::path folder_;
};

} // namespace game_testing
