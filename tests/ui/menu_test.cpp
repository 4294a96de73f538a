// The main menu: captions, shortcuts, initial marks, the mode radio group and
// the window toggles keeping window and mark in step.
#include <QActionGroup>
#include <QMenuBar>

#include "game/boardview.h"
#include "game/control.h"

#include "fixture.h"
#include "ui/unit1.h"
#include "ui/unit4.h"
#include "ui/unit5.h"
#include "ui/unit7.h"
#include "ui/unit8.h"
#include "ui/unit9.h"
#include "ui/unit10.h"

class MenuTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { startProgram(); }
    void cleanupTestCase() { DestroyWindows(); }

    void menusAndItemsAsAtStart()
    {
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Korvel 1.01 from 19.10.2005"));
        const QList<QAction*> menus = Form1->menuBar()->actions();
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[0]->text(), QStringLiteral("Игра"));
        QCOMPARE(menus[1]->text(), QStringLiteral("Настройки"));
        QCOMPARE(menus[2]->text(), QStringLiteral("Режим"));
        QCOMPARE(menus[3]->text(), QStringLiteral("Помощь"));

        struct Item {
            QAction* action;
            const char* caption;
            QKeySequence shortcut;
            bool checkable;
            bool checked;
        };
        const Item items[] = {
            {Form1->N2, "Новая игра", QKeySequence(Qt::CTRL | Qt::Key_N), false, false},
            {Form1->N3, "Предложить ничью", {}, false, false},
            {Form1->N4, "Загрузить...", QKeySequence(Qt::CTRL | Qt::Key_O), false, false},
            {Form1->N5, "Сохранить...", QKeySequence(Qt::CTRL | Qt::Key_S), false, false},
            {Form1->NCopyFen, "Копировать позицию (FEN)", {}, false, false},
            {Form1->NPasteFen, "Вставить позицию (FEN)", {}, false, false},
            {Form1->N6, "Отменить полуход", QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Backspace), false, false},
            {Form1->N7, "Вернуть полуход", QKeySequence(Qt::SHIFT | Qt::Key_Insert), false, false},
            {Form1->N8, "Отменить ход", QKeySequence(Qt::ALT | Qt::Key_Backspace), false, false},
            {Form1->N9, "Вернуть ход", QKeySequence(Qt::CTRL | Qt::Key_Insert), false, false},
            {Form1->NAnalyseGame, "Анализ партии...", {}, false, false},
            {Form1->NHint, "Подсказка", QKeySequence(Qt::CTRL | Qt::Key_H), false, false},
            {Form1->NExit, "Выход", QKeySequence(Qt::CTRL | Qt::Key_Q), false, false},
            {Form1->N11, "Время...", QKeySequence(Qt::CTRL | Qt::Key_T), false, false},
            {Form1->N12, "Повернутая доска", QKeySequence(Qt::Key_F2), true, false},
            {Form1->N13, "Книга", {}, true, false},
            {Form1->N14, "Основной вариант", {}, true, false},
            {Form1->N15, "Нотация", {}, true, false},
            {Form1->NGraph, "График", {}, true, false},
            {Form1->NEvaluationBar, "Шкала оценки", {}, true, true},
            {Form1->N16, "Звук", {}, true, true},
            {Form1->N17, "Информация", {}, true, true},
            {Form1->N18, "Часы", {}, true, false},
            {Form1->N19, "Использование времени соперника", {}, true, false},
            {Form1->N21, "Настройки программы...", {}, false, false},
            // The first start shows the board at two thirds of the screen, neither of the two sizes.
            {Form1->N22, "Маленькая доска", {}, true, false},
            {Form1->NResetSettings, "Сбросить настройки", {}, false, false},
            {Form1->N24, "Korvel играет чёрными", {}, true, true},
            {Form1->N25, "Korvel играет белыми", {}, true, false},
            {Form1->N26, "Человек с человеком", {}, true, false},
            {Form1->N27, "Korvel за обе стороны", {}, true, false},
            {Form1->N28, "Режим анализа", {}, true, false},
            {Form1->N30, "Расстановка позиции", {}, true, false},
            {Form1->NHelp, "Как играть", QKeySequence(Qt::Key_F1), false, false},
            {Form1->N32, "О программе...", {}, false, false},
        };
        for (const Item& item : items) {
            QCOMPARE(item.action->text(), QString::fromUtf8(item.caption));
            QCOMPARE(item.action->shortcut(), item.shortcut);
            QCOMPARE(item.action->isCheckable(), item.checkable);
            QCOMPARE(item.action->isChecked(), item.checked);
            QVERIFY(item.action->isEnabled());
        }
        QVERIFY(Form1->N20->isSeparator());
        QVERIFY(!Form1->N20->isVisible());
        QVERIFY(Form1->N29->isSeparator());
        // The items sit in their menus in the listed order.
        const QList<QAction*> game = Form1->N1->actions();
        QCOMPARE(game.indexOf(Form1->N2), 0);
        QCOMPARE(game.indexOf(Form1->NCopyFen), 4); // the exchange items follow "Сохранить..."
        QCOMPARE(game.indexOf(Form1->NPasteFen), 5);
        QCOMPARE(game.indexOf(Form1->N9), 9);
        QCOMPARE(game.indexOf(Form1->NAnalyseGame), 10);
        QCOMPARE(game.indexOf(Form1->NExit), game.size() - 1);
        QVERIFY(game.indexOf(Form1->NHint) > game.indexOf(Form1->NAnalyseGame));
        // The platform's undo and redo keys beside the program's own.
        QVERIFY(Form1->N6->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
        QVERIFY(Form1->N7->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
        QVERIFY(Form1->N7->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
        QCOMPARE(Form1->N31->actions().indexOf(Form1->NHelp), 0);
        // Greyed out in the open menu when no human can move, live again once it closes.
        emit Form1->N1->aboutToShow();
        QVERIFY(Form1->NHint->isEnabled());
        gameControl.gameOver = true;
        emit Form1->N1->aboutToShow();
        QVERIFY(!Form1->NHint->isEnabled());
        emit Form1->N1->aboutToHide();
        QVERIFY(Form1->NHint->isEnabled());
        gameControl.gameOver = false;
        const QList<QAction*> settings = Form1->N10->actions();
        QCOMPARE(settings.indexOf(Form1->N11), 0);
        QCOMPARE(settings.indexOf(Form1->NGraph), 5); // the graph's item follows "Нотация"
        QCOMPARE(settings.indexOf(Form1->N22), 13);
        QCOMPARE(Form1->N23->actions().indexOf(Form1->N30), 6);

        QVERIFY(Form1->isVisible());
        QVERIFY(Form9->isVisible());
        QVERIFY(!Form4->isVisible());
        QVERIFY(!Form5->isVisible());
        QVERIFY(!Form7->isVisible());
        QVERIFY(!Form8->isVisible());
        QVERIFY(!Form10->isVisible());
    }

    void windowTogglesKeepMarkAndWindowInStep()
    {
        struct Toggle {
            QAction* item;
            QWidget* window;
        };
        const Toggle toggles[] = {{Form1->N13, Form7}, {Form1->N14, Form5}, {Form1->N15, Form8},
                                  {Form1->NGraph, Form10}, {Form1->N17, Form9}, {Form1->N18, Form4}};
        for (const Toggle& t : toggles) {
            const bool before = t.item->isChecked();
            QCOMPARE(t.window->isVisible(), before);
            t.item->trigger();
            QCOMPARE(t.item->isChecked(), !before);
            QCOMPARE(t.window->isVisible(), !before);
            t.item->trigger();
            QCOMPARE(t.item->isChecked(), before);
            QCOMPARE(t.window->isVisible(), before);
            // Shown from the menu, closed by its close box: hidden and unchecked.
            if (!t.item->isChecked()) t.item->trigger();
            QVERIFY(t.window->isVisible());
            t.window->close();
            QVERIFY(!t.window->isVisible());
            QVERIFY(!t.item->isChecked());
            // The next menu click shows it again.
            t.item->trigger();
            QVERIFY(t.window->isVisible());
            QVERIFY(t.item->isChecked());
            if (!before) t.item->trigger();
            QCOMPARE(t.window->isVisible(), before);
        }
    }

    void plainTogglesFlipOnlyTheirMark()
    {
        // Each mark and the setting behind it stay in step.
        struct Plain {
            QAction* item;
            const bool* setting;
        };
        for (const Plain& p : {Plain{Form1->N16, &boardView.soundOn}, Plain{Form1->N19, &gameControl.ponderEnabled},
                               Plain{Form1->N17, &gameControl.infoItemChecked}}) {
            const bool before = p.item->isChecked();
            QCOMPARE(*p.setting, before);
            p.item->trigger();
            QCOMPARE(p.item->isChecked(), !before);
            QCOMPARE(*p.setting, !before);
            p.item->trigger();
            QCOMPARE(p.item->isChecked(), before);
            QCOMPARE(*p.setting, before);
        }
        QVERIFY(boardView.soundOn);
        // Once the item has been used, a new game reads its state.
        QVERIFY(gameControl.infoShown);
    }

    void rotationItemFollowsTheBoard()
    {
        QVERIFY(!Form1->N12->isChecked());
        Form1->N12->trigger();
        QVERIFY(Form1->N12->isChecked());
        QVERIFY(boardView.rotated);
        QTest::keyClick(Form1, Qt::Key_F2);
        QVERIFY(!Form1->N12->isChecked());
        QVERIFY(!boardView.rotated);
    }

    void modeItemsFormOneRadioGroup()
    {
        const QList<QAction*> modes = {Form1->N24, Form1->N25, Form1->N26, Form1->N27, Form1->N28, Form1->N30};
        for (GameMode mode : {EngineWhite, HumanHuman, EngineBoth, Analysis, Setup, EngineBlack}) {
            Form1->CheckModeItem(mode);
            int checked = 0;
            for (QAction* item : modes) checked += item->isChecked();
            QCOMPARE(checked, 1);
            QVERIFY(Form1->modeItem(mode)->isChecked());
        }
        // A click on the checked item leaves it checked; the mode operation decides.
        Form1->N24->trigger();
        QVERIFY(Form1->N24->isChecked());
        // Shown as radio items.
        QVERIFY(Form1->N24->actionGroup() && Form1->N24->actionGroup()->isExclusive());
        QCOMPARE(Form1->N30->actionGroup(), Form1->N24->actionGroup());
        // No mark at all is possible (setup left for the analysis mode).
        Form1->CheckModeItem(Setup);
        Form1->UncheckModeItem(Setup);
        for (QAction* item : modes) QVERIFY(!item->isChecked());
        Form1->CheckModeItem(EngineBlack);
    }

};

QTEST_MAIN(MenuTest)
#include "menu_test.moc"
