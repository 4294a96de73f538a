#include "ui/unit8.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include "game/record.h"
#include "ui/fonts.h"
#include "ui/unit1.h"

TForm8* Form8 = nullptr;

namespace {
constexpr int nameHeight = 33;
constexpr int buttonHeight = 30;
constexpr int lineHeight = 16;

// A double arrow pointing left or right.
QIcon stepIcon(bool forward)
{
    QPixmap pixmap(24, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 60, 120), 1));
    p.setBrush(QColor(60, 120, 200));
    for (int k = 0; k < 2; ++k) {
        const double x = 3 + 9 * k;
        QPainterPath arrow;
        if (forward) {
            arrow.moveTo(x, 2);
            arrow.lineTo(x + 9, 8);
            arrow.lineTo(x, 14);
        } else {
            arrow.moveTo(x + 9, 2);
            arrow.lineTo(x, 8);
            arrow.lineTo(x + 9, 14);
        }
        arrow.closeSubpath();
        p.drawPath(arrow);
    }
    return QIcon(pixmap);
}
} // namespace

TForm8::TForm8(QWidget* parent) : ToolWindow(parent, true)
{
    Form8 = this;
    setWindowTitle(QStringLiteral("Нотация партии"));
    Edit1 = new QLineEdit(this);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit1->setAlignment(Qt::AlignCenter);
    QPalette face = Edit1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    Edit1->setPalette(face);
    ListBox1 = new QListWidget(this);
    ListBox1->setFont(fixedPitchFont(13));
    ListBox1->setUniformItemSizes(true);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(stepIcon(false));
    SpeedButton1->setIconSize(QSize(24, 16));
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setIcon(stepIcon(true));
    SpeedButton2->setIconSize(QSize(24, 16));
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm8::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm8::SpeedButton2Click);
    setMinimumSize(150, 150);
    resize(202, 410);
    placeControls();
}

void TForm8::resizeEvent(QResizeEvent*) { placeControls(); }

void TForm8::placeControls()
{
    const int w = width(), h = height();
    Edit1->setGeometry(0, 0, w, nameHeight);
    ListBox1->setGeometry(0, nameHeight, w, h - nameHeight - buttonHeight);
    SpeedButton1->setGeometry(0, h - buttonHeight, w / 2, buttonHeight);
    SpeedButton2->setGeometry(w / 2, h - buttonHeight, w - w / 2, buttonHeight);
}

void TForm8::SetLines(const QStringList& lines)
{
    ListBox1->clear();
    for (const QString& line : lines) {
        auto* item = new QListWidgetItem(line, ListBox1);
        item->setSizeHint(QSize(0, lineHeight));
    }
}

void TForm8::ClearList() { ListBox1->clear(); }

void TForm8::SelectLine(int line)
{
    ListBox1->setCurrentRow(line);
    if (QListWidgetItem* item = ListBox1->item(line)) ListBox1->scrollToItem(item);
}

void TForm8::SetOpeningName(const QString& name) { Edit1->setText(name); }

QStringList TForm8::lines() const
{
    QStringList result;
    for (int k = 0; k < ListBox1->count(); ++k) result << ListBox1->item(k)->text();
    return result;
}

void TForm8::SpeedButton1Click() { NotationBackButton(); }
void TForm8::SpeedButton2Click() { NotationForwardButton(); }

void TForm8::FormClose()
{
    if (Form1) Form1->N15->setChecked(false);
}
