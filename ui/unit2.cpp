#include "ui/unit2.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "engine/search.h"
#include "game/timecontrol.h"

TForm2* Form2 = nullptr;

namespace {
QComboBox* timeBox(const std::string& text, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    for (int value : {1, 2, 5, 10, 15, 30, 60, 120, 240}) box->addItem(QString::number(value));
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setEditText(QString::fromStdString(text));
    return box;
}
} // namespace

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
    ComboBox1 = timeBox(timeDialog.perMoveText, GroupBox1);
    ComboBox1->setGeometry(168, 25, 77, 24);
    ComboBox2 = timeBox(timeDialog.per40MovesText, GroupBox1);
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
    // The budget recomputation before an engine move reads the controls as they stand.
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { keepControlState(); });
    connect(ComboBox2, &QComboBox::editTextChanged, this, [this] { keepControlState(); });
    GroupBox1->installEventFilter(this);
    ComboBox1->installEventFilter(this);
    ComboBox2->installEventFilter(this);
}

void TForm2::ShowSettings()
{
    const QSignalBlocker blockFirst(ComboBox1), blockSecond(ComboBox2);
    (timeDialog.mode == TimeMode::PerMove      ? RadioButton1
     : timeDialog.mode == TimeMode::Per40Moves ? RadioButton2
                                               : RadioButton3)
        ->setChecked(true);
    ComboBox1->setEditText(QString::fromStdString(timeDialog.perMoveText));
    ComboBox2->setEditText(QString::fromStdString(timeDialog.per40MovesText));
    ComboBox1->setEnabled(timeDialog.mode == TimeMode::PerMove);
    ComboBox2->setEnabled(timeDialog.mode == TimeMode::Per40Moves);
}

TimeDialogState TForm2::controlState() const
{
    TimeDialogState state;
    state.mode = RadioButton1->isChecked()   ? TimeMode::PerMove
                 : RadioButton2->isChecked() ? TimeMode::Per40Moves
                                             : TimeMode::Unlimited;
    state.perMoveText = ComboBox1->currentText().trimmed().toStdString();
    state.per40MovesText = ComboBox2->currentText().trimmed().toStdString();
    return state;
}

void TForm2::keepControlState() { timeDialog = controlState(); }

void TForm2::RadioButton1Click()
{
    ComboBox1->setEnabled(true);
    ComboBox2->setEnabled(false);
    keepControlState();
}

void TForm2::RadioButton2Click()
{
    ComboBox1->setEnabled(false);
    ComboBox2->setEnabled(RadioButton2->isChecked());
    keepControlState();
}

void TForm2::RadioButton3Click()
{
    ComboBox1->setEnabled(false);
    ComboBox2->setEnabled(false);
    keepControlState();
}

void TForm2::GroupBox1Click()
{
    ComboBox1->setEnabled(RadioButton1->isChecked());
    ComboBox2->setEnabled(false);
}

void TForm2::ComboBox1Enter() { TimeBoxEnter(ComboBox1->currentText().trimmed().toStdString()); }
void TForm2::ComboBox2Enter() { TimeBoxEnter(ComboBox2->currentText().trimmed().toStdString()); }

void TForm2::Button1Click()
{
    // Not a whole number: the message is shown, the dialog stays open and the budget keeps its value.
    if (TimeDialogOk(controlState())) hide();
}

// The controls were kept as they changed; the budget stays.
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
