// The services the game calls back through: message boxes, the pause, and the
// window state it reads and writes.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>

#include "fixture.h"
#include "ui/services.h"
#include "ui/unit1.h"
#include "ui/unit7.h"
#include "ui/unit8.h"

namespace {
// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};
} // namespace

class ServicesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { startProgram(); }
    void cleanupTestCase() { DestroyWindows(); }

    void messageBoxesShowTheTextAndAnswer()
    {
        ModalCloser closer;
        closer.arm();
        WindowServices::ShowMessage(QStringLiteral("Белые выиграли!"));
        QVERIFY(closer.seen);
        QCOMPARE(closer.seenText, QStringLiteral("Белые выиграли!"));

        ModalCloser yes;
        yes.arm(QMessageBox::Yes);
        QVERIFY(WindowServices::AskYesNo(QStringLiteral("Файл уже существует. Перезаписать?")));
        QCOMPARE(yes.seenText, QStringLiteral("Файл уже существует. Перезаписать?"));
        ModalCloser no;
        no.arm(QMessageBox::No);
        QVERIFY(!WindowServices::AskYesNo(QStringLiteral("Файл уже существует. Перезаписать?")));
    }

    void pauseLastsAndKeepsDrawing()
    {
        PaintCounter counter;
        Form1->boardWidget()->installEventFilter(&counter);
        Form1->boardWidget()->update();
        QElapsedTimer clock;
        clock.start();
        WindowServices::BlockingSleep(120);
        QVERIFY(clock.elapsed() >= 115);
        QVERIFY(counter.paints >= 1);
        Form1->boardWidget()->removeEventFilter(&counter);
    }

    void windowStateReadAndWritten()
    {
        WindowServices::SetInfoField(3, QStringLiteral("+99"));
        QCOMPARE(WindowServices::InfoField(3), QStringLiteral("+99"));
        WindowServices::ClearInformation();
        QCOMPARE(WindowServices::InfoField(3), QString());

        QVERIFY(WindowServices::SoundOn());
        QCOMPARE(WindowServices::CellSize(), 39);
        QCOMPARE(WindowServices::Margin(), 0);
        QVERIFY(!WindowServices::Rotated());
        QVERIFY(!WindowServices::BookShown());
        QVERIFY(!WindowServices::VariationShown());
        QVERIFY(!WindowServices::NotationShown());
        Form1->N13->trigger();
        QVERIFY(WindowServices::BookShown());
        Form1->N13->trigger();

        WindowServices::ClearBook();
        WindowServices::AppendBook(QStringLiteral("c3-d4! "));
        WindowServices::AppendBook(QStringLiteral("g3-h4+ "));
        QCOMPARE(Form7->text(), QStringLiteral("c3-d4! g3-h4+ "));

        WindowServices::SetNotation({" 1. c3-d4 d6-c5", " 2. b2-c3 "}, 1, QStringLiteral("Отыгрыш"));
        QCOMPARE(Form8->ListBox1->currentRow(), 1);
        QCOMPARE(Form8->Edit1->text(), QStringLiteral("Отыгрыш"));

        WindowServices::CheckModeItem(HumanHuman);
        QVERIFY(WindowServices::ModeItemChecked(HumanHuman));
        QVERIFY(!WindowServices::ModeItemChecked(EngineBlack));
        WindowServices::CheckModeItem(EngineBlack);

        WindowServices::ShowSetupPanel();
        QVERIFY(Form1->setupActive());
        QVERIFY(WindowServices::SetupWhiteToMove());
        WindowServices::HideSetupPanel();
        QVERIFY(!Form1->setupActive());

        QVERIFY(!WindowServices::FortyMovesChosen());
        QCOMPARE(WindowServices::FortyMovesText(), QStringLiteral("10"));
    }
};

QTEST_MAIN(ServicesTest)
#include "services_test.moc"
