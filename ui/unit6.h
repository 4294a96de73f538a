// The move-choice dialog "Выбор хода": captures that end on the same square
// but take different pieces.
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    // Shows the variants (captured squares, one line each) with the first
    // selected; the chosen line, or -1 for "Отмена" and any other way out.
    int ChooseCapture(const QStringList& lines);

    QLabel *Label1, *Label2;
    QListWidget* ListBox1;
    QPushButton *Button1, *Button2;

public slots:
    void Button1Click();
    void Button2Click();
    void ListBox1DblClick();
};

// Fills the list, selects its first line and runs the dialog: the chosen line,
// or -1 when the dialog was not accepted.
int chooseLine(QDialog& dialog, QListWidget& list, const QStringList& lines);

extern TForm6* Form6;
