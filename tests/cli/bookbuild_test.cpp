#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/tools/bookbuild.h"

namespace {

class BookBuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        configFileName.clear();
        initEngine();
        finishStartup();
    }
};

SquareSet at(std::initializer_list<const char*> names)
{
    SquareSet s = 0;
    for (const char* n : names) s |= 1u << squareFromName(n);
    return s;
}

TEST_F(BookBuildTest, LinesBecomeRecordsOfBothPositionsAndTheMark)
{
    const auto result = buildLibraryRecords("c3-d4! f6-g5- # a comment\n\n  g3-h4? \n", "lines.txt");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.records.size(), 3u);
    const SquareSet whiteStart = 0x00000FFFu, blackStart = 0xFFF00000u;
    const BuiltRecord& first = result.records[0];
    EXPECT_EQ(first.beforeWhiteMen, whiteStart);
    EXPECT_EQ(first.beforeBlackMen, blackStart);
    EXPECT_EQ(first.afterWhiteMen, (whiteStart & ~at({"c3"})) | at({"d4"}));
    EXPECT_EQ(first.afterBlackMen, blackStart);
    EXPECT_EQ(first.weight, 100);
    const BuiltRecord& second = result.records[1];
    EXPECT_EQ(second.beforeWhiteMen, first.afterWhiteMen);
    EXPECT_EQ(second.afterBlackMen, (blackStart & ~at({"f6"})) | at({"g5"}));
    EXPECT_EQ(second.weight, -10);
    EXPECT_EQ(result.records[2].weight, -100);
    EXPECT_EQ(result.records[2].beforeWhiteMen, whiteStart); // each line starts again

    // Byte image: little-endian fields in record order.
    const std::string bytes = encodeBuiltLibrary(result.records);
    ASSERT_EQ(bytes.size(), 3 * builtRecordSize);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x0F);
    EXPECT_EQ(static_cast<unsigned char>(bytes[7]), 0xFF); // black men, high byte
    EXPECT_EQ(static_cast<unsigned char>(bytes[32]), 100);
    EXPECT_EQ(static_cast<unsigned char>(bytes[36 + 32]), 0xF6); // -10
    EXPECT_EQ(static_cast<unsigned char>(bytes[36 + 35]), 0xFF);
    std::vector<BuiltRecord> back;
    ASSERT_TRUE(decodeBuiltLibrary(bytes, back));
    EXPECT_EQ(back, result.records);
    EXPECT_FALSE(decodeBuiltLibrary(bytes.substr(1), back));
}

TEST_F(BookBuildTest, SharedPositionsAreStoredOnceAndMarksMustAgree)
{
    auto result = buildLibraryRecords("c3-d4+ f6-g5+\nc3-d4+ d6-c5+\n", "x");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.records.size(), 3u);
    result = buildLibraryRecords("c3-d4+ f6-g5+\nc3-d4! d6-c5+\n", "x");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("x:2"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("x:1"), std::string::npos) << result.error;
    EXPECT_TRUE(result.records.empty());
}

TEST_F(BookBuildTest, IllegalOrMalformedMovesNameTheirLineAndMove)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"c3-d4+\nc3-b4+ f6-g5+ b4-a6+\n", "lines.txt:2: half-move 3"},
        {"c3-d4+ f6-g5+ g3-h4+ g5:e3+\n", "illegal move \"g5:e3\""},
        {"c3-d4\n", "lines.txt:1: half-move 1"},
        {"c3-d4+ f6-g5+ d4-e5+ d6-c5+\n", "lines.txt:1: half-move 4: illegal move \"d6-c5\""}, // a quiet move while a capture is due
        {"c3d4+\n", "half-move 1"},
    };
    for (const Case& c : cases) {
        const auto result = buildLibraryRecords(c.text, "lines.txt");
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_NE(result.error.find(c.expected), std::string::npos) << c.text << " gave " << result.error;
    }
    EXPECT_EQ(occupied, 0xFFF00FFFu); // the engine is left at the initial position
}

TEST_F(BookBuildTest, ShippedLinesBuild)
{
    std::ifstream in(KORVEL_SOURCE_DIR "/data/openings.txt");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    const auto result = buildLibraryRecords(text.str(), "openings.txt");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_GT(result.records.size(), 50u);
    for (const BuiltRecord& r : result.records) EXPECT_NE(markOfWeight(r.weight), ' ');
}

} // namespace
