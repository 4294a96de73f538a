// The information and variation windows' texts made from the search's progress
// reports: which fields each report writes, in which order, and how the numbers,
// the score and the line read.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/controlui.h"

namespace {

using Kind = SearchProgress::Kind;
using Fields = std::vector<std::pair<InfoField, std::string>>;

constexpr MoveCode quiet(int from, int to) { return static_cast<MoveCode>(from | to << 5); }
constexpr MoveCode capture(int from, int to) { return static_cast<MoveCode>(from | to << 5 | captureFlag | 1 << 10); }

// c3-d4 f6-g5; e3:g5; the empty line.
const MoveCode twoMoves[] = {quiet(9, 13), quiet(22, 19)};
const MoveCode oneCapture[] = {capture(10, 19)};
const MoveCode lineWithAGap[] = {quiet(9, 13), 0, quiet(22, 19)};

struct Case {
    const char* what;
    Kind kind;
    int side;
    int depth;
    int score;
    std::int64_t moves;
    std::int64_t speed;
    std::uint32_t probes;
    std::span<const MoveCode> line;
    bool variationChecked;
    Fields fields;
    std::optional<std::string> variation;
};

TEST(ProgressTexts, EachReportWritesItsFieldsInOrderAndTheLineWhereItBelongs)
{
    using F = InfoField;
    const Case cases[] = {
        {"time check", Kind::TimeCheck, White, 9, 0, 1400000, 1400, 17, {}, false,
         {{F::Label14, "1.40 млн."}, {F::Label8, "1400 тыс./с"}, {F::Label12, "17"}}, std::nullopt},
        {"time check, whole millions", Kind::TimeCheck, Black, 9, 0, 2000000, 900, 0, {}, true,
         {{F::Label14, "2.0 млн."}, {F::Label8, "900 тыс./с"}, {F::Label12, "0"}}, std::nullopt},
        {"time check without time passed", Kind::TimeCheck, White, 7, 0, 200000, -1, 3, {}, false,
         {{F::Label14, "0.20 млн."}, {F::Label12, "3"}}, std::nullopt},
        {"time check beyond 32 bits", Kind::TimeCheck, White, 20, 0, std::int64_t{3} << 32, 2500, 0, {}, false,
         {{F::Label14, "12884.90 млн."}, {F::Label8, "2500 тыс./с"}, {F::Label12, "0"}}, std::nullopt},
        {"new best move, item unchecked", Kind::NewBestMove, Black, 9, 35, 500000, 250, 4, twoMoves, false,
         {{F::Label1, "9"}, {F::Label8, "250 тыс. поз/с"}, {F::Label7, "−0.35"}, {F::Label6, "c3-d4"}}, std::nullopt},
        {"new best move, item checked", Kind::NewBestMove, Black, 9, 35, 500000, 250, 4, twoMoves, true,
         {{F::Label1, "9"}, {F::Label8, "250 тыс. поз/с"}, {F::Label7, "−0.35"}, {F::Label6, "c3-d4"}},
         " ...  c3-d4 f6-g5 "},
        {"new best move before any time passed", Kind::NewBestMove, White, 7, -12, 0, -1, 0, oneCapture, true,
         {{F::Label1, "7"}, {F::Label7, "−0.12"}, {F::Label6, "e3:g5"}}, "e3:g5 "},
        {"iteration, White", Kind::Iteration, White, 11, 0, 900000, 1200, 8, twoMoves, false,
         {{F::Label1, "11"}, {F::Label8, "1200 тыс. поз/с"}, {F::Label7, "0.00"}, {F::Label6, "c3-d4"}, {F::Label12, "8"}},
         "c3-d4 f6-g5 "},
        {"iteration, Black, a win", Kind::Iteration, Black, 7, 4990, 100, 10, 0, oneCapture, true,
         {{F::Label1, "7"}, {F::Label8, "10 тыс. поз/с"}, {F::Label7, "Выигрыш чёрных через 5 ходов"}, {F::Label6, "e3:g5"},
          {F::Label12, "0"}},
         " ...  e3:g5 "},
        {"iteration, a loss, empty entries skipped", Kind::Iteration, White, 8, -4992, 100, -1, 1, lineWithAGap, false,
         {{F::Label1, "8"}, {F::Label7, "Выигрыш чёрных через 4 ходов"}, {F::Label6, "c3-d4"}, {F::Label12, "1"}},
         "c3-d4 f6-g5 "},
        {"iteration without a line", Kind::Iteration, White, 7, 5, 100, -1, 0, {}, false,
         {{F::Label1, "7"}, {F::Label7, "+0.05"}, {F::Label6, ""}, {F::Label12, "0"}}, ""},
        {"iteration, the tables' verdict without its distance", Kind::Iteration, White, 9, 3010, 100, -1, 2, {}, false,
         {{F::Label1, "9"}, {F::Label7, "Выигрыш белых"}, {F::Label6, ""}, {F::Label12, "2"}}, ""},
        {"iteration, Black lost by the tables", Kind::Iteration, Black, 9, -2990, 100, -1, 2, {}, false,
         {{F::Label1, "9"}, {F::Label7, "Выигрыш белых"}, {F::Label6, ""}, {F::Label12, "2"}}, " ...  "},
        {"iteration, Black, four men and a bit", Kind::Iteration, Black, 9, 428, 100, -1, 0, {}, false,
         {{F::Label1, "9"}, {F::Label7, "−4.28"}, {F::Label6, ""}, {F::Label12, "0"}}, " ...  "},
        {"a low level's choice", Kind::LevelChoice, Black, 2, 40, 0, -1, 0, oneCapture, true,
         {{F::Label1, "2"}, {F::Label6, "e3:g5"}, {F::Label7, "−0.40"}}, std::nullopt},
    };
    for (const Case& c : cases) {
        SearchProgress p;
        p.kind = c.kind;
        p.side = c.side;
        p.depth = c.depth;
        p.score = c.score;
        p.moves = c.moves;
        p.speed = c.speed;
        p.probes = c.probes;
        p.line = c.line;
        const ProgressTexts texts = progressTexts(p, c.variationChecked);
        EXPECT_EQ(texts.fields, c.fields) << c.what;
        EXPECT_EQ(texts.variation, c.variation) << c.what;
    }
}

TEST(ProgressTexts, TheFieldsCarryTheirCaptions)
{
    const std::pair<InfoField, const char*> captions[] = {
        {InfoField::Label1, "Глубина расчёта:"}, {InfoField::Label6, "Лучший ход:"},
        {InfoField::Label7, "Оценка:"},          {InfoField::Label8, "Скорость:"},
        {InfoField::Label12, "Запросов в ЭБ:"},  {InfoField::Label14, "Обработано:"},
        {InfoField::Label9, "Время анализа:"},
    };
    for (const auto& [field, caption] : captions) EXPECT_STREQ(infoFieldCaption(field), caption);
}

// The controller's reporter keeps what it wrote, and the latest score with the side
// whose view it is; the evaluation bar hears of it from White's view.
struct EvaluationUi : ControlUi {
    std::vector<std::optional<int>> shown;
    void showEvaluation(std::optional<int> whiteScore) override { shown.push_back(whiteScore); }
};

TEST(ProgressTexts, TheReportsReachTheFieldsWithTheSideOfTheScore)
{
    EvaluationUi ui;
    installControlUi(&ui);
    SearchProgress p;
    p.kind = Kind::Iteration;
    p.side = White;
    p.depth = 12;
    p.score = 60;
    p.line = twoMoves;
    searchReporter->progress(p);
    EXPECT_EQ(infoFieldText(InfoField::Label1), "12");
    EXPECT_EQ(infoFieldText(InfoField::Label7), "+0.60");
    ASSERT_TRUE(latestEngineScore());
    EXPECT_EQ(latestEngineScore()->side, White);
    p.side = Black;
    p.score = -20;
    searchReporter->progress(p);
    EXPECT_EQ(infoFieldText(InfoField::Label7), "+0.20");
    EXPECT_EQ(latestEngineScore()->side, Black);
    EXPECT_EQ(latestEngineScore()->score, -20);
    p.kind = Kind::TimeCheck; // no score: the bar stays
    searchReporter->progress(p);
    forgetEngineScore();
    EXPECT_FALSE(latestEngineScore());
    EXPECT_EQ(ui.shown, (std::vector<std::optional<int>>{60, 20, std::nullopt}));
    installControlUi(nullptr);
}

} // namespace
