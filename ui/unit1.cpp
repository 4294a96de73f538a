#include "ui/unit1.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QLayout>
#include <QStatusBar>
#include <QLabel>
#include <QDockWidget>
#include <QWindow>

#include <QBuffer>
#include <QClipboard>

#include "game/analysis.h"
#include "game/book.h"
#include "game/commandguard.h"
#include "game/controller.h"
#include "game/filecommands.h"
#include "game/hint.h"
#include "game/moveentry.h"
#include "game/pdn.h"
#include "game/record.h"
#include "game/setup.h"
#include "game/strength.h"
#include "game/preferences.h"
#include "game/trainer.h"
#include "ui/about.h"
#include "ui/boardarea.h"
#include "ui/evaluationbar.h"
#include "ui/helpwindow.h"
#include "ui/settingsstore.h"
#include "ui/artwork.h"
#include "ui/boardview.h"
#include "ui/sound.h"
#include "ui/services.h"
#include "ui/tablesdialog.h"
#include "ui/toolwindow.h"
#include "ui/trainerpanel.h"
#include "ui/unit2.h"
#include "ui/unit3.h"
#include "ui/unit4.h"
#include "ui/unit5.h"
#include "ui/unit7.h"
#include "ui/unit8.h"
#include "ui/unit9.h"
#include "ui/unit10.h"

TForm1* Form1 = nullptr;

namespace {
const QString saveFilter = QStringLiteral(
    "Файлы партий (*.gam);;Файлы позиций (*.poz);;Текстовый (*.txt);;Картинка (*.bmp);;PDN (*.pdn)");
const QString loadFilter = QStringLiteral("Файлы партий (*.gam);;Файлы позиций (*.poz);;PDN (*.pdn)");
} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    Form1 = this;
    setWindowTitle(QStringLiteral("Korvel 1.01 from 19.10.2005"));
    setObjectName(QStringLiteral("mainWindow"));
    area = new BoardArea(this);
    area->setMinimumSize(8 * minimumCell + 40, 8 * minimumCell);
    Board = new QWidget(area);
    Board->setAttribute(Qt::WA_OpaquePaintEvent);
    Board->installEventFilter(this);
    evaluationBar = new EvaluationBar(area);
    setCentralWidget(area);
    setFocusPolicy(Qt::StrongFocus);
    setDockOptions(AnimatedDocks | AllowTabbedDocks | AllowNestedDocks);
    borderColour = palette().color(QPalette::Window);
    buildMenus();
    buildSetupPanel();
    buildStatusBar();
    area->setParts(evaluationBar, Board, GroupBox1);
    connect(area, &BoardArea::boardResized, this, [this] { Board->update(); });
    (new TrainerPanel(this))->showPanelHook = [this] { showPanel(trainerPanel, true); };
    ImageList1 = makePictureList(smallCell);
    ImageList2 = makePictureList(largeCell);
    sounds = new SoundPlayer(this);
    FormCreate();
}

void TForm1::FormCreate()
{
    const QRect desk = (screen() ? screen() : QGuiApplication::primaryScreen())->geometry();
    boardView.screenWidth = desk.width();
    boardView.screenHeight = desk.height();
    MainWindowCreated(); // new game, then the small board
}

QAction* TForm1::addItem(QMenu* menu, const QString& caption, void (TForm1::*handler)(), bool checkable,
                         bool checked)
{
    QAction* item = menu->addAction(caption);
    item->setCheckable(checkable);
    item->setChecked(checked);
    connect(item, &QAction::triggered, this, [this, item, handler](bool nowChecked) {
        // Every handler flips or sets its own mark, so undo the toolkit's automatic toggle first.
        if (item->actionGroup() == modeGroup) showModeMark();
        else if (item->isCheckable()) item->setChecked(!nowChecked);
        RunGuarded([this, handler] {
            if (handler != &TForm1::NHintClick) forgetHint(); // the hint's arrow goes with the next command
            (this->*handler)();
        });
        StoreSettings();
    });
    // A command chosen while the engine thinks runs inside the search's message
    // pump; the menu must not be a second modal loop around it.
    return item;
}

