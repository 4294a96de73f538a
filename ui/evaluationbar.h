// "Шкала оценки": a bar beside the board, White's share from the bottom (from the top on
// the turned board), following the engine's latest score.
#pragma once

#include <QWidget>

#include <optional>

class EvaluationBar : public QWidget {
    Q_OBJECT
public:
    explicit EvaluationBar(QWidget* parent = nullptr);

    // The score from White's view in the engine's units (a man is 100; beyond 4000 a win),
    // or nothing before the engine has searched this game.
    void setScore(std::optional<int> whiteScore);
    std::optional<int> score() const { return whiteScore; }
    // White's share of the bar, 0 to 1: half for an even game, all of it for a win.
    static double whiteShare(int whiteScore);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<int> whiteScore;
};
