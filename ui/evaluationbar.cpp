#include "ui/evaluationbar.h"

#include <QPainter>

#include <cmath>

#include "engine/engine.h"
#include "game/boardview.h"

EvaluationBar::EvaluationBar(QWidget* parent) : QWidget(parent)
{
    setToolTip(QStringLiteral("Шкала оценки: доля белых снизу"));
}

void EvaluationBar::setScore(std::optional<int> score)
{
    if (score == whiteScore) return;
    whiteScore = score;
    update();
}

double EvaluationBar::whiteShare(int whiteScore)
{
    if (whiteScore > decidedScore) return 1;
    if (whiteScore < -decidedScore) return 0;
    // Three men ahead fill about nine tenths: small advantages stay visible.
    return 0.5 + 0.5 * std::tanh(whiteScore / 100.0 / 2.0);
}

void EvaluationBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    const QColor black(52, 52, 56), white(244, 242, 236);
    p.fillRect(r, black);
    const double share = whiteScore ? whiteShare(*whiteScore) : 0.5;
    const int whiteHeight = static_cast<int>(std::lround(share * r.height()));
    // White's share sits on White's side of the board.
    const QRect whitePart = boardView.rotated ? QRect(r.left(), r.top(), r.width(), whiteHeight)
                                              : QRect(r.left(), r.bottom() + 1 - whiteHeight, r.width(), whiteHeight);
    p.fillRect(whitePart, whiteScore ? white : white.darker(115));
    p.setPen(QColor(150, 40, 40));
    const int middle = r.top() + r.height() / 2;
    p.drawLine(r.left(), middle, r.right(), middle);
    p.setPen(QColor(120, 120, 120));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}
