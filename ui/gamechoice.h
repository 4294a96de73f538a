// The choice among the games of a PDN file: one line per game (players, result,
// first moves); the chosen game is loaded.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class TGameChoice : public QDialog {
    Q_OBJECT
public:
    explicit TGameChoice(QWidget* parent = nullptr);
    // The 0-based line chosen with "Ok" or a double-click, or -1 for "Отмена".
    int ChooseGame(const QStringList& summaries);

    QListWidget* ListBox1;
    QPushButton *Button1, *Button2;
};

extern TGameChoice* GameChoice;
