#include "ui/unit5.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/fonts.h"
#include "ui/unit1.h"

TForm5* Form5 = nullptr;

QStringList variationLines(const QString& text)
{
    QStringList lines;
    for (QString rest = text; rest.size() > 1; rest.remove(0, 12)) lines << rest.left(12);
    return lines;
}

TForm5::TForm5(QWidget* parent) : ToolWindow(parent, true)
{
    Form5 = this;
    setWindowTitle(QStringLiteral("Основной вариант"));
    Memo1 = new QPlainTextEdit(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Memo1);
    // Two moves a line in the fixed-pitch face: the width of twelve characters.
    setMinimumSize(143, 120);
    resize(143, 337);
    Memo1->setReadOnly(true);
    Memo1->setFont(fixedPitchFont(16));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TForm5::ShowVariation(const QString& text) { Memo1->setPlainText(variationLines(text).join('\n')); }

void TForm5::FormClose()
{
    if (Form1) Form1->N14->setChecked(false);
}
