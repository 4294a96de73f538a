// Renders every window of the program into PNG files for a look by eye:
// korvel_ui_tour OUTPUT_FOLDER. Not a test: it asserts nothing.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>

#include "engine/engine.h"
#include "ui/about.h"
#include "game/settings.h"
#include "ui/boardview.h"
#include "ui/unit1.h"
#include "ui/unit2.h"
#include "ui/unit3.h"
#include "ui/unit4.h"
#include "ui/unit5.h"
#include "ui/unit6.h"
#include "ui/unit7.h"
#include "ui/unit8.h"
#include "ui/unit9.h"
#include "ui/windows.h"

namespace {
QString folder;

void save(QWidget* w, const QString& name)
{
    w->grab().save(folder + "/" + name + ".png");
}

void boardShots()
{
    // A middle-game position with kings of both sides and the last move outlined.
    setPositionFromText("ww0w0ww0w0w0W0000b000000bb0bB0b0 w");
    refreshBoardPicture();
    setPositionFromText("ww0w0ww0w00wW0000b000000bb0bB0b0 b");
    refreshBoardPicture();
    for (int design = 0; design < 3; ++design) {
        designBase = design * 6;
        Form1->DrawBoard();
        save(Form1, QString("board-small-design%1").arg(design));
        Form1->SetBoardSize();
        save(Form1, QString("board-large-design%1").arg(design));
        Form1->SetBoardSize();
    }
    designBase = 0;
    Form1->ToggleRotation();
    save(Form1, "board-rotated");
    Form1->ToggleRotation();
    marksShown = true;
    Form1->SetBoardSize();
    Form1->SetBoardSize();
    save(Form1, "board-small-marks");
    Form1->SetBoardSize();
    save(Form1, "board-large-marks");
    marksShown = false;
    Form1->SetBoardSize();
    Form1->SetBoardSize();
    Form1->ShowSetupPanel();
    save(Form1, "board-setup");
    Form1->HideSetupPanel();
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    folder = argc > 1 ? argv[1] : QDir::tempPath();
    initEngine();
    finishStartup();
    CreateWindows();
    boardShots();
    save(Form2, "time-dialog");
    save(Form3, "settings-dialog");
    Form4->Label2->setText("00:12:41");
    Form4->Label3->setText("01:02:05");
    save(Form4, "clock");
    Form5->ShowVariation(" ...  f6-g5 g3-h4 g5-f4 e3:g5 h6:f4 ");
    save(Form5, "variation");
    Form9->setField(1, "12");
    Form9->setField(2, "c3-d4");
    Form9->setField(3, "+35");
    Form9->setField(4, "1830 тыс. поз/с");
    Form9->setField(5, "0");
    Form9->setField(6, "2,00 сек");
    Form9->setField(7, "3,6 млн.");
    save(Form9, "information");
    Form7->AppendToFirstLine("c3-d4! g3-h4+ c3-b4- e3-f4? a3-b4 ");
    save(Form7, "book");
    Form8->SetOpeningName("Городская партия");
    Form8->SetLines({" 1. c3-d4 d6-c5", " 2. b2-c3 f6-g5", " 3. c3-b4 g5-h4", " 4. b4:d6 e7:c5", " 5. g3-f4 "});
    Form8->SelectLine(3);
    save(Form8, "notation");
    Form6->ListBox1->addItems({"c5:e5:e7", "c5:e7:g5"});
    Form6->ListBox1->setCurrentRow(0);
    save(Form6, "move-choice");
    save(AboutBox, "about");
    DestroyWindows();
    return 0;
}
