#include "ui/unit2.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include "engine/search.h"

TForm2* Form2 = nullptr;

namespace {
const QString badTimeMessage = QStringLiteral("Неправильно введено время!");

QComboBox* timeBox(const QString& text, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    for (int value : {1, 2, 5, 10, 15, 30, 60, 120, 240}) box->addItem(QString::number(value));
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setEditText(text);
    return box;
}

bool wholeNumber(const QString& text, int& value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok, 10);
    return ok;
}
} // namespace

bool validTimeText(const QString& text)
{
    int value = 0;
    return wholeNumber(text, value) && value >= 1;
}

bool budgetFromChoice(int choice, const QString& perMove, const QString& fortyMoves, int& budget)
{
    int value = 0;
    switch (choice) {
    case 1:
        if (!wholeNumber(perMove, value)) return false;
        budget = value * 100;
        return true;
    case 2:
        // 200 hundredths a minute: the minutes for 40 moves spread over 30 moves.
        if (!wholeNumber(fortyMoves, value)) return false;
        budget = value * 6000 / 30;
        return true;
    default: budget = unlimitedTime; return true;
    }
}

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    Form2 = this;
    setWindowTitle(QStringLiteral("Время..."));
    setFixedSize(273, 175);
    GroupBox1 = new QGroupBox(QStringLiteral("Настройки времени"), this);
    GroupBox1->setGeometry(8, 8, 257, 122);
    RadioButton1 = new QRadioButton(QStringLiteral("На ход (сек.)"), GroupBox1);
    RadioButton1->setGeometry(12, 26, 150, 22);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("На 40 ходов (мин.)"), GroupBox1);
    RadioButton2->setGeometry(12, 58, 150, 22);
    RadioButton3 = new QRadioButton(QStringLiteral("Не ограничено"), GroupBox1);
    RadioButton3->setGeometry(12, 90, 150, 22);
    ComboBox1 = timeBox(QStringLiteral("2"), GroupBox1);
    ComboBox1->setGeometry(168, 25, 77, 24);
    ComboBox2 = timeBox(QStringLiteral("10"), GroupBox1);
    ComboBox2->setGeometry(168, 57, 77, 24);
    ComboBox2->setEnabled(false);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setGeometry(100, 140, 78, 26);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setGeometry(187, 140, 78, 26);

    connect(RadioButton1, &QRadioButton::clicked, this, &TForm2::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TForm2::RadioButton2Click);
    connect(RadioButton3, &QRadioButton::clicked, this, &TForm2::RadioButton3Click);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    GroupBox1->installEventFilter(this);
    ComboBox1->installEventFilter(this);
    ComboBox2->installEventFilter(this);
}

bool TForm2::fortyMovesChosen() const { return RadioButton2->isChecked(); }
QString TForm2::fortyMovesText() const { return ComboBox2->currentText(); }

void TForm2::RadioButton1Click()
{
    ComboBox1->setEnabled(true);
    ComboBox2->setEnabled(false);
}

void TForm2::RadioButton2Click()
{
    ComboBox1->setEnabled(false);
    ComboBox2->setEnabled(RadioButton2->isChecked());
}

void TForm2::RadioButton3Click()
{
    ComboBox1->setEnabled(false);
    ComboBox2->setEnabled(false);
}

void TForm2::GroupBox1Click()
{
    ComboBox1->setEnabled(RadioButton1->isChecked());
    ComboBox2->setEnabled(false);
}

void TForm2::ComboBox1Enter()
{
    if (!validTimeText(ComboBox1->currentText())) QMessageBox::warning(this, windowTitle(), badTimeMessage);
}

void TForm2::ComboBox2Enter()
{
    if (!validTimeText(ComboBox2->currentText())) QMessageBox::warning(this, windowTitle(), badTimeMessage);
}

void TForm2::Button1Click()
{
    const int choice = RadioButton1->isChecked() ? 1 : RadioButton2->isChecked() ? 2 : 3;
    int budget = 0;
    if (!budgetFromChoice(choice, ComboBox1->currentText(), ComboBox2->currentText(), budget)) {
        // Not a whole number: the dialog stays open and the budget keeps its value.
        QMessageBox::warning(this, windowTitle(), badTimeMessage);
        return;
    }
    timeBudget = budget;
    hide();
}

void TForm2::Button2Click() { hide(); }

void TForm2::reject() { Button2Click(); }

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == GroupBox1 && event->type() == QEvent::MouseButtonRelease) {
        GroupBox1Click();
    } else if ((watched == ComboBox1 || watched == ComboBox2) && event->type() == QEvent::FocusIn) {
        // Focus coming back from the warning or the drop-down list is no new entry.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == ComboBox1) ComboBox1Enter();
            else ComboBox2Enter();
        }
    }
    return QDialog::eventFilter(watched, event);
}
