// The trainer's panel: "Решать комбинации..." docks it at the right and widens the
// window, its texts and buttons follow the trainer on the board, the solution plays
// itself, and closing it, or a command that changes the game, brings the game back.
#include <QComboBox>
#include <QDockWidget>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include "engine/search.h"
#include "fixture.h"
#include "game/boardview.h"
#include "game/fen.h"
#include "game/trainer.h"
#include "ui/boardview.h"
#include "ui/trainerpanel.h"
#include "ui/unit1.h"

namespace {

std::string board() { return positionToFen(currentBoardPosition()); }

} // namespace

class TrainerPanelTest : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    std::string game;

private slots:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        QFile collection(QDir::current().filePath(QStringLiteral("puzzles.txt")));
        QVERIFY(collection.open(QIODevice::WriteOnly));
        collection.write("W:Wc3,Ka7:BKg1,f4 | c3-d4 g1:c5 a7:g5 | win | 2 1 | first\n"
                         "W:Wa1,c1,e1,g1,b2,h2,g3,f4:Bc5,b6,d6,h6,a7,e7,b8,d8,f8,h8 | f4-g5 h6:f4 g3:a5 | 2 | 2 1 | second\n");
        collection.close();
        startProgram();
        Form1->N26Click(); // two humans: the board's moves are the game's
        dragOnBoard("c3", "d4");
        game = board();
    }
    void cleanupTestCase()
    {
        DestroyWindows();
        QFile::remove(QDir::current().filePath(QStringLiteral("puzzles.txt")));
    }

    void theItemDocksThePanelAtTheRight()
    {
        const QList<QAction*> items = Form1->N1->actions();
        QCOMPARE(Form1->NTrainer->text(), QStringLiteral("Решать комбинации..."));
        QCOMPARE(items.indexOf(Form1->NTrainer), items.indexOf(Form1->NAnalyseGame) + 1);
        const int boardSide = Form1->boardWidget()->width();
        Form1->NTrainer->trigger();
        QVERIFY(puzzleTrainer().isOpen());
        QCOMPARE(trainerPanel->dock()->objectName(), QStringLiteral("trainerDock"));
        QVERIFY(trainerPanel->shown());
        QCOMPARE(Form1->dockWidgetArea(trainerPanel->dock()), Qt::RightDockWidgetArea);
        QCOMPARE(Form1->boardWidget()->width(), boardSide); // the window grew for the panel
        QCOMPARE(board(), std::string("W:Wc3,Ka7:BKg1,f4"));
        QCOMPARE(trainerPanel->puzzleLabel->text(), QStringLiteral("Задача 1 из 2"));
        QVERIFY(trainerPanel->messageLabel->text().startsWith(QStringLiteral("Ход белых")));
        QCOMPARE(trainerPanel->difficultyBox->currentText(), QStringLiteral("лёгкие"));
        QVERIFY(!trainerPanel->againButton->isEnabled());
    }

    void theTextsAndButtonsFollowTheBoard()
    {
        dragOnBoard("c3", "b4");
        QCOMPARE(trainerPanel->messageLabel->text(), QStringLiteral("Неверно"));
        QVERIFY(trainerPanel->againButton->isEnabled());
        QTest::mouseClick(trainerPanel->againButton, Qt::LeftButton);
        QVERIFY(!trainerPanel->againButton->isEnabled());
        dragOnBoard("c3", "d4");
        dragOnBoard("a7", "g5");
        QCOMPARE(puzzleTrainer().state(), PuzzleTrainer::State::Solved);
        QVERIFY(trainerPanel->progressLabel->text().contains(QStringLiteral("Решено: 1")));
        QVERIFY(trainerPanel->puzzleLabel->text().endsWith(QStringLiteral("(решена)")));
        QVERIFY(!trainerPanel->hintButton->isEnabled());

        QTest::mouseClick(trainerPanel->nextButton, Qt::LeftButton);
        QCOMPARE(trainerPanel->puzzleLabel->text(), QStringLiteral("Задача 2 из 2"));
        QTest::mouseClick(trainerPanel->solutionButton, Qt::LeftButton);
        QVERIFY(!trainerPanel->solutionButton->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(puzzleTrainer().state(), PuzzleTrainer::State::Failed, 5000);
        QCOMPARE(board(), positionToFen(puzzleTrainer().puzzle()->positions.back()));
        QVERIFY(trainerPanel->progressLabel->text().contains(QStringLiteral("Не решено: 1")));
    }

    void closingBringsTheGameBack()
    {
        QTest::mouseClick(trainerPanel->closeButton, Qt::LeftButton);
        QVERIFY(!puzzleTrainer().isOpen());
        QVERIFY(!trainerPanel->shown());
        QCOMPARE(board(), game);
        // A new game asked for while training is a new game, with the trainer closed first.
        Form1->NTrainer->trigger();
        QVERIFY(puzzleTrainer().isOpen());
        Form1->N2->trigger();
        QVERIFY(!puzzleTrainer().isOpen());
        QCOMPARE(positionToText(sideToMove), std::string(initialPositionText));
    }

    void anAnalysisOnTheBoardIsStoppedForTheTrainer()
    {
        bool turnRunningWhenAsked = false; // the turn may still be in its pause before the search
        QTimer::singleShot(50, [&turnRunningWhenAsked] {
            turnRunningWhenAsked = EngineTurnRunning();
            Form1->NTrainer->trigger();
        });
        timeBudget = unlimitedTime;
        Form1->N28Click(); // "Режим анализа": searches until something stops it
        QVERIFY(turnRunningWhenAsked);
        QTRY_VERIFY_WITH_TIMEOUT(puzzleTrainer().isOpen(), 5000);
        QCOMPARE(gameControl.mode, HumanHuman);
        QTest::mouseClick(trainerPanel->closeButton, Qt::LeftButton);
        QCOMPARE(gameControl.mode, Analysis);
        QCOMPARE(positionToText(sideToMove), std::string(initialPositionText));
        timeBudget = 200;
        Form1->N26Click();
    }
};

QTEST_MAIN(TrainerPanelTest)
#include "trainer_test.moc"
