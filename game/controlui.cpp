#include "game/controlui.h"

namespace {

ControlUi silentControlUi;
ControlUi* activeControlUi = &silentControlUi;
std::string infoTexts[7];
int scoreSide = Black;

constexpr char blackPrefix[] = " ...  "; // fills White's column of the variation window

void setFieldText(InfoField field, const std::string& text, int side)
{
    infoTexts[static_cast<int>(field)] = text;
    if (field == InfoField::Label7) scoreSide = side;
    activeControlUi->setInfoField(field, text);
}

// The search's reports go through here so that the fields are kept for the draw offer.
class ControllerReporter : public SearchReporter {
public:
    void progress(const SearchProgress& p) override
    {
        const ProgressTexts texts = progressTexts(p, activeControlUi->variationItemChecked());
        for (const auto& [field, text] : texts.fields) setFieldText(field, text, p.side);
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

std::string infoScoreText(int score) { return scoreText(score); }

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
        add(InfoField::Label7, infoScoreText(p.score));
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
        add(InfoField::Label7, infoScoreText(p.score));
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

void setInfoFieldText(InfoField field, const std::string& text) { setFieldText(field, text, engineSide); }

int infoScoreSide() { return scoreSide; }