void TForm1::buildMenus()
{
    QMenuBar* bar = menuBar();
    N1 = bar->addMenu(QStringLiteral("Игра"));
    N2 = addItem(N1, QStringLiteral("Новая игра"), &TForm1::N2Click);
    N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    N3 = addItem(N1, QStringLiteral("Предложить ничью"), &TForm1::N3Click);
    N4 = addItem(N1, QStringLiteral("Загрузить..."), &TForm1::N4Click);
    N4->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    N5 = addItem(N1, QStringLiteral("Сохранить..."), &TForm1::N5Click);
    N5->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    NCopyFen = addItem(N1, QStringLiteral("Копировать позицию (FEN)"), &TForm1::NCopyFenClick);
    NPasteFen = addItem(N1, QStringLiteral("Вставить позицию (FEN)"), &TForm1::NPasteFenClick);
    N6 = addItem(N1, QStringLiteral("Отменить полуход"), &TForm1::N6Click);
    // The platform's undo and redo keys beside the program's own.
    N6->setShortcuts({QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Backspace), QKeySequence(Qt::CTRL | Qt::Key_Z)});
    N7 = addItem(N1, QStringLiteral("Вернуть полуход"), &TForm1::N7Click);
    N7->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_Insert), QKeySequence(Qt::CTRL | Qt::Key_Y),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    N8 = addItem(N1, QStringLiteral("Отменить ход"), &TForm1::N8Click);
    N8->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Backspace));
    N9 = addItem(N1, QStringLiteral("Вернуть ход"), &TForm1::N9Click);
    N9->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    NAnalyseGame = addItem(N1, QStringLiteral("Анализ партии..."), &TForm1::NAnalyseGameClick);
    connect(N1, &QMenu::aboutToShow, this, [this] { NAnalyseGame->setEnabled(AnalysisAllowed()); });
    NTrainer = addItem(N1, QStringLiteral("Решать комбинации..."), &TForm1::NTrainerClick);
    connect(N1, &QMenu::aboutToShow, this,
            [this] { NTrainer->setEnabled(TrainerPanel::canOpen()); });
    N1->addSeparator();
    NHint = addItem(N1, QStringLiteral("Подсказка"), &TForm1::NHintClick);
    NHint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    // Greyed out in the open menu while no human is to move or the engine thinks; the
    // shortcut stays live and the hint itself checks.
    connect(N1, &QMenu::aboutToShow, this, [this] { NHint->setEnabled(HintAvailable()); });
    connect(N1, &QMenu::aboutToHide, this, [this] { NHint->setEnabled(true); });
    N1->addSeparator();
    NExit = addItem(N1, QStringLiteral("Выход"), &TForm1::NExitClick);
    NExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    N10 = bar->addMenu(QStringLiteral("Настройки"));
    N11 = addItem(N10, QStringLiteral("Время..."), &TForm1::N11Click);
    N11->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    N12 = addItem(N10, QStringLiteral("Повернутая доска"), &TForm1::N12Click, true, false);
    N12->setShortcut(QKeySequence(Qt::Key_F2));
    N13 = addItem(N10, QStringLiteral("Книга"), &TForm1::N13Click, true, false);
    N14 = addItem(N10, QStringLiteral("Основной вариант"), &TForm1::N14Click, true, false);
    N15 = addItem(N10, QStringLiteral("Нотация"), &TForm1::N15Click, true, false);
    NGraph = addItem(N10, QStringLiteral("График"), &TForm1::NGraphClick, true, false);
    NEvaluationBar = addItem(N10, QStringLiteral("Шкала оценки"), &TForm1::NEvaluationBarClick, true, true);
    N16 = addItem(N10, QStringLiteral("Звук"), &TForm1::N16Click, true, true);
    N17 = addItem(N10, QStringLiteral("Информация"), &TForm1::N17Click, true, true);
    N18 = addItem(N10, QStringLiteral("Часы"), &TForm1::N18Click, true, false);
    N19 = addItem(N10, QStringLiteral("Использование времени соперника"), &TForm1::N19Click, true, false);
    N20 = N10->addSeparator();
    N20->setVisible(false);
    N21 = addItem(N10, QStringLiteral("Настройки программы..."), &TForm1::N21Click);
    N22 = addItem(N10, QStringLiteral("Маленькая доска"), &TForm1::N22Click, true, false);
    buildLevelMenu();
    addEndgameTablesItem(N10);
    N10->addSeparator();
    NResetSettings = addItem(N10, QStringLiteral("Сбросить настройки"), &TForm1::NResetSettingsClick);

    N23 = bar->addMenu(QStringLiteral("Режим"));
    // A group only for the radio look; which item is checked is kept here.
    modeGroup = new QActionGroup(this);
    modeGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    N24 = addItem(N23, QStringLiteral("Korvel играет чёрными"), &TForm1::N24Click, true, true);
    N25 = addItem(N23, QStringLiteral("Korvel играет белыми"), &TForm1::N25Click, true, false);
    N26 = addItem(N23, QStringLiteral("Человек с человеком"), &TForm1::N26Click, true, false);
    N27 = addItem(N23, QStringLiteral("Korvel за обе стороны"), &TForm1::N27Click, true, false);
    N28 = addItem(N23, QStringLiteral("Режим анализа"), &TForm1::N28Click, true, false);
    N29 = N23->addSeparator();
    N30 = addItem(N23, QStringLiteral("Расстановка позиции"), &TForm1::N30Click, true, false);
    for (QAction* item : {N24, N25, N26, N27, N28, N30}) modeGroup->addAction(item);
    checkedModeItem = N24;

    N31 = bar->addMenu(QStringLiteral("Помощь"));
    NHelp = addItem(N31, QStringLiteral("Как играть"), &TForm1::NHelpClick);
    NHelp->setShortcut(QKeySequence(Qt::Key_F1));
    N32 = addItem(N31, QStringLiteral("О программе..."), &TForm1::N32Click);
}

