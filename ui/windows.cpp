#include "ui/windows.h"

#include <QApplication>
#include <QScreen>


#include "ui/about.h"
#include "ui/gamechoice.h"
#include "ui/helpwindow.h"
#include "ui/settingsstore.h"
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
    // The stored settings come once the window has its layout, so that it can be fitted.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    RestoreSettings();
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
    Help = nullptr;
}
