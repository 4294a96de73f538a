#include "ui/unit5.h"

#include <QPlainTextEdit>

#include "ui/fonts.h"
#include "ui/unit1.h"

TForm5* Form5 = nullptr;

QStringList variationLines(const QString& text)
{
    QStringList lines;
    for (QString rest = text; rest.size() > 1; rest.remove(0, 12)) lines << rest.left(12);
    return lines;
}

TForm5::TForm5(QWidget* parent) : ToolWindow(parent, false)
{
    Form5 = this;
    setWindowTitle(QStringLiteral("Основной вариант"));
    setFixedSize(143, 468);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(8, 8, 129, 321);
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
