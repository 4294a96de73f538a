// The main window: the board (the largest square the window holds, with the evaluation
// bar beside it), the menu, the setup panel, the status bar, and the docks of the panels.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <QVector>

#include "game/control.h"

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class BoardArea;
class EvaluationBar;
class SoundPlayer;
class ToolWindow;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // Board view.
    void DrawBoard();
    void SetBoardSize();
    void ToggleRotation();
    bool PlayClickSound();
    void PlayMoveSound();
    // The drawn board as a BMP file image.
    QByteArray BoardPictureBytes();
    // The game chose a board size or showed or hid the setup panel: the window fits
    // itself around the board of that size, or makes room for the panel.
    void ApplyWindowGeometry();
    // The outer size the last size command computed, and the board's client widget.
    QSize nominalWindowSize() const { return nominalSize; }
    QWidget* boardWidget() const { return Board; }
    void setBorderColour(const QColor& colour);
    // The board takes the largest square the window holds; its cells are drawn anew for
    // that size and for the screen's pixel density.
    void ArrangeBoard();
    const QVector<QPixmap>& currentPictures();
    // The window at its first start: centred, the board about two thirds of the screen high.
    void FitFirstStart();
    // The panels in their default places: clock, information and notation at the right,
    // book, variation and graph below the board.
    void PlacePanels();

    // Setup panel.
    void ShowSetupPanel();
    void HideSetupPanel();
    bool setupActive() const;

    // Mode items: one radio group; CheckModeItem checks one and clears the rest.
    void CheckModeItem(GameMode mode);
    void UncheckModeItem(GameMode mode);
    QAction* modeItem(GameMode mode) const;
    // The check marks of the settings the game keeps (rotation, sound, size, pondering,
    // level), after the stored settings were read or reset.
    void ShowSettingMarks();

    // The status bar: the mode in words, whose move it is and the level, and a short
    // message after a load or a paste.
    void ShowStatus();
    void ShowStatusMessage(const QString& text);
    QLabel *modeStatus, *turnStatus, *levelStatus;
    EvaluationBar* evaluationBar;

    // Menu "Игра".
    QMenu* N1;
    QAction *N2, *N3, *N4, *N5, *N6, *N7, *N8, *N9;
    QAction *NCopyFen, *NPasteFen; // FEN exchange, after "Сохранить..."
    QAction* NAnalyseGame;         // "Анализ партии...", after "Вернуть ход"
    QAction* NTrainer;             // "Решать комбинации...", after "Анализ партии..."
    QAction* NHint;                // "Подсказка"
    QAction* NExit;                // "Выход", last in "Игра"
    QMenu* NLevel;                 // "Уровень" in "Настройки": Уровень 1 .. Уровень 8
    QActionGroup* levelGroup;
    QAction* NGraph;               // "График", after "Нотация"
    QAction* NEvaluationBar;       // "Шкала оценки", after "График"
    QAction* NResetSettings;       // "Сбросить настройки", last in "Настройки"
    // Menu "Настройки".
    QMenu* N10;
    QAction *N11, *N12, *N13, *N14, *N15, *N16, *N17, *N18, *N19, *N20, *N21, *N22;
    // Menu "Режим".
    QMenu* N23;
    QAction *N24, *N25, *N26, *N27, *N28, *N29, *N30;
    // Menu "Помощь".
    QMenu* N31;
    QAction* NHelp; // "Как играть" (F1), before "О программе..."
    QAction* N32;

    // Setup panel "Расстановка" with the side-to-move group "Ходят".
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QPushButton *Button1, *Button2, *Button3, *Button4;

    // The pictures at the two sizes of the size command: 39-pixel and 52-pixel squares.
    QVector<QPixmap> ImageList1;
    QVector<QPixmap> ImageList2;

public slots:
    void N2Click();
    void N3Click();
    void N4Click();
    void N5Click();
    void N6Click();
    void N7Click();
    void N8Click();
    void N9Click();
    void NCopyFenClick();
    void NHintClick();
    void NPasteFenClick();
    void NAnalyseGameClick();
    void NTrainerClick();
    void NExitClick();
    void NGraphClick();
    void NEvaluationBarClick();
    void NResetSettingsClick();
    void N11Click();
    void N12Click();
    void N13Click();
    void N14Click();
    void N15Click();
    void N16Click();
    void N17Click();
    void N18Click();
    void N19Click();
    void N21Click();
    void N22Click();
    void N24Click();
    void N25Click();
    void N26Click();
    void N27Click();
    void N28Click();
    void N30Click();
    void NHelpClick();
    void N32Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildSetupPanel();
    void buildLevelMenu();
    void buildStatusBar();
    void FormCreate();
    void FormPaint();
    void FormMouseDown(QMouseEvent* event);
    void FormMouseUp(QMouseEvent* event);
    void FormKeyDown(QKeyEvent* event);
    void FormClose();
    QAction* addItem(QMenu* menu, const QString& caption, void (TForm1::*handler)(), bool checkable = false,
                     bool checked = false);
    // Shows or hides a panel; a panel shown makes the window grow where the screen has room.
    void showPanel(ToolWindow* panel, bool shown);
    // Grows or shrinks the window so that the board area gets this size.
    void resizeBoardAreaTo(QSize areaSize);

    void showModeMark();
    // A command that changes the game closes the trainer first, so that it acts on the
    // game the trainer put aside.
    void leaveTrainer();

    BoardArea* area;
    QWidget* Board;
    QActionGroup* modeGroup;
    QAction* checkedModeItem;
    SoundPlayer* sounds;
    QSize nominalSize;
    QColor borderColour;
    QVector<QPixmap> scaledPictures; // for any other cell, or a high-density screen
    int scaledCell = 0;
    qreal scaledRatio = 0;
    bool panelShownBefore = false;
};

extern TForm1* Form1;
