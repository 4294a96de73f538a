// The dialogs and tool windows: captions, controls, initial states and what
// their controls do.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResource>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include "engine/search.h"
#include "fixture.h"
#include "game/drawrules.h"
#include "game/record.h"
#include "game/settings.h"
#include "game/timecontrol.h"
#include "ui/about.h"
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

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { startProgram(); }
    void cleanupTestCase() { DestroyWindows(); }

    void timeDialogControls()
    {
        QCOMPARE(Form2->windowTitle(), QStringLiteral("Время..."));
        QCOMPARE(Form2->size(), QSize(273, 175));
        QVERIFY(!Form2->isVisible());
        QVERIFY(!Form2->isModal());
        QCOMPARE(Form2->GroupBox1->title(), QStringLiteral("Настройки времени"));
        QCOMPARE(Form2->RadioButton1->text(), QStringLiteral("На ход (сек.)"));
        QCOMPARE(Form2->RadioButton2->text(), QStringLiteral("На 40 ходов (мин.)"));
        QCOMPARE(Form2->RadioButton3->text(), QStringLiteral("Не ограничено"));
        QVERIFY(Form2->RadioButton1->isChecked());
        QCOMPARE(Form2->ComboBox1->currentText(), QStringLiteral("2"));
        QCOMPARE(Form2->ComboBox2->currentText(), QStringLiteral("10"));
        QVERIFY(Form2->ComboBox1->isEditable());
        QVERIFY(Form2->ComboBox1->isEnabled());
        QVERIFY(!Form2->ComboBox2->isEnabled());
        QStringList items;
        for (int k = 0; k < Form2->ComboBox2->count(); ++k) items << Form2->ComboBox2->itemText(k);
        QCOMPARE(items, QStringList({"1", "2", "5", "10", "15", "30", "60", "120", "240"}));
        QCOMPARE(Form2->Button1->text(), QStringLiteral("Ok"));
        QVERIFY(Form2->Button1->isDefault());
        QCOMPARE(Form2->Button2->text(), QStringLiteral("Отмена"));
        QCOMPARE(timeBudget, 200);
    }

    void timeDialogChoicesSetTheBudget()
    {
        Form1->N11->trigger();
        QVERIFY(Form2->isVisible());
        Form2->RadioButton2->click();
        QVERIFY(!Form2->ComboBox1->isEnabled());
        QVERIFY(Form2->ComboBox2->isEnabled());
        QVERIFY(timeDialog.mode == TimeMode::Per40Moves); // read before an engine move, Ok or not
        Form2->Button1Click();
        QCOMPARE(timeBudget, 2000); // 10 minutes, 200 a minute
        QVERIFY(!Form2->isVisible());

        Form2->show();
        Form2->RadioButton3->click();
        QVERIFY(!Form2->ComboBox1->isEnabled());
        QVERIFY(!Form2->ComboBox2->isEnabled());
        QTest::mouseClick(Form2->Button1, Qt::LeftButton);
        QCOMPARE(timeBudget, 2000000000);

        Form2->show();
        Form2->RadioButton1->click();
        QVERIFY(Form2->ComboBox1->isEnabled());
        QVERIFY(!Form2->ComboBox2->isEnabled());
        Form2->ComboBox1->setEditText("5");
        Form2->Button1Click();
        QCOMPARE(timeBudget, 500);

        // "Отмена", Escape and the close box leave the budget alone.
        Form2->show();
        Form2->ComboBox1->setEditText("30");
        QTest::mouseClick(Form2->Button2, Qt::LeftButton);
        QVERIFY(!Form2->isVisible());
        Form2->show();
        Form2->close();
        QVERIFY(!Form2->isVisible());
        QCOMPARE(timeBudget, 500);

        // A box text that is no whole number: a message, the dialog stays, the budget too.
        Form2->show();
        Form2->ComboBox1->setEditText("abc");
        ModalCloser closer;
        closer.arm();
        Form2->Button1Click();
        QVERIFY(closer.seen);
        QCOMPARE(closer.seenText, QStringLiteral("Неправильно введено время!"));
        QVERIFY(Form2->isVisible());
        QCOMPARE(timeBudget, 500);
        Form2->ComboBox1->setEditText("2");
        Form2->Button1Click();
        QCOMPARE(timeBudget, 200);

        // The group's own click enables the first box only when its button is checked.
        Form2->ComboBox2->setEnabled(true);
        Form2->GroupBox1Click();
        QVERIFY(Form2->ComboBox1->isEnabled());
        QVERIFY(!Form2->ComboBox2->isEnabled());
    }

    void timeBoxFocusWarnsOnly()
    {
        Form2->show();
        Form2->ComboBox1->setEditText("0");
        ModalCloser closer;
        closer.arm();
        Form2->ComboBox1Enter();
        QVERIFY(closer.seen);
        QCOMPARE(closer.seenText, QStringLiteral("Неправильно введено время!"));
        // The warning does not keep "Ok" from taking the 0.
        Form2->Button1Click();
        QCOMPARE(timeBudget, 0);
        QVERIFY(!Form2->isVisible());
        Form2->show();
        Form2->ComboBox1->setEditText("2");
        ModalCloser none;
        none.arm();
        Form2->ComboBox1Enter();
        QTest::qWait(50);
        QVERIFY(!none.seen);
        Form2->Button1Click();
        QCOMPARE(timeBudget, 200);
    }

    void settingsDialogControls()
    {
        QCOMPARE(Form3->windowTitle(), QStringLiteral("Настройки программы..."));
        QCOMPARE(Form3->size(), QSize(294, 308));
        QCOMPARE(Form3->GroupBox1->title(), QStringLiteral("База эндшпилей"));
        QCOMPARE(Form3->GroupBox2->title(), QStringLiteral("Дебютная библиотека"));
        QCOMPARE(Form3->GroupBox3->title(), QStringLiteral("Дизайн доски"));
        QCOMPARE(Form3->CheckBox1->text(), QStringLiteral("Расширенная ничья"));
        QCOMPARE(Form3->CheckBox2->text(), QStringLiteral("Использовать дебютную библиотеку"));
        QCOMPARE(Form3->Label1->text(), QStringLiteral("MyBase.deb"));
        QVERIFY(Form3->Label1->font().bold());
        QVERIFY(Form3->Label1->font().fixedPitch());
        QCOMPARE(Form3->Label2->text(), QStringLiteral("Использовать тихих ходов из ДБ"));
        QCOMPARE(Form3->Edit1->text(), QStringLiteral("10"));
        QVERIFY(Form3->Edit1->isReadOnly());
        QVERIFY(Form3->SpeedButton1->autoRaise());
        QCOMPARE(Form3->RadioButton1->text(), QStringLiteral("RZ DFesign 1"));
        QCOMPARE(Form3->RadioButton2->text(), QStringLiteral("Korvel Design"));
        QCOMPARE(Form3->RadioButton3->text(), QStringLiteral("Plastic Design"));
        QCOMPARE(Form3->Button2->text(), QStringLiteral("Цвет края доски"));
        QCOMPARE(Form3->CheckBox3->text(), QStringLiteral("Разметка"));
        QCOMPARE(Form3->CheckBox4->text(), QStringLiteral("Показывать ход"));
        QCOMPARE(Form3->CheckBox5->text(), QStringLiteral("Правила ничьей (ФШР)"));
        QVERIFY(!Form3->CheckBox5->isChecked());
        QVERIFY(!officialDrawRules);
        Form3->CheckBox5->click();
        QVERIFY(officialDrawRules);
        Form3->CheckBox5->click();
        QVERIFY(!officialDrawRules);
        QCOMPARE(Form3->Button1->text(), QStringLiteral("Ok"));
        QVERIFY(Form3->Button1->isDefault());
        QVERIFY(Form3->CheckBox1->isChecked());
        QVERIFY(Form3->CheckBox2->isChecked());
        QVERIFY(Form3->RadioButton1->isChecked());
        QVERIFY(Form3->CheckBox4->isChecked());
        QVERIFY(!Form3->CheckBox3->isChecked());
        Form1->N21->trigger();
        QVERIFY(Form3->isVisible());
        QVERIFY(!Form3->isModal());
        QVERIFY(!Form3->Button2->isVisible());
        QVERIFY(!Form3->CheckBox3->isVisible());
        QVERIFY(Form3->CheckBox4->isVisible());
        QVERIFY(extendedDraw);
        QCOMPARE(designBase, 0);
        QVERIFY(showMove);
        QVERIFY(!marksShown);
    }

    void settingsControlsActAtOnce()
    {
        Form3->show();
        Form3->CheckBox1->click();
        QVERIFY(!extendedDraw);
        Form3->CheckBox1->click();
        QVERIFY(extendedDraw);

        Form3->RadioButton3->click();
        QCOMPARE(designBase, 12);
        Form3->RadioButton2->click();
        QCOMPARE(designBase, 6);
        Form3->RadioButton1->click();
        QCOMPARE(designBase, 0);

        Form3->CheckBox4->click();
        QVERIFY(!showMove);
        Form3->CheckBox4->click();
        QVERIFY(showMove);

        Form3->CheckBox2->click();
        for (QWidget* w : {static_cast<QWidget*>(Form3->SpeedButton1), static_cast<QWidget*>(Form3->Label1),
                           static_cast<QWidget*>(Form3->Label2), static_cast<QWidget*>(Form3->Edit1),
                           static_cast<QWidget*>(Form3->UpDown1Up), static_cast<QWidget*>(Form3->UpDown1Down)})
            QVERIFY(!w->isEnabled());
        Form3->CheckBox2->click();
        QVERIFY(Form3->SpeedButton1->isEnabled());
        QVERIFY(Form3->UpDown1Down->isEnabled());

        // The counter stops at 1 and at 99.
        for (int k = 0; k < 20; ++k) Form3->UpDown1Click(false);
        QCOMPARE(bookQuietMoves, 1);
        QCOMPARE(Form3->Edit1->text(), QStringLiteral("1"));
        for (int k = 0; k < 120; ++k) Form3->UpDown1Click(true);
        QCOMPARE(bookQuietMoves, 99);
        QCOMPARE(Form3->Edit1->text(), QStringLiteral("99"));
        QTest::mouseClick(Form3->UpDown1Down, Qt::LeftButton);
        QCOMPARE(Form3->Edit1->text(), QStringLiteral("98"));

        QTest::mouseClick(Form3->Button1, Qt::LeftButton);
        QVERIFY(!Form3->isVisible());

        QCOMPARE(libraryLabelText("D:\\base\\openings.deb"), QStringLiteral("openings.deb"));
        QCOMPARE(libraryLabelText("/home/player/books/main.deb"), QStringLiteral("main.deb"));
        QCOMPARE(libraryLabelText("MyBase.deb"), QStringLiteral("MyBase.deb"));
    }

    void settingsThreadsFromOneToTheProcessors()
    {
        // Until chosen, the configuration's number; the counter keeps within the machine.
        threadsChosen = 0;
        Form3->show();
        QCOMPARE(Form3->Label3->text(), QStringLiteral("Потоки"));
        QCOMPARE(Form3->SpinEdit1->minimum(), 1);
        QCOMPARE(Form3->SpinEdit1->maximum(), logicalProcessors());
        QCOMPARE(Form3->SpinEdit1->value(), configuredThreads);
        QVERIFY(Form3->SpinEdit1->geometry().bottom() < Form3->height());
        if (logicalProcessors() > 1) {
            Form3->SpinEdit1->setValue(1);
            QCOMPARE(threadsChosen, 1);
            QCOMPARE(gameSearchThreads(), 1);
            Form3->SpinEdit1->setValue(logicalProcessors() + 1);
            QCOMPARE(threadsChosen, logicalProcessors());
        }
        Form3->hide();
        // Shown again, it shows the choice in force.
        threadsChosen = 1;
        Form3->show();
        QCOMPARE(Form3->SpinEdit1->value(), 1);
        Form3->hide();
        threadsChosen = 0;
    }

    void clockWindow()
    {
        QCOMPARE(Form4->windowTitle(), QStringLiteral("Часы"));
        QCOMPARE(Form4->minimumSize(), QSize(156, 74)); // the figures fit; the panel may be wider
        QCOMPARE(Form4->height(), 74);
        QCOMPARE(Form4->Label2->text(), QStringLiteral("00:00:00"));
        QCOMPARE(Form4->Label3->text(), QStringLiteral("00:00:00"));
        Form4->layout()->activate(); // the panel lays itself out when shown
        QVERIFY(Form4->Label2->geometry().bottom() < Form4->Label3->geometry().top());
        QCOMPARE(Form4->Label2->font().pixelSize(), 27);
        QVERIFY(Form4->Label2->font().weight() >= QFont::Bold);
        QVERIFY(Form4->Timer1->isActive());
        QCOMPARE(Form4->Timer1->interval(), 1000);
        QVERIFY(Form4->Label2->palette().color(QPalette::WindowText) == Qt::white ||
                Form4->Label2->styleSheet().contains("color: white"));

        // No time runs at the game's first position; afterwards the side to move's clock does.
        QCOMPARE(gameRecord.plyNumber, 1);
        Form4->Timer1Timer();
        QCOMPARE(Form4->Label2->text(), QStringLiteral("00:00:00"));
        whiteClockSeconds = 3724;
        blackClockSeconds = 59;
        gameRecord.plyNumber = 2;
        sideToMove = 0;
        Form4->Timer1Timer();
        QCOMPARE(Form4->Label2->text(), QStringLiteral("01:02:05"));
        QCOMPARE(Form4->Label3->text(), QStringLiteral("00:00:59"));
        gameRecord.plyNumber = 1;
        ResetClocks();
    }

    void variationWindow()
    {
        QCOMPARE(Form5->windowTitle(), QStringLiteral("Основной вариант"));
        // A panel that grows with its dock, never narrower than two moves a line.
        QCOMPARE(Form5->minimumWidth(), 143);
        QCOMPARE(Form5->layout()->contentsMargins(), QMargins(8, 8, 8, 8));
        QVERIFY(Form5->Memo1->isReadOnly());
        QVERIFY(Form5->Memo1->font().fixedPitch());
        QCOMPARE(Form5->Memo1->font().pixelSize(), 16);
        // Black's line: the prefix fills White's column.
        Form5->ShowVariation(" ...  f6-g5 g3-h4 g5-f4 ");
        QCOMPARE(Form5->Memo1->toPlainText(), QStringLiteral(" ...  f6-g5 \ng3-h4 g5-f4 "));
        QCOMPARE(variationLines("c3-d4 f6-g5 d4-c5 "), QStringList({"c3-d4 f6-g5 ", "d4-c5 "}));
        QCOMPARE(variationLines("c3-d4 f6-g5 x"), QStringList({"c3-d4 f6-g5 "})); // a lone last character goes
        QCOMPARE(variationLines(""), QStringList());
        Form5->ShowVariation("");
        QCOMPARE(Form5->Memo1->toPlainText(), QString());
    }

    void informationWindow()
    {
        QCOMPARE(Form9->windowTitle(), QStringLiteral("Информация"));
        QCOMPARE(Form9->size(), QSize(243, 122));
        const char* captions[] = {"Глубина расчёта:", "Лучший ход:",    "Оценка:",    "Скорость:",
                                  "Запросов в ЭБ:",   "Время анализа:", "Обработано:"};
        for (int k = 0; k < TForm9::fieldCount; ++k) {
            QCOMPARE(Form9->captions[k]->text(), QString::fromUtf8(captions[k]));
            QVERIFY(Form9->captions[k]->alignment() & Qt::AlignRight);
            QVERIFY(Form9->captions[k]->geometry().right() < 112);
            QCOMPARE(Form9->captions[k]->y(), 8 + 16 * k);
            // The caption's text fits its label.
            QVERIFY(Form9->captions[k]->fontMetrics().horizontalAdvance(Form9->captions[k]->text()) <=
                    Form9->captions[k]->width());
        }
        QCOMPARE(Form9->Label9->x(), 112);
        QCOMPARE(Form9->Label9->y(), 8 + 16 * 5);
        for (int line = 1; line <= 7; ++line) Form9->setField(line, QString::number(line * 11));
        QCOMPARE(Form9->Label9->text(), QStringLiteral("66"));
        QCOMPARE(Form9->field(3), QStringLiteral("33"));
        Form9->ClearInformation();
        for (int line = 1; line <= 5; ++line) QCOMPARE(Form9->field(line), QString());
        QCOMPARE(Form9->field(6), QStringLiteral("66"));
        QCOMPARE(Form9->field(7), QStringLiteral("77"));
    }

    void moveChoiceDialog()
    {
        QCOMPARE(Form6->windowTitle(), QStringLiteral("Выбор хода"));
        QCOMPARE(Form6->Label1->text(), QStringLiteral("Есть несколько вариантов этого хода"));
        QCOMPARE(Form6->Label2->text(), QStringLiteral("побитые шашки"));
        QCOMPARE(Form6->Button1->text(), QStringLiteral("Ok"));
        QVERIFY(Form6->Button1->isDefault());
        QCOMPARE(Form6->Button2->text(), QStringLiteral("Отмена"));
        QVERIFY(Form6->ListBox1->font().fixedPitch());
        const QStringList variants = {"c5:e5:e7", "c5:e7:g5", "d6:f6"};

        // "Ok" on the second line.
        QTimer::singleShot(0, this, [] {
            QCOMPARE(Form6->ListBox1->count(), 3);
            QCOMPARE(Form6->ListBox1->currentRow(), 0); // the first line comes selected
            Form6->ListBox1->setCurrentRow(1);
            QTest::mouseClick(Form6->Button1, Qt::LeftButton);
        });
        QCOMPARE(Form6->ChooseCapture(variants), 1);
        // Enter takes the selected line.
        QTimer::singleShot(0, this, [] {
            Form6->ListBox1->setCurrentRow(2);
            QTest::keyClick(Form6, Qt::Key_Return);
        });
        QCOMPARE(Form6->ChooseCapture(variants), 2);
        // A double click on a line.
        QTimer::singleShot(0, this, [] {
            Form6->ListBox1->setCurrentRow(1);
            emit Form6->ListBox1->itemDoubleClicked(Form6->ListBox1->item(1));
        });
        QCOMPARE(Form6->ChooseCapture(variants), 1);
        // "Отмена", Escape and the close box give none.
        QTimer::singleShot(0, this, [] { QTest::mouseClick(Form6->Button2, Qt::LeftButton); });
        QCOMPARE(Form6->ChooseCapture(variants), -1);
        QTimer::singleShot(0, this, [] { QTest::keyClick(Form6, Qt::Key_Escape); });
        QCOMPARE(Form6->ChooseCapture(variants), -1);
        QTimer::singleShot(0, this, [] { Form6->close(); });
        QCOMPARE(Form6->ChooseCapture(variants), -1);
    }

    void bookWindow()
    {
        QCOMPARE(Form7->windowTitle(), QStringLiteral("Книга"));
        QVERIFY(Form7->Memo1->isReadOnly());
        QVERIFY(Form7->Memo1->font().fixedPitch());
        QCOMPARE(Form7->Memo1->font().pixelSize(), 16);
        Form7->ClearText();
        Form7->AppendToFirstLine("c3-d4! ");
        Form7->AppendToFirstLine("g3-h4+ ");
        QCOMPARE(Form7->text(), QStringLiteral("c3-d4! g3-h4+ "));
        Form7->ClearText();
        QCOMPARE(Form7->text(), QString());
    }

    void notationWindow()
    {
        QCOMPARE(Form8->windowTitle(), QStringLiteral("Нотация партии"));
        QCOMPARE(Form8->size(), QSize(202, 410));
        QVERIFY(Form8->minimumSize() != Form8->maximumSize()); // sizable
        QCOMPARE(Form8->Edit1->height(), 33);
        QVERIFY(Form8->Edit1->isReadOnly());
        QVERIFY(Form8->ListBox1->font().fixedPitch());
        QCOMPARE(Form8->ListBox1->font().pixelSize(), 13);
        QVERIFY(Form8->SpeedButton1->autoRaise());
        QVERIFY(Form8->SpeedButton1->x() < Form8->SpeedButton2->x());
        QVERIFY(Form8->SpeedButton1->y() > Form8->ListBox1->geometry().bottom());
        Form8->SetLines({" 1. c3-d4 d6-c5", " 2. b2-c3 "});
        Form8->SelectLine(1);
        QCOMPARE(Form8->ListBox1->currentRow(), 1);
        QCOMPARE(Form8->lines(), QStringList({" 1. c3-d4 d6-c5", " 2. b2-c3 "}));
        QCOMPARE(Form8->ListBox1->sizeHintForRow(0), 16);
        Form8->SetOpeningName("Отыгрыш с dc3");
        QCOMPARE(Form8->Edit1->text(), QStringLiteral("Отыгрыш с dc3"));
        Form8->ClearList();
        QCOMPARE(Form8->ListBox1->count(), 0);
        QCOMPARE(Form8->Edit1->text(), QStringLiteral("Отыгрыш с dc3")); // the name stays
        // The list grows with the window.
        Form1->N15->trigger();
        QVERIFY(Form8->isVisible());
        Form8->resize(260, 500);
        QCOMPARE(Form8->ListBox1->width(), 260);
        QCOMPARE(Form8->ListBox1->height(), 500 - 33 - Form8->SpeedButton1->height());
        Form8->resize(202, 410);
        Form1->N15->trigger();
        QVERIFY(!Form8->isVisible());
    }

    void aboutBox()
    {
        QCOMPARE(AboutBox->windowTitle(), QStringLiteral("О программе..."));
        QVERIFY(AboutBox->Memo1->isReadOnly());
        QVERIFY(AboutBox->Memo1->toPlainText().contains(QStringLiteral("шашки гроссмейстерского уровня.")));
        QCOMPARE(AboutBox->Image1->size(), QSize(305, 301));
        QVERIFY(AboutBox->Image1->geometry().right() < AboutBox->Memo1->x());
        QCOMPARE(AboutBox->Button1->text(), QStringLiteral("Ok"));
        QVERIFY(AboutBox->Button1->isDefault());
        QVERIFY(!(AboutBox->windowFlags() & Qt::WindowCloseButtonHint));
        // Modal from the menu; Escape closes it.
        QTimer::singleShot(0, this, [] {
            QVERIFY(AboutBox->isModal() && AboutBox->isVisible());
            QTest::keyClick(AboutBox, Qt::Key_Escape);
        });
        Form1->N32->trigger();
        QVERIFY(!AboutBox->isVisible());
        QTimer::singleShot(0, this, [] { QTest::keyClick(AboutBox, Qt::Key_Return); });
        Form1->N32->trigger();
        QVERIFY(!AboutBox->isVisible());
    }

    void soundsComeWithTheProgram()
    {
        // The click is compiled in under its name; the move sound sits beside the program.
        QFile click(":/MyWave");
        QVERIFY(click.open(QIODevice::ReadOnly));
        const QByteArray wave = click.readAll();
        QCOMPARE(wave.left(4), QByteArray("RIFF"));
        QCOMPARE(wave.mid(8, 4), QByteArray("WAVE"));
        QVERIFY(wave.size() < 22050 * 2 / 10); // well under 100 ms of sound
        QVERIFY(Form1->PlayClickSound());
        Form1->PlayMoveSound(); // silent without a device or a file, never blocking
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