// "Уровень": eight radio items, the full strength checked.
void TForm1::buildLevelMenu()
{
    NLevel = N10->addMenu(QStringLiteral("Уровень"));
    levelGroup = new QActionGroup(this);
    for (int level = weakestLevel; level <= strongestLevel; ++level) {
        QAction* item = NLevel->addAction(QStringLiteral("Уровень %1").arg(level));
        item->setCheckable(true);
        item->setChecked(level == engineLevel);
        levelGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, level] {
            engineLevel = level;
            ShowStatus();
            StoreSettings();
        });
    }
}

void TForm1::buildSetupPanel()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Расстановка"), area);
    GroupBox1->setFixedSize(97, 201);
    GroupBox2 = new QGroupBox(QStringLiteral("Ходят"), GroupBox1);
    GroupBox2->setGeometry(8, 20, 81, 62);
    RadioButton1 = new QRadioButton(QStringLiteral("Белые"), GroupBox2);
    RadioButton1->setGeometry(8, 18, 70, 19);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Чёрные"), GroupBox2);
    RadioButton2->setGeometry(8, 38, 70, 19);
    connect(RadioButton1, &QRadioButton::toggled, this, [this] { setupState.whiteToMove = RadioButton1->isChecked(); });
    const QString captions[4] = {QStringLiteral("Начальная"), QStringLiteral("Очистить"), QStringLiteral("Отмена"),
                                 QStringLiteral("Готово")};
    void (TForm1::*handlers[4])() = {&TForm1::Button1Click, &TForm1::Button2Click, &TForm1::Button3Click,
                                     &TForm1::Button4Click};
    QPushButton** buttons[4] = {&Button1, &Button2, &Button3, &Button4};
    for (int k = 0; k < 4; ++k) {
        QPushButton* button = new QPushButton(captions[k], GroupBox1);
        button->setGeometry(8, 88 + 28 * k, 80, 25);
        connect(button, &QPushButton::clicked, this, handlers[k]);
        *buttons[k] = button;
    }
    // The keys stay with the board while the panel is up.
    for (QWidget* w : GroupBox1->findChildren<QWidget*>()) w->setFocusPolicy(Qt::NoFocus);
    // What the mouse does here is not obvious: the panel says it.
    const QString howTo =
        QStringLiteral("Левая кнопка — белые, правая — чёрные: шашка, дамка, пусто; перетаскивание переносит фигуру");
    GroupBox1->setToolTip(howTo);
    GroupBox1->hide();
}

void TForm1::buildStatusBar()
{
    modeStatus = new QLabel(this);
    turnStatus = new QLabel(this);
    levelStatus = new QLabel(this);
    statusBar()->addPermanentWidget(modeStatus);
    statusBar()->addPermanentWidget(turnStatus);
    statusBar()->addPermanentWidget(levelStatus);
    statusBar()->setSizeGripEnabled(true);
}

