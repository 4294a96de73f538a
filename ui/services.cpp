#include "ui/services.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include "ui/boardview.h"
#include "ui/unit1.h"
#include "ui/unit2.h"
#include "ui/unit5.h"
#include "ui/unit6.h"
#include "ui/unit7.h"
#include "ui/unit8.h"
#include "ui/unit9.h"

namespace WindowServices {

namespace {
QString programTitle() { return Form1 ? Form1->windowTitle() : QStringLiteral("Korvel"); }
} // namespace

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

void TerminateProgram() { QCoreApplication::exit(0); }

void DrawBoard()
{
    if (Form1) Form1->DrawBoard();
}

void PlayMoveSound()
{
    if (Form1) Form1->PlayMoveSound();
}

bool SoundOn() { return Form1 && Form1->soundOn(); }
int CellSize() { return cellSize(boardView); }
int Margin() { return boardView.margin; }
bool Rotated() { return boardView.rotated; }
bool SaveBoardPicture(const QString& fileName) { return Form1 && Form1->SaveBoardPicture(fileName); }

void SetInfoField(int line, const QString& text)
{
    if (Form9) Form9->setField(line, text);
}

QString InfoField(int line) { return Form9 ? Form9->field(line) : QString(); }

void ClearInformation()
{
    if (Form9) Form9->ClearInformation();
}

void ShowVariation(const QString& text)
{
    if (Form5) Form5->ShowVariation(text);
}

bool VariationShown() { return Form1 && Form1->N14->isChecked(); }

bool BookShown() { return Form1 && Form1->N13->isChecked(); }

void ClearBook()
{
    if (Form7) Form7->ClearText();
}

void AppendBook(const QString& text)
{
    if (Form7) Form7->AppendToFirstLine(text);
}

void SetBookText(const QString& text)
{
    if (Form7) Form7->SetText(text);
}

void SetNotation(const QStringList& lines, int selectedLine, const QString& openingName)
{
    SetNotationLines(lines);
    SetOpeningName(openingName);
    SelectNotationLine(selectedLine);
}

void SetNotationLines(const QStringList& lines)
{
    if (Form8) Form8->SetLines(lines);
}

void SelectNotationLine(int line)
{
    if (Form8) Form8->SelectLine(line);
}

void SetOpeningName(const QString& name)
{
    if (Form8) Form8->SetOpeningName(name);
}

void ClearNotationList()
{
    if (Form8) Form8->ClearList();
}

bool NotationShown() { return Form1 && Form1->N15->isChecked(); }

int ChooseCapture(const QStringList& lines) { return Form6 ? Form6->ChooseCapture(lines) : -1; }

void ShowSetupPanel()
{
    if (Form1) Form1->ShowSetupPanel();
}

void HideSetupPanel()
{
    if (Form1) Form1->HideSetupPanel();
}

bool SetupWhiteToMove() { return !Form1 || Form1->setupWhiteToMove(); }

void CheckModeItem(GameMode mode)
{
    if (Form1) Form1->CheckModeItem(mode);
}

void UncheckModeItem(GameMode mode)
{
    if (Form1) Form1->UncheckModeItem(mode);
}

bool ModeItemChecked(GameMode mode) { return Form1 && Form1->modeItem(mode)->isChecked(); }

bool FortyMovesChosen() { return Form2 && Form2->fortyMovesChosen(); }
QString FortyMovesText() { return Form2 ? Form2->fortyMovesText() : QString(); }

} // namespace WindowServices
