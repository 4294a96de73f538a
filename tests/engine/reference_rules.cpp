#include "tests/engine/reference_rules.h"

#include <algorithm>
#include <tuple>

namespace ref {

namespace {

// Direction steps in the listing order: up-left, up-right, down-right, down-left.
constexpr int fileStep[4] = {-1, +1, +1, -1};
constexpr int rankStep[4] = {+1, +1, -1, -1};

struct Cell {
    int file;
    int rank;
    Cell next(int direction) const { return {file + fileStep[direction], rank + rankStep[direction]}; }
    bool exists() const { return onBoard(file, rank); }
    int square() const { return squareAt(file, rank); }
};

bool isWhitePiece(char c) { return c == 'w' || c == 'W'; }
bool isBlackPiece(char c) { return c == 'b' || c == 'B'; }
bool isKing(char c) { return c == 'W' || c == 'B'; }
bool belongsTo(char c, int side) { return side == white ? isWhitePiece(c) : isBlackPiece(c); }
int lastRank(int side) { return side == white ? 7 : 0; }
Squares bit(int square) { return Squares{1} << square; }

// One capture generation: the board with the moving piece lifted off its start
// square, so that a long sequence may pass over or end on it.
class CaptureWalk {
public:
    CaptureWalk(const Board& board, int side, int from, std::vector<Move>& out)
        : board_(board), side_(side), from_(from), out_(out)
    {
        cellOf(from) = '.';
    }

    bool asMan(Cell at, Squares taken)
    {
        bool found = false;
        for (int d = 0; d < 4; ++d) {
            const Cell victim = at.next(d);
            if (!victim.exists() || !isEnemy(victim) || (taken & bit(victim.square()))) continue;
            const Cell landing = victim.next(d);
            if (!landing.exists() || !isEmpty(landing)) continue;
            found = true;
            const Squares now = taken | bit(victim.square());
            // A man reaching the far rank goes on as a king within the same move.
            const bool crowned = landing.rank == lastRank(side_);
            const bool deeper = crowned ? asKing(landing, now, true) : asMan(landing, now);
            if (!deeper) out_.push_back({from_, landing.square(), now, crowned});
        }
        return found;
    }

    bool asKing(Cell at, Squares taken, bool promoted)
    {
        bool found = false;
        for (int d = 0; d < 4; ++d) {
            Cell c = at.next(d);
            while (c.exists() && isEmpty(c)) c = c.next(d);
            // Own pieces and pieces already jumped block the diagonal.
            if (!c.exists() || !isEnemy(c) || (taken & bit(c.square()))) continue;
            const Squares now = taken | bit(c.square());
            std::vector<int> landings;
            bool deeper = false;
            for (Cell l = c.next(d); l.exists() && isEmpty(l); l = l.next(d)) {
                found = true;
                landings.push_back(l.square());
                if (asKing(l, now, promoted)) deeper = true;
            }
            // A king must land where it can go on capturing, if it can anywhere.
            if (deeper) continue;
            std::sort(landings.begin(), landings.end());
            for (int l : landings) out_.push_back({from_, l, now, promoted});
        }
        return found;
    }

private:
    char& cellOf(int square) { return board_.cells[fileOf(square)][rankOf(square)]; }
    char at(Cell c) const { return board_.cells[c.file][c.rank]; }
    bool isEmpty(Cell c) const { return at(c) == '.'; }
    bool isEnemy(Cell c) const { return belongsTo(at(c), side_ ^ 1); }

