#include "ui/unit9.h"

#include <QFontMetrics>
#include <QLabel>

#include "game/controller.h"
#include "ui/unit1.h"

TForm9* Form9 = nullptr;

namespace {
constexpr int valueColumn = 112;
constexpr int firstLine = 8;
constexpr int lineHeight = 16;
} // namespace

TForm9::TForm9(QWidget* parent) : ToolWindow(parent, false)
{
    Form9 = this;
    setWindowTitle(QStringLiteral("Информация"));
    setFixedSize(243, 122);
    const QString texts[fieldCount] = {
        QStringLiteral("Глубина расчёта:"), QStringLiteral("Лучший ход:"),     QStringLiteral("Оценка:"),
        QStringLiteral("Скорость:"),        QStringLiteral("Запросов в ЭБ:"), QStringLiteral("Время анализа:"),
        QStringLiteral("Обработано:")};
    QLabel** fields[fieldCount] = {&Label4, &Label5, &Label6, &Label7, &Label8, &Label9, &Label10};
    for (int k = 0; k < fieldCount; ++k) {
        const int y = firstLine + k * lineHeight;
        captions[k] = new QLabel(texts[k], this);
        captions[k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        captions[k]->setGeometry(0, y, valueColumn - 4, lineHeight);
        values[k] = new QLabel(this);
        values[k]->setGeometry(valueColumn, y, width() - valueColumn - 4, lineHeight);
        *fields[k] = values[k];
    }
}

void TForm9::setField(int line, const QString& text)
{
    QLabel* value = values[line - 1];
    // A long score ("Выигрыш через 12 ходов") is set a little smaller rather than cut off.
    QFont font = this->font();
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(text) > value->width())
        font.setPixelSize(font.pixelSize() - 1);
    value->setFont(font);
    value->setText(text);
}
QString TForm9::field(int line) const { return values[line - 1]->text(); }

void TForm9::ClearInformation()
{
    for (int line = 1; line <= 5; ++line) setField(line, QString());
}

void TForm9::FormClose()
{
    InformationWindowClosed();
}
