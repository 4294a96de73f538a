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
#include <QDockWidget>
#include <QStyle>

#include <QBuffer>
#include <QClipboard>

#include "game/analysis.h"
#include "game/book.h"
#include "game/commandguard.h"
#include "game/controller.h"
#include "game/gamefiles.h"
#include "game/hint.h"
#include "game/moveentry.h"
#include "game/pdn.h"
#include "game/record.h"
#include "game/setup.h"
#include "game/strength.h"
#include "game/trainer.h"
#include "ui/about.h"
#include "ui/artwork.h"
#include "ui/boardview.h"
#include "ui/sound.h"
#include "ui/tablesdialog.h"
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

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    Form1 = this;
    setWindowTitle(QStringLiteral("Korvel 1.01 from 19.10.2005"));
    Board = new QWidget(this);
    Board->setAttribute(Qt::WA_OpaquePaintEvent);
    Board->installEventFilter(this);
    setCentralWidget(Board);
    setFocusPolicy(Qt::StrongFocus);
    borderColour = palette().color(QPalette::Window);
    buildMenus();
    buildSetupPanel();
    new TrainerPanel(this);
    ImageList1 = makePictureList(smallCell);
    ImageList2 = makePictureList(largeCell);
    sounds = new SoundPlayer(this);
    // The client area before the board size is applied.
    Board->setFixedSize(356, 249);
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
        RunGuarded([this, handler] { (this->*handler)(); });
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
    N5 = addItem(N1, QStringLiteral("Сохранить..."), &TForm1::N5Click);
    NCopyFen = addItem(N1, QStringLiteral("Копировать позицию (FEN)"), &TForm1::NCopyFenClick);
    NPasteFen = addItem(N1, QStringLiteral("Вставить позицию (FEN)"), &TForm1::NPasteFenClick);
    N6 = addItem(N1, QStringLiteral("Отменить полуход"), &TForm1::N6Click);
    N6->setShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Backspace));
    N7 = addItem(N1, QStringLiteral("Вернуть полуход"), &TForm1::N7Click);
    N7->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
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

    N10 = bar->addMenu(QStringLiteral("Настройки"));
    N11 = addItem(N10, QStringLiteral("Время..."), &TForm1::N11Click);
    N11->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    N12 = addItem(N10, QStringLiteral("Повернутая доска"), &TForm1::N12Click, true, false);
    N12->setShortcut(QKeySequence(Qt::Key_F2));
    N13 = addItem(N10, QStringLiteral("Книга"), &TForm1::N13Click, true, false);
    N14 = addItem(N10, QStringLiteral("Основной вариант"), &TForm1::N14Click, true, false);
    N15 = addItem(N10, QStringLiteral("Нотация"), &TForm1::N15Click, true, false);
    NGraph = addItem(N10, QStringLiteral("График"), &TForm1::NGraphClick, true, false);
    N16 = addItem(N10, QStringLiteral("Звук"), &TForm1::N16Click, true, true);
    N17 = addItem(N10, QStringLiteral("Информация"), &TForm1::N17Click, true, true);
    N18 = addItem(N10, QStringLiteral("Часы"), &TForm1::N18Click, true, false);
    N19 = addItem(N10, QStringLiteral("Использование времени соперника"), &TForm1::N19Click, true, false);
    N20 = N10->addSeparator();
    N20->setVisible(false);
    N21 = addItem(N10, QStringLiteral("Настройки программы..."), &TForm1::N21Click);
    // Enter reaches this item through the board's key handling, not as a menu
    // shortcut, so the text after the tab only shows the key.
    N22 = addItem(N10, QStringLiteral("Маленькая доска\tEnter"), &TForm1::N22Click, true, false);
    buildLevelMenu();
    addEndgameTablesItem(N10);

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
    N32 = addItem(N31, QStringLiteral("О программе..."), &TForm1::N32Click);
}

// "Уровень": eight radio items, the full strength checked.
void TForm1::buildLevelMenu()
{
    NLevel = N10->addMenu(QStringLiteral("Уровень"));
    auto* group = new QActionGroup(this);
    for (int level = weakestLevel; level <= strongestLevel; ++level) {
        QAction* item = NLevel->addAction(QStringLiteral("Уровень %1").arg(level));
        item->setCheckable(true);
        item->setChecked(level == engineLevel);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [level] { engineLevel = level; });
    }
}

