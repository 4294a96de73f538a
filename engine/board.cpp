// Squares, board tables, a searcher's position in text form, and the game position's
// board picture.
#include "engine/engine.h"

const char* const squareName[32] = {
    "a1", "c1", "e1", "g1", "b2", "d2", "f2", "h2", "a3", "c3", "e3", "g3", "b4", "d4", "f4", "h4",
    "a5", "c5", "e5", "g5", "b6", "d6", "f6", "h6", "a7", "c7", "e7", "g7", "b8", "d8", "f8", "h8"};

SquareSet squareBit[32];
SquareSet squareClear[32];
SquareSet neighbourBit[4][32];
int neighbourSquare[4][32];
SquareSet adjacentMask[32];
SquareSet diagonalMask[32];

char boardPicture[64];
char previousBoardPicture[64];


void buildBoardTables()
{
    // A 10 x 10 mailbox (cell = 10 * file + rank) with a border of off-board cells
    // makes the neighbour of every square one fixed cell offset away.
    int state[100];
    int number[100];
    for (int i = 0; i < 100; ++i) {
        state[i] = 255;
        number[i] = -1;
    }
    int next = 0;
    for (int rank = 1; rank <= 8; ++rank)
        for (int k = 1; k <= 4; ++k) {
            const int file = (rank % 2 == 1) ? 2 * k - 1 : 2 * k;
            state[10 * file + rank] = 0;
            number[10 * file + rank] = next++;
        }
    for (int s = 0; s < 32; ++s) {
        squareBit[s] = 1u << s;
        squareClear[s] = ~squareBit[s];
        for (int d = 0; d < 4; ++d) neighbourBit[d][s] = 0;
        diagonalMask[s] = 0;
    }
    static const int offset[4] = {-9, 11, 9, -11}; // up-left, up-right, down-right, down-left
    for (int cell = 11; cell <= 88; ++cell) {
        if (state[cell] != 0) continue;
        const int s = number[cell];
        for (int d = 0; d < 4; ++d) {
            const int t = cell + offset[d];
            if (state[t] == 0) neighbourBit[d][s] = squareBit[number[t]];
        }
        adjacentMask[s] = neighbourBit[0][s] | neighbourBit[1][s] | neighbourBit[2][s] | neighbourBit[3][s];
    }
    for (int s = 0; s < 32; ++s)
        for (int d = 0; d < 4; ++d)
            for (int c = s; neighbourBit[d][c]; c = lowestBit(neighbourBit[d][c]))
                diagonalMask[s] |= neighbourBit[d][c];
    // The generators walk by square number; filling it here as well keeps them usable
    // by callers that build the tables without the rest of the start-up.
    fillNeighbourSquares();
}

void fillNeighbourSquares()
{
    for (int d = 0; d < 4; ++d)
        for (int s = 0; s < 32; ++s) neighbourSquare[d][s] = lowestBit(neighbourBit[d][s]);
    buildJumpTables();
}

void Searcher::setPositionFromText(const std::string& text)
{
    whiteMen = whiteKings = blackMen = blackKings = 0;
    for (int s = 0; s < 32 && s < static_cast<int>(text.size()); ++s) {
        switch (text[s]) {
        case 'w': whiteMen |= 1u << s; break;
        case 'W': whiteKings |= 1u << s; break;
        case 'b': blackMen |= 1u << s; break;
        case 'B': blackKings |= 1u << s; break;
        default: break;
        }
    }
    recomputeDerivedSets();
    sideToMove = (text.size() >= 34 && text[33] == 'b') ? 1 : 0;
}

std::string Searcher::positionToText(int side) const
{
    std::string text(34, '0');
    for (int s = 0; s < 32; ++s) {
        const SquareSet b = 1u << s;
        if (whiteKings & b) text[s] = 'W';
        else if (whiteMen & b) text[s] = 'w';
        else if (blackKings & b) text[s] = 'B';
        else if (blackMen & b) text[s] = 'b';
    }
    text[32] = ' ';
    text[33] = side == Black ? 'b' : 'w';
    return text;
}

int squareFromName(const std::string& name)
{
    if (name.size() != 2) return -1;
    const int file = name[0] - 'a' + 1;
    const int rank = name[1] - '0';
    if (file < 1 || file > 8 || rank < 1 || rank > 8) return -1;
    if ((file + rank) % 2 != 0) return -1; // a light square
    return 4 * (rank - 1) + (file - 1) / 2;
}

static int pictureIndex(int s)
{
    const int rank = s / 4 + 1;
    const int file = (rank % 2 == 1) ? 2 * (s % 4) + 1 : 2 * (s % 4) + 2;
    return (rank - 1) * 8 + (file - 1);
}

// The game position is the main searcher's.
void refreshBoardPicture()
{
    for (int i = 0; i < 64; ++i) previousBoardPicture[i] = boardPicture[i];
    for (int i = 0; i < 64; ++i) boardPicture[i] = '.';
    for (int s = 0; s < 32; ++s) {
        const SquareSet b = 1u << s;
        char c = 0;
        if (whiteKings & b) c = 'W';
        else if (whiteMen & b) c = 'w';
        else if (blackKings & b) c = 'B';
        else if (blackMen & b) c = 'b';
        if (c) boardPicture[pictureIndex(s)] = c;
    }
}
