// Bit helpers live inline in the chief header; here are the texts built from them.
#include "engine/engine.h"

std::string squareSetText(SquareSet s)
{
    std::string text;
    for (SquareSet x = s; x; x &= x - 1) {
        if (!text.empty()) text += ':';
        text += squareName[lowestBit(x)];
    }
    return text;
}

std::string moveText(MoveCode m)
{
    std::string text = squareName[moveFrom(m)];
    text += (m & captureFlag) ? ':' : '-';
    text += squareName[moveTo(m)];
    return text;
}

std::string scoreText(int score)
{
    if (score > 4000) return "Выигрыш через " + std::to_string((5000 - score) / 2) + " ходов";
    if (score < -4000) return "Проигрыш через " + std::to_string((score + 5000) / 2) + " ходов";
    std::string text = std::to_string(score);
    return score > 0 ? "+" + text : text;
}

std::string lineText(const MoveCode* moves, int count)
{
    std::string text;
    for (int c = 0; c < count; ++c) {
        if (moves[c] == 0) continue;
        text += moveText(moves[c]);
        text += ' ';
    }
    return text;
}
