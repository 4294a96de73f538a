// Engine start-up and the "korvel.ini" reader.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "engine/engine.h"
#include "tests/engine/test_support.h"

namespace {

using namespace testing_support;

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        useConfig("hashsize=1\n");
        initEngine();
        finishStartupOnce();
    }
    void TearDown() override { useNoConfig(); }

    // Reads the given file as a new game does.
    static void initWith(const std::string& content)
    {
        useConfig(content);
        initEngine();
    }

    // Touches the last entry of both tables: a table smaller than hashMask + 1 fails
    // under the address sanitizer.
    static void touchLastEntries()
    {
        for (int side : {White, Black}) {
            hashTables[side][hashMask].key = 1;
            hashTables[side][hashMask].key = 0;
        }
    }

    static std::string errorOf(const std::string& content)
    {
        useConfig(content);
        try {
            initEngine();
        } catch (const ConfigError& e) {
            return e.what();
        }
        return "no error";
    }
};

TEST_F(Startup, WithoutAFileTheDefaultsHoldAndEverythingStartsAfresh)
{
    egtbpath = "/old/";
    EGTBPieses = 4;
    searchAge = 40;
    plyState[1].positionKey = 99;
    storeHash(White, 5, 1, 1, boundExact, 0);
    setPositionFromText(emptyPositionText);
    useNoConfig();
    initEngine();
    EXPECT_EQ(hashMask, 0x1FFFFF);
    EXPECT_EQ(egtbpath, "");
    EXPECT_EQ(EGTBPieses, 0);
    EXPECT_EQ(searchAge, 1);
    EXPECT_EQ(peekHash(99, White).bound, 0);
    EXPECT_EQ(occupied, 0xFFF00FFFu);
    EXPECT_EQ(sideToMove, White);
    touchLastEntries();
}

TEST_F(Startup, HashSizeGivesThirtyTwoThousandEntriesAUnit)
{
    initWith("hashsize=16\n");
    EXPECT_EQ(hashMask, 524287);
    touchLastEntries();
    initWith("Hashsize=64\n");
    EXPECT_EQ(hashMask, 2097151);
    initWith("hashsize=48\n");
    EXPECT_EQ(hashMask, 1572863);
    touchLastEntries();
    initWith("hashsize=2\nhashsize=16\n");
    EXPECT_EQ(hashMask, 524287) << "the last value counts";
    // Leading blanks and a sign are accepted.
    initWith("hashsize= 2\n");
    EXPECT_EQ(hashMask, 65535);
    initWith("hashsize=+2\n");
    EXPECT_EQ(hashMask, 65535);
    // Keys must match exactly: these lines are ignored.
    for (const char* line : {"hashsize =16", "HASHSIZE=16", " hashsize=16", "hashSize=16", "hashsize16"}) {
        initWith(std::string(line) + "\n");
        EXPECT_EQ(hashMask, 0x1FFFFF) << line;
    }
}

TEST_F(Startup, HashSizeBelowOneGivesTheDefault)
{
    for (const char* value : {"0", "-3"}) {
        initWith(std::string("hashsize=") + value + "\n");
        EXPECT_EQ(hashMask, 0x1FFFFF) << value;
        touchLastEntries();
    }
}

TEST_F(Startup, BitbasePiecesAreCappedAtFive)
{
    initWith("EGTBPieses=5\n");
    EXPECT_EQ(EGTBPieses, 5);
    initWith("egtbpieses=4\n");
    EXPECT_EQ(EGTBPieses, 4);
    initWith("EGTBPieses=9\n");
    EXPECT_EQ(EGTBPieses, 5);
    initWith("Egtbpieses=3\n");
    EXPECT_EQ(EGTBPieses, 0);
}

