#include "game/tables.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/egtb.h"
#include "game/control.h"
#include "tests/game/fake_builder.h"
#include "tests/game/game_support.h"

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

} // namespace
