#include "ui/unit7.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/fonts.h"
#include "ui/unit1.h"

TForm7* Form7 = nullptr;

TForm7::TForm7(QWidget* parent) : ToolWindow(parent, true)
{
    Form7 = this;
    setWindowTitle(QStringLiteral("Книга"));
    Memo1 = new QPlainTextEdit(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    setMinimumSize(200, 60);
    resize(300, 96);
    Memo1->setReadOnly(true);
    Memo1->setFrameStyle(0);
    Memo1->setFont(fixedPitchFont(16));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setBackgroundVisible(false);
}

void TForm7::ClearText() { Memo1->clear(); }

void TForm7::AppendToFirstLine(const QString& text)
{
    QStringList lines = Memo1->toPlainText().split('\n');
    lines[0] += text;
    Memo1->setPlainText(lines.join('\n'));
}

void TForm7::SetText(const QString& text) { Memo1->setPlainText(text); }
QString TForm7::text() const { return Memo1->toPlainText(); }

void TForm7::FormClose()
{
    if (Form1) Form1->N13->setChecked(false);
}