namespace {
QString modeWords(GameMode mode)
{
    switch (mode) {
    case EngineBlack: return QStringLiteral("Korvel играет чёрными");
    case EngineWhite: return QStringLiteral("Korvel играет белыми");
    case HumanHuman: return QStringLiteral("Человек с человеком");
    case EngineBoth: return QStringLiteral("Korvel за обе стороны");
    case Analysis: return QStringLiteral("Режим анализа");
    case Setup: return QStringLiteral("Расстановка позиции");
    }
    return {};
}

void setTextIfChanged(QLabel* label, const QString& text)
{
    if (label->text() != text) label->setText(text);
}
} // namespace

void TForm1::ShowStatus()
{
    // While the engine thinks on the opponent's time the mode is the one being played.
    const GameMode shown = ponderState.active ? ponderState.savedMode : gameControl.mode;
    setTextIfChanged(modeStatus, modeWords(shown));
    QString turn;
    if (gameControl.mode == Setup) turn = QString();
    else if (gameControl.gameOver) turn = QStringLiteral("Партия окончена");
    else turn = sideToMove == White ? QStringLiteral("Ход белых") : QStringLiteral("Ход чёрных");
    setTextIfChanged(turnStatus, turn);
    setTextIfChanged(levelStatus, QStringLiteral("Уровень %1").arg(engineLevel));
}

void TForm1::ShowStatusMessage(const QString& text) { statusBar()->showMessage(text, 20000); }

// ---------------------------------------------------------------- board view

