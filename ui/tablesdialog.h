// "Таблицы эндшпиля": the progress of making the endgame tables, with Cancel; the
// question on the first start and the item of the "Настройки" menu that make them.
#pragma once

#include <QDialog>

#include <string>

#include "game/tables.h"

class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;

class TTablesDialog : public QDialog {
    Q_OBJECT
public:
    explicit TTablesDialog(QWidget* parent = nullptr);
    // Runs the generator for the data folder until it ends or "Отмена" is pressed;
    // the build's end state.
    TablesBuild::State MakeTables(const std::string& builder, const std::string& folder);
    const TablesBuild& Build() const { return build; }

    QLabel *Label1, *Label2, *Label3;
    QProgressBar* ProgressBar1;
    QPushButton* Button1;

public slots:
    void Timer1Timer();
    void Button1Click();

private:
    void showProgress();

    TablesBuild build;
    QTimer* Timer1;
};

// On the first start without tables: asks once, and makes them when the user agrees.
void OfferEndgameTables();
// Makes the tables (the menu item), reporting the outcome in a message.
void MakeEndgameTables();
// The item "Создать таблицы эндшпиля..." at the end of the menu.
void addEndgameTablesItem(QMenu* menu);
