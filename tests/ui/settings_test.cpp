// What stays between runs: every stored choice comes back after a restart, a damaged
// file gives the defaults, the reset returns to them; and what the panels show follows
// the game: nothing of the game before after a new game or a paste.
#include <QSpinBox>
#include <QActionGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolButton>

#include "engine/search.h"
#include "fixture.h"
#include "game/controlui.h"
#include "game/drawrules.h"
#include "game/filecommands.h"
#include "game/pdn.h"
#include "game/preferences.h"
#include "game/record.h"
#include "game/settings.h"
#include "game/strength.h"
#include "game/timecontrol.h"
#include "ui/evaluationbar.h"
#include "ui/settingsstore.h"
#include "ui/unit10.h"
#include "ui/unit2.h"
#include "ui/unit3.h"
#include "ui/unit4.h"
#include "ui/unit5.h"
#include "ui/unit8.h"
#include "ui/unit9.h"

namespace {
// The windows as a second start of the program makes them.
void restartWindows()
{
    StoreSettings();
    DestroyWindows();
    resetPreferences(); // whatever comes back must come from the file
    CreateWindows();
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { startProgram(); }
    void cleanupTestCase() { DestroyWindows(); }

    void everyChoiceComesBackAfterARestart()
    {
        Form1->levelGroup->actions()[2]->trigger(); // "Уровень 3"
        Form3->CheckBox1->click();                  // "Расширенная ничья" off
        Form3->CheckBox2->click();                  // the library off
        Form3->UpDown1Click(false);
        Form3->RadioButton3->click(); // "Plastic Design"
        Form3->CheckBox4->click();    // "Показывать ход" off
        Form3->CheckBox5->click();    // the federation's draw rules on
        Form3->show();
        Form3->SpinEdit1->setValue(Form3->SpinEdit1->value() == 1 ? 2 : 1); // threads chosen
        const int threads = threadsChosen;
        Form3->hide();
        marksShown = true;
        Form1->N12->trigger(); // turned
        Form1->N16->trigger(); // silent
        Form1->N19->trigger(); // pondering
        Form1->N22->trigger(); // the small board
        Form2->RadioButton2->click();
        Form2->ComboBox2->setEditText(QStringLiteral("15"));
        Form2->Button1->click();
        Form1->NEvaluationBar->trigger(); // hidden
        Form1->N15->trigger();            // notation shown
        Form1->N17->trigger();            // information hidden
        Form1->NGraph->trigger();
        Form10->dock()->setFloating(true);
        fileDialogMemory(FileDialogKind::Save) = {QStringLiteral("/tmp/games"), QStringLiteral("PDN (*.pdn)")};
        Form1->resize(700, 520);
        const QByteArray geometry = Form1->saveGeometry();

        restartWindows();

        QCOMPARE(engineLevel, 3);
        QVERIFY(Form1->levelGroup->actions()[2]->isChecked());
        QVERIFY(!extendedDraw && !Form3->CheckBox1->isChecked());
        QVERIFY(!bookEnabled && !Form3->CheckBox2->isChecked() && !Form3->SpeedButton1->isEnabled());
        QCOMPARE(bookQuietMoves, 9);
        QCOMPARE(Form3->Edit1->text(), QStringLiteral("9"));
        QVERIFY(designBase == 12 && Form3->RadioButton3->isChecked());
        QVERIFY(!showMove && !Form3->CheckBox4->isChecked());
        QVERIFY(officialDrawRules && Form3->CheckBox5->isChecked());
        QVERIFY(threads >= 1);
        QCOMPARE(threadsChosen, threads);
        Form3->show();
        QCOMPARE(Form3->SpinEdit1->value(), threads);
        Form3->hide();
        QVERIFY(marksShown);
        QVERIFY(boardView.rotated && Form1->N12->isChecked());
        QVERIFY(!boardView.soundOn && !Form1->N16->isChecked());
        QVERIFY(gameControl.ponderEnabled && Form1->N19->isChecked());
        QVERIFY(boardView.smallBoard && Form1->N22->isChecked());
        QCOMPARE(timeDialog.mode, TimeMode::Per40Moves);
        QCOMPARE(timeDialog.per40MovesText, std::string("15"));
        QVERIFY(Form2->RadioButton2->isChecked());
        QCOMPARE(Form2->ComboBox2->currentText(), QStringLiteral("15"));
        QCOMPARE(timeBudget, 15 * 6000 / 30);
        QVERIFY(!Form1->NEvaluationBar->isChecked() && Form1->evaluationBar->isHidden());
        QVERIFY(Form8->shown() && Form1->N15->isChecked());
        QVERIFY(!Form9->shown() && !Form1->N17->isChecked() && !gameControl.infoItemChecked);
        QVERIFY(Form10->shown() && Form10->dock()->isFloating());
        QCOMPARE(fileDialogMemory(FileDialogKind::Save).folder, QStringLiteral("/tmp/games"));
        QCOMPARE(fileDialogMemory(FileDialogKind::Save).filter, QStringLiteral("PDN (*.pdn)"));
        QCOMPARE(Form1->saveGeometry(), geometry);

        // "Сбросить настройки": the program's defaults and the first start's window.
        ModalCloser closer;
        closer.arm(QMessageBox::Yes);
        Form1->NResetSettings->trigger();
        QVERIFY(closer.seen);
        const PreferenceMap afterReset = currentPreferences();
        resetPreferences();
        QVERIFY(afterReset == currentPreferences());
        QCOMPARE(engineLevel, strongestLevel);
        QCOMPARE(threadsChosen, 0); // korvel.ini's number again
        QVERIFY(extendedDraw && Form3->CheckBox1->isChecked() && Form1->levelGroup->actions()[7]->isChecked());
        QVERIFY(Form9->shown() && !Form8->shown() && !Form10->shown() && Form1->N17->isChecked());
        QVERIFY(Form1->NEvaluationBar->isChecked() && !Form1->evaluationBar->isHidden());
        QVERIFY(fileDialogMemory(FileDialogKind::Save).folder.isEmpty());
    }

    void aDamagedFileGivesTheDefaults()
    {
        const char* damaged[] = {"\x01\x02 garbage \xff\xfe\n[game\nlevel=\n=\n",
                                 "[game]\nlevel=99\ndesign=7\ntime/perMove=0\nsound=perhaps\n"
                                 "[window]\ngeometry=@ByteArray(xyz)\nstate=12\n"};
        for (const char* text : damaged) {
            StoreSettings();
            DestroyWindows();
            QFile file(settingsFilePath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text);
            file.close();
            engineLevel = 2; // must not survive: the file's value is refused
            CreateWindows();
            QCOMPARE(engineLevel, strongestLevel);
            QCOMPARE(designBase, 0);
            QVERIFY(boardView.soundOn);
            QCOMPARE(timeDialog.perMoveText, std::string("2"));
            QVERIFY(Form9->shown());
            QVERIFY(Form1->isVisible());
        }
    }

    void panelsForgetTheGameBeforeANewGameOrAPaste()
    {
        Form1->N14->trigger(); // the variation
        if (!Form8->shown()) Form1->N15->trigger();
        SetMode(EngineBlack);
        bookEnabled = false;
        timeBudget = 30;
        for (int paste = 0; paste < 2; ++paste) {
            NewGameCommand();
            QVERIFY(engineIdle());
            dragOnBoard("c3", "d4");
            QVERIFY(engineIdle());
            setInfoFieldText(InfoField::Label14, "1.00 млн."); // written only by a long search
            QVERIFY(!Form9->field(1).isEmpty() && !Form9->field(7).isEmpty());
            QVERIFY(!Form5->Memo1->toPlainText().isEmpty());
            QVERIFY(Form8->ListBox1->count() > 0);
            QVERIFY(Form1->evaluationBar->score()); // the bar follows the engine's score
            if (paste) {
                QGuiApplication::clipboard()->setText(QStringLiteral("W:Wc3,e3,g3:Bb6,d6"));
                Form1->NPasteFen->trigger();
                QCOMPARE(Form1->statusBar()->currentMessage(), QString::fromUtf8(pastedStatus));
            } else {
                Form1->N2->trigger();
                QVERIFY(engineIdle());
            }
            for (int line : {1, 2, 3, 4, 5, 7}) QVERIFY2(Form9->field(line).isEmpty(), qPrintable(Form9->field(line)));
            QVERIFY(!Form9->field(6).isEmpty()); // the time control's budget belongs to no game
            QVERIFY(Form5->Memo1->toPlainText().isEmpty());
            QCOMPARE(Form8->ListBox1->count(), 0);
            QVERIFY(Form8->Edit1->text().isEmpty());
            QVERIFY(!Form1->evaluationBar->score());
            // Nothing outlined: the position did not come by a move.
            QCOMPARE(std::string(boardPicture, 64), std::string(previousBoardPicture, 64));
        }
        QCOMPARE(gameControl.mode, HumanHuman);
        QCOMPARE(Form1->modeStatus->text(), QStringLiteral("Человек с человеком"));
        bookEnabled = true;
        timeBudget = 200;
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
