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

const std::string& infoFieldText(InfoField field) { return infoTexts[static_cast<int>(field)]; }

void setInfoFieldText(InfoField field, const std::string& text)
{
    infoTexts[static_cast<int>(field)] = text;
    if (field == InfoField::Label7) scoreSide = engineSide;
    activeControlUi->setInfoField(field, text);
}

int infoScoreSide() { return scoreSide; }