void TForm1::buildSetupPanel()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Расстановка"), Board);
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
    GroupBox1->hide();
}

// ---------------------------------------------------------------- board view

// The other windows repaint too; clicks and keys wait for the next full pump, so that no
// command runs in the middle of another one's redraw (leaving setup, say).
void TForm1::DrawBoard()
{
    Board->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::FormPaint()
{
    QPainter p(Board);
    p.fillRect(Board->rect(), borderColour);
    paintBoard(p, boardView.smallBoard ? ImageList1 : ImageList2);
}

void TForm1::ApplyWindowGeometry()
{
    QSize client = boardClientSize();
    if (boardView.setupActive) client.rwidth() += setupPanelWidth;
    Board->setFixedSize(client);
    GroupBox1->move(client.width() - setupPanelWidth + 6, 4);
    const QMenuBar* bar = menuBar();
    const int menuHeight = bar->hasHeightForWidth() ? bar->heightForWidth(client.width()) : bar->sizeHint().height();
    // A panel docked at the side widens the window; the board keeps its size.
    int docked = 0, dockHeight = 0;
    for (QDockWidget* dock : findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (dock->isVisible() && !dock->isFloating()) {
            docked += dock->sizeHint().width() + style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
            dockHeight = std::max(dockHeight, dock->minimumSizeHint().height());
        }
    setFixedSize(client.width() + docked, std::max(client.height(), dockHeight) + menuHeight);
    // The outer size the game computed holds caption and frame, which the window
    // system adds here; the window is centred by that size.
    nominalSize = QSize(boardView.windowWidth, boardView.windowHeight);
    move(boardView.windowLeft, boardView.windowTop);
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
    const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Загрузить..."), QString(), loadFilter);
    if (name.isEmpty()) return;
    leaveTrainer();
    LoadGameFiles(name.toStdString());
}

void TForm1::N5Click()
{
    QString chosenFilter;
    const QString name =
        QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить..."), QString(), saveFilter, &chosenFilter,
                                     QFileDialog::DontConfirmOverwrite); // the overwrite question comes later
    if (name.isEmpty()) return;
    const int index = saveFilter.split(QStringLiteral(";;")).indexOf(chosenFilter);
    const auto type = static_cast<SaveType>(index < 0 ? 1 : index + 1);
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

void TForm1::NAnalyseGameClick()
{
    leaveTrainer();
    AnalyseGameCommand();
}

void TForm1::NTrainerClick() { trainerPanel->OpenTrainer(); }

void TForm1::leaveTrainer()
{
    if (puzzleTrainer().isOpen()) trainerPanel->close();
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
    Form7->setVisible(N13->isChecked());
    if (!gameControl.thinking) RefreshBookWindow();
}

void TForm1::N14Click()
{
    N14->setChecked(!N14->isChecked());
    Form5->setVisible(N14->isChecked());
}

void TForm1::N15Click()
{
    N15->setChecked(!N15->isChecked());
    Form8->setVisible(N15->isChecked());
    DrawBoard();
    if (!gameControl.thinking) refreshBoardPicture();
}

void TForm1::NGraphClick()
{
    NGraph->setChecked(!NGraph->isChecked());
    Form10->setVisible(NGraph->isChecked());
}

void TForm1::N16Click() { ToggleSound(); }

void TForm1::N17Click()
{
    ToggleInformation();
    Form9->setVisible(N17->isChecked());
}

void TForm1::N18Click()
{
    N18->setChecked(!N18->isChecked());
    Form4->setVisible(N18->isChecked());
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
    case Qt::Key_Return:
    case Qt::Key_Enter: BoardKey(BoardKeyCode::Enter); break;
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
    FormClose();
    event->accept();
}

void TForm1::FormClose()
{
    OnMainWindowClose();
    // A running search sees the flag and its engine turn ends the program; otherwise end it now.
    if (!gameControl.thinking) QCoreApplication::quit();
}
