// Engine start-up and the "korvel.ini" reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "engine/egtb.h"
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
            hashTables[side][hashMask].write(1, 0, 0, 0);
            hashTables[side][hashMask].write(0, 0, 0, 0);
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

TEST_F(Startup, ValuesOutsideTheirRangesAreRefusedNamingKeyTextAndRange)
{
    initWith("hashsize=16\negtbpath=/a/\nEGTBPieses=3\n");
    // No table at all below 1; the tables hold up to five pieces.
    for (const auto& [content, key, text, range] :
         {std::tuple{"hashsize=0\n", "hashsize", "0", "от 1 до "}, std::tuple{"hashsize=-5\n", "hashsize", "-5", "от 1 до "},
          std::tuple{"Hashsize=-3\n", "Hashsize", "-3", "от 1 до "},
          std::tuple{"EGTBPieses=9\n", "EGTBPieses", "9", "от 0 до 5"},
          std::tuple{"EGTBPieses=6\n", "EGTBPieses", "6", "от 0 до 5"},
          std::tuple{"egtbpieses=-2\n", "egtbpieses", "-2", "от 0 до 5"}}) {
        const std::string message = errorOf(content);
        EXPECT_EQ(message.rfind("Ошибка в " + configFileName + ": \"" + text + "\" — вне пределов " + range, 0), 0u)
            << message;
        EXPECT_NE(message.find(std::string("(") + key + ")"), std::string::npos) << message;
        EXPECT_EQ(message.find("памяти"), std::string::npos) << message; // nothing about memory below the range
        EXPECT_EQ(hashMask, 524287) << content;
        EXPECT_EQ(EGTBPieses, 3) << content;
        touchLastEntries();
    }
    for (int pieces = 0; pieces <= 5; ++pieces) {
        initWith("EGTBPieses=" + std::to_string(pieces) + "\n");
        EXPECT_EQ(EGTBPieses, pieces);
    }
}

TEST_F(Startup, BitbasePiecesKeepTheConfiguredValue)
{
    initWith("EGTBPieses=5\n");
    EXPECT_EQ(EGTBPieses, 5);
    initWith("egtbpieses=4\n");
    EXPECT_EQ(EGTBPieses, 4);
    initWith("Egtbpieses=3\n");
    EXPECT_EQ(EGTBPieses, 0);
}

TEST_F(Startup, TheFivePieceLimitLoadsTheWholeFivePieceFile)
{
    const auto dir = uniqueTempDir("bitbase");
    std::ofstream(dir / "egtb5.bit", std::ios::binary) << std::string(100, '\xAA');
    std::filesystem::resize_file(dir / "egtb5.bit", bitbaseSizeFivePieces);
    initWith("egtbpath=" + dir.string() + "/\nEGTBPieses=5\n");
    EXPECT_TRUE(bitbaseLoaded);
    EXPECT_EQ(bitbaseData.size(), bitbaseSizeFivePieces);
    EXPECT_EQ(bitbaseData[0], 0xAA);
    initWith("");
    EXPECT_FALSE(bitbaseLoaded);
}

TEST_F(Startup, AFileThatIsThereButCannotBeReadIsAnError)
{
    initWith("hashsize=16\n");
    const auto dir = uniqueTempDir("unreadable");
    configFileName = dir.string(); // a folder under the file's name
    try {
        checkConfiguration();
        ADD_FAILURE() << "a folder was read as an empty file";
    } catch (const ConfigError& e) {
        EXPECT_EQ(std::string(e.what()), "Не удалось прочитать " + dir.string() + ": " + std::strerror(EISDIR));
    }
    EXPECT_THROW(initEngine(), ConfigError);
    EXPECT_EQ(hashMask, 524287);
    // A file that is not there is no error: the defaults hold.
    configFileName = (dir / "missing.ini").string();
    EXPECT_NO_THROW(initEngine());
    EXPECT_EQ(hashMask, 0x1FFFFF);
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
        EXPECT_EQ(message, "Ошибка в " + configFileName + ": \"" + text + "\" — не целое число (" + key + ")");
        EXPECT_EQ(hashMask, 524287) << content;
        EXPECT_EQ(egtbpath, "/a/") << content;
        EXPECT_EQ(EGTBPieses, 3) << content;
        touchLastEntries();
    }
}

