// Static evaluation: square tables carrying the material, free squares ahead of men,
// and fixed man patterns counted for both colours.
#include "engine/engine.h"

// Positional values as stored; start-up adds 100 (men) and 300 (kings) once.
int manSquareTable[32] = {0, 7, 10, 7, 2, 5, 5, 0, 3, 6, 6, 3, 5, 10, 10, 5,
                          7, 12, 12, 7, 3, 10, 10, 0, 0, 30, 30, 10, 0, 0, 0, 0};
int kingSquareTable[32] = {2, 5, 0, 10, 10, 5, 10, 10, 5, 20, 10, 10, 5, 20, 10, 0,
                           0, 10, 20, 5, 10, 10, 20, 5, 10, 10, 5, 10, 10, 0, 5, 2};

namespace {

constexpr SquareSet sq(const char* name)
{
    const int file = name[0] - 'a';
    const int rank = name[1] - '1';
    return 1u << (4 * rank + file / 2);
}

template <typename... Names>
constexpr SquareSet squares(Names... names)
{
    return (sq(names) | ...);
}

constexpr bool hasAll(SquareSet set, SquareSet mask) { return (set & mask) == mask; }
constexpr bool hasNone(SquareSet set, SquareSet mask) { return (set & mask) == 0; }

// The patterns from White's view over White men w and Black men b; the other colour
// is scored by calling this on the board turned round with the colours exchanged.
int patternScore(SquareSet w, SquareSet b)
{
    int v = 0;
    if (hasAll(w, squares("a3", "b4", "a5"))) {
        if (hasAll(b, squares("c5", "b6", "d6", "c7"))) {
            v += 50;
            if (b & sq("h4")) v -= 20;
        }
        if (hasNone(b, squares("a7", "b6"))) v -= 15;
    }
    if (hasAll(w, squares("e3", "f4", "h4")) && hasAll(b, squares("g5", "f6", "h6"))) {
        v += hasAll(w, squares("d2", "c3")) ? -10 : 20;
        if (w & sq("a5")) v += 15;
    }
    if (w & sq("c5")) {
        if (w & sq("f4")) v += 25;
        if (hasNone(b, squares("f8", "e5"))) v += 10;
        if ((b & squares("a5", "b6", "d6", "a7")) == squares("a5", "a7")) v += 20;
        if (w & sq("h6")) v += 10;
    }
    if (hasAll(w, squares("a5", "h4"))) v -= 5;
    if (hasAll(w, squares("d4", "g5"))) v += 10;
    if (w & sq("e5")) {
        if (hasNone(b, squares("h8", "g5"))) v += 10;
        if (hasNone(b, squares("d6", "f6"))) v += 20;
    }
    if ((w & sq("d6")) && !(b & sq("d8"))) v += 80;
    if (w & sq("f6")) {
        if (!(b & sq("f8"))) v += 80;
        if (hasNone(b, squares("h8", "g7", "f8"))) v += 60;
    }
    if (w & sq("h6")) {
        if (hasNone(b, squares("f8", "f6"))) v += 15;
        if (hasNone(b, squares("h8", "f8", "f6"))) v += 60;
    }
    if (hasAll(w, squares("b2", "a3", "c3"))) v -= 10;
    if ((w & sq("b6")) && hasNone(b, squares("b8", "a7"))) v += 55;
    if ((w & sq("a7")) && !(b & sq("b8"))) v += 60;
    if (w & sq("a5")) {
        if (hasNone(b, squares("c5", "b6", "a7", "c7", "b8"))) v += 50;
        if ((b & squares("b8", "b6")) == sq("b6")) v += 15;
    }
    if ((w & sq("g7")) && !(b & sq("h8"))) v += 70;
    if ((w & sq("g5")) && hasNone(b, squares("h8", "f8", "g7", "h6", "f6"))) v += 50;
    if (hasAll(w, squares("e3", "d4", "f4"))) v += 15;
    if ((w & squares("e1", "d2", "f2")) == squares("d2", "f2")) v -= 10;
    if ((w & sq("h4")) && hasAll(b, squares("g5", "e5", "f4", "f6"))) v += 25;
    return v;
}

// The men's square table summed over each of the 256 sets of squares of one byte of a
// set, so that a whole set of men costs four lookups. Built from `manSquareTable`
// whenever that changes (engine initialisation and the start-up raise).
int manTableByByte[4][256];

// The men's square values summed over a set of squares, from White's view.
inline int manTableSum(SquareSet x)
{
    return manTableByByte[0][x & 255] + manTableByByte[1][(x >> 8) & 255] + manTableByByte[2][(x >> 16) & 255] +
           manTableByByte[3][x >> 24];
}

} // namespace

void buildEvaluationTables()
{
    for (int byte = 0; byte < 4; ++byte)
        for (int bits = 0; bits < 256; ++bits) {
            int sum = 0;
            for (int b = 0; b < 8; ++b)
                if (bits & (1 << b)) sum += manSquareTable[8 * byte + b];
            manTableByByte[byte][bits] = sum;
        }
}

int evaluate(int side)
{
    // A Black man on s scores the White value of 31 - s: its set is turned round.
    const SquareSet blackMenTurned = mirrorSet(blackMen);
    int v = patternScore(whiteMen, blackMen) - patternScore(blackMenTurned, mirrorSet(whiteMen));
    for (SquareSet x = whiteKings; x; x &= x - 1) v += kingSquareTable[lowestBit(x)];
    for (SquareSet x = blackKings; x; x &= x - 1) v -= kingSquareTable[lowestBit(x)];
    // A man scores its square and 5 for each forward square that is free or off the
    // board: the men whose up-left neighbour is occupied are the occupied squares
    // stepped down-right, and so on.
    v += manTableSum(whiteMen) - manTableSum(blackMenTurned);
    v += 5 * (popCount(whiteMen & ~stepDownRight(occupied)) + popCount(whiteMen & ~stepDownLeft(occupied)));
    v -= 5 * (popCount(blackMen & ~stepUpLeft(occupied)) + popCount(blackMen & ~stepUpRight(occupied)));
    if (whiteKings && blackKings) v /= 4;
    return side == White ? v : -v;
}

int materialScore(int side)
{
    const int v = 300 * (popCount(whiteKings) - popCount(blackKings)) + 100 * (popCount(whiteMen) - popCount(blackMen));
    return side == White ? v : -v;
}
