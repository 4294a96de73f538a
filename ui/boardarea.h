// The main window's central area: the board as the largest square it holds, the
// evaluation bar at the board's left and the setup panel at its right.
#pragma once

#include <QWidget>

class BoardArea : public QWidget {
    Q_OBJECT
public:
    explicit BoardArea(QWidget* parent = nullptr);

    void setParts(QWidget* evaluationBar, QWidget* board, QWidget* setupPanel);
    // Places the parts for the area's size; the game's board view takes the board's cell.
    void arrange();
    // The area's size in which the board is exactly `boardSide` pixels.
    QSize sizeForBoard(int boardSide) const;
    int barWidth(int boardSide) const;

signals:
    // The board's cell size changed.
    void boardResized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int besideBoard(int boardSide) const; // the width the bar and the panel take
    QWidget* bar = nullptr;
    QWidget* board = nullptr;
    QWidget* panel = nullptr;
};