TEST_F(Startup, ThreadsRangeFromOneToTheLogicalProcessors)
{
    const int most = logicalProcessors();
    ASSERT_GE(most, 1);
    ASSERT_LE(most, maxSearchThreads);
    initWith("");
    EXPECT_EQ(configuredThreads, most) << "without the key: every logical processor";
    initWith("threads=1\n");
    EXPECT_EQ(configuredThreads, 1);
    initWith("threads=" + std::to_string(most) + "\n");
    EXPECT_EQ(configuredThreads, most);
    initWith("Threads=1\n");
    EXPECT_EQ(configuredThreads, most) << "not an accepted key";
    // Out of range or not a number: refused, naming the text, the range and the key,
    // and the earlier value stays.
    initWith("threads=1\n");
    const std::string range = "допустимые значения от 1 до " + std::to_string(most);
    for (const auto& [value, why] : {std::pair<std::string, std::string>{"0", range},
                                     {"-2", range},
                                     {std::to_string(most + 1), range},
                                     {"99", range},
                                     {"2x", "не целое число"}}) {
        const std::string message = errorOf("threads=" + value + "\n");
        EXPECT_EQ(message, "Ошибка в " + configFileName + ": \"" + value + "\" — " + why + " (threads)");
        EXPECT_EQ(configuredThreads, 1) << value;
    }
}

TEST_F(Startup, AFailedStartLeavesKeysPositionAndTablesAsTheyWere)
{
    initWith("hashsize=2\n");
    plyState[1].positionKey = 0x1234;
    storeHash(White, 7, 1, 55, boundExact, 9);
    const HashEntry* const table = hashTables[White];
    const std::uint32_t key = pieceKeys[1][5];
    const std::string middlegame = "wwww0w0ww00w00w0b000bbbb0000bbbb b";
    setPositionFromText(middlegame);
    for (const char* content : {"hashsize=4\nEGTBPieses=x\n", "hashsize=99999999\n", "EGTBPieses=5\nhashsize=#\n"}) {
        EXPECT_THROW(initWith(content), ConfigError) << content;
        EXPECT_EQ(hashMask, 65535) << content;
        EXPECT_EQ(hashTables[White], table) << content;
        EXPECT_EQ(peekHash(0x1234, White).score, 55) << content;
        EXPECT_EQ(pieceKeys[1][5], key) << content;
        EXPECT_EQ(positionToText(sideToMove), middlegame) << content;
        EXPECT_EQ(EGTBPieses, 0) << content;
    }
}

TEST_F(Startup, CheckingTheConfigurationThrowsWhatInitialisationWouldAndChangesNothing)
{
    initWith("hashsize=2\negtbpath=/a/\n");
    plyState[1].positionKey = 0x1234;
    storeHash(White, 7, 1, 55, boundExact, 9);
    const std::string bad = "hashsize=4\negtbpath=/b/\nEGTBPieses=4x\n";
    const std::string expected = errorOf(bad);
    try {
        checkConfiguration();
        ADD_FAILURE() << "a malformed number passed";
    } catch (const ConfigError& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }
    useConfig("hashsize=4\negtbpath=/b/\nEGTBPieses=4\n");
    EXPECT_NO_THROW(checkConfiguration());
    EXPECT_EQ(hashMask, 65535);
    EXPECT_EQ(egtbpath, "/a/");
    EXPECT_EQ(EGTBPieses, 0);
    EXPECT_EQ(peekHash(0x1234, White).score, 55);
}

TEST_F(Startup, CommentsAreSkippedAndAHashAfterABlankStartsOne)
{
    initWith("# engine settings\n"
             "; hashsize=4\n"
             "#hashsize=8\n"
             "hashsize=16   # sixteen units\n"
             "egtbpath=/data/egtb#2/\t# a '#' right after text belongs to the value\n"
             "EGTBPieses=4 #\n");
    EXPECT_EQ(hashMask, 524287);
    EXPECT_EQ(egtbpath, "/data/egtb#2/");
    EXPECT_EQ(EGTBPieses, 4);
    // Without a blank before it, '#' is part of the number, which is then malformed;
    // and a line without '#' means what it always meant.
    EXPECT_NE(errorOf("hashsize=16#x\n").find("\"16#x\""), std::string::npos);
    EXPECT_NE(errorOf("hashsize=16 \n").find("\"16 \""), std::string::npos);
    initWith("hashsize =16 # a blank before '=' still makes the key unknown\n");
    EXPECT_EQ(hashMask, 0x1FFFFF);
}

