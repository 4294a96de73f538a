// The graph window "График": the engine's score of every position of the game as the
// last whole-game analysis found it, White's advantage above the middle line, the
// marked mistakes as dots and the position on the board as a vertical line. A click
// goes to the half-move under it.
#pragma once

#include <QRect>

#include "ui/toolwindow.h"

class TForm10 : public ToolWindow {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);

    // The area the scores are drawn in: x runs over the positions, y over ±500.
    QRect plotArea() const;
    // The x of position k of a game of halfMoves half-moves, and back.
    int positionX(int k, int halfMoves) const;
    int positionAt(int x, int halfMoves) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void FormClose() override;

private:
    void FormPaint();
    void FormMouseDown(QMouseEvent* event);
};

extern TForm10* Form10;
