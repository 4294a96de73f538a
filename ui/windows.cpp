#include "ui/windows.h"

#include <QApplication>
#include <QScreen>

#include <algorithm>

#include "ui/about.h"
#include "ui/gamechoice.h"
#include "ui/services.h"
#include "ui/unit1.h"
#include "ui/unit2.h"
#include "ui/unit3.h"
#include "ui/unit4.h"
#include "ui/unit5.h"
#include "ui/unit6.h"
#include "ui/unit7.h"
#include "ui/unit8.h"
#include "ui/unit9.h"
#include "ui/unit10.h"

namespace {
void centreOnDesktop(QWidget* w)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        w->move(screen->geometry().center() - w->rect().center());
}


// The tool windows open beside the main window rather than over the board.
void placeToolWindows()
{
    const QRect main = Form1->frameGeometry();
    // Far enough right that the setup panel does not run under them.
    Form9->move(main.right() + 122, main.top());
    Form4->move(main.right() + 122, main.top() + Form9->frameGeometry().height() + 12);
    Form7->move(main.left(), main.bottom() + 12);
    Form5->move(std::max(0, main.left() - Form5->frameGeometry().width() - 12), main.top());
    Form8->move(main.right() + 122, Form4->geometry().bottom() + 12);
    Form10->move(main.left(), Form7->frameGeometry().bottom() + 12);
}
} // namespace

void CreateWindows()
{
    // Eight-point type, the size the windows' layouts are made for.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    installWindowControlUi();
    new TForm1();
    new TForm2(Form1);
    centreOnDesktop(Form2);
    new TAboutBox(Form1);
    new TForm3(Form1);
    centreOnDesktop(Form3);
    new TForm4(Form1);
    new TForm5(Form1);
    new TForm6(Form1);
    new TForm7(Form1);
    new TForm8(Form1);
    new TForm9(Form1);
    new TGameChoice(Form1);
    new TForm10(Form1);
    // The main window's creation refreshed the board before these windows existed.
    controlUi().bookTextChanged();
    controlUi().notationChanged();
    Form1->show();
    placeToolWindows();
    Form9->setVisible(Form1->N17->isChecked());
}

void DestroyWindows()
{
    installControlUi(nullptr);
    delete Form1; // owns the others
    Form1 = nullptr;
    Form2 = nullptr;
    AboutBox = nullptr;
    Form3 = nullptr;
    Form4 = nullptr;
    Form5 = nullptr;
    Form6 = nullptr;
    Form7 = nullptr;
    Form8 = nullptr;
    Form9 = nullptr;
    GameChoice = nullptr;
    Form10 = nullptr;
}