TEST_F(Startup, TheReadmeExampleIsReadAsPrinted)
{
    std::ifstream readme(std::string(KORVEL_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme) << "README.md not found";
    // The indented block that starts with the hashsize line, without its indent.
    std::string example, line;
    bool inBlock = false;
    while (std::getline(readme, line)) {
        if (!inBlock && line.rfind("    hashsize=", 0) != 0) continue;
        if (line.rfind("    ", 0) != 0) break;
        inBlock = true;
        example += line.substr(4) + "\n";
    }
    ASSERT_FALSE(example.empty()) << "no example block in README.md";
    initWith(example);
    EXPECT_EQ(hashMask, 64 * 32768 - 1);
    EXPECT_EQ(egtbpath, "/path/egtb/");
    EXPECT_EQ(EGTBPieses, 5);
    EXPECT_EQ(configuredThreads, 2);
}

// The number in "... значение N (hashsize)", or -1.
long largestNamedIn(const std::string& message)
{
    const std::string marker = "значение ";
    const std::size_t at = message.find(marker);
    if (at == std::string::npos) return -1;
    return std::strtol(message.c_str() + at + marker.size(), nullptr, 10);
}

TEST_F(Startup, HashSizeBeyondHalfOfMemoryIsRefusedNamingTheLargestValueAccepted)
{
    useConfig("hashsize=65535\n");
    std::string message;
    try {
        checkConfiguration(); // only checks: nothing is allocated
    } catch (const ConfigError& e) {
        message = e.what();
    }
    if (message.empty()) GTEST_SKIP() << "this machine has room for the largest tables";
    EXPECT_NE(message.find("\"65535\""), std::string::npos) << message;
    EXPECT_NE(message.find("(hashsize)"), std::string::npos) << message;
    const long largest = largestNamedIn(message);
    ASSERT_GE(largest, 1) << message;
    // One unit is 1 MiB for both tables together: the largest fits in half of memory.
    const double halfOfMemory = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE) / 2;
    EXPECT_LE(static_cast<double>(largest) * 1048576, halfOfMemory);
    EXPECT_GT(static_cast<double>(largest + 1) * 1048576, halfOfMemory);
    useConfig("hashsize=" + std::to_string(largest) + "\n");
    EXPECT_NO_THROW(checkConfiguration());
    useConfig("Hashsize=" + std::to_string(largest + 1) + "\n");
    EXPECT_THROW(checkConfiguration(), ConfigError);
    // initEngine refuses it before it allocates anything.
    EXPECT_THROW(initWith("hashsize=65535\n"), ConfigError);
    EXPECT_EQ(hashMask, 32767);
}

// Makes every request for table memory fail while it lives.
struct NoTableMemory {
    NoTableMemory() : saved(hashTableMemory) { hashTableMemory = [](std::size_t) -> void* { return nullptr; }; }
    ~NoTableMemory() { hashTableMemory = saved; }
    void* (*saved)(std::size_t);
};

TEST_F(Startup, TablesThatCannotBeAllocatedLeaveTheEngineAsItWas)
{
    initWith("hashsize=2\negtbpath=/a/\nEGTBPieses=3\n");
    plyState[1].positionKey = 0x1234;
    storeHash(White, 7, 1, 55, boundExact, 9);
    const HashEntry* const table = hashTables[White];
    {
        NoTableMemory noMemory;
        try {
            initWith("hashsize=4\negtbpath=/b/\nEGTBPieses=5\n");
            ADD_FAILURE() << "no error";
        } catch (const TableMemoryError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("Недостаточно памяти"), std::string::npos) << message;
            EXPECT_NE(message.find("hashsize"), std::string::npos) << message;
        }
        EXPECT_EQ(hashMask, 65535);
        EXPECT_EQ(hashTables[White], table);
        EXPECT_EQ(peekHash(0x1234, White).score, 55);
        EXPECT_EQ(egtbpath, "/a/");
        EXPECT_EQ(EGTBPieses, 3);
        touchLastEntries();
        // The same size needs no new memory: the tables in place are cleared.
        initWith("hashsize=2\n");
        EXPECT_EQ(hashTables[White], table);
        EXPECT_EQ(peekHash(0x1234, White).bound, 0);
    }
    initWith("hashsize=4\n");
    EXPECT_EQ(hashMask, 131071);
    touchLastEntries();
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