// The other windows repaint too; clicks and keys wait for the next full pump, so that no
// command runs in the middle of another one's redraw (leaving setup, say).
void TForm1::DrawBoard()
{
    ShowStatus();
    evaluationBar->update();
    Board->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::FormPaint()
{
    QPainter p(Board);
    p.fillRect(Board->rect(), borderColour);
    paintBoard(p, currentPictures());
}

const QVector<QPixmap>& TForm1::currentPictures()
{
    const qreal ratio = Board->devicePixelRatioF();
    const int cell = cellSize();
    if (ratio == 1 && cell == smallCell) return ImageList1;
    if (ratio == 1 && cell == largeCell) return ImageList2;
    if (cell != scaledCell || ratio != scaledRatio) {
        scaledPictures = makePictureList(cell, ratio);
        scaledCell = cell;
        scaledRatio = ratio;
    }
    return scaledPictures;
}

void TForm1::ArrangeBoard() { area->arrange(); }

void TForm1::showPanel(ToolWindow* panel, bool shown)
{
    const int side = Board->width();
    panel->setShown(shown);
    if (!shown) return;
    // The panels below the board take a few lines' height, not the board's.
    if (dockWidgetArea(panel->dock()) == Qt::BottomDockWidgetArea && !panel->dock()->isFloating()) {
        resizeDocks({panel->dock()}, {std::max(panel->minimumHeight(), 150)}, Qt::Vertical);
        // The book's line and the variation's two columns leave the rest to the graph.
        if (Form7->shown() && Form10->shown()) resizeDocks({Form7->dock()}, {300}, Qt::Horizontal);
        if (Form5->shown() && Form10->shown()) resizeDocks({Form5->dock()}, {150}, Qt::Horizontal);
    }
    if (isMaximized() || isFullScreen() || !isVisible()) return;
    // The window grows for the panel where the screen has room, so that the board keeps its size.
    layout()->activate();
    if (Board->width() >= side) return;
    const QRect desk = (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const QSize frameExtra = frameGeometry().size() - size();
    const QSize grow = (area->sizeForBoard(side) - area->size()).expandedTo(QSize(0, 0));
    resize((size() + grow).boundedTo(desk.size() - frameExtra));
    layout()->activate();
    // What grew past the screen's edge comes back onto it.
    QRect frame = frameGeometry();
    frame.moveRight(std::min(frame.right(), desk.right()));
    frame.moveBottom(std::min(frame.bottom(), desk.bottom()));
    frame.moveLeft(std::max(frame.left(), desk.left()));
    frame.moveTop(std::max(frame.top(), desk.top()));
    move(frame.topLeft());
}

void TForm1::resizeBoardAreaTo(QSize areaSize)
{
    if (isMaximized() || isFullScreen()) showNormal();
    const QSize grow = areaSize - area->size();
    resize(size() + grow);
    layout()->activate();
    area->arrange();
}

void TForm1::FitFirstStart()
{
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect desk = shown->availableGeometry();
    resizeBoardAreaTo(area->sizeForBoard(desk.height() * 2 / 3));
    const QRect frame = frameGeometry();
    move(desk.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void TForm1::PlacePanels()
{
    struct Place {
        ToolWindow* panel;
        const char* name;
        Qt::DockWidgetArea side;
    };
    const Place places[] = {{Form4, "clockPanel", Qt::RightDockWidgetArea},
                            {Form9, "informationPanel", Qt::RightDockWidgetArea},
                            {Form8, "notationPanel", Qt::RightDockWidgetArea},
                            {Form7, "bookPanel", Qt::BottomDockWidgetArea},
                            {Form5, "variationPanel", Qt::BottomDockWidgetArea},
                            {Form10, "graphPanel", Qt::BottomDockWidgetArea}};
    QDockWidget* previousBelow = nullptr;
    for (const Place& place : places) {
        QDockWidget* dock = place.panel->dock();
        dock->setObjectName(QString::fromLatin1(place.name));
        dock->setFloating(false);
        addDockWidget(place.side, dock, place.side == Qt::RightDockWidgetArea ? Qt::Vertical : Qt::Horizontal);
        if (place.side == Qt::BottomDockWidgetArea) {
            if (previousBelow) splitDockWidget(previousBelow, dock, Qt::Horizontal);
            previousBelow = dock;
        }
    }
}

void TForm1::ApplyWindowGeometry()
{
    nominalSize = QSize(boardView.windowWidth, boardView.windowHeight);
    const bool panelShown = boardView.setupActive;
    GroupBox1->setVisible(panelShown);
    if (panelShown != panelShownBefore) {
        // The panel comes or goes beside the board, which keeps its size where it can.
        panelShownBefore = panelShown;
        const int side = Board->width();
        if (!isMaximized() && !isFullScreen()) resizeBoardAreaTo(area->sizeForBoard(side));
        else area->arrange();
        return;
    }
    // The size command: the board of that size, the window fitted around it and centred.
    resizeBoardAreaTo(area->sizeForBoard(boardClientSize().width()));
    const QRect frame = frameGeometry();
    const QRect desk = (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    move(desk.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void TForm1::SetBoardSize() { ::SetBoardSize(); }
void TForm1::ToggleRotation() { ::ToggleRotation(); }

bool TForm1::PlayClickSound()
{
    if (sounds->PlayClickSound()) return true;
    QMessageBox::critical(this, windowTitle(), QStringLiteral("Cannot read MyWave"));
    return false;
}

void TForm1::PlayMoveSound() { sounds->PlayMoveSound(); }

QByteArray TForm1::BoardPictureBytes()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Board->grab(QRect(QPoint(0, 0), boardClientSize())).save(&buffer, "BMP");
    return bytes;
}

void TForm1::setBorderColour(const QColor& colour)
{
    borderColour = colour;
    DrawBoard();
}

// ---------------------------------------------------------------- setup panel

// The game widens the window itself (ApplyWindowGeometry follows).
void TForm1::ShowSetupPanel()
{
    (setupState.whiteToMove ? RadioButton1 : RadioButton2)->setChecked(true);
    GroupBox1->show();
    ShowStatusMessage(GroupBox1->toolTip());
}

void TForm1::HideSetupPanel() { GroupBox1->hide(); }

bool TForm1::setupActive() const { return !GroupBox1->isHidden(); }

void TForm1::Button1Click() { SetupInitial(); }
void TForm1::Button2Click() { SetupClear(); }
void TForm1::Button3Click() { SetupCancel(); }
void TForm1::Button4Click() { SetupDone(); }

// ---------------------------------------------------------------- mode items

QAction* TForm1::modeItem(GameMode mode) const
{
    switch (mode) {
    case EngineWhite: return N25;
    case EngineBlack: return N24;
    case Setup: return N30;
    case EngineBoth: return N27;
    case Analysis: return N28;
    case HumanHuman: return N26;
    }
    return nullptr;
}

void TForm1::showModeMark()
{
    for (QAction* item : modeGroup->actions()) item->setChecked(item == checkedModeItem);
}

void TForm1::CheckModeItem(GameMode mode)
{
    checkedModeItem = modeItem(mode);
    showModeMark();
    ShowStatus();
}

void TForm1::ShowSettingMarks()
{
    N12->setChecked(boardView.rotated);
    N16->setChecked(boardView.soundOn);
    N19->setChecked(gameControl.ponderEnabled);
    N22->setChecked(boardView.smallBoard);
    const QList<QAction*> levels = levelGroup->actions();
    for (int k = 0; k < levels.size(); ++k) levels[k]->setChecked(k + weakestLevel == engineLevel);
    ShowStatus();
}

void TForm1::UncheckModeItem(GameMode mode)
{
    if (checkedModeItem == modeItem(mode)) checkedModeItem = nullptr;
    showModeMark();
}

// ---------------------------------------------------------------- menu "Игра"

void TForm1::N2Click()
{
    leaveTrainer();
    NewGameCommand();
}
void TForm1::N3Click()
{
    leaveTrainer();
    OfferDraw();
}

void TForm1::N4Click()
{
    FileDialogMemory& memory = fileDialogMemory(FileDialogKind::Load);
    const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Загрузить..."), memory.folder, loadFilter,
                                                      &memory.filter);
    if (name.isEmpty()) return;
    memory.remember(name);
    leaveTrainer();
    LoadGameFiles(name.toStdString());
}

void TForm1::N5Click()
{
    FileDialogMemory& memory = fileDialogMemory(FileDialogKind::Save);
    const QString name =
        QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить..."), memory.folder, saveFilter, &memory.filter,
                                     QFileDialog::DontConfirmOverwrite); // the overwrite question comes later
    if (name.isEmpty()) return;
    memory.remember(name);
    const int index = saveFilter.split(QStringLiteral(";;")).indexOf(memory.filter);
    // A name that ends in a known extension is saved as that type, whatever the filter.
    const auto type = saveTypeForName(name.toStdString(), static_cast<SaveType>(index < 0 ? 1 : index + 1));
    const QByteArray picture = type == SaveType::Picture ? BoardPictureBytes() : QByteArray();
    SaveGameFiles(name.toStdString(), type, picture.toStdString());
}

void TForm1::NCopyFenClick() { QGuiApplication::clipboard()->setText(QString::fromStdString(CopyPositionFen())); }

void TForm1::NHintClick()
{
    // In the trainer the hint is the trainer's: the square the move starts from.
    if (puzzleTrainer().isOpen()) puzzleTrainer().hint();
    else ShowHint();
}

void TForm1::NPasteFenClick()
{
    leaveTrainer();
    PastePositionFen(QGuiApplication::clipboard()->text().trimmed().toStdString());
}

void TForm1::NExitClick() { close(); }

void TForm1::NAnalyseGameClick()
{
    leaveTrainer();
    AnalyseGameCommand();
}

void TForm1::NTrainerClick() { trainerPanel->OpenTrainer(); }

void TForm1::leaveTrainer()
{
    if (puzzleTrainer().isOpen()) trainerPanel->CloseTrainer();
}

// Take-back and replay act when the engine is not thinking, in analysis also while it thinks.
void TForm1::N6Click()
{
    if (navigationAllowed() && !puzzleTrainer().isOpen()) StepBack();
}

void TForm1::N7Click()
{
    if (navigationAllowed() && !puzzleTrainer().isOpen()) StepForward();
}

void TForm1::N8Click()
{
    if (navigationAllowed() && !puzzleTrainer().isOpen()) MoveBack();
}

void TForm1::N9Click()
{
    if (navigationAllowed() && !puzzleTrainer().isOpen()) MoveForward();
}

// ---------------------------------------------------------------- menu "Настройки"

void TForm1::N11Click() { Form2->show(); }
void TForm1::N12Click() { ToggleRotation(); }

void TForm1::N13Click()
{
    N13->setChecked(!N13->isChecked());
    showPanel(Form7, N13->isChecked());
    if (!gameControl.thinking) RefreshBookWindow();
}

void TForm1::N14Click()
{
    N14->setChecked(!N14->isChecked());
    showPanel(Form5, N14->isChecked());
}

void TForm1::N15Click()
{
    N15->setChecked(!N15->isChecked());
    showPanel(Form8, N15->isChecked());
    DrawBoard();
    if (!gameControl.thinking) refreshBoardPicture();
}

void TForm1::NGraphClick()
{
    NGraph->setChecked(!NGraph->isChecked());
    showPanel(Form10, NGraph->isChecked());
}

void TForm1::NEvaluationBarClick()
{
    NEvaluationBar->setChecked(!NEvaluationBar->isChecked());
    evaluationBar->setVisible(NEvaluationBar->isChecked());
    area->arrange();
}

void TForm1::NResetSettingsClick()
{
    if (!gameControl.thinking &&
        WindowServices::AskYesNo(QStringLiteral("Вернуть все настройки и расположение окон к исходным?")))
        ResetSettings();
}

void TForm1::N16Click() { ToggleSound(); }

void TForm1::N17Click()
{
    ToggleInformation();
    showPanel(Form9, N17->isChecked());
}

void TForm1::N18Click()
{
    N18->setChecked(!N18->isChecked());
    showPanel(Form4, N18->isChecked());
}

void TForm1::N19Click() { TogglePonder(); }

void TForm1::N21Click() { Form3->show(); }
void TForm1::N22Click() { SetBoardSize(); }

// ---------------------------------------------------------------- menu "Режим"

void TForm1::N24Click() { leaveTrainer(); SetMode(EngineBlack); }
void TForm1::N25Click() { leaveTrainer(); SetMode(EngineWhite); }
void TForm1::N26Click() { leaveTrainer(); SetMode(HumanHuman); }
void TForm1::N27Click() { leaveTrainer(); SetMode(EngineBoth); }
void TForm1::N28Click() { leaveTrainer(); SetMode(Analysis); }
void TForm1::N30Click() { leaveTrainer(); SetMode(Setup); }

// ---------------------------------------------------------------- menu "Помощь"

void TForm1::NHelpClick() { ShowHelp(); }

void TForm1::N32Click() { AboutBox->exec(); }

// ---------------------------------------------------------------- events

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Board) return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint: FormPaint(); return true;
    case QEvent::MouseButtonPress:
        RunGuarded([this, event] { FormMouseDown(static_cast<QMouseEvent*>(event)); });
        return true;
    case QEvent::MouseButtonRelease:
        RunGuarded([this, event] { FormMouseUp(static_cast<QMouseEvent*>(event)); });
        return true;
    default: return QMainWindow::eventFilter(watched, event);
    }
}

namespace {
int buttonNumber(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) return 0;
    if (button == Qt::RightButton) return 1;
    return -1;
}
} // namespace

