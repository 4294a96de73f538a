#include "game/controlui.h"

#include <cstdio>
#include <cstdlib>

namespace {

ControlUi silentControlUi;
ControlUi* activeControlUi = &silentControlUi;
std::string infoTexts[7];
std::optional<EngineScore> latestScore;

constexpr char blackPrefix[] = " ...  "; // fills White's column of the variation window

void setFieldText(InfoField field, const std::string& text)
{
    infoTexts[static_cast<int>(field)] = text;
    activeControlUi->setInfoField(field, text);
}

int whiteView(int score, int side) { return side == White ? score : -score; }

void keepScore(std::optional<EngineScore> score)
{
    latestScore = score;
    activeControlUi->showEvaluation(score ? std::optional<int>(whiteView(score->score, score->side)) : std::nullopt);
}

// The search's reports go through here so that the fields are kept for the draw offer.
class ControllerReporter : public SearchReporter {
public:
    void progress(const SearchProgress& p) override
    {
        const ProgressTexts texts = progressTexts(p, activeControlUi->variationItemChecked());
        for (const auto& [field, text] : texts.fields) {
            setFieldText(field, text);
            if (field == InfoField::Label7) keepScore(EngineScore{p.score, p.side});
        }
        if (texts.variation) activeControlUi->showVariation(*texts.variation);
    }
    void pumpMessages() override { activeControlUi->pumpMessages(); }
};

ControllerReporter reporter;

std::string speedText(std::int64_t speed, const char* unit) { return std::to_string(speed) + unit; }

} // namespace

const char* infoFieldCaption(InfoField field)
{
    switch (field) {
    case InfoField::Label1: return "Глубина расчёта:";
    case InfoField::Label6: return "Лучший ход:";
    case InfoField::Label7: return "Оценка:";
    case InfoField::Label8: return "Скорость:";
    case InfoField::Label12: return "Запросов в ЭБ:";
    case InfoField::Label14: return "Обработано:";
    case InfoField::Label9: return "Время анализа:";
    }
    return "";
}

std::string infoScoreText(int score, int side)
{
    const int white = whiteView(score, side);
    const int size = std::abs(white);
    const std::string winner = white > 0 ? "белых" : "чёрных";
    // Beyond decidedScore the distance is known; from tableVerdictScore on the tables
    // know the win but not its distance: the words alone, never the number.
    if (size > decidedScore) return "Выигрыш " + winner + " через " + std::to_string((infiniteScore - size) / 2) + " ходов";
    if (size >= tableVerdictScore) return "Выигрыш " + winner;
    char text[32];
    // A man is 100; the minus is the typographic one, as wide as the plus.
    std::snprintf(text, sizeof text, "%s%d.%02d", white > 0 ? "+" : white < 0 ? "\u2212" : "", size / 100, size % 100);
    return text;
}

std::string processedText(std::int64_t count)
{
    return std::to_string(count / 1000000) + "." + std::to_string(count % 1000000 / 10000) + " млн.";
}

ProgressTexts progressTexts(const SearchProgress& p, bool variationItemChecked)
{
    using Kind = SearchProgress::Kind;
    ProgressTexts texts;
    auto add = [&](InfoField field, std::string text) { texts.fields.emplace_back(field, std::move(text)); };
    const std::string line = lineText(p.line.data(), static_cast<int>(p.line.size()));
    const std::string bestMove = line.substr(0, 5);
    switch (p.kind) {
    case Kind::NewBestMove:
    case Kind::Iteration:
        add(InfoField::Label1, std::to_string(p.depth));
        // The speed appears once time has passed since the depth loop began.
        if (p.speed >= 0) add(InfoField::Label8, speedText(p.speed, " тыс. поз/с"));
        add(InfoField::Label7, infoScoreText(p.score, p.side));
        add(InfoField::Label6, bestMove);
        if (p.kind == Kind::Iteration) add(InfoField::Label12, std::to_string(p.probes));
        if (p.kind == Kind::Iteration || variationItemChecked) texts.variation = (p.side == Black ? blackPrefix : "") + line;
        break;
    case Kind::TimeCheck:
        add(InfoField::Label14, processedText(p.moves));
        if (p.speed >= 0) add(InfoField::Label8, speedText(p.speed, " тыс./с"));
        add(InfoField::Label12, std::to_string(p.probes));
        break;
    case Kind::LevelChoice:
        add(InfoField::Label1, std::to_string(p.depth));
        add(InfoField::Label6, bestMove);
        add(InfoField::Label7, infoScoreText(p.score, p.side));
        break;
    }
    return texts;
}

void installControlUi(ControlUi* ui)
{
    activeControlUi = ui ? ui : &silentControlUi;
    installGameUi(activeControlUi);
    searchReporter = &reporter;
}

ControlUi& controlUi() { return *activeControlUi; }

const std::string& infoFieldText(InfoField field) { return infoTexts[static_cast<int>(field)]; }

void setInfoFieldText(InfoField field, const std::string& text) { setFieldText(field, text); }

std::optional<EngineScore> latestEngineScore() { return latestScore; }

void forgetEngineScore() { keepScore(std::nullopt); }