TEST_F(Startup, BitbaseFolderEndsInASeparator)
{
    const std::pair<const char*, const char*> cases[] = {
        {"egtbpath=D:", "D:/"},
        {"egtbpath=D:\\", "D:\\"},
        {"EGTBpath=/data/egtb/", "/data/egtb/"},
        {"egtbpath=/data/egtb", "/data/egtb/"},
        {"egtbpath=x", ""},
        {"egtbpath=", ""},
        {"egtbpath=a=b", "a=b/"},   // only the first "=" separates
        {"egtbpath= /x", " /x/"},   // nothing is trimmed
        {"EgtbPath=/data", ""},     // not an accepted key
        {"egtbpath=/a\negtbpath=/b/c", "/b/c/"},
    };
    for (const auto& [content, expected] : cases) {
        initWith(std::string(content) + "\n");
        EXPECT_EQ(egtbpath, expected) << content;
    }
}

TEST_F(Startup, LinesAreReadUpTo255Characters)
{
    initWith("egtbpath=" + std::string(300, 'p') + "\nEGTBPieses=3\n");
    EXPECT_EQ(egtbpath, std::string(255 - 9, 'p') + "/");
    EXPECT_EQ(EGTBPieses, 3) << "the next line is read as usual";
    // The rest of a long line is skipped, not read as a line of its own.
    initWith(std::string(255, 'x') + "hashsize=16\n");
    EXPECT_EQ(hashMask, 0x1FFFFF);
    // A last line without a line end still counts.
    initWith("EGTBPieses=2");
    EXPECT_EQ(EGTBPieses, 2);
}

TEST_F(Startup, MalformedNumberNamesKeyAndTextAndKeepsThePreviousSettings)
{
    initWith("hashsize=16\negtbpath=/a/\nEGTBPieses=3\n");
    for (const auto& [content, key, text] : {std::tuple{"hashsize=16 \n", "hashsize", "16 "},
                                             std::tuple{"Hashsize=abc\n", "Hashsize", "abc"},
                                             std::tuple{"hashsize=\n", "hashsize", ""},
                                             std::tuple{"hashsize=1.5\n", "hashsize", "1.5"},
                                             std::tuple{"hashsize=2\negtbpath=/b/\nEGTBPieses=4x\n", "EGTBPieses", "4x"},
                                             std::tuple{"egtbpieses=-\n", "egtbpieses", "-"}}) {
        const std::string message = errorOf(content);
        EXPECT_NE(message.find(key), std::string::npos) << message;
        EXPECT_NE(message.find(text), std::string::npos) << message;
        EXPECT_EQ(hashMask, 524287) << content;
        EXPECT_EQ(egtbpath, "/a/") << content;
        EXPECT_EQ(EGTBPieses, 3) << content;
        touchLastEntries();
    }
}

TEST_F(Startup, NewGameResizesTheTablesAndRaisesTheSquareTablesOnlyOnce)
{
    initWith("hashsize=1\n");
    EXPECT_EQ(hashMask, 32767);
    initWith("hashsize=2\n");
    EXPECT_EQ(hashMask, 65535);
    touchLastEntries();
    finishStartup();
    initWith("hashsize=1\n");
    finishStartup();
    EXPECT_EQ(manSquareTable[0], 100);
    EXPECT_EQ(manSquareTable[25], 130);
    EXPECT_EQ(kingSquareTable[0], 302);
    EXPECT_EQ(kingSquareTable[9], 320);
    // The neighbour squares are there after start-up.
    EXPECT_EQ(neighbourSquare[1][0], 4);
    EXPECT_EQ(neighbourSquare[3][31], 27);
}

TEST_F(Startup, EveryNewGameDrawsNewKeys)
{
    seedRandom(1);
    initEngine();
    const std::uint32_t first = hashPosition(White);
    seedRandom(2);
    initEngine();
    EXPECT_NE(hashPosition(White), first);
    seedRandom(1);
    initEngine();
    EXPECT_EQ(hashPosition(White), first) << "the keys follow the random generator";
}

} // namespace
