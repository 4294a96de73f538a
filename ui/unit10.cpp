#include "ui/unit10.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "game/analysis.h"
#include "game/commandguard.h"
#include "ui/unit1.h"

TForm10* Form10 = nullptr;

namespace {
constexpr int labelWidth = 26;
constexpr int margin = 8;
constexpr int dotRadius = 4;

const QColor plotBackground(214, 214, 214);
const QColor whiteAdvantage(255, 255, 255);
const QColor blackAdvantage(70, 70, 70);
const QColor curveColour(30, 30, 30);
const QColor currentColour(30, 90, 210);

QColor markColour(MoveMark mark)
{
    switch (mark) {
    case MoveMark::Dubious: return {225, 185, 0};
    case MoveMark::Mistake: return {240, 120, 0};
    case MoveMark::Blunder: return {210, 0, 0};
    case MoveMark::None: break;
    }
    return curveColour;
}
} // namespace

TForm10::TForm10(QWidget* parent) : ToolWindow(parent, true)
{
    Form10 = this;
    setWindowTitle(QStringLiteral("График"));
    setMinimumSize(200, 100);
    resize(420, 180);
    setCursor(Qt::PointingHandCursor);
}

QRect TForm10::plotArea() const
{
    return QRect(labelWidth, margin, std::max(1, width() - labelWidth - margin), std::max(2, height() - 2 * margin));
}

int TForm10::positionX(int k, int halfMoves) const
{
    const QRect area = plotArea();
    if (halfMoves <= 0) return area.left();
    return area.left() + static_cast<int>(std::lround(static_cast<double>(k) * (area.width() - 1) / halfMoves));
}

int TForm10::positionAt(int x, int halfMoves) const
{
    const QRect area = plotArea();
    if (halfMoves <= 0) return 0;
    const double fraction = static_cast<double>(x - area.left()) / std::max(1, area.width() - 1);
    return std::clamp(static_cast<int>(std::lround(fraction * halfMoves)), 0, halfMoves);
}

void TForm10::paintEvent(QPaintEvent*) { FormPaint(); }

void TForm10::FormPaint()
{
    const EvaluationGraph graph = evaluationGraph();
    const int halfMoves = static_cast<int>(graph.scores.size()) - 1;
    const QRect area = plotArea();
    const double middle = area.top() + (area.height() - 1) / 2.0;
    auto scoreY = [&](int score) { return middle - score * (area.height() - 1) / 2.0 / graphScoreLimit; };

    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.fillRect(area, plotBackground);
    p.setPen(palette().color(QPalette::WindowText));
    const QRect labels(0, area.top(), labelWidth - 4, area.height());
    p.drawText(labels, Qt::AlignRight | Qt::AlignTop, QStringLiteral("+5"));
    p.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    p.drawText(labels, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("−5"));

    // Each run of analysed positions is one curve; the area between it and the middle
    // line is light above the line (White ahead) and dark below it.
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath curves, areas;
    for (int k = 0; k <= halfMoves; ++k) {
        if (!graph.scores[k]) continue;
        const int first = k;
        QPolygonF line;
        for (; k <= halfMoves && graph.scores[k]; ++k)
            line << QPointF(positionX(k, halfMoves), scoreY(*graph.scores[k]));
        if (line.size() == 1) line << QPointF(positionX(first, halfMoves) + 1, line.front().y());
        curves.addPolygon(line);
        QPolygonF filled = line;
        filled << QPointF(line.back().x(), middle) << QPointF(line.front().x(), middle);
        areas.addPolygon(filled);
    }
    const QRectF upper(area.left(), area.top(), area.width(), middle - area.top());
    const QRectF lower(area.left(), middle, area.width(), area.bottom() + 1 - middle);
    p.setPen(Qt::NoPen);
    p.setClipRect(upper);
    p.fillPath(areas, whiteAdvantage);
    p.setClipRect(lower);
    p.fillPath(areas, blackAdvantage);
    p.setClipping(false);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.drawLine(QPointF(area.left(), middle), QPointF(area.right(), middle));
    p.setPen(QPen(curveColour, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curves);

    if (halfMoves > 0) {
        p.setPen(QPen(currentColour, 1.5));
        const int x = positionX(std::clamp(graph.current, 0, halfMoves), halfMoves);
        p.drawLine(x, area.top(), x, area.bottom());
    }
    p.setPen(QPen(Qt::black, 1));
    for (int k = 1; k <= halfMoves; ++k) {
        if (graph.marks[k] == MoveMark::None || !graph.scores[k]) continue;
        p.setBrush(markColour(graph.marks[k]));
        p.drawEllipse(QPointF(positionX(k, halfMoves), scoreY(*graph.scores[k])), dotRadius, dotRadius);
    }
}

void TForm10::mousePressEvent(QMouseEvent* event)
{
    RunGuarded([this, event] { FormMouseDown(event); });
}

void TForm10::FormMouseDown(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const int halfMoves = static_cast<int>(evaluationGraph().scores.size()) - 1;
    GoToPosition(positionAt(event->position().toPoint().x(), halfMoves));
}

void TForm10::FormClose()
{
    if (Form1) Form1->NGraph->setChecked(false);
}
