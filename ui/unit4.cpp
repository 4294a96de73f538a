#include "ui/unit4.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "game/timecontrol.h"
#include "ui/fonts.h"
#include "ui/unit1.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : ToolWindow(parent, false)
{
    Form4 = this;
    setWindowTitle(QStringLiteral("Часы"));
    setMinimumSize(156, 74);
    setMaximumHeight(74);
    setAutoFillBackground(true);
    Label2 = new QLabel(QStringLiteral("00:00:00"), this);
    Label3 = new QLabel(QStringLiteral("00:00:00"), this);
    for (QLabel* label : {Label2, Label3}) {
        label->setFont(heavyFont(27));
        label->setAlignment(Qt::AlignCenter);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(4);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    // White's figures in white, Black's in the normal text colour; White's row gets a
    // dark face like a chess clock's so that white figures stay legible.
    Label2->setAutoFillBackground(true);
    Label2->setStyleSheet(QStringLiteral("color: white; background-color: #3c3f44;"));
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);
    Timer1->start();
}

// The game counts the second (none before the first half-move) and asks for ShowClocks.
void TForm4::Timer1Timer() { ClockTick(); }

void TForm4::ShowClocks()
{
    Label2->setText(QString::fromStdString(clockText(whiteClockSeconds)));
    Label3->setText(QString::fromStdString(clockText(blackClockSeconds)));
}

void TForm4::FormClose()
{
    if (Form1) Form1->N18->setChecked(false);
}
