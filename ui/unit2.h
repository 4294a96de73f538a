// The time-control dialog "Время...".
#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // What the budget recomputation before an engine move reads.
    bool fortyMovesChosen() const;
    QString fortyMovesText() const;

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
};

// A whole decimal number of at least 1, as the boxes must hold.
bool validTimeText(const QString& text);
// The budget in hundredths of a second that "Ok" sets, or false when the
// checked box's text is not a whole number.
bool budgetFromChoice(int choice, const QString& perMove, const QString& fortyMoves, int& budget);

extern TForm2* Form2;
