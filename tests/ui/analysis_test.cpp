// The whole-game analysis from the menu: the time question, the progress dialog that
// goes when it ends, the graph drawing the scores, and a click on it going to a half-move.
#include <QInputDialog>
#include <QMenu>

#include <filesystem>
#include <fstream>

#include "fixture.h"
#include "game/analysis.h"
#include "game/filecommands.h"
#include "game/record.h"
#include "ui/analysisdialog.h"
#include "ui/unit1.h"
#include "ui/unit10.h"

namespace {

// Chooses the time caption in the time question as soon as it opens.
void answerTimeQuestion(const QString& caption, int triesLeft = 200)
{
    QTimer::singleShot(10, [caption, triesLeft] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (triesLeft > 0) answerTimeQuestion(caption, triesLeft - 1);
            return;
        }
        dialog->setTextValue(caption);
        dialog->accept();
    });
}

} // namespace

class AnalysisWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { startProgram(); }
    void cleanupTestCase() { DestroyWindows(); }

    void analysedFromTheMenuAndTheGraphGoesWhereItIsClicked()
    {
        const auto file = std::filesystem::temp_directory_path() / "korvel-ui-analysis.pdn";
        std::ofstream(file) << "1. c3-d4 f6-g5 2. b2-c3 g5-h4 *\n";
        QVERIFY(LoadGameFiles(file.string()));
        std::filesystem::remove(file);
        QCOMPARE(gameRecord.plyNumber, 5);
        maxIterationDepth = 7;

        // Greyed out in the open menu while the engine thinks.
        gameControl.thinking = true;
        emit Form1->N1->aboutToShow();
        QVERIFY(!Form1->NAnalyseGame->isEnabled());
        gameControl.thinking = false;
        emit Form1->N1->aboutToShow();
        QVERIFY(Form1->NAnalyseGame->isEnabled());

        // Cancelled at the question: nothing is analysed.
        ModalCloser closer;
        closer.arm();
        Form1->NAnalyseGame->trigger();
        QVERIFY(closer.seen);
        QVERIFY(!evaluationGraph().scores[0]);

        QCOMPARE(analysisTimeCaptions().indexOf(QStringLiteral("0,5 с")), 0);
        QCOMPARE(analysisTimeChoices[0], 50);
        answerTimeQuestion(QStringLiteral("0,5 с"));
        Form1->NAnalyseGame->trigger();
        maxIterationDepth = lastIterationDepth;
        const EvaluationGraph graph = evaluationGraph();
        QCOMPARE(static_cast<int>(graph.scores.size()), 5);
        for (const auto& score : graph.scores) QVERIFY(score.has_value());
        QVERIFY(!QApplication::activeModalWidget()); // the progress dialog went
        QCOMPARE(gameRecord.plyNumber, 5);

        Form1->NGraph->trigger();
        QVERIFY(Form10->isVisible());
        QVERIFY(!Form10->grab().isNull());
        const int middle = Form10->plotArea().center().y();
        QTest::mouseClick(Form10, Qt::LeftButton, {}, QPoint(Form10->positionX(1, 4), middle));
        QCOMPARE(gameRecord.plyNumber, 2);
        QTest::mouseClick(Form10, Qt::LeftButton, {}, QPoint(Form10->plotArea().right() + 5, middle));
        QCOMPARE(gameRecord.plyNumber, 5);
        QCOMPARE(evaluationGraph().current, 4);
        Form1->NGraph->trigger();
    }
};

QTEST_MAIN(AnalysisWindowTest)
#include "analysis_test.moc"
