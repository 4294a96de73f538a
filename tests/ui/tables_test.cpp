// Making the endgame tables from the windows: the question on the first start, the
// progress dialog with its Cancel, and the item of the "Настройки" menu.
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <fstream>

#include "fixture.h"
#include "game/tables.h"
#include "tests/game/fake_builder.h"
#include "ui/tablesdialog.h"
#include "ui/unit1.h"

namespace fs = std::filesystem;

class TablesTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    std::string path(const char* name) const { return (fs::path(dir.path().toStdString()) / name).string(); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        fs::create_directories(path("work"));
        resolveDataPathsIn(path("work"), path("user"));
        startProgram();
    }
    void cleanupTestCase() { DestroyWindows(); }

    void theSettingsMenuMakesThem()
    {
        QStringList captions;
        for (QAction* item : Form1->N10->actions()) captions << item->text();
        QVERIFY(captions.contains(QStringLiteral("Создать таблицы эндшпиля...")));
    }

    void theFirstStartAsksOnceAndRemembersNo()
    {
        QVERIFY(ShouldOfferTables());
        ModalCloser closer;
        closer.arm(QMessageBox::No);
        OfferEndgameTables();
        QVERIFY(closer.seen);
        QCOMPARE(closer.seenText, QString::fromUtf8(tablesQuestion));
        QVERIFY(!ShouldOfferTables());

        ModalCloser again;
        again.arm(QMessageBox::No);
        OfferEndgameTables();
        QTest::qWait(50);
        QVERIFY(!again.seen);
    }

    void damagedTablesAreToldOnceWithTheOfferToMakeThemAgain()
    {
        fs::create_directories(path("damaged"));
        std::ofstream(path("damaged/2d0p_1d0p_ru.brg")) << "cut short";
        const std::string savedPath = egtbpath;
        const int savedPieces = EGTBPieses;
        egtbpath = path("damaged") + "/";
        EGTBPieses = 3;
        ModalCloser closer;
        closer.arm(QMessageBox::No);
        OfferEndgameTables();
        QVERIFY(closer.seen);
        QVERIFY(closer.seenText.startsWith(QStringLiteral("Повреждённые файлы таблиц эндшпиля в папке ")));
        QVERIFY(closer.seenText.contains(QStringLiteral("2d0p_1d0p_ru.brg: 9 байт вместо ")));
        QVERIFY(closer.seenText.endsWith(QStringLiteral("Создать таблицы заново?")));
        ModalCloser again;
        again.arm(QMessageBox::No);
        OfferEndgameTables();
        QTest::qWait(50);
        QVERIFY(!again.seen);
        egtbpath = savedPath;
        EGTBPieses = savedPieces;
    }

    void theDialogShowsTheTablesMadeAndCancels()
    {
        const std::string builder =
            game_testing::writeFakeBuilder(path("slow"), path("started"), 3, false, "exec sleep 30");
        TTablesDialog dialog(Form1);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Таблицы эндшпиля"));
        QCOMPARE(dialog.Button1->text(), QStringLiteral("Отмена"));
        QString shown, last;
        int bar = -1;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &dialog, [&] {
            if (!dialog.isVisible() || !dialog.Label3->text().endsWith(bitbaseTables[2].name)) return;
            shown = dialog.Label2->text();
            last = dialog.Label3->text();
            bar = dialog.ProgressBar1->value();
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        });
        watch.start(20);
        QCOMPARE(dialog.MakeTables(builder, writableDataFolder()), TablesBuild::State::Cancelled);
        QCOMPARE(shown, QStringLiteral("Создаётся таблица 4 из 45"));
        QCOMPARE(last, QStringLiteral("Последняя готовая: ") + bitbaseTables[2].name);
        QVERIFY(bar >= 0 && bar < 10);
        QVERIFY(!fs::exists(path("user/korvel/egtb.tmp")));
        QVERIFY(!fs::exists(tablesFolder()));
    }

    void aFinishedRunPutsTheTablesInPlace()
    {
        const std::string builder =
            game_testing::writeFakeBuilder(path("complete"), path("started"), bitbaseTableCount, true, "exit 0");
        TTablesDialog dialog(Form1);
        QCOMPARE(dialog.MakeTables(builder, writableDataFolder()), TablesBuild::State::Done);
        QVERIFY(tablesComplete(tablesFolder()));
        QCOMPARE(dialog.ProgressBar1->value(), dialog.ProgressBar1->maximum());
    }
};

QTEST_MAIN(TablesTest)
#include "tables_test.moc"
