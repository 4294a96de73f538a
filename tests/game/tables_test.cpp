#include "game/tables.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "engine/egtb.h"
#include "game/book.h"
#include "game/control.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "tests/game/fake_builder.h"
#include "tests/game/game_support.h"
#include "tests/game/scripted_ui.h"

namespace {

namespace fs = std::filesystem;
using game_testing::readFile;
using game_testing::writeFile;

class TablesTest : public ::testing::Test {
protected:
    fs::path dir;
    std::string savedConfig;
    void SetUp() override
    {
        game_testing::startEngineOnce();
        dir = game_testing::uniqueTempDir("tables");
        fs::create_directories(dir / "work");
        savedConfig = configFileName;
        bitbaseLoaded = false;
    }
    void TearDown() override
    {
        resolveDataPathsIn("", ""); // no data folder, and nothing to tell of one
        configFileName = savedConfig;
        gameControl = GameControl{};
        egtbpath.clear();
        EGTBPieses = 0;
        LoadBitbase();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string user() const { return (dir / "user" / "korvel").string(); }

    std::string fakeBuilder(const std::string& name, int tables, bool withBit, const std::string& then) const
    {
        return game_testing::writeFakeBuilder(dir / name, dir / "started", tables, withBit, then);
    }

    // The five-piece tables of the sizes they have, all draws.
    static void makeWholeTables(const fs::path& folder)
    {
        fs::create_directories(folder);
        for (const BitbaseTable& t : bitbaseTables) {
            writeFile(folder / (std::string(t.name) + ".brg"), "");
            fs::resize_file(folder / (std::string(t.name) + ".brg"), t.positions);
        }
        writeFile(folder / "egtb5.bit", "");
        fs::resize_file(folder / "egtb5.bit", bitbaseSizeFivePieces);
    }

    static TablesBuild::State waitForEnd(TablesBuild& build)
    {
        for (int i = 0; i < 1000 && build.poll() == TablesBuild::State::Running; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return build.state();
    }
};

TEST_F(TablesTest, AFirstStartOutsideARunFolderWritesTheUsersKorvelIni)
{
    resolveDataPathsIn((dir / "work").string(), user());
    EXPECT_FALSE(inRunFolder());
    EXPECT_EQ(writableDataFolder(), user());
    EXPECT_EQ(tablesFolder(), user() + "/egtb");
    EXPECT_EQ(configFileName, user() + "/korvel.ini");
    EXPECT_EQ(readFile(configFileName), "hashsize=64\negtbpath=" + user() + "/egtb/\nEGTBPieses=5\n");
    EXPECT_FALSE(fs::exists(dir / "work" / "korvel.ini"));

    // A later start keeps what the user made of it.
    writeFile(configFileName, "hashsize=16\n");
    resolveDataPathsIn((dir / "work").string(), user());
    EXPECT_EQ(readFile(user() + "/korvel.ini"), "hashsize=16\n");

    // A working folder with its own korvel.ini is a run folder and keeps its data.
    writeFile(dir / "work" / "korvel.ini", "EGTBPieses=0\n");
    resolveDataPathsIn((dir / "work").string(), (dir / "other").string());
    EXPECT_TRUE(inRunFolder());
    EXPECT_EQ(writableDataFolder(), (dir / "work").string());
    EXPECT_EQ(configFileName, (dir / "work" / "korvel.ini").string());
    EXPECT_FALSE(fs::exists(dir / "other"));
}

TEST_F(TablesTest, TheQuestionIsAskedOnlyWhileThereAreNoTablesAndUntilDeclined)
{
    resolveDataPathsIn((dir / "work").string(), user());
    EXPECT_TRUE(ShouldOfferTables());
    bitbaseLoaded = true; // tables from somewhere the user's korvel.ini names
    EXPECT_FALSE(ShouldOfferTables());
    bitbaseLoaded = false;
    RememberTablesDeclined();
    EXPECT_FALSE(ShouldOfferTables());
    resolveDataPathsIn((dir / "work").string(), user());
    EXPECT_FALSE(ShouldOfferTables()); // also at the next start

    fs::remove(fs::path(user()) / "egtb.declined");
    ASSERT_TRUE(ShouldOfferTables());
    TablesBuild build;
    ASSERT_TRUE(build.start(fakeBuilder("complete", bitbaseTableCount, true, "exit 0"), writableDataFolder()));
    ASSERT_EQ(waitForEnd(build), TablesBuild::State::Done) << build.error();
    EXPECT_FALSE(ShouldOfferTables());

    writeFile(dir / "work" / "korvel.ini", "");
    resolveDataPathsIn((dir / "work").string(), (dir / "elsewhere").string());
    fs::remove_all(dir / "work" / "egtb");
    EXPECT_FALSE(ShouldOfferTables()); // `make run` prepares its own folder
}

TEST_F(TablesTest, MadeTablesReplaceTheOldOnesOnlyWhenWholeAndKorvelIniNamesThem)
{
    resolveDataPathsIn((dir / "work").string(), user());
    writeFile(configFileName, "hashsize=16\nEGTBpath=/old/place/\nEGTBPieses=3\n# mine\n");
    fs::create_directories(tablesFolder());
    writeFile(fs::path(tablesFolder()) / "egtb5.bit", "stale");

    TablesBuild build;
    ASSERT_TRUE(build.start(fakeBuilder("complete", bitbaseTableCount, true, "exit 0"), writableDataFolder()));
    ASSERT_EQ(waitForEnd(build), TablesBuild::State::Done) << build.error();
    // Started in the empty temporary folder, so that no korvel.ini is read there.
    const std::string temporary = user() + "/egtb.tmp";
    EXPECT_EQ(readFile(dir / "started"), temporary + " egtb build " + temporary + " --pieces 5\n");
    EXPECT_EQ(build.tablesMade(), bitbaseTableCount);
    EXPECT_EQ(build.tablesMade(), TablesBuild::tablesTotal());
    EXPECT_EQ(build.lastTable(), bitbaseTables[bitbaseTableCount - 1].name);
    EXPECT_DOUBLE_EQ(build.fractionMade(), 1.0);
    EXPECT_TRUE(tablesComplete(tablesFolder()));
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(user() + "/egtb.old"));
    EXPECT_EQ(readFile(configFileName),
              "hashsize=16\negtbpath=" + user() + "/egtb/\nEGTBPieses=5\n# mine\n");

    // Used at once when no search runs; a running search keeps what it has.
    gameControl.thinking = true;
    EXPECT_FALSE(UseMadeTables());
    EXPECT_FALSE(bitbaseLoaded);
    gameControl.thinking = false;
    EXPECT_TRUE(UseMadeTables());
    EXPECT_TRUE(bitbaseLoaded);
    EXPECT_EQ(egtbpath, user() + "/egtb/");
    EXPECT_EQ(EGTBPieses, 5);
}

TEST_F(TablesTest, FailedShortAndCancelledRunsLeaveNothingHalfWritten)
{
    resolveDataPathsIn((dir / "work").string(), user());
    fs::create_directories(tablesFolder());
    writeFile(fs::path(tablesFolder()) / "egtb5.bit", "kept");
    const std::string config = readFile(configFileName);
    auto expectNothingChanged = [&](const std::string& what) {
        EXPECT_FALSE(fs::exists(user() + "/egtb.tmp")) << what;
        EXPECT_EQ(readFile(fs::path(tablesFolder()) / "egtb5.bit"), "kept") << what;
        EXPECT_EQ(readFile(configFileName), config) << what;
    };

    TablesBuild build;
    ASSERT_TRUE(build.start(fakeBuilder("failing", 5, false, "echo 'korvel-cli: disk full' >&2; exit 1"),
                            writableDataFolder()));
    EXPECT_EQ(waitForEnd(build), TablesBuild::State::Failed);
    EXPECT_EQ(build.error(), "korvel-cli: disk full");
    EXPECT_EQ(build.tablesMade(), 5);
    expectNothingChanged("failed");

    ASSERT_TRUE(build.start(fakeBuilder("short", bitbaseTableCount - 1, true, "exit 0"), writableDataFolder()));
    EXPECT_EQ(waitForEnd(build), TablesBuild::State::Failed);
    EXPECT_EQ(build.error(), "созданы не все таблицы");
    expectNothingChanged("short");

    ASSERT_TRUE(build.start(fakeBuilder("slow", 3, false, "exec sleep 30"), writableDataFolder()));
    EXPECT_EQ(build.tablesMade(), 0);
    for (int i = 0; i < 1000 && build.tablesMade() < 3; ++i) {
        EXPECT_EQ(build.poll(), TablesBuild::State::Running);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(build.tablesMade(), 3);
    EXPECT_EQ(build.lastTable(), bitbaseTables[2].name);
    EXPECT_GT(build.fractionMade(), 0.0);
    EXPECT_LT(build.fractionMade(), 0.01);
    const auto cancelled = std::chrono::steady_clock::now();
    build.cancel();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::seconds(10)); // not the sleep's 30
    EXPECT_EQ(build.state(), TablesBuild::State::Cancelled);
    expectNothingChanged("cancelled");

    // A builder that cannot be started.
    EXPECT_FALSE(build.start((dir / "no-such-program").string(), writableDataFolder()));
    EXPECT_EQ(build.state(), TablesBuild::State::Failed);
    EXPECT_FALSE(build.error().empty());
    expectNothingChanged("not started");
}

TEST_F(TablesTest, AKorvelIniThatCannotBeReadFailsTheBuildWithoutEverSignallingAnotherProcess)
{
    resolveDataPathsIn((dir / "work").string(), user());
    fs::remove(configFileName);
    fs::create_directory(configFileName); // read as a file it fails
    auto build = std::make_unique<TablesBuild>();
    ASSERT_TRUE(build->start(fakeBuilder("complete", bitbaseTableCount, true, "exit 0"), writableDataFolder()));
    EXPECT_NO_THROW(waitForEnd(*build));
    if (build->state() == TablesBuild::State::Running) {
        build.release(); // ending it now would signal every process of the user
        FAIL() << "the build stayed running after its child ended";
    }
    EXPECT_EQ(build->error(), "Не удалось прочитать файл " + configFileName + ": " + std::strerror(EISDIR) +
                                  ". Новые таблицы не установлены, прежние не изменены.");
    build->cancel(); // nothing to end: changes nothing
    EXPECT_EQ(build->state(), TablesBuild::State::Failed);
    EXPECT_FALSE(fs::exists(tablesFolder()));
    EXPECT_FALSE(fs::exists(user() + "/egtb.tmp"));
}

TEST_F(TablesTest, ASecondProgramMakingTheSameFolderIsToldAndTouchesNothing)
{
    resolveDataPathsIn((dir / "work").string(), user());
    TablesBuild first, second;
    ASSERT_TRUE(first.start(fakeBuilder("slow", 3, false, "readlink /proc/$$/fd/3 > '" + (dir / "lockfd").string() +
                                                               "'\nexec sleep 30"),
                            writableDataFolder()));
    for (int i = 0; i < 1000 && first.tablesMade() < 3; ++i) {
        first.poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(first.tablesMade(), 3);
    EXPECT_FALSE(second.start(fakeBuilder("other", bitbaseTableCount, true, "exit 0"), writableDataFolder()));
    EXPECT_EQ(second.state(), TablesBuild::State::Failed);
    EXPECT_EQ(second.error(), "таблицы эндшпиля в папке " + user() + " уже создаёт другая копия программы");
    EXPECT_TRUE(fs::exists(user() + "/egtb.tmp/" + bitbaseTables[2].name + ".brg")); // the first one's work stays
    // The generator holds the lock too, so that it outlives a program that was ended.
    for (int i = 0; i < 500 && !fs::exists(dir / "lockfd"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readFile(dir / "lockfd"), user() + "/egtb.lock\n");
    // At the next start the other program's temporary tables are not leftovers either.
    resolveDataPathsIn((dir / "work").string(), user());
    EXPECT_TRUE(fs::exists(user() + "/egtb.tmp"));
    first.cancel();
    ASSERT_TRUE(second.start(fakeBuilder("other", bitbaseTableCount, true, "exit 0"), writableDataFolder()));
    EXPECT_EQ(waitForEnd(second), TablesBuild::State::Done) << second.error();
}

TEST_F(TablesTest, TablesAndKorvelIniChangeTogetherOrNotAtAll)
{
    resolveDataPathsIn((dir / "work").string(), user());
    fs::create_directories(tablesFolder());
    writeFile(fs::path(tablesFolder()) / "egtb5.bit", "kept");
    // korvel.ini a link to a file in a folder that refuses writing.
    const fs::path locked = dir / "locked";
    fs::create_directories(locked);
    writeFile(locked / "korvel.ini", "EGTBpath=/old/place/\n");
    writeFile(locked / "named.ini", "egtbpath=" + user() + "/egtb/\nEGTBPieses=5\n");
    fs::remove(configFileName);
    fs::create_symlink(locked / "korvel.ini", configFileName);
    {
        game_testing::UnwritableFolder readOnly(locked);
        if (!readOnly.held()) GTEST_SKIP() << "no folder here refuses writing";
        TablesBuild build;
        ASSERT_TRUE(build.start(fakeBuilder("complete", bitbaseTableCount, true, "exit 0"), writableDataFolder()));
        ASSERT_EQ(waitForEnd(build), TablesBuild::State::Failed);
        EXPECT_EQ(build.error().rfind("Не удалось записать файл " + (locked / "korvel.ini").string() + ": ", 0), 0u)
            << build.error();
        EXPECT_NE(build.error().find("Новые таблицы не установлены, прежние не изменены."), std::string::npos);
        EXPECT_EQ(readFile(fs::path(tablesFolder()) / "egtb5.bit"), "kept");
        EXPECT_EQ(readFile(configFileName), "EGTBpath=/old/place/\n");
        EXPECT_FALSE(fs::exists(user() + "/egtb.tmp"));
        EXPECT_FALSE(fs::exists(user() + "/egtb.old"));

        // A korvel.ini that already names the tables needs no writing.
        fs::remove(configFileName);
        fs::create_symlink(locked / "named.ini", configFileName);
        ASSERT_TRUE(build.start(fakeBuilder("complete", bitbaseTableCount, true, "exit 0"), writableDataFolder()));
        ASSERT_EQ(waitForEnd(build), TablesBuild::State::Done) << build.error();
        EXPECT_TRUE(tablesComplete(tablesFolder()));
    }
}

TEST_F(TablesTest, LeftoversOfAnEndedBuildAndOfKilledWritesGoAtTheNextStart)
{
    resolveDataPathsIn((dir / "work").string(), user());
    const fs::path data = user();
    // Ended between the two renames: the old tables wait under their other name.
    fs::create_directories(data / "egtb.tmp");
    writeFile(data / "egtb.tmp" / "egtb5.bit", "half");
    fs::create_directories(data / "egtb.old");
    writeFile(data / "egtb.old" / "egtb5.bit", "old tables");
    writeFile(data / ".korvel.ini.Zq81Kx", "killed");
    writeFile(data / ".egtb.declined.a1b2c3", "");
    writeFile(data / ".korvel.ini.backup", "the user's");
    writeFile(data / ".korvel.ini.Held99", "being written");
    const int held = ::open((data / ".korvel.ini.Held99").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    resolveDataPathsIn((dir / "work").string(), user());
    ::close(held);
    EXPECT_FALSE(fs::exists(data / "egtb.tmp"));
    EXPECT_FALSE(fs::exists(data / "egtb.old"));
    EXPECT_EQ(readFile(data / "egtb" / "egtb5.bit"), "old tables");
    EXPECT_FALSE(fs::exists(data / ".korvel.ini.Zq81Kx"));
    EXPECT_FALSE(fs::exists(data / ".egtb.declined.a1b2c3"));
    EXPECT_TRUE(fs::exists(data / ".korvel.ini.backup"));
    EXPECT_TRUE(fs::exists(data / ".korvel.ini.Held99"));

}

TEST_F(TablesTest, ADataFolderThatCannotBeWrittenIsToldOfAndItsTablesAreUsed)
{
    const fs::path data = user();
    makeWholeTables(data / "egtb");
    game_testing::UnwritableFolder readOnly(data);
    if (!readOnly.held()) GTEST_SKIP() << "no folder here refuses writing";
    resolveDataPathsIn((dir / "work").string(), user());
    EXPECT_FALSE(fs::exists(data / "korvel.ini"));
    EXPECT_NE(configFileName, (data / "korvel.ini").string());
    EXPECT_EQ(dataFolderProblem().rfind("В папку данных программы " + user() + " нельзя записывать: ", 0), 0u)
        << dataFolderProblem();
    // Making the tables there would fail: not offered, so nothing needs remembering.
    bitbaseLoaded = false;
    EXPECT_FALSE(ShouldOfferTables());
    std::string why;
    EXPECT_FALSE(RememberTablesDeclined(&why));
    EXPECT_EQ(why.rfind("Ответ не удалось запомнить", 0), 0u) << why;

    // The start says so once, and the tables lying there are used all the same.
    controller_testing::ScriptedControlUi startUi;
    installControlUi(&startUi);
    StartUp();
    installControlUi(nullptr);
    openingLibrary.count = 0;
    timeBudget = 200;
    EXPECT_EQ(startUi.messages, std::vector<std::string>{dataFolderProblem()});
    EXPECT_TRUE(bitbaseLoaded);
    EXPECT_EQ(egtbpath, user() + "/egtb/");
    StartNewGame();
    EXPECT_TRUE(bitbaseLoaded);
}

} // namespace
