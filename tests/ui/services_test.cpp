// The windows as the game's interface: message boxes and pauses, the fields and
// windows the game writes, and whole moves played with the mouse.
#include <QElapsedTimer>
#include <QClipboard>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "engine/search.h"
#include "fixture.h"
#include "game/book.h"
#include "game/control.h"
#include "game/fen.h"
#include "game/filecommands.h"
#include "game/notation.h"
#include "game/record.h"
#include "game/setup.h"
#include "ui/boardview.h"
#include "ui/gamechoice.h"
#include "ui/services.h"
#include "ui/unit1.h"
#include "ui/unit5.h"
#include "ui/unit7.h"
#include "ui/unit8.h"
#include "ui/unit9.h"

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
    void initTestCase()
    {
        startProgram();
        timeBudget = 20; // a fifth of a second a move keeps the test short
    }
    void cleanupTestCase() { DestroyWindows(); }

    void messageBoxesShowTheTextAndAnswer()
    {
        ModalCloser closer;
        closer.arm();
        controlUi().showMessage("Белые выиграли!");
        QVERIFY(closer.seen);
        QCOMPARE(closer.seenText, QStringLiteral("Белые выиграли!"));

        ModalCloser yes;
        yes.arm(QMessageBox::Yes);
        QVERIFY(controlUi().askYesNo("Файл уже существует. Перезаписать?"));
        QCOMPARE(yes.seenText, QStringLiteral("Файл уже существует. Перезаписать?"));
        ModalCloser no;
        no.arm(QMessageBox::No);
        QVERIFY(!controlUi().askYesNo("Файл уже существует. Перезаписать?"));
    }

    void pauseLastsAndKeepsDrawing()
    {
        PaintCounter counter;
        Form1->boardWidget()->installEventFilter(&counter);
        Form1->boardWidget()->update();
        QElapsedTimer clock;
        clock.start();
        controlUi().pause(120);
        QVERIFY(clock.elapsed() >= 115);
        QVERIFY(counter.paints >= 1);
        Form1->boardWidget()->removeEventFilter(&counter);
    }

    void searchFieldsReachTheirLines()
    {
        // Each field of the search lands on the line of its caption.
        for (InfoField f : {InfoField::Label1, InfoField::Label6, InfoField::Label7, InfoField::Label8,
                            InfoField::Label12, InfoField::Label9, InfoField::Label14}) {
            const int line = infoLineOf(f);
            QCOMPARE(Form9->captions[line - 1]->text(), QString::fromUtf8(infoFieldCaption(f)));
            const std::string text{'x', static_cast<char>('0' + line)};
            setInfoFieldText(f, text);
            QCOMPARE(Form9->field(line), QStringLiteral("x%1").arg(line));
        }
        // The longest score text fits its field.
        setInfoFieldText(InfoField::Label7, "Выигрыш через 12 ходов");
        QLabel* score = Form9->Label6;
        QCOMPARE(score->text(), QStringLiteral("Выигрыш через 12 ходов"));
        QVERIFY(QFontMetrics(score->font()).horizontalAdvance(score->text()) <= score->width());
        setInfoFieldText(InfoField::Label7, "+3");
        QCOMPARE(score->font().pixelSize(), Form9->font().pixelSize());
        controlUi().showVariation(" ...  f6-g5 g3-h4 ");
        QCOMPARE(Form5->Memo1->toPlainText(), QStringLiteral(" ...  f6-g5 \ng3-h4 "));
        QVERIFY(!controlUi().variationItemChecked());
        Form1->N14->trigger();
        QVERIFY(controlUi().variationItemChecked());
        Form1->N14->trigger();
    }

    void menuMarksFollowTheGame()
    {
        controlUi().checkMenuItem(MenuItem::Ponder, true);
        QVERIFY(Form1->N19->isChecked());
        controlUi().checkMenuItem(MenuItem::Ponder, false);
        QVERIFY(!Form1->N19->isChecked());
        controlUi().enableMenuItem(MenuItem::SmallBoard, false);
        QVERIFY(!Form1->N22->isEnabled());
        controlUi().enableMenuItem(MenuItem::SmallBoard, true);
        // The setup item is a radio item: checking it takes the mark from the mode.
        controlUi().checkMenuItem(MenuItem::Setup, true);
        QVERIFY(Form1->N30->isChecked());
        QVERIFY(!Form1->N24->isChecked());
        controlUi().checkMenuItem(MenuItem::Setup, false);
        QVERIFY(!Form1->N30->isChecked());
        controlUi().checkModeItem(EngineBlack);
        QVERIFY(Form1->N24->isChecked());
    }

    void humanMoveByMouseAndTheEngineAnswers()
    {
        Form1->N13->trigger(); // the book window
        Form1->N15->trigger(); // the notation window
        QCOMPARE(gameControl.mode, EngineBlack);
        QCOMPARE(sideToMove, 0);
        // A move that is not legal changes nothing.
        dragOnBoard("c3", "e5");
        QCOMPARE(gameRecord.plyNumber, 1);
        QCOMPARE(boardPicture[18], 'w'); // c3

        dragOnBoard("c3", "d4");
        QVERIFY(engineIdle());
        QCOMPARE(gameRecord.plyNumber, 3); // c3-d4 and Black's answer
        QCOMPARE(entryMoveText(gameRecord.entries[2]), std::string("c3-d4"));
        QCOMPARE(sideToMove, 0);
        QCOMPARE(boardPicture[18], '.');
        QCOMPARE(boardPicture[27], 'w'); // d4
        // The board shows what the record holds.
        QVERIFY(entryMatchesBoard(gameRecord.entries[3]));
        // The notation window lists the whole move, with Black's answer.
        QVERIFY(Form8->ListBox1->count() >= 1);
        const QString first = Form8->ListBox1->item(0)->text();
        QVERIFY2(first.contains("c3-d4") &&
                     first.contains(QString::fromStdString(entryMoveText(gameRecord.entries[3]))),
                 qPrintable(first));
        // The book window shows what the library offers here, the information window the search.
        QCOMPARE(Form7->text(), QString::fromStdString(bookText));

        // Take-back through the menu puts the first position back.
        Form1->N8->trigger();
        QCOMPARE(gameRecord.plyNumber, 1);
        QCOMPARE(boardPicture[18], 'w');
        Form1->N13->trigger();
        Form1->N15->trigger();
    }

    void aBadConfigurationAtNewGameIsReportedAndTheGameStays()
    {
        NewGameCommand();
        QVERIFY(engineIdle());
        dragOnBoard("c3", "d4");
        QVERIFY(engineIdle());
        QCOMPARE(gameRecord.plyNumber, 3);
        QTemporaryDir dir;
        const std::string saved = configFileName;
        configFileName = dir.filePath(QStringLiteral("korvel.ini")).toStdString();
        QFile ini(QString::fromStdString(configFileName));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("hashsize=12x\n");
        ini.close();
        ModalCloser closer;
        closer.arm();
        // The shortcut reaches the window the user works in.
        QApplication::setActiveWindow(Form1);
        QTest::keyClick(Form1, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(closer.seen);
        QVERIFY2(closer.seenText.contains(QStringLiteral("hashsize")) && closer.seenText.contains(QStringLiteral("12x")),
                 qPrintable(closer.seenText));
        QCOMPARE(gameRecord.plyNumber, 3);
        QVERIFY(entryMatchesBoard(gameRecord.entries[3]));
        configFileName = saved;
        NewGameCommand();
        QCOMPARE(gameRecord.plyNumber, 1);
    }

    void rotatedBoardMapsClicksBack()
    {
        NewGameCommand();
        QVERIFY(engineIdle());
        Form1->N12->trigger();
        // On the turned board a1 is the top-right square; squareCorner undoes the turn.
        const int cell = cellSize();
        QCOMPARE(squareCentre("a1"), QPoint(7 * cell + cell / 2, cell / 2));
        dragOnBoard("c3", "d4");
        QVERIFY(engineIdle());
        QCOMPARE(entryMoveText(gameRecord.entries[2]), std::string("c3-d4"));
        Form1->N12->trigger();
        NewGameCommand();
        QVERIFY(engineIdle());
    }

    void setupPanelButtonsEditAndLeave()
    {
        Form1->N30->trigger();
        QVERIFY(Form1->setupActive());
        QTest::mouseClick(Form1->Button2, Qt::LeftButton); // "Очистить"
        for (int k = 0; k < 64; ++k) QCOMPARE(boardPicture[k], '.');
        // A left click puts a white man, a right click a black man.
        QWidget* board = Form1->boardWidget();
        QTest::mouseClick(board, Qt::LeftButton, Qt::NoModifier, squareCentre("c3"));
        QTest::mouseClick(board, Qt::RightButton, Qt::NoModifier, squareCentre("f6"));
        QCOMPARE(boardPicture[18], 'w');
        QCOMPARE(boardPicture[45], 'b');
        QTest::mouseClick(Form1->RadioButton2, Qt::LeftButton); // Black to move
        QTest::mouseClick(Form1->Button4, Qt::LeftButton);      // "Готово"
        QVERIFY(!Form1->setupActive());
        QVERIFY(engineIdle());
        // Black to move in EngineBlack: the engine has moved from the set-up position.
        QCOMPARE(gameRecord.plyNumber, 2);
        QCOMPARE(sideToMove, 0);
        QVERIFY(Form1->N24->isChecked());
        QVERIFY(Form1->N22->isEnabled());

        // "Начальная" then "Отмена": the game before setup comes back.
        const GameRecord before = gameRecord;
        Form1->N30->trigger();
        QTest::mouseClick(Form1->Button1, Qt::LeftButton); // "Начальная"
        QCOMPARE(boardPicture[18], 'w');
        QCOMPARE(boardPicture[63], 'b'); // h8
        QTest::mouseClick(Form1->Button3, Qt::LeftButton); // "Отмена"
        QVERIFY(!Form1->setupActive());
        QCOMPARE(gameRecord.plyNumber, before.plyNumber);
        QVERIFY(entryMatchesBoard(gameRecord.entries[gameRecord.plyNumber]));
        QCOMPARE(boardPicture[63], '.');
        QVERIFY(Form1->N24->isChecked());
    }

    void positionsAndGamesExchanged()
    {
        SetMode(HumanHuman);
        NewGameCommand();
        Form1->NCopyFen->trigger();
        const QString start = QGuiApplication::clipboard()->text();
        QVERIFY2(start.startsWith("W:W"), qPrintable(start));

        // A string that is no position: a message, and the game stays.
        dragOnBoard("c3", "d4");
        const int ply = gameRecord.plyNumber;
        QGuiApplication::clipboard()->setText("W:Wz9");
        ModalCloser closer;
        closer.arm();
        Form1->NPasteFen->trigger();
        QVERIFY(closer.seen);
        QCOMPARE(gameRecord.plyNumber, ply);
        QCOMPARE(boardPicture[27], 'w');

        // A position: the game starts from it.
        QGuiApplication::clipboard()->setText("B:Wa1,Kg3:Bb8,h8");
        Form1->NPasteFen->trigger();
        QCOMPARE(gameRecord.plyNumber, 1);
        QCOMPARE(sideToMove, 1);
        QCOMPARE(boardPicture[0], 'w');  // a1
        QCOMPARE(boardPicture[22], 'W'); // g3
        Form1->NCopyFen->trigger();
        const auto copied = parseFen(QGuiApplication::clipboard()->text().toStdString());
        QVERIFY(copied.has_value());
        QVERIFY(*copied == currentBoardPosition());

        // A file of two games: the second is chosen from the list and loaded whole.
        QTemporaryDir dir;
        const QString name = dir.filePath("two.pdn");
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. c3-d4 *\n\n"
                   "[White \"C\"]\n[Black \"D\"]\n[Result \"*\"]\n\n1. g3-h4 b6-a5 2. h4-g5 *\n");
        file.close();
        QStringList offered;
        QTimer::singleShot(50, [&offered] {
            offered.clear();
            for (int k = 0; k < GameChoice->ListBox1->count(); ++k) offered << GameChoice->ListBox1->item(k)->text();
            GameChoice->ListBox1->setCurrentRow(1);
            GameChoice->Button1->click();
        });
        QVERIFY(LoadGameFiles(name.toStdString()));
        QCOMPARE(offered.size(), 2);
        QVERIFY2(offered[1].contains("C") && offered[1].contains("g3-h4"), qPrintable(offered[1]));
        QCOMPARE(gameRecord.plyNumber, 4);
        QCOMPARE(entryMoveText(gameRecord.entries[4]), std::string("h4-g5"));
        QCOMPARE(gameControl.mode, HumanHuman);
        QVERIFY(Form1->N26->isChecked());
    }

    // Last: it ends the program's message loop.
    void closingDuringASearchEndsTheProgram()
    {
        NewGameCommand();
        QVERIFY(engineIdle());
        timeBudget = unlimitedTime;
        QEventLoop program;
        QTimer::singleShot(0, [] { SetMode(EngineBoth); });
        // Closed once the engine thinks (the library's moves come first, 300 ms apart).
        bool closedWhileThinking = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&closedWhileThinking, &watch] {
            if (!gameControl.thinking || movesMade() == 0) return;
            watch.stop();
            closedWhileThinking = true;
            Form1->close();
        });
        watch.start(10);
        QTimer::singleShot(20000, [&program] { program.exit(1); }); // the search kept going
        QCOMPARE(program.exec(), 0);
        QVERIFY(closedWhileThinking);
        QVERIFY(gameControl.closing);
        QVERIFY(!gameControl.thinking);
        QVERIFY(!Form1->isVisible());
        timeBudget = 20;
    }
};

QTEST_MAIN(ServicesTest)
#include "services_test.moc"
