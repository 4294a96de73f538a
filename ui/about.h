// The about box "О программе...".
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* Image1;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;

public slots:
    void Button1Click();
};

// The picture: a corner of a board with a few pieces and a king.
QPixmap aboutPicture();

extern TAboutBox* AboutBox;
