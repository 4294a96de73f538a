// The time-control dialog "Время...".
#pragma once

#include <QDialog>

#include "game/timecontrol.h"

class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // The controls show the time control in force (after the stored settings are read).
    void ShowSettings();
    // The choice and box texts as the controls show them now.
    TimeDialogState controlState() const;

    QGroupBox* GroupBox1;
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3;
    QComboBox *ComboBox1, *ComboBox2;
    QPushButton *Button1, *Button2;

public slots:
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void GroupBox1Click();
    void ComboBox1Enter();
    void ComboBox2Enter();
    void Button1Click();
    void Button2Click();
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keepControlState();
};

extern TForm2* Form2;
