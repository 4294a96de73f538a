#include "ui/services.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include "game/book.h"
#include "game/notation.h"
#include "game/setup.h"
#include "game/timecontrol.h"
#include "ui/analysisdialog.h"
#include "ui/evaluationbar.h"
#include "ui/gamechoice.h"
#include "ui/unit1.h"
#include "ui/unit10.h"
#include "ui/unit4.h"
#include "ui/unit5.h"
#include "ui/unit6.h"
#include "ui/unit7.h"
#include "ui/unit8.h"
#include "ui/unit9.h"

namespace {

QString programTitle() { return Form1 ? Form1->windowTitle() : QStringLiteral("Korvel"); }

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

QAction* menuItemAction(MenuItem item)
{
    if (!Form1) return nullptr;
    switch (item) {
    case MenuItem::SmallBoard: return Form1->N22;
    case MenuItem::Rotated: return Form1->N12;
    case MenuItem::Setup: return Form1->N30;
    case MenuItem::Ponder: return Form1->N19;
    case MenuItem::Sound: return Form1->N16;
    case MenuItem::Information: return Form1->N17;
    }
    return nullptr;
}

WindowControlUi windowUi;

} // namespace

namespace WindowServices {

void ShowMessage(const QString& text) { QMessageBox::information(Form1, programTitle(), text); }

bool AskYesNo(const QString& text)
{
    return QMessageBox::question(Form1, programTitle(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void PumpMessages() { QCoreApplication::processEvents(); }

void BlockingSleep(int milliseconds)
{
    QEventLoop pause;
    QTimer::singleShot(milliseconds, &pause, &QEventLoop::quit);
    pause.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace WindowServices

void installWindowControlUi() { installControlUi(&windowUi); }

int infoLineOf(InfoField field)
{
    switch (field) {
    case InfoField::Label1: return 1;
    case InfoField::Label6: return 2;
    case InfoField::Label7: return 3;
    case InfoField::Label8: return 4;
    case InfoField::Label12: return 5;
    case InfoField::Label9: return 6;
    case InfoField::Label14: return 7;
    }
    return 1;
}

void WindowControlUi::showMessage(const std::string& text) { WindowServices::ShowMessage(fromUtf8(text)); }

bool WindowControlUi::askYesNo(const std::string& text) { return WindowServices::AskYesNo(fromUtf8(text)); }

// The graph follows the game as the board and the notation do.
void WindowControlUi::redrawBoard()
{
    if (Form1) Form1->DrawBoard();
    if (Form10) Form10->update();
}

// One change of the game: every panel shows the game on the board.
void WindowControlUi::gameChanged(GameChange)
{
    notationChanged();
    bookTextChanged();
    clocksChanged();
    if (Form1) Form1->ShowStatus();
}

void WindowControlUi::notationChanged()
{
    if (Form10) Form10->update();
    if (!Form8) return;
    QStringList lines;
    for (const std::string& line : notationView.lines) lines << fromUtf8(line);
    Form8->SetLines(lines);
    Form8->SetOpeningName(fromUtf8(notationView.openingName));
    Form8->SelectLine(notationView.highlight);
}

void WindowControlUi::bookTextChanged()
{
    if (Form7) Form7->SetText(fromUtf8(bookText));
}

void WindowControlUi::pause(int milliseconds) { WindowServices::BlockingSleep(milliseconds); }

void WindowControlUi::checkModeItem(GameMode mode)
{
    if (Form1) Form1->CheckModeItem(mode);
}

int WindowControlUi::chooseCapture(const std::vector<std::string>& lines)
{
    if (!Form6) return -1;
    QStringList texts;
    for (const std::string& line : lines) texts << fromUtf8(line);
    return Form6->ChooseCapture(texts);
}

int WindowControlUi::chooseGame(const std::vector<std::string>& summaries)
{
    if (!GameChoice) return -1;
    QStringList texts;
    for (const std::string& line : summaries) texts << fromUtf8(line);
    return GameChoice->ChooseGame(texts);
}

void WindowControlUi::setInfoField(InfoField field, const std::string& text)
{
    if (Form9) Form9->setField(infoLineOf(field), fromUtf8(text));
}

void WindowControlUi::showVariation(const std::string& text)
{
    if (Form5) Form5->ShowVariation(fromUtf8(text));
}

bool WindowControlUi::variationItemChecked() const { return Form1 && Form1->N14->isChecked(); }

void WindowControlUi::pumpMessages() { WindowServices::PumpMessages(); }

void WindowControlUi::checkMenuItem(MenuItem item, bool checked)
{
    // "Расстановка позиции" is a radio item of the mode group, which the main window keeps.
    if (item == MenuItem::Setup && Form1) {
        if (checked) Form1->CheckModeItem(Setup);
        else Form1->UncheckModeItem(Setup);
        return;
    }
    if (QAction* action = menuItemAction(item)) action->setChecked(checked);
}

void WindowControlUi::showStatus(const std::string& text)
{
    if (Form1) Form1->ShowStatusMessage(fromUtf8(text));
}

void WindowControlUi::enableMenuItem(MenuItem item, bool enabled)
{
    if (QAction* action = menuItemAction(item)) action->setEnabled(enabled);
}

void WindowControlUi::playClickSound()
{
    if (Form1) Form1->PlayClickSound();
}

void WindowControlUi::playMoveSound()
{
    if (Form1) Form1->PlayMoveSound();
}

void WindowControlUi::applyWindowGeometry()
{
    if (Form1) Form1->ApplyWindowGeometry();
}

void WindowControlUi::showSetupPanel(bool shown)
{
    if (!Form1) return;
    if (shown) Form1->ShowSetupPanel();
    else Form1->HideSetupPanel();
}

void WindowControlUi::clocksChanged()
{
    if (Form4) Form4->ShowClocks();
}

void WindowControlUi::quitProgram() { QCoreApplication::exit(0); }

int WindowControlUi::askAnalysisTime() { return AskAnalysisTime(); }

bool WindowControlUi::analysisProgress(int done, int total, int secondsLeft)
{
    return ShowAnalysisProgress(done, total, secondsLeft);
}

void WindowControlUi::analysisFinished() { CloseAnalysisProgress(); }

void WindowControlUi::showEvaluation(std::optional<int> whiteScore)
{
    if (Form1) Form1->evaluationBar->setScore(whiteScore);
}

void WindowControlUi::analysisChanged()
{
    if (Form10) Form10->update();
}