    Board board_;
    int side_;
    int from_;
    std::vector<Move>& out_;
};

std::vector<int> piecesOf(const Board& board, int side, bool kings)
{
    std::vector<int> squares;
    for (int s = 0; s < 32; ++s) {
        const char c = board.cells[fileOf(s)][rankOf(s)];
        if (belongsTo(c, side) && isKing(c) == kings) squares.push_back(s);
    }
    return squares;
}

void addManSteps(const Board& board, int side, int s, std::vector<Move>& out)
{
    const int first = side == white ? 0 : 2;
    const Cell start{fileOf(s), rankOf(s)};
    for (int d = first; d < first + 2; ++d) {
        const Cell t = start.next(d);
        if (t.exists() && board.cells[t.file][t.rank] == '.')
            out.push_back({s, t.square(), 0, t.rank == lastRank(side)});
    }
}

} // namespace

bool Board::operator==(const Board& other) const
{
    for (int f = 0; f < 8; ++f)
        for (int r = 0; r < 8; ++r)
            if (cells[f][r] != other.cells[f][r]) return false;
    return true;
}

bool Move::operator<(const Move& other) const
{
    return std::tie(from, to, captured, promotes) < std::tie(other.from, other.to, other.captured, other.promotes);
}

bool isDark(int file, int rank) { return (file + rank) % 2 == 0; }
bool onBoard(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }
int squareAt(int file, int rank) { return rank * 4 + file / 2; }
int rankOf(int square) { return square / 4; }
int fileOf(int square) { return 2 * (square % 4) + rankOf(square) % 2; }

std::string nameOf(int square)
{
    return std::string(1, static_cast<char>('a' + fileOf(square))) + static_cast<char>('1' + rankOf(square));
}

Board boardFromText(const std::string& text, int* side)
{
    Board board;
    for (auto& file : board.cells)
        for (char& c : file) c = '.';
    for (int s = 0; s < 32 && s < static_cast<int>(text.size()); ++s) {
        const char c = text[static_cast<std::size_t>(s)];
        if (c == 'w' || c == 'W' || c == 'b' || c == 'B') board.cells[fileOf(s)][rankOf(s)] = c;
    }
    if (side) *side = text.size() >= 34 && text[33] == 'b' ? black : white;
    return board;
}

std::string textFromBoard(const Board& board, int side)
{
    std::string text;
    for (int s = 0; s < 32; ++s) {
        const char c = board.cells[fileOf(s)][rankOf(s)];
        text += c == '.' ? '0' : c;
    }
    text += ' ';
    text += side == black ? 'b' : 'w';
    return text;
}

std::vector<Move> captures(const Board& board, int side)
{
    std::vector<Move> out;
    for (int s : piecesOf(board, side, true)) {
        CaptureWalk walk(board, side, s, out);
        walk.asKing({fileOf(s), rankOf(s)}, 0, false);
    }
    for (int s : piecesOf(board, side, false)) {
        CaptureWalk walk(board, side, s, out);
        walk.asMan({fileOf(s), rankOf(s)}, 0);
    }
    return out;
}

std::vector<Move> quietMoves(const Board& board, int side)
{
    std::vector<Move> out;
    for (int s : piecesOf(board, side, true)) {
        for (int d = 0; d < 4; ++d)
            for (Cell t = Cell{fileOf(s), rankOf(s)}.next(d); t.exists() && board.cells[t.file][t.rank] == '.';
                 t = t.next(d))
                out.push_back({s, t.square(), 0, false});
    }
    for (int s : piecesOf(board, side, false)) addManSteps(board, side, s, out);
    return out;
}

std::vector<Move> advancedManMoves(const Board& board, int side)
{
    std::vector<Move> out;
    for (int s : piecesOf(board, side, false)) {
        const int distance = side == white ? 7 - rankOf(s) : rankOf(s);
        if (distance == 1 || distance == 2) addManSteps(board, side, s, out);
    }
    return out;
}

std::vector<Move> legalMoves(const Board& board, int side)
{
    std::vector<Move> moves = captures(board, side);
    return moves.empty() ? quietMoves(board, side) : moves;
}

Board applied(const Board& board, const Move& move)
{
    Board next = board;
    char piece = board.cells[fileOf(move.from)][rankOf(move.from)];
    for (int s = 0; s < 32; ++s)
        if (move.captured & bit(s)) next.cells[fileOf(s)][rankOf(s)] = '.';
    next.cells[fileOf(move.from)][rankOf(move.from)] = '.';
    if (move.promotes) piece = piece == 'w' ? 'W' : 'B';
    next.cells[fileOf(move.to)][rankOf(move.to)] = piece;
    return next;
}

std::uint64_t perft(const Board& board, int side, int depth)
{
    const std::vector<Move> moves = legalMoves(board, side);
    if (depth == 1) return moves.size();
    std::uint64_t total = 0;
    for (const Move& m : moves) total += perft(applied(board, m), side ^ 1, depth - 1);
    return total;
}

std::string moveDescription(const Move& move)
{
    std::string text = nameOf(move.from);
    text += move.captured ? ':' : '-';
    text += nameOf(move.to);
    if (move.captured) {
        text += " x";
        for (int s = 0; s < 32; ++s)
            if (move.captured & bit(s)) {
                text += ' ';
                text += nameOf(s);
            }
    }
    if (move.promotes) text += " (promotes)";
    return text;
}

} // namespace ref