void TForm1::FormMouseDown(QMouseEvent* event)
{
    const int button = buttonNumber(event->button());
    if (button < 0) return;
    const QPoint at = event->position().toPoint();
    forgetHint();
    BoardPress(button, at.x(), at.y()); // plays the click itself
}

void TForm1::FormMouseUp(QMouseEvent* event)
{
    const int button = buttonNumber(event->button());
    if (button < 0) return;
    const QPoint at = event->position().toPoint();
    BoardRelease(button, at.x(), at.y());
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    RunGuarded([this, event] { FormKeyDown(event); });
}

void TForm1::FormKeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp: BoardKey(BoardKeyCode::PageUp); break;
    case Qt::Key_PageDown: BoardKey(BoardKeyCode::PageDown); break;
    case Qt::Key_Home: BoardKey(BoardKeyCode::Home); break;
    case Qt::Key_End: BoardKey(BoardKeyCode::End); break;
    case Qt::Key_Insert: BoardKey(BoardKeyCode::Insert); break;
    case Qt::Key_Delete: BoardKey(BoardKeyCode::Delete); break;
    default: QMainWindow::keyPressEvent(event); return;
    }
    event->accept();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    StoreSettings();
    FormClose();
    event->accept();
}

void TForm1::FormClose()
{
    OnMainWindowClose();
    // A running engine turn sees the flag and ends the program; otherwise end it now.
    if (!gameControl.thinking && !EngineTurnRunning()) QCoreApplication::quit();
}
