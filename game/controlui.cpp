#include "game/controlui.h"

namespace {

ControlUi silentControlUi;
ControlUi* activeControlUi = &silentControlUi;
std::string infoTexts[7];
int scoreSide = Black;

// The search's reports go through here so that the fields are kept for the draw offer.
class ControllerReporter : public SearchReporter {
public:
    void setInfoField(InfoField field, const std::string& text) override { setInfoFieldText(field, text); }
    void showScore(int score) override { setInfoFieldText(InfoField::Label7, windowScoreText(score)); }
    void ShowVariation(const std::string& text) override { activeControlUi->showVariation(text); }
    void pumpMessages() override { activeControlUi->pumpMessages(); }
    bool variationItemChecked() const override { return activeControlUi->variationItemChecked(); }
};

ControllerReporter reporter;

} // namespace

void installControlUi(ControlUi* ui)
{
    activeControlUi = ui ? ui : &silentControlUi;
    installGameUi(activeControlUi);
    searchReporter = &reporter;
}

ControlUi& controlUi() { return *activeControlUi; }

std::string windowScoreText(int score)
{
    // Beyond decidedScore the distance is known. Below it, from tableVerdictScore on,
    // the tables' verdict (3000 and the material) knows the win but not its distance:
    // the words alone, never the number.
    if (score > decidedScore || score < -decidedScore) return scoreText(score);
    if (score >= tableVerdictScore) return "Выигрыш";
    if (score <= -tableVerdictScore) return "Проигрыш";
    return scoreText(score);
}

const std::string& infoFieldText(InfoField field) { return infoTexts[static_cast<int>(field)]; }

void setInfoFieldText(InfoField field, const std::string& text)
{
    infoTexts[static_cast<int>(field)] = text;
    if (field == InfoField::Label7) scoreSide = engineSide;
    activeControlUi->setInfoField(field, text);
}

int infoScoreSide() { return scoreSide; }
