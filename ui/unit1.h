// The main window: the board, the menu and the setup panel.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <QVector>

#include "game/control.h"

class QAction;
class QActionGroup;
class QGroupBox;
class QMenu;
class QPushButton;
class QRadioButton;
class SoundPlayer;

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
    // Size and place as the game's board view computed them.
    void ApplyWindowGeometry();
    // The outer size a size change asked for, and the board's client widget.
    QSize nominalWindowSize() const { return nominalSize; }
    QWidget* boardWidget() const { return Board; }
    void setBorderColour(const QColor& colour);

    // Setup panel.
    void ShowSetupPanel();
    void HideSetupPanel();
    bool setupActive() const;

    // Mode items: one radio group; CheckModeItem checks one and clears the rest.
    void CheckModeItem(GameMode mode);
    void UncheckModeItem(GameMode mode);
    QAction* modeItem(GameMode mode) const;

    // Menu "Игра".
    QMenu* N1;
    QAction *N2, *N3, *N4, *N5, *N6, *N7, *N8, *N9;
    QAction *NCopyFen, *NPasteFen; // FEN exchange, after "Сохранить..."
    QAction* NAnalyseGame;         // "Анализ партии...", after "Вернуть ход"
    QAction* NTrainer;             // "Решать комбинации...", after "Анализ партии..."
    QAction* NHint;                // "Подсказка", last in "Игра"
    QMenu* NLevel;                 // "Уровень" in "Настройки": Уровень 1 .. Уровень 8
    QAction* NGraph;               // "График", after "Нотация"
    // Menu "Настройки".
    QMenu* N10;
    QAction *N11, *N12, *N13, *N14, *N15, *N16, *N17, *N18, *N19, *N20, *N21, *N22;
    // Menu "Режим".
    QMenu* N23;
    QAction *N24, *N25, *N26, *N27, *N28, *N29, *N30;
    // Menu "Помощь".
    QMenu* N31;
    QAction* N32;

    // Setup panel "Расстановка" with the side-to-move group "Ходят".
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QPushButton *Button1, *Button2, *Button3, *Button4;

    // The pictures: 39-pixel and 52-pixel squares, 18 each.
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
    void NGraphClick();
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
    void FormCreate();
    void FormPaint();
    void FormMouseDown(QMouseEvent* event);
    void FormMouseUp(QMouseEvent* event);
    void FormKeyDown(QKeyEvent* event);
    void FormClose();
    QAction* addItem(QMenu* menu, const QString& caption, void (TForm1::*handler)(), bool checkable = false,
                     bool checked = false);

    void showModeMark();
    // A command that changes the game closes the trainer first, so that it acts on the
    // game the trainer put aside.
    void leaveTrainer();

    QWidget* Board;
    QActionGroup* modeGroup;
    QAction* checkedModeItem;
    SoundPlayer* sounds;
    QSize nominalSize;
    QColor borderColour;
};

extern TForm1* Form1;
