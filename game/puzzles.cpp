#include "game/puzzles.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace {

constexpr char wonEndingText[] = "win";
constexpr int maxLineLength = 60; // half-moves; the finder's lines are far shorter

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(trimmed(text.substr(start, at == std::string::npos ? std::string::npos : at - start)));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> list;
    for (std::string w; in >> w;) list.push_back(w);
    return list;
}

bool wholeNumber(const std::string& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 4) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

// The puzzle of one line, or the reason it is refused.
bool parseLine(const std::string& text, Puzzle& p, std::string& why)
{
    const std::vector<std::string> fields = split(text, '|');
    if (fields.size() != 5) {
        why = "ожидалось пять полей через \"|\", найдено " + std::to_string(fields.size());
        return false;
    }
    std::string error;
    const auto start = parseFen(fields[0], &error);
    if (!start) {
        why = error;
        return false;
    }
    p.start = *start;
    const std::vector<std::string> moves = words(fields[1]);
    if (moves.empty() || moves.size() > maxLineLength) {
        why = "нет решения или оно слишком длинное";
        return false;
    }
    BoardPosition at = p.start;
    int solverMoves = 0;
    for (const std::string& written : moves) {
        const auto move = writtenHalfMove(at, written, &error);
        if (!move) {
            why = "решение: " + error;
            return false;
        }
        if (at.side == p.start.side) ++solverMoves;
        p.line.push_back(*move);
        at = positionAfterMove(at, *move);
        p.positions.push_back(at);
    }
    if (p.line.front().code & captureFlag) {
        why = "первый ход решения — взятие";
        return false;
    }
    if (fields[2] == wonEndingText) {
        p.wonEnding = true;
    } else if (!wholeNumber(fields[2], 1, 30, p.gain)) {
        why = "неправильный выигрыш \"" + fields[2] + "\"";
        return false;
    }
    const std::vector<std::string> difficulty = words(fields[3]);
    if (difficulty.size() != 2 || !wholeNumber(difficulty[0], 1, maxLineLength, p.solverMoves) ||
        !wholeNumber(difficulty[1], 1, 64, p.findDepth)) {
        why = "неправильная трудность \"" + fields[3] + "\"";
        return false;
    }
    if (p.solverMoves != solverMoves) {
        why = "в решении " + std::to_string(solverMoves) + " ходов решающего, а в поле трудности " +
              std::to_string(p.solverMoves);
        return false;
    }
    p.source = fields[4];
    return true;
}

} // namespace

std::vector<std::string> lineTexts(const Puzzle& puzzle)
{
    std::vector<std::string> texts;
    for (std::size_t k = 0; k < puzzle.line.size(); ++k)
        texts.push_back(halfMoveText(puzzle.before(k), puzzle.line[k], ':'));
    return texts;
}

std::string puzzleText(const Puzzle& puzzle)
{
    std::string line;
    for (const std::string& move : lineTexts(puzzle)) line += (line.empty() ? "" : " ") + move;
    std::string source = puzzle.source;
    for (char& c : source)
        if (c == '|' || c == '\n' || c == '\r') c = '/';
    return positionToFen(puzzle.start) + " | " + line + " | " +
           (puzzle.wonEnding ? std::string(wonEndingText) : std::to_string(puzzle.gain)) + " | " +
           std::to_string(puzzle.solverMoves) + " " + std::to_string(puzzle.findDepth) + " | " + source;
}

PuzzleCollection readPuzzles(const std::string& text)
{
    PuzzleCollection collection;
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3); // a byte-order mark
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#') continue;
        Puzzle puzzle;
        std::string why;
        puzzle.lineNumber = number;
        if (parseLine(content, puzzle, why)) collection.puzzles.push_back(std::move(puzzle));
        else collection.problems.push_back("Строка " + std::to_string(number) + ": " + why);
    }
    return collection;
}

PuzzleCollection readPuzzleFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return {{}, {"Не удалось открыть файл " + path}};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return readPuzzles(bytes.str());
}

const char* difficultyName(Difficulty d)
{
    switch (d) {
    case Difficulty::Easy: return "лёгкие";
    case Difficulty::Medium: return "средние";
    case Difficulty::Hard: return "трудные";
    }
    return "";
}

int difficultyPoints(const Puzzle& puzzle) { return puzzle.solverMoves + puzzle.findDepth; }

// A shot of two moves seen at once is easy; seven points (three moves the engine sees
// at depth four, say) make a hard one.
Difficulty difficultyOf(const Puzzle& puzzle)
{
    const int points = difficultyPoints(puzzle);
    if (points <= 3) return Difficulty::Easy;
    if (points <= 6) return Difficulty::Medium;
    return Difficulty::Hard;
}
